#include "swf/avm1/stage/DisplayProperties.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#include "swf/avm1/stage/InputDispatcher.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/bitmap/BitmapCharacter.h"
#include "swf/display/DisplayList.h"
#include "swf/display/EditTextInstance.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/geom/Geometry.h"
#include "swf/format/LetterCase.h"
#include "swf/movie/MorphShapeCharacter.h"
#include "swf/movie/ShapeCharacter.h"
#include "swf/shape/ShapeHitTest.h"
#include "swf/text/EditTextCharacter.h"
#include "swf/text/TextCharacter.h"

namespace swf::avm1 {
namespace {

enum PropertyIndex {
    kX,
    kY,
    kXScale,
    kYScale,
    kCurrentFrame,
    kTotalFrames,
    kAlpha,
    kVisible,
    kWidth,
    kHeight,
    kRotation,
    kTarget,
    kFramesLoaded,
    kName,
    kDropTarget,
    kUrl,
    kHighQuality,
    kFocusRect,
    kSoundBufTime,
    kQuality,
    kXMouse,
    kYMouse,
    kPropertyCount
};

constexpr std::string_view kNames[kPropertyCount] = {
    "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
    "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
    "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
    "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
    "_xmouse",      "_ymouse"};

constexpr std::string_view kQualityNames[] = {"LOW", "MEDIUM", "HIGH", "BEST"};

constexpr double kDegrees = 180.0 / std::numbers::pi;
constexpr int kMaxWalk = 1024;  // ancestors followed at most (nesting is bounded far below)

// What a property setter makes of a value: undefined and null leave the property alone in
// every version, as NaN does, and so does a text that is no number, even in SWF 4 code,
// whose arithmetic reads it as 0.
double propertyNumber(Machine& m, const Value& v) {
    if (v.isNullish()) return NAN;
    if (v.isString()) return stringToNumber(v.asString(), std::max(m.swfVersion(), 5));
    return m.toNumber(v);
}

// What a set that nothing takes (a read-only property, a missing target) still makes of the
// value: text for the names, a number for the rest, nothing for the paths.
void convertUntaken(Machine& m, int index, const Value& v) {
    switch (index) {
        case kName:
        case kQuality:
            m.toString(v);
            return;
        case kTarget:
        case kDropTarget:
        case kUrl:
        case kFocusRect:
            return;
        default:
            if (index >= 0 && index < kPropertyCount) propertyNumber(m, v);
    }
}

double finiteOrZero(double v) {
    return std::isfinite(v) ? v : 0;
}

bool sameBasis(const Matrix& x, const Matrix& y) {
    return x.a == y.a && x.b == y.b && x.c == y.c && x.d == y.d;
}

// The scales and rotation scripts see, worked out of the matrix again when something other
// than a script changed it.
ScriptTransform& transformOf(Machine& m, DisplayObject& object) {
    ScriptTransform& t = m.stageObject(object)->scriptTransform();
    const Matrix& matrix = object.matrix();
    if (t.valid && sameBasis(t.basis, matrix)) return t;
    t.xScale = std::sqrt(matrix.a * matrix.a + matrix.b * matrix.b);
    t.yScale = std::sqrt(matrix.c * matrix.c + matrix.d * matrix.d);
    double xAngle = std::atan2(matrix.b, matrix.a);
    double yAngle = std::atan2(-matrix.c, matrix.d);
    t.rotation = xAngle * kDegrees;
    t.skew = yAngle - xAngle;
    t.basis = matrix;
    t.valid = true;
    return t;
}

// The matrix the scales and rotation describe, at the object's position; the player keeps
// its terms in 16.16 fixed point, to the nearest step.
Matrix composed(const ScriptTransform& t, const Matrix& at) {
    double xAngle = t.rotation / kDegrees;
    double yAngle = xAngle + t.skew;
    auto fixed = [](double v) { return finiteOrZero(std::round(v * 65536) / 65536); };
    Matrix m = at;
    m.a = fixed(t.xScale * std::cos(xAngle));
    m.b = fixed(t.xScale * std::sin(xAngle));
    m.c = fixed(-t.yScale * std::sin(yAngle));
    m.d = fixed(t.yScale * std::cos(yAngle));
    return m;
}

void applyTransform(DisplayObject& object, ScriptTransform& t) {
    Matrix m = composed(t, object.matrix());
    object.setMatrix(m);
    t.basis = m;
    object.setScriptMoved();
}

double wrapDegrees(double d) {
    d = std::fmod(d, 360.0);
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return d;
}

// A text field's box turns corner by corner, rounded once, as its parent measures it.
Rect turnedBounds(const DisplayObject& object, const Rect& content, const Matrix& m) {
    return object.isEditText() ? cornersThrough(content, m) : boundsThrough(content, m);
}

// _width and _height: the new extent divides the object's extent turned by its rotation alone;
// the other axis keeps its current extent. An axis with no extent (an empty clip has none)
// gets scale 0, and keeps it when content comes later.
void setExtent(Machine& m, DisplayObject& object, double pixels, bool width) {
    Rect content = contentBounds(m, object);
    if (content.xMin > content.xMax) content = Rect{0, 0, 0, 0};
    ScriptTransform& t = transformOf(m, object);
    ScriptTransform unit = t;
    unit.xScale = 1;
    unit.yScale = 1;
    Rect turned = turnedBounds(object, content, composed(unit, Matrix{}));
    Rect now = turnedBounds(object, content, object.matrix());
    double turnedWidth = turned.xMax - turned.xMin;
    double turnedHeight = turned.yMax - turned.yMin;
    double newWidth = width ? pixels * kTwipsPerPixel : now.xMax - now.xMin;
    double newHeight = width ? now.yMax - now.yMin : pixels * kTwipsPerPixel;
    t.xScale = turnedWidth != 0 ? std::copysign(newWidth / turnedWidth, t.xScale) : 0;
    t.yScale = turnedHeight != 0 ? std::copysign(newHeight / turnedHeight, t.yScale) : 0;
    applyTransform(object, t);
}

// _focusrect of the player: objects set it false, and numbers (not NaN) by being non-zero.
void setGlobalFocusRect(Machine& m, const Value& v) {
    PlayerSettings& settings = playerSettings(m);
    if (v.isObject()) {
        settings.focusRect = false;
        return;
    }
    double n = propertyNumber(m, v);
    if (!std::isnan(n)) settings.focusRect = n != 0;
}

bool isMainTimeline(Machine& m, DisplayObject& object) {
    return &object == static_cast<DisplayObject*>(m.context().root());
}

// _name takes a string; an object whose toString gives anything else names it "[type Object]".
std::string nameText(Machine& m, const Value& v) {
    // From SWF 7 a NaN names the object "0".
    if (v.isNumber() && std::isnan(v.asNumber()) && m.swfVersion() >= 7) return "0";
    if (!v.isObject()) return m.toString(v);
    Value method = m.get(v, "toString");
    Object* f = method.asObject();
    if (!f || !f->asFunction()) return "[type Object]";
    Value text = m.call(method, v.asObject(), {});
    return text.isString() ? text.asString() : "[type Object]";
}

Rect leafBounds(DisplayObject& object);

// Walking a big display tree or shape is work no action counts: it is charged to the action
// list's bound, a step per this many objects or edges, so a script cannot loop on it forever.
constexpr int kWorkPerAction = 16;

class WorkMeter {
  public:
    explicit WorkMeter(Machine& machine) : machine_(machine) {}
    void charge(size_t units) {
        units_ += units;
        while (units_ >= kWorkPerAction) {
            units_ -= kWorkPerAction;
            machine_.chargeAction();
        }
    }
    Machine& machine() { return machine_; }

