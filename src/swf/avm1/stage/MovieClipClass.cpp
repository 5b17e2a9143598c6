#include "swf/avm1/stage/MovieClipClass.h"

#include <cmath>
#include <limits>

#include "swf/action/ActionRunner.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/classes/LoadRequests.h"
#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/avm1/machine/TargetPath.h"
#include "swf/avm1/stage/DisplayProperties.h"
#include "swf/avm1/stage/Dragging.h"
#include "swf/avm1/stage/StageClasses.h"
#include "swf/avm1/stage/TabOrder.h"
#include "swf/avm1/stage/TextFieldClass.h"
#include "swf/movie/ClipEvent.h"
#include "swf/display/DisplayList.h"
#include "swf/display/DisplayObjectFactory.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/ClipEvent.h"
#include "swf/movie/SwfMovie.h"

namespace swf::avm1 {
namespace {

// removeMovieClip leaves the timeline's depths and the highest ones alone; before SWF 7 all
// above the scripts' usual ones.
constexpr int32_t kMaxRemovableDepth = 2130690031;
constexpr int32_t kMaxRemovableDepthBefore7 = 1048575;
// Empty bounds read as this many twips on every side.
constexpr double kEmptyBoundsTwips = 0x7FFFFFF;
constexpr int kMaxPathParts = 1024;

MovieClip* clipOf(Machine& m, Object* self) {
    return m.movieClipOf(Value(self));
}

// A depth a script gives, as the player takes it: a 32-bit integer (wrapping), within the
// depths scripts may use.
std::optional<int> scriptDepth(double depth) {
    int32_t d = toInt32(depth);
    if (d < kMinScriptDepth || d > kMaxScriptDepth) return std::nullopt;
    return d + kFirstScriptDepth;
}

// A depth createEmptyMovieClip takes: any 32-bit one the display list can hold (attachMovie
// and duplicateMovieClip take only the scripts' depths).
std::optional<int> anyDepth(double depth) {
    int32_t d = toInt32(depth);
    if (d > std::numeric_limits<int32_t>::max() - kFirstScriptDepth) return std::nullopt;
    return d + kFirstScriptDepth;
}

void copyInit(Machine& m, Object* init, Object* target) {
    if (!init || !target) return;
    for (const std::string& name : m.enumerate(init))
        m.set(Value(target), name, m.get(Value(init), name));
}

// Makes a display object for a character and starts it at `depth` of `parent`.
Value placeNew(Machine& m, MovieClip& parent, std::shared_ptr<DisplayObject> object,
               std::string_view name, double depth, Object* init) {
    std::optional<int> timelineDepth = anyDepth(depth);
    if (!object || !timelineDepth) return Value();
    object->setName(std::string(name));
    object->setDepth(*timelineDepth);
    parent.placeAndStart(object, true);
    StageObject* stage = m.stageObject(*object);
    copyInit(m, init, stage);
    if (ActionRunner* runner = m.context().runner()) runner->runClipEvent(*object, kClipConstruct);
    return Value(stage);
}

bool isMainTimeline(Machine& m, DisplayObject* object) {
    return object && object == static_cast<DisplayObject*>(m.context().root());
}

// A target path from `from`: "/a/b", "a.b", "a:b", "../a", "_root.a", "_level0:a". Each part
// names a child display object; shapes stand for their clip.
DisplayObject* resolvePath(Machine& m, DisplayObject& from, std::string_view path) {
    if (path.empty()) return nullptr;
    DisplayObject* current = &from;
    if (path.front() == '/') {
        current = m.displayObjectOf(Value(rootFor(m, current)));
        path.remove_prefix(1);
    }
    for (int parts = 0; !path.empty() && current && parts < kMaxPathParts; ++parts) {
        std::string_view part = takePathPart(path);
        if (part.empty()) continue;
        if (part == ".." || m.namesEqual(part, "_parent")) {
            current = current->parent();
        } else if (m.namesEqual(part, "_root")) {
            current = m.displayObjectOf(Value(rootFor(m, current)));
        } else if (m.namesEqual(part, "_level0")) {
            current = m.context().root();
        } else if (part == "this") {
            continue;
        } else {
            current = m.displayObjectOf(Value(childNamed(m, *current, part)));
        }
    }
    return current;
}

// A clip argument: a clip itself, else its text as a target path from `from`.
DisplayObject* targetArgument(Machine& m, DisplayObject& from, const Value& value) {
    if (DisplayObject* d = m.displayObjectOf(value)) return d;
    if (value.isObject() && value.asObject()->asStageObject()) return nullptr;
    return resolvePath(m, from, m.toString(value));
}

// getBounds works its matrices out in 16.16 fixed point, each term cut toward zero.
Matrix fixedPoint(Matrix m) {
    for (double* v : {&m.a, &m.b, &m.c, &m.d}) *v = std::trunc(*v * 65536) / 65536;
    return m;
}

Matrix fixedToStage(DisplayObject& object) {
    Matrix m = object.matrix();
    DisplayObject* o = object.parent();
    for (int steps = 0; o && steps < kMaxPathParts; ++steps, o = o->parent())
        m = fixedPoint(o->matrix() * m);
    return m;
}

Value rectObject(Machine& m, double xMin, double xMax, double yMin, double yMax) {
    Object* r = m.newObject();
    r->setOwn("xMin", Value(xMin / 20));
    r->setOwn("xMax", Value(xMax / 20));
    r->setOwn("yMin", Value(yMin / 20));
    r->setOwn("yMax", Value(yMax / 20));
    return Value(r);
}

// getBounds / getRect: the extent in the target's space (its own without one).
Value boundsFor(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* object = m.displayObjectOf(Value(self));
    if (!object) return Value();
    DisplayObject* target = args.empty() ? object : targetArgument(m, *object, args[0]);
    if (!target) return Value();
    Rect content = contentBounds(m, *object);
    bool empty = content.xMin > content.xMax;
    if (target == object) {
        if (empty)
            return rectObject(m, kEmptyBoundsTwips, kEmptyBoundsTwips, kEmptyBoundsTwips,
                              kEmptyBoundsTwips);
        return rectObject(m, content.xMin, content.xMax, content.yMin, content.yMax);
    }
    std::optional<Matrix> stageToTarget = invertMatrix(fixedToStage(*target));
    if (!stageToTarget) return Value();
    Matrix toStage = fixedToStage(*object);
    MovieClip* targetClip = target->asMovieClip();
    if ((targetClip ? targetClip->swfVersion() : m.swfVersion()) >= 8) m.useSinglePrecisionBounds();
    if (empty) {
        Point p = (*stageToTarget * toStage).apply({kEmptyBoundsTwips, kEmptyBoundsTwips});
        if (!m.singlePrecisionBounds()) return rectObject(m, p.x, p.x, p.y, p.y);
        double x = static_cast<float>(p.x), y = static_cast<float>(p.y);
        return rectObject(m, x, x, y, y);
    }
    // Each corner goes to the stage, in whole twips there, and from there to the target.
    Rect r = kNoBounds;
    for (int32_t x : {content.xMin, content.xMax})
        for (int32_t y : {content.yMin, content.yMax}) {
            Rect onStage = cornersThrough(Rect{x, x, y, y}, toStage);
            r = unionBounds(r, cornersThrough(onStage, *stageToTarget));
        }
    return rectObject(m, r.xMin, r.xMax, r.yMin, r.yMax);
}

Value hitTest(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* object = m.displayObjectOf(Value(self));
    if (!object || args.empty()) return Value();
    if (args.size() == 1) {
        DisplayObject* other = targetArgument(m, *object, args[0]);
        if (!other) return Value(false);
        Rect a = stageBounds(m, *object), b = stageBounds(m, *other);
        if (a.xMin > a.xMax || b.xMin > b.xMax) return Value(false);
        return Value(a.xMin <= b.xMax && b.xMin <= a.xMax && a.yMin <= b.yMax && b.yMin <= a.yMax);
    }
    double x = m.toNumber(args[0]);
    double y = m.toNumber(args[1]);
    bool shape = m.toBoolean(arg(args, 2));
    if (std::isnan(x) || std::isnan(y)) return Value(false);
    // The point is in the main timeline's space.
    MovieClip* root = m.context().root();
    Point p{x * 20, y * 20};
    if (root) p = root->matrix().apply(p);
    // On the stage it lands on whole twips.
    p = {double(roundTwips(p.x)), double(roundTwips(p.y))};
    if (shape) return Value(hitsContent(m, *object, p, HitAsker::Script));
    return Value(containsPoint(stageBounds(m, *object), p));
}

// localToGlobal / globalToLocal: the point's own x and y, numbers both, in place.
Value convertPoint(Machine& m, Object* self, std::span<const Value> args, bool toStage) {
    DisplayObject* object = m.displayObjectOf(Value(self));
    Object* point = arg(args, 0).asObject();
    if (!object || !point) return Value();
    Property* px = point->findOwn("x");
    Property* py = point->findOwn("y");
    if (!px || !py || px->isVirtual() || py->isVirtual() || !px->value.isNumber() ||
        !py->value.isNumber())
        return Value();
    Matrix matrix = matrixToStage(*object);
    if (!toStage) {
        std::optional<Matrix> inverse = invertMatrix(matrix);
        if (!inverse) return Value();
        matrix = *inverse;
    }
    Point p = matrix.apply({px->value.asNumber() * 20, py->value.asNumber() * 20});
    m.set(Value(point), "x", Value(std::floor(p.x + 0.5) / 20));
    m.set(Value(point), "y", Value(std::floor(p.y + 0.5) / 20));
    return Value();
}

// A level's root stands at the depth of its number; taking another depth (or another level's
// root's) it becomes the level of that number. The main movie stays level 0, and a root moved
// past the levels a movie can be loaded into moves no more.
Value swapLevel(Machine& m, DisplayObject& root, const Value& given) {
    MovieContext& context = m.context();
    int from = context.levelOf(&root);
    if (from <= 0 || from > MovieContext::kMaxLevel || given.isUndefined()) return Value();
    int to = 0;
    if (DisplayObject* other = m.displayObjectOf(given)) {
        to = context.levelOf(other);
    } else {
        if (given.isObject() && given.asObject()->asStageObject()) return Value();
        std::optional<int> depth = scriptDepth(m.toNumber(given));
        if (!depth) return Value();
        to = *depth;
    }
    if (to > 0) context.swapLevels(from, to);
    return Value();
}

Value swapDepths(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* object = m.displayObjectOf(Value(self));
    if (!object || args.empty()) return Value();
    if (!object->parent()) return swapLevel(m, *object, args[0]);
    DisplayList* list = object->parent()->children();
    if (!list) return Value();
    const Value& given = args[0];
    if (given.isUndefined()) return Value();
    // A clip an older movie made beyond the scripts' depths stays where it is.
    if (!scriptDepth(static_cast<double>(object->depth()) - kFirstScriptDepth)) return Value();
    DisplayObject* other = m.displayObjectOf(given);
    if (!other && given.isString()) other = resolvePath(m, *object, given.asString());
    int target = 0;
    if (other) {
        if (other->parent() != object->parent()) return Value();
        target = other->depth();
    } else {
        if (given.isObject() && given.asObject()->asStageObject()) return Value();
        std::optional<int> depth = scriptDepth(m.toNumber(given));
        if (!depth) return Value();
        target = *depth;
    }
    list->swap(object->depth(), target);
    return Value();
}

Value setMask(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* object = m.displayObjectOf(Value(self));
    StageObject* stage = object ? m.stageObject(*object) : nullptr;
    if (!stage || args.empty()) return Value();
    const Value& given = args[0];
    if (!given.isObject() && !given.isString() && !given.isNumber()) {
        stage->setMask(nullptr);
        return Value(true);
    }
    // A path (a number too, as its text) names a clip beside this one, or a variable there
    // holding one; an object that is no clip is refused.
    DisplayObject* mask = m.displayObjectOf(given);
    DisplayObject* base = object->parent() ? object->parent() : object;
    if (!mask && !given.isObject()) {
        std::string path = m.toString(given);
        mask = resolvePath(m, *base, path);
        if (!mask) mask = m.displayObjectOf(m.get(Value(m.stageObject(*base)), path));
    }
    if (!mask || mask == object) return Value(false);
    stage->setMask(mask);
    return Value(true);
}

Value createEmptyMovieClip(Machine& m, Object* self, std::span<const Value> args) {
    MovieClip* parent = clipOf(m, self);
    if (!parent || !m.context().hasRoomForObject()) return Value();
    if (parent->nesting() + 1 > MovieContext::kMaxNesting) return Value();
    std::string name = m.toString(arg(args, 0));
    double depth = m.toNumber(arg(args, 1));
    auto clip = std::make_shared<MovieClip>(m.context(), nullptr, nullptr, parent->nesting() + 1);
    m.context().registerClip(clip);
    return placeNew(m, *parent, clip, name, depth, nullptr);
}

Value attachMovie(Machine& m, Object* self, std::span<const Value> args) {
    MovieClip* parent = clipOf(m, self);
    if (!parent) return Value();
    std::string exportName = m.toString(arg(args, 0));
    std::string name = m.toString(arg(args, 1));
    double depth = m.toNumber(arg(args, 2));
    // A clip of a loaded movie attaches that movie's symbols.
    std::shared_ptr<const SwfMovie> movie = parent->ownerMovie();
    auto id = movie->findExport(exportName);
    if (!id || !scriptDepth(depth)) return Value();
    auto object =
        DisplayObjectFactory::create(m.context(), movie->dictionary, *id, parent->nesting());
    // A button symbol attaches too; shapes, texts and the like have no script object.
    if (!object || (!object->asMovieClip() && !object->asButton())) return Value();
    return placeNew(m, *parent, std::move(object), name, depth, arg(args, 3).asObject());
}

Value getInstanceAtDepth(Machine& m, Object* self, std::span<const Value> args) {
    MovieClip* clip = clipOf(m, self);
    if (!clip || args.empty()) return Value();
    double depth = m.toNumber(args[0]);
    if (std::isnan(depth)) return Value();
    auto object = clip->displayList().at(toInt32(depth) + kFirstScriptDepth);
    return object ? Value(scriptValueOf(m, *object)) : Value();
}

Value getNextHighestDepth(Machine& m, Object* self, std::span<const Value>) {
    MovieClip* clip = clipOf(m, self);
    if (!clip) return Value();
    int64_t next = 0;
    const auto& objects = clip->displayList().objects();
    if (!objects.empty())
        next = std::max<int64_t>(0, int64_t(objects.rbegin()->first) - kFirstScriptDepth + 1);
    return Value(static_cast<double>(next));
}

constexpr std::string_view kBlendModes[] = {
    "normal", "normal",   "layer",  "multiply", "screen", "lighten", "darken",   "difference",
    "add",    "subtract", "invert", "alpha",    "erase",  "overlay", "hardlight"};

Value getBlendMode(Machine& m, Object* self, std::span<const Value>) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d) return Value();
    uint8_t mode = d->blendMode();
    return Value(kBlendModes[mode < std::size(kBlendModes) ? mode : 0]);
}

Value setBlendMode(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d || args.empty()) return Value();
    PlaceObject change;
    if (args[0].isString()) {
        for (size_t i = 1; i < std::size(kBlendModes); ++i)
            if (args[0].asString() == kBlendModes[i])
                change.blendMode = static_cast<uint8_t>(i);
    } else {
        double n = m.toNumber(args[0]);
        if (n >= 1 && n < std::size(kBlendModes))
            change.blendMode = static_cast<uint8_t>(n);
    }
    if (change.blendMode) d->applyPlacement(change, false);
    return Value();
}

Value getCacheAsBitmap(Machine& m, Object* self, std::span<const Value>) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    return d ? Value(d->cacheAsBitmap()) : Value();
}

Value setCacheAsBitmap(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d || args.empty()) return Value();
    PlaceObject change;
    change.cacheAsBitmap = m.toBoolean(args[0]);
    d->applyPlacement(change, false);
    return Value();
}

Value getOpaqueBackground(Machine& m, Object* self, std::span<const Value>) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d || !d->opaqueBackground()) return Value();
    Rgba c = *d->opaqueBackground();
    return Value(static_cast<double>(c.r << 16 | c.g << 8 | c.b));
}

Value setOpaqueBackground(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d || args.empty()) return Value();
    // Undefined and null take the background away.
    if (args[0].isNullish()) {
        d->setOpaqueBackground(std::nullopt);
        return Value();
    }
    auto rgb = static_cast<uint32_t>(toInt32(m.toNumber(args[0])));
    d->setOpaqueBackground(Rgba{static_cast<uint8_t>(rgb >> 16),
                                static_cast<uint8_t>(rgb >> 8),
                                static_cast<uint8_t>(rgb), 255});
    return Value();
}