  private:
    Machine& machine_;
    size_t units_ = 0;
};

// What scripts drew into a clip, when there is any.
const Drawing* drawingOf(DisplayObject& object) {
    MovieClip* clip = object.asMovieClip();
    const Drawing* drawing = clip ? clip->drawingIfAny() : nullptr;
    return drawing && !drawing->empty() ? drawing : nullptr;
}

bool shapeContains(const Shape& shape, Point p, double pixel, WorkMeter& work,
                   bool checkBounds = true) {
    return swf::shapeContains(shape, p, pixel, [&](size_t units) { work.charge(units); }, checkBounds);
}

// The point (stage twips) falls on what scripts drew into the object.
bool drawingContains(DisplayObject& object, const Matrix& toStage, Point stagePoint,
                     WorkMeter& work, HitAsker asker) {
    const Drawing* drawing = drawingOf(object);
    if (!drawing) return false;
    // For a script's hitTest the drawing's extent keeps its parents' placement of the time it
    // was last drawn into, until the tick ends: a point outside the extent placed so misses,
    // though the parents have moved since (the clip's own moves count).
    if (asker == HitAsker::Script) {
        std::optional<Matrix> parentsThen =
            object.asMovieClip()->drawnParentsToStage(work.machine().context().tick());
        if (parentsThen &&
            !containsPoint(transformBounds(drawing->shape().bounds,
                                           multiplyMatrices(*parentsThen, object.matrix())),
                           stagePoint))
            return false;
    }
    std::optional<Matrix> toLocal = invertMatrix(toStage);
    double pixel = kTwipsPerPixel / std::sqrt(std::abs(toStage.determinant()));
    return toLocal && shapeContains(drawing->shape(), toLocal->apply(stagePoint), pixel, work);
}

// A sprite whose definition declares no frames, or a clip unloaded: the player counts none,
// though what a sprite's tags do still happens.
bool framelessClip(MovieClip& clip) {
    return !clip.loadedMovie() && clip.timeline().declaredFrames() == 0;
}

bool hitsContentThrough(DisplayObject& object, const Matrix& toStage, Point stagePoint, int level,
                        WorkMeter& work, HitAsker asker, bool inMask = false) {
    if (level > MovieContext::kMaxNesting + 2) return false;
    work.charge(1);
    // A mask a script set is no content of its own, unless handlers make it a button (a
    // mask holding the clip it masks is no mask).
    if (DisplayObject* masked = inMask ? nullptr : object.scriptMasked()) {
        bool holdsMasked = false;
        for (DisplayObject* o = masked; o && !holdsMasked; o = o->parent())
            holdsMasked = o == &object;
        InputDispatcher* input = InputDispatcher::of(work.machine());
        if (!holdsMasked && !(input && input->takesMouse(object))) return false;
    }
    // A mask a script set limits the object to what the mask covers; a mask's own mask, or
    // a mask holding the object, does not count.
    if (StageObject* stage = object.scriptObject(); stage && !inMask) {
        DisplayObject* mask = stage->mask();
        bool holdsObject = false;
        for (DisplayObject* o = &object; o && !holdsObject; o = o->parent())
            holdsObject = o == mask;
        if (mask && !holdsObject &&
            !hitsContentThrough(*mask, matrixToStage(*mask), stagePoint, 0, work, asker, true))
            return false;
    }
    if (DisplayList* children = object.children()) {
        if (drawingContains(object, toStage, stagePoint, work, asker)) return true;
        // A clip layer is not hit itself; the depths it masks are hit only where it covers.
        struct Layer {
            int clipDepth;
            DisplayObject* object;
            Matrix toStage;
        };
        std::vector<Layer> layers;
        for (const auto& [depth, child] : children->objects()) {
            while (!layers.empty() && depth > layers.back().clipDepth) layers.pop_back();
            Matrix childToStage = multiplyMatrices(toStage, child->matrix());
            if (child->clipDepth() > 0) {
                layers.push_back({child->clipDepth(), child.get(), childToStage});
                continue;
            }
            if (!hitsContentThrough(*child, childToStage, stagePoint, level + 1, work, asker,
                                    inMask))
                continue;
            bool covered = true;
            for (const Layer& layer : layers)
                if (!hitsContentThrough(*layer.object, layer.toStage, stagePoint, level + 1, work,
                                        asker, inMask)) {
                    covered = false;
                    break;
                }
            if (covered) return true;
        }
        return false;
    }
    const Character* character = object.character();
    if (character && character->kind() == CharacterKind::Text &&
        static_cast<const TextCharacter*>(character)->advancedAntiAlias()) {
        // Text drawn with advanced anti-aliasing is hit anywhere in its box as the stage
        // sees it.
        return containsPoint(transformBounds(leafBounds(object), toStage), stagePoint);
    }
    std::optional<Matrix> toLocal = invertMatrix(toStage);
    if (!toLocal) return false;
    Point local = toLocal->apply(stagePoint);
    double pixel = kTwipsPerPixel / std::sqrt(std::abs(toStage.determinant()));
    if (character && character->kind() == CharacterKind::Shape)
        return shapeContains(static_cast<const ShapeCharacter*>(character)->shape(), local, pixel,
                             work);
    if (character && character->kind() == CharacterKind::MorphShape)
        return shapeContains(
            static_cast<const MorphShapeCharacter*>(character)->shapeAt(object.ratio()), local,
            pixel, work);
    if (character && character->kind() == CharacterKind::Text) {
        // Static text is hit on its glyphs' outlines.
        MovieClip* clip = object.parent() ? object.parent()->asMovieClip() : nullptr;
        if (!clip) return false;
        for (const GlyphDraw& glyph :
             static_cast<const TextCharacter*>(character)->glyphDraws(clip->dictionary())) {
            double det = glyph.matrix.determinant();
            if (det == 0 || !std::isfinite(det)) continue;
            if (shapeContains(*glyph.shape, glyph.matrix.inverted().apply(local), pixel, work,
                              false))
                return true;
        }
        return false;
    }
    return containsPoint(leafBounds(object), local);
}

}  // namespace

bool hitsContent(Machine& machine, DisplayObject& object, Point stagePoint, HitAsker asker) {
    WorkMeter work(machine);
    return hitsContentThrough(object, matrixToStage(object), stagePoint, 0, work, asker);
}

bool hitsOwnDrawing(Machine& machine, DisplayObject& object, Point stagePoint) {
    WorkMeter work(machine);
    return drawingContains(object, matrixToStage(object), stagePoint, work, HitAsker::Mouse);
}

int32_t playerInt(double value) {
    if (std::isnan(value)) return 0;
    if (!(value >= -2147483648.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

std::optional<int> displayPropertyIndex(Machine&, std::string_view name) {
    if (name.empty() || name[0] != '_') return std::nullopt;
    for (int i = 0; i < kPropertyCount; ++i)
        if (equalsIgnoringCase(kNames[i], name)) return i;
    return std::nullopt;
}

namespace {

// What a single object without children covers in its own space.
Rect leafBounds(DisplayObject& object) {
    const Character* character = object.character();
    if (character && character->kind() == CharacterKind::MorphShape) {
        const MorphShapeData& data = static_cast<const MorphShapeCharacter*>(character)->data();
        double t = object.ratio() / 65535.0;
        auto mix = [t](int32_t from, int32_t to) {
            return static_cast<int32_t>(std::lround(from + (to - from) * t));
        };
        return Rect{mix(data.startBounds.xMin, data.endBounds.xMin),
                    mix(data.startBounds.xMax, data.endBounds.xMax),
                    mix(data.startBounds.yMin, data.endBounds.yMin),
                    mix(data.startBounds.yMax, data.endBounds.yMax)};
    }
    if (character && character->kind() == CharacterKind::Bitmap) {
        const Bitmap& bitmap = static_cast<const BitmapCharacter*>(character)->bitmap();
        return Rect{0, bitmap.width * 20, 0, bitmap.height * 20};
    }
    return object.localBounds();
}

// The player measures a container by its leaves, each taken straight into the container's
// space, not by the boxes of the clips between.
void addLeafBounds(DisplayObject& object, const Matrix& toSpace, Rect& bounds, int level,
                   WorkMeter& work) {
    work.charge(1);
    DisplayList* children = object.children();
    // A scrolled object measures as its scroll rectangle.
    if (object.scrollRect()) {
        bounds =
            unionBounds(bounds, cornersThrough(scrollBox(*object.scrollRect(), 0, 0), toSpace));
        return;
    }
    if (!children) {
        bounds = unionBounds(bounds, cornersThrough(leafBounds(object), toSpace));
        return;
    }
    if (level > MovieContext::kMaxNesting + 2) return;
    if (const Drawing* drawing = drawingOf(object))
        bounds = unionBounds(bounds, cornersThrough(drawing->shape().bounds, toSpace));
    for (const auto& [depth, child] : children->objects())
        addLeafBounds(*child, toSpace * child->matrix(), bounds, level + 1, work);
}

}  // namespace

Rect contentBounds(Machine& machine, DisplayObject& object) {
    if (object.scrollRect()) return scrollBox(*object.scrollRect(), 0, 0);
    if (!object.children()) return leafBounds(object);
    Rect bounds = kNoBounds;
    WorkMeter work(machine);
    addLeafBounds(object, Matrix{}, bounds, 0, work);
    return bounds;
}

Rect stageBounds(Machine& machine, DisplayObject& object) {
    return cornersThrough(contentBounds(machine, object), matrixToStage(object));
}

Rect boundsThrough(const Rect& r, const Matrix& m) {
    if (r.xMin > r.xMax) return r;
    auto round = [](double v) { return static_cast<int64_t>(roundTwips(v)); };
    int64_t ax0 = round(m.a * r.xMin), ax1 = round(m.a * r.xMax);
    int64_t cy0 = round(m.c * r.yMin), cy1 = round(m.c * r.yMax);
    int64_t bx0 = round(m.b * r.xMin), bx1 = round(m.b * r.xMax);
    int64_t dy0 = round(m.d * r.yMin), dy1 = round(m.d * r.yMax);
    int64_t tx = round(m.tx), ty = round(m.ty);
    auto clamp = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    return Rect{clamp(std::min(ax0, ax1) + std::min(cy0, cy1) + tx),
                clamp(std::max(ax0, ax1) + std::max(cy0, cy1) + tx),
                clamp(std::min(bx0, bx1) + std::min(dy0, dy1) + ty),
                clamp(std::max(bx0, bx1) + std::max(dy0, dy1) + ty)};
}

int32_t roundTwips(double v) {
    return playerInt(std::floor(v + 0.5));
}

Rect cornersThrough(const Rect& r, const Matrix& m) {
    if (r.xMin > r.xMax) return r;
    double xs[2] = {double(r.xMin), double(r.xMax)};
    double ys[2] = {double(r.yMin), double(r.yMax)};
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    for (double x : xs)
        for (double y : ys) {
            Point p = m.apply({x, y});
            x0 = std::min(x0, p.x);
            x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y);
            y1 = std::max(y1, p.y);
        }
    return Rect{roundTwips(x0), roundTwips(x1), roundTwips(y0), roundTwips(y1)};
}

Rect boundsInParent(Machine& machine, DisplayObject& object) {
    return turnedBounds(object, contentBounds(machine, object), object.matrix());
}

Matrix multiplyMatrices(const Matrix& outer, const Matrix& inner) {
    Matrix m = outer * inner;
    m.tx = roundTwips(m.tx);
    m.ty = roundTwips(m.ty);
    return m;
}

std::optional<Matrix> invertMatrix(const Matrix& matrix) {
    double det = matrix.determinant();
    if (det == 0 || !std::isfinite(det)) return std::nullopt;
    Matrix m = matrix.inverted();
    m.tx = roundTwips(m.tx);
    m.ty = roundTwips(m.ty);
    return m;
}

Matrix matrixToStage(DisplayObject& object) {
    Matrix m = object.matrix();
    DisplayObject* o = object.parent();
    for (int steps = 0; o && steps < kMaxWalk; ++steps, o = o->parent())
        m = multiplyMatrices(o->matrix(), m);
    return m;
}

Value getDisplayProperty(Machine& machine, DisplayObject& object, int index) {
    const Matrix& m = object.matrix();
    MovieClip* clip = object.asMovieClip();
    switch (index) {
        case kX:
            return Value((m.tx + object.boxOffset().x) / kTwipsPerPixel);
        case kY:
            return Value((m.ty + object.boxOffset().y) / kTwipsPerPixel);
        case kXScale:
            return Value(transformOf(machine, object).xScale * 100);
        case kYScale:
            return Value(transformOf(machine, object).yScale * 100);
        case kRotation:
            return Value(transformOf(machine, object).rotation);
        case kCurrentFrame: {
            if (!clip) return Value();
            // A clip a script made empty has no frame to be on, until a movie is loaded into it;
            // nor has one whose load failed.
            bool empty =
                !clip->character() && !clip->loadedMovie() && !isMainTimeline(machine, object);
            bool none = empty || framelessClip(*clip) || clip->loadFailed();
            return Value(none ? 0.0 : clip->currentFrame() + 1.0);
        }
        case kTotalFrames:
        case kFramesLoaded:
            if (!clip) return Value();
            // A failed load leaves the clip with none, and -1 loaded.
            if (clip->loadFailed()) return Value(index == kTotalFrames ? 0.0 : -1.0);
            return Value(framelessClip(*clip) ? 0.0 : static_cast<double>(clip->frameCount()));
        case kAlpha:
            return Value(object.colorTransform().aMul * 100.0 / 256.0);
        case kVisible:
            return Value(object.visible());
        case kWidth:
        case kHeight: {
            Rect r = boundsInParent(machine, object);
            if (r.xMin > r.xMax) return Value(0.0);
            double size = index == kWidth ? double(r.xMax) - r.xMin : double(r.yMax) - r.yMin;
            return Value(size / kTwipsPerPixel);
        }
        case kTarget:
            return Value(machine.slashPath(object));
        case kName:
            return Value(object.name());
        case kDropTarget: {
            const DragState& drag = machine.context().input().drag;
            return Value(drag.dropped.lock().get() == &object ? drag.dropTarget : std::string());
        }
        case kUrl: {
            // A clip tells the file its movie came from; any other object its clip's.
            const MovieClip* owner = clip;
            if (!owner && object.parent()) owner = object.parent()->asMovieClip();
            return Value(owner ? owner->url() : machine.context().movieUrl());
        }
        case kHighQuality: {
            RenderQuality quality = machine.context().quality();
            return Value(quality == RenderQuality::Low    ? 0.0
                         : quality == RenderQuality::Best ? 2.0
                                                          : 1.0);
        }
        case kFocusRect: {
            if (machine.swfVersion() <= 5)
                return Value(playerSettings(machine).focusRect ? 1.0 : 0.0);
            if (isMainTimeline(machine, object)) return Value(playerSettings(machine).focusRect);
            const auto& own = machine.stageObject(object)->focusRect();
            return own ? Value(*own) : Value(Null{});
        }
        case kSoundBufTime:
            return Value(static_cast<double>(playerSettings(machine).soundBufferTime));
        case kQuality:
            return Value(kQualityNames[static_cast<int>(machine.context().quality())]);
        case kXMouse:
        case kYMouse: {
            // The pointer in the object's space, in whole twips, worked out in the view's
            // pixels the way the player draws: the object's offset in the view falls on a
            // whole pixel and the way back from the view on a whole twip. The player takes an
            // object scaled to nothing as if its space were in view pixels.
            const InputState& input = machine.context().input();
            Point pointer = input.stageToView.apply(input.mouse);
            Matrix toView = input.stageToView * matrixToStage(object);
            toView.tx = std::nearbyint(toView.tx);
            toView.ty = std::nearbyint(toView.ty);
            std::optional<Matrix> fromView = invertMatrix(toView);
            if (fromView) {
                fromView->tx = std::round(fromView->tx);
                fromView->ty = std::round(fromView->ty);
            }
            Point local = fromView ? fromView->apply(pointer) : pointer;
            return Value(std::round(index == kXMouse ? local.x : local.y) / kTwipsPerPixel);
        }
        default:
            return Value();
    }
}

void setDisplayProperty(Machine& machine, DisplayObject& object, int index, const Value& value) {
    switch (index) {
        case kName:
            // A reference to a clip that is later removed finds its successor by the path
            // the clip was placed at, not by a name given since.
            object.setName(nameText(machine, value));
            return;
        case kQuality: {
            std::string text = machine.toString(value);
            for (int i = 0; i < 4; ++i)
                if (equalsIgnoringCase(text, kQualityNames[i]))
                    machine.context().setQuality(static_cast<RenderQuality>(i));
            return;
        }
        case kFocusRect:
            if (machine.swfVersion() <= 5 || isMainTimeline(machine, object)) {
                setGlobalFocusRect(machine, value);
            } else {
                std::optional<bool> own;
                if (!value.isNullish()) own = machine.toBoolean(value);
                machine.stageObject(object)->setFocusRect(own);
            }
            return;
        case kX:
        case kY:
        case kXScale:
        case kYScale:
        case kRotation:
        case kAlpha:
        case kVisible:
        case kWidth:
        case kHeight:
        case kHighQuality:
        case kSoundBufTime:
            break;
        default:
            convertUntaken(machine, index, value);
            return;  // read-only
    }
    double n = propertyNumber(machine, value);
    if (std::isnan(n)) return;
    switch (index) {
        case kX:
        case kY: {
            Matrix m = object.matrix();
            const Point offset = object.boxOffset();
            (index == kX ? m.tx : m.ty) =
                playerInt(n * kTwipsPerPixel) - (index == kX ? offset.x : offset.y);
            object.setMatrix(m);
            object.setScriptMoved();
            return;
        }
        case kXScale:
        case kYScale:
        case kRotation: {
            ScriptTransform& t = transformOf(machine, object);
            if (index == kXScale) t.xScale = n / 100;
            if (index == kYScale) t.yScale = n / 100;
            if (index == kRotation) t.rotation = wrapDegrees(n);
            applyTransform(object, t);
            return;
        }
        case kAlpha: {
            ColorTransform c = object.colorTransform();
            // The multiplier is 8.8 fixed point: what does not fit wraps.
            c.aMul = static_cast<int16_t>(static_cast<uint32_t>(playerInt(n * 256 / 100)));
            object.setColorTransform(c);
            object.setScriptMoved();
            return;
        }
        case kVisible: {
            // Hiding takes the focus away; hiding what is hidden already leaves it.
            bool hides = n == 0 && object.visible();
            object.setVisible(n != 0);
            if (InputDispatcher* input = InputDispatcher::of(machine);
                hides && input && input->focused() == &object)
                input->setFocus(nullptr, InputDispatcher::FocusCause::Script);
            return;
        }
        case kWidth:
        case kHeight:
            setExtent(machine, object, n, index == kWidth);
            return;
        case kHighQuality: {
            double level = std::trunc(n);
            machine.context().setQuality(level >= 2   ? RenderQuality::Best
                                         : level == 0 ? RenderQuality::Low
                                                      : RenderQuality::High);
            return;
        }
        case kSoundBufTime:
            playerSettings(machine).soundBufferTime = playerInt(n);
            return;
        default:
            return;
    }
}

Value getDisplayPropertyByIndex(Machine& machine, Object& object, int index) {
    Object* live = machine.liveObject(&object);
    StageObject* stage = live ? live->asStageObject() : nullptr;
    DisplayObject* d = stage ? stage->displayObject() : nullptr;
    if (!d) return Value();
    return getDisplayProperty(machine, *d, index);
}

void setDisplayPropertyByIndex(Machine& machine, Object* object, int index, const Value& value) {
    Object* live = object ? machine.liveObject(object) : nullptr;
    StageObject* stage = live ? live->asStageObject() : nullptr;
    DisplayObject* d = stage ? stage->displayObject() : nullptr;
    if (d)
        setDisplayProperty(machine, *d, index, value);
    else
        convertUntaken(machine, index, value);
}

}  // namespace swf::avm1