// scrollRect: a new Rectangle each time it is read, undefined without one. An object
// with a finite x, y, width and height sets it; anything else takes it away.
Value getScrollRect(Machine& m, Object* self, std::span<const Value>) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d || !d->scrollRect()) return Value();
    const DisplayObject::ScrollRect& r = *d->scrollRect();
    Value parts[] = {Value(r.x), Value(r.y), Value(r.width), Value(r.height)};
    return geom::make(m, flashPackage(m, "geom"), "Rectangle", parts);
}

Value setScrollRect(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d || args.empty()) return Value();
    std::optional<DisplayObject::ScrollRect> rect;
    if (args[0].isObject()) {
        DisplayObject::ScrollRect r{
            geom::number(m, args[0], "x"), geom::number(m, args[0], "y"),
            geom::number(m, args[0], "width"), geom::number(m, args[0], "height")};
        if (std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) &&
            std::isfinite(r.height))
            rect = r;
    }
    d->setScrollRect(rect);
    return Value();
}

// scale9Grid: the nine-slice grid in pixels, read and set like scrollRect.
Value getScale9Grid(Machine& m, Object* self, std::span<const Value>) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d || !d->scalingGrid()) return Value();
    const Rect& r = *d->scalingGrid();
    Value parts[] = {Value(r.xMin / kTwipsPerPixel), Value(r.yMin / kTwipsPerPixel),
                     Value(r.width() / kTwipsPerPixel), Value(r.height() / kTwipsPerPixel)};
    return geom::make(m, flashPackage(m, "geom"), "Rectangle", parts);
}

Value setScale9Grid(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d || args.empty()) return Value();
    std::optional<Rect> grid;
    if (args[0].isObject()) {
        double x = geom::number(m, args[0], "x"), y = geom::number(m, args[0], "y");
        double w = geom::number(m, args[0], "width"),
               h = geom::number(m, args[0], "height");
        auto twips = [](double pixels) {
            return static_cast<int32_t>(std::round(pixels * kTwipsPerPixel));
        };
        // Within a million pixels either way, where a Rect's twips stay whole.
        auto usable = [](double v) { return std::isfinite(v) && std::abs(v) < 1e6; };
        if (usable(x) && usable(y) && usable(w) && usable(h))
            grid = Rect{twips(x), twips(x + w), twips(y), twips(y + h)};
    }
    d->setScalingGrid(grid);
    return Value();
}

using native::accessor;
using native::method;

// blendMode, cacheAsBitmap, opaqueBackground and filters (SWF 8): the placement fields of
// the object.
constexpr NativeMember kPlacementAccessors[] = {
    accessor("blendMode", getBlendMode, setBlendMode, kDontEnum).since(8),
    accessor("cacheAsBitmap", getCacheAsBitmap, setCacheAsBitmap, kDontEnum).since(8),
    accessor("opaqueBackground", getOpaqueBackground, setOpaqueBackground, kDontEnum).since(8),
    accessor("scrollRect", getScrollRect, setScrollRect, kDontEnum).since(8),
    accessor("scale9Grid", getScale9Grid, setScale9Grid, kDontEnum).since(8),
};

}  // namespace

int frameIndex(Machine& m, MovieClip& clip, const Value& frame) {
    double n = 0;
    // Anything but a number is a frame's text (an object's through its toString).
    if (!frame.isNumber()) {
        std::string text = m.toString(frame);
        n = stringToNumber(text, m.swfVersion());
        if (std::isnan(n)) return clip.timeline().findLabel(text);
    } else {
        n = m.toNumber(frame);
        if (std::isnan(n)) return -1;
    }
    // The player counts frames in 32-bit integers: the number wraps, and so does one less
    // than it (past the end is the last frame).
    return static_cast<int32_t>(static_cast<uint32_t>(toInt32(n)) - 1u);
}

void goToFrame(Machine& m, MovieClip& clip, const Value& frame, bool play) {
    int index = frameIndex(m, clip, frame);
    if (index < 0) return;
    clip.gotoFrame(index);
    if (play)
        clip.play();
    else
        clip.stop();
}

Value duplicateClip(Machine& m, Object* source, std::string_view name, double depth, Object* init) {
    DisplayObject* original = m.displayObjectOf(Value(source));
    // Clips and text fields duplicate; a text field's copy starts from its definition.
    if (!original || !original->parent() || !(original->asMovieClip() || original->isEditText()))
        return Value();
    MovieClip* parent = original->parent()->asMovieClip();
    if (!parent || !scriptDepth(depth) || !m.context().hasRoomForObject()) return Value();
    std::shared_ptr<DisplayObject> copy;
    if (original->character()) {
        copy =
            DisplayObjectFactory::make(m.context(), original->sharedCharacter(), parent->nesting());
    } else {
        // A clip a script made empty copies as another empty clip.
        auto clip =
            std::make_shared<MovieClip>(m.context(), nullptr, nullptr, parent->nesting() + 1);
        m.context().registerClip(clip);
        copy = clip;
    }
    if (!copy) return Value();
    copy->setMatrix(original->matrix());
    copy->setColorTransform(original->colorTransform());
    // A text field's copy shows whether or not the original was hidden.
    if (original->asMovieClip()) copy->setVisible(original->visible());
    copy->setClipActions(original->sharedClipActions());
    // What the drawing API drew goes with the copy: masks and motifs drawn once are duplicated.
    const Drawing* drawing =
        original->asMovieClip() ? original->asMovieClip()->drawingIfAny() : nullptr;
    if (MovieClip* clip = copy->asMovieClip(); clip && drawing) clip->drawing() = *drawing;
    return placeNew(m, *parent, std::move(copy), name, depth, init);
}

void removeClip(Machine& m, Object* object) {
    DisplayObject* clip = m.displayObjectOf(Value(object));
    MovieContext& context = m.context();
    int level = clip ? context.levelOf(clip) : -1;
    if (!clip || (!clip->parent() && level <= 0)) return;
    int depth = clip->depth() - kFirstScriptDepth;
    int32_t highest = m.swfVersion() >= 7 ? kMaxRemovableDepth : kMaxRemovableDepthBefore7;
    if (depth < 0 || depth > highest) return;
    if (clip->parent()) {
        if (DisplayList* list = clip->parent()->children()) list->remove(clip->depth());
        return;
    }
    // A level's root that swapDepths moved to a depth of the scripts' goes like a clip there,
    // at once and without unload events.
    if (std::shared_ptr<MovieClip> root = context.removeLevel(level)) {
        root->detach();
        context.retainUntilDrained(root);
    }
}

namespace {

template <bool play>
Value goToFrameMethod(Machine& m, Object* self, std::span<const Value> args) {
    if (MovieClip* clip = clipOf(m, self)) goToFrame(m, *clip, arg(args, 0), play);
    return Value();
}

Value clipStartDrag(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* object = m.displayObjectOf(Value(self));
    if (!object) return Value();
    std::optional<DragLimits> limits;
    if (args.size() >= 5)
        limits = DragLimits{m.toNumber(args[1]), m.toNumber(args[2]), m.toNumber(args[3]),
                            m.toNumber(args[4])};
    startDrag(m, *object, m.toBoolean(arg(args, 0)), limits);
    return Value();
}

Value clipStopDrag(Machine& m, Object*, std::span<const Value>) {
    stopDrag(m);
    return Value();
}

Value clipPlay(Machine& m, Object* self, std::span<const Value>) {
    if (MovieClip* clip = clipOf(m, self)) clip->play();
    return Value();
}

Value clipStop(Machine& m, Object* self, std::span<const Value>) {
    if (MovieClip* clip = clipOf(m, self)) clip->stop();
    return Value();
}

template <int delta>
Value stepFrame(Machine& m, Object* self, std::span<const Value>) {
    if (MovieClip* clip = clipOf(m, self)) {
        clip->gotoFrame(clip->currentFrame() + delta);
        clip->stop();
    }
    return Value();
}

Value depthOf(Machine& m, Object* self, std::span<const Value>) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    return d ? Value(static_cast<double>(d->depth() - kFirstScriptDepth)) : Value();
}

Value removeThis(Machine& m, Object* self, std::span<const Value>) {
    removeClip(m, self);
    return Value();
}

Value swfVersionOf(Machine& m, Object* self, std::span<const Value>) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d) return Value();
    MovieClip* clip = d->asMovieClip();
    if (clip && clip->loadFailed()) return Value(-1.0);
    int version = clip ? clip->swfVersion() : m.swfVersion();
    return Value(version > 0 ? static_cast<double>(version) : -1.0);  // -1: a picture
}

template <bool total>
Value bytesOf(Machine& m, Object* self, std::span<const Value>) {
    MovieClip* clip = clipOf(m, self);
    if (!clip) return Value();
    // A failed load has loaded nothing, of a size not known.
    if (clip->loadFailed()) return Value(total ? -1.0 : 0.0);
    // A clip a script made empty has nothing loaded.
    if (!clip->loadedMovie() && !clip->character() && !isMainTimeline(m, clip)) return Value(0.0);
    const SwfHeader& header = clip->ownerMovie()->header;
    return Value(total ? header.bytesTotal() : header.bytesLoaded());
}

Value clipDuplicate(Machine& m, Object* self, std::span<const Value> args) {
    std::string name = m.toString(arg(args, 0));
    double depth = m.toNumber(arg(args, 1));
    return duplicateClip(m, self, name, depth, arg(args, 2).asObject());
}

template <bool toGlobal>
Value convertPointMethod(Machine& m, Object* self, std::span<const Value> args) {
    return convertPoint(m, self, args, toGlobal);
}

Value clipCreateTextField(Machine& m, Object* self, std::span<const Value> args) {
    MovieClip* clip = clipOf(m, self);
    return clip ? createTextField(m, *clip, args) : Value();
}

Value clipTextSnapshot(Machine& m, Object* self, std::span<const Value>) {
    // Made through the global TextSnapshot, whatever a script made of it.
    if (!clipOf(m, self)) return Value();
    const Value args[] = {Value(self)};
    return m.construct(m.get(Value(m.global()), "TextSnapshot"), args);
}

// Loads are answered as the frame ends; the method (GET/POST) would send the clip's
// variables, which a local file does not take.
Value clipLoadMovie(Machine& m, Object* self, std::span<const Value> args) {
    MovieClip* clip = clipOf(m, self);
    ContentRequests* loader = m.context().loader();
    if (!clip || !loader || args.empty()) return Value();
    loader->loadMovie(loadTargetOf(m, *clip), m.toString(args[0]));
    return Value();
}

Value clipUnloadMovie(Machine& m, Object* self, std::span<const Value>) {
    MovieClip* clip = clipOf(m, self);
    ContentRequests* loader = m.context().loader();
    if (clip && loader) loader->unloadMovie(loadTargetOf(m, *clip));
    return Value();
}

Value clipLoadVariables(Machine& m, Object* self, std::span<const Value> args) {
    MovieClip* clip = clipOf(m, self);
    if (clip && !args.empty()) requestVariables(m, loadTargetOf(m, *clip), m.toString(args[0]));
    return Value();
}

constexpr NativeMember kMovieClipMethods[] = {
    method("startDrag", clipStartDrag),
    method("stopDrag", clipStopDrag),
    method("gotoAndPlay", goToFrameMethod<true>),
    method("gotoAndStop", goToFrameMethod<false>),
    method("play", clipPlay),
    method("stop", clipStop),
    method("nextFrame", stepFrame<1>),
    method("prevFrame", stepFrame<-1>),
    method("getDepth", depthOf),
    method("getSWFVersion", swfVersionOf),
    method("getBytesLoaded", bytesOf<false>),
    method("getBytesTotal", bytesOf<true>),
    method("removeMovieClip", removeThis),
    method("duplicateMovieClip", clipDuplicate),
    method("createEmptyMovieClip", createEmptyMovieClip).numbered(901, 0).since(6),
    method("attachMovie", attachMovie),
    method("getNextHighestDepth", getNextHighestDepth),
    method("getInstanceAtDepth", getInstanceAtDepth),
    method("swapDepths", swapDepths),
    method("getBounds", boundsFor),
    method("getRect", boundsFor),
    method("hitTest", hitTest),
    method("localToGlobal", convertPointMethod<true>),
    method("globalToLocal", convertPointMethod<false>),
    method("setMask", setMask),
    method("createTextField", clipCreateTextField),
    method("getTextSnapshot", clipTextSnapshot),
    method("loadMovie", clipLoadMovie),
    method("unloadMovie", clipUnloadMovie),
    method("loadVariables", clipLoadVariables),
};

constexpr NativeMember kClipTabIndex[] = {
    accessor("tabIndex", readTabIndex, writeTabIndex, kDontEnum),
};

constexpr NativeMember kButtonTabIndex[] = {
    accessor("tabIndex", readTabIndex, writeTabIndex, 0),
};

constexpr NativeMember kButtonDepthMethods[] = {
    method("getDepth", depthOf, 0),
};

// Unlike a clip's, these show in for..in, and in every version.
constexpr NativeMember kButtonScale9Grid[] = {
    accessor("scale9Grid", getScale9Grid, setScale9Grid, 0),
};
constexpr NativeMember kButtonPlacementAccessors[] = {
    accessor("cacheAsBitmap", getCacheAsBitmap, setCacheAsBitmap, 0),
    accessor("blendMode", getBlendMode, setBlendMode, 0),
};

constexpr NativeMember kTextFieldDepthMethods[] = {
    method("getDepth", depthOf).since(6),
    method("removeTextField", removeThis).since(6),
};

}  // namespace

void installMovieClipClass(Machine& m) {
    Object* proto = m.newObject();
    m.prototypes().movieClip = proto;
    m.prototypes().button = m.newObject();
    m.prototypes().textField = m.newObject();
    installClass(m, m.global(), proto, {"MovieClip", native::thisObject, nullptr, {}, {}, {}});
    installClass(m, m.global(), m.prototypes().button,
                 {"Button", native::thisObject, nullptr, {}, {}, {}});
    installClass(m, m.global(), m.prototypes().textField,
                 {"TextField", native::thisObject, nullptr, {}, {}, {}});
    installDrawingMethods(m, proto);
    // The methods go in the player's order; a text field's getDepth comes right after the
    // clip's.
    std::span<const NativeMember> methods = kMovieClipMethods;
    installMembers(m, proto, methods.first(9));
    installMembers(m, m.prototypes().textField, kTextFieldDepthMethods);
    installMembers(m, proto, methods.subspan(9));
    installMembers(m, proto, kPlacementAccessors);
    // A clip's tabIndex is hidden from for..in, a button's shows as a text field's does.
    installMembers(m, proto, kClipTabIndex);
    proto->defineOwn("enabled", Property{Value(true), nullptr, nullptr, kDontEnum});
    proto->defineOwn("useHandCursor", Property{Value(true), nullptr, nullptr, kDontEnum});
    // A button's members all show in for..in; newest first, as it lists them.
    Object* button = m.prototypes().button;
    button->defineOwn("useHandCursor", Property{Value(true), nullptr, nullptr, 0});
    button->defineOwn("enabled", Property{Value(true), nullptr, nullptr, 0});
    installMembers(m, button, kButtonDepthMethods);
    installMembers(m, button, kButtonScale9Grid);
    installButtonFilters(m, button);
    installMembers(m, button, kButtonPlacementAccessors);
    installMembers(m, button, kButtonTabIndex);
}

}  // namespace swf::avm1
