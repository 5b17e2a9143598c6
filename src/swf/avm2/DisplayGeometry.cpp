// The geometry of display objects as flash.geom's objects give it: DisplayObject's transform,
// getBounds, getRect, localToGlobal, globalToLocal, hitTestPoint and hitTestObject, and the
// Transform class. Scripts see pixels; the engine keeps twips.
#include <cmath>

#include "swf/avm2/GeomClasses.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/MorphShapeCharacter.h"
#include "swf/movie/ShapeCharacter.h"
#include "swf/shape/ShapeHitTest.h"

namespace swf::avm2 {

namespace {

// The object's matrix with its translation in pixels, as scripts see it.
Matrix inPixels(Matrix mx) {
    mx.tx /= kTwipsPerPixel;
    mx.ty /= kTwipsPerPixel;
    return mx;
}

swf::DisplayObject* displayArg(const Value& v) {
    auto* handle = dynamic_cast<DisplayHandle*>(v.asObject());
    return handle ? handle->display() : nullptr;
}

swf::DisplayObject& ownerOf(Machine& m, const Value& self) {
    auto& part = nativeSelf<DisplayPartObject>(m, self);
    swf::DisplayObject* object = part.owner ? part.owner->display() : nullptr;
    if (!object) m.throwError("Error", 2012, "This display object has no content.");
    return *object;
}

void moved(swf::DisplayObject& object, const Matrix& mx) {
    Matrix twips = mx;
    twips.tx = std::round(mx.tx * kTwipsPerPixel);
    twips.ty = std::round(mx.ty * kTwipsPerPixel);
    object.setMatrix(twips);
    object.setScriptMoved();
}

void installTransform(Machine& m) {
    ClassObject* transform = m.defineClass("flash.geom", "Transform", m.builtins().object);
    transform->sealed = true;
    transform->allocate = [](Machine& m, ClassObject* cls) -> Object* {
        return m.heap().make<DisplayPartObject>(cls, cls->prototype);
    };
    transform->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        auto* owner = dynamic_cast<DisplayHandle*>(argAt(args, 0).asObject());
        if (!owner) m.throwError("TypeError", 2007, "Parameter displayObject must be non-null.");
        nativeSelf<DisplayPartObject>(m, self).owner = owner;
        return Value();
    };
    m.defineAccessor(transform, "matrix", [](Machine& m, const Value& self, std::span<const Value>) {
        return newMatrix(m, inPixels(ownerOf(m, self).matrix()));
    }, [](Machine& m, const Value& self, std::span<const Value> args) {
        if (argAt(args, 0).isObject()) moved(ownerOf(m, self), matrixOf(m, argAt(args, 0)));
        return Value();
    });
    m.defineAccessor(transform, "concatenatedMatrix", [](Machine& m, const Value& self, std::span<const Value>) {
        return newMatrix(m, inPixels(toStage(ownerOf(m, self))));
    });
    m.defineAccessor(transform, "colorTransform", [](Machine& m, const Value& self, std::span<const Value>) {
        return newColorTransform(m, ownerOf(m, self).colorTransform());
    }, [](Machine& m, const Value& self, std::span<const Value> args) {
        if (!argAt(args, 0).isObject()) m.throwError("TypeError", 2007, "Parameter colorTransform must be non-null.");
        swf::DisplayObject& object = ownerOf(m, self);
        object.setColorTransform(colorTransformOf(m, argAt(args, 0)));
        object.setScriptMoved();
        return Value();
    });
    m.defineAccessor(transform, "concatenatedColorTransform", [](Machine& m, const Value& self, std::span<const Value>) {
        ColorTransform c;
        for (const swf::DisplayObject* at = &ownerOf(m, self); at; at = at->parent()) c = at->colorTransform() * c;
        return newColorTransform(m, c);
    });
    m.defineAccessor(transform, "pixelBounds", [](Machine& m, const Value& self, std::span<const Value>) {
        swf::DisplayObject& object = ownerOf(m, self);
        Rect r = transformBounds(object.localBounds(), toStage(object));
        if (r.xMin > r.xMax) return newRectangle(m, 0, 0, 0, 0);
        double x = std::floor(r.xMin / kTwipsPerPixel), y = std::floor(r.yMin / kTwipsPerPixel);
        return newRectangle(m, x, y, std::ceil(r.xMax / kTwipsPerPixel) - x, std::ceil(r.yMax / kTwipsPerPixel) - y);
    });
    m.defineAccessor(transform, "matrix3D", [](Machine&, const Value&, std::span<const Value>) { return Value::null(); },
                     [](Machine&, const Value&, std::span<const Value>) { return Value(); });
}

// The object's extent in `target`'s space (its own when there is none), in pixels.
Value boundsIn(Machine& m, const Value& self, const Value& target) {
    DisplayHandle& handle = nativeSelf<DisplayHandle>(m, self);
    swf::DisplayObject* object = handle.display() ? handle.display() : bridgeOf(m).context().root();
    if (!object) return newRectangle(m, 0, 0, 0, 0);
    swf::DisplayObject* space = displayArg(target);
    // The stage (a display object with no content of its own) measures in stage space.
    bool onStage = !space && dynamic_cast<DisplayHandle*>(target.asObject());
    Matrix toSpace = space ? toStage(*space).inverted() * toStage(*object) : onStage ? toStage(*object) : Matrix{};
    Rect r = transformBounds(object->localBounds(), toSpace);
    if (r.xMin > r.xMax) return newRectangle(m, 0, 0, 0, 0);
    return newRectangle(m, r.xMin / kTwipsPerPixel, r.yMin / kTwipsPerPixel, (r.xMax - r.xMin) / kTwipsPerPixel,
                        (r.yMax - r.yMin) / kTwipsPerPixel);
}

Point pointArg(Machine& m, const Value& v) {
    if (!v.isObject()) m.throwError("TypeError", 2007, "Parameter point must be non-null.");
    Name x = Name::qualified(m.namespaces().publicNs(), "x"), y = Name::qualified(m.namespaces().publicNs(), "y");
    return Point{m.toNumber(m.getProperty(v, x)) * kTwipsPerPixel, m.toNumber(m.getProperty(v, y)) * kTwipsPerPixel};
}

Value pointIn(Machine& m, const Value& self, const Value& point, bool toGlobal) {
    DisplayHandle& handle = nativeSelf<DisplayHandle>(m, self);
    Matrix mx = handle.display() ? toStage(*handle.display()) : Matrix{};
    Point p = (toGlobal ? mx : mx.inverted()).apply(pointArg(m, point));
    return newPoint(m, p.x / kTwipsPerPixel, p.y / kTwipsPerPixel);
}

// The object's extent on the stage (an object off the display list counts from its own top).
Rect stageBounds(const swf::DisplayObject& object) {
    return transformBounds(object.localBounds(), toStage(object));
}

// True when the stage point falls on what the object draws: shapes by their fills and strokes,
// what scripts drew, its children's content, and other objects by their extent.
bool hitsContent(Machine& m, swf::DisplayObject& object, const Matrix& toStageMatrix, Point p, int level) {
    if (level > MovieContext::kMaxNesting) return false;
    if (hitsOwnContent(m, object, toStageMatrix, p)) return true;
    DisplayList* children = object.children();
    if (!children) return false;
    for (const auto& [depth, child] : children->objects())
        if (child->clipDepth() == 0 && hitsContent(m, *child, toStageMatrix * child->matrix(), p, level + 1))
            return true;
    return false;
}

swf::DisplayObject& displaySelf(Machine& m, const Value& self) {
    DisplayHandle& handle = nativeSelf<DisplayHandle>(m, self);
    swf::DisplayObject* object = handle.display() ? handle.display() : bridgeOf(m).context().root();
    if (!object) m.throwError("Error", 2012, "This display object has no content.");
    return *object;
}

}  // namespace

Matrix toStage(const swf::DisplayObject& object) {
    Matrix m;
    for (const swf::DisplayObject* at = &object; at; at = at->parent()) m = at->matrix() * m;
    return m;
}

bool hitsOwnContent(Machine& m, swf::DisplayObject& object, const Matrix& toStageMatrix, Point p) {
    m.chargeSteps(1);
    const auto charge = [&m](size_t units) { m.chargeSteps(units / 16); };
    const double det = std::abs(toStageMatrix.determinant());
    if (det == 0 || !std::isfinite(det)) return false;
    const double pixel = kTwipsPerPixel / std::sqrt(det);
    const Point local = toStageMatrix.inverted().apply(p);
    swf::MovieClip* clip = object.asMovieClip();
    if (const Drawing* drawing = clip ? clip->drawingIfAny() : nullptr;
        drawing && !drawing->empty() && shapeContains(drawing->shape(), local, pixel, charge))
        return true;
    if (object.children()) return false;
    const Character* character = object.character();
    if (character && character->kind() == CharacterKind::Shape)
        return shapeContains(static_cast<const ShapeCharacter*>(character)->shape(), local, pixel, charge);
    if (character && character->kind() == CharacterKind::MorphShape)
        return shapeContains(static_cast<const MorphShapeCharacter*>(character)->shapeAt(object.ratio()), local,
                             pixel, charge);
    return containsPoint(object.localBounds(), local);
}

void installDisplayGeometry(Machine& m, ClassObject* displayObject) {
    installTransform(m);
    m.defineAccessor(displayObject, "transform", [](Machine& m, const Value& self, std::span<const Value>) {
        nativeSelf<DisplayHandle>(m, self);
        return m.construct(Value::object(m.findClass("flash.geom::Transform")), std::span<const Value>(&self, 1));
    }, [](Machine& m, const Value& self, std::span<const Value> args) {
        Value t = argAt(args, 0);
        if (!t.isObject()) m.throwError("TypeError", 2007, "Parameter transform must be non-null.");
        Name matrix = Name::qualified(m.namespaces().publicNs(), "matrix");
        Name color = Name::qualified(m.namespaces().publicNs(), "colorTransform");
        Value target = m.construct(Value::object(m.findClass("flash.geom::Transform")), std::span<const Value>(&self, 1));
        m.setProperty(target, matrix, m.getProperty(t, matrix));
        m.setProperty(target, color, m.getProperty(t, color));
        return Value();
    });
    for (const char* name : {"getBounds", "getRect"})
        defineNativeMethod(m, displayObject, name, [](Machine& m, const Value& self, std::span<const Value> args) {
            return boundsIn(m, self, argAt(args, 0));
        }, 1);
    defineNativeMethod(m, displayObject, "localToGlobal", [](Machine& m, const Value& self, std::span<const Value> args) {
        return pointIn(m, self, argAt(args, 0), true);
    }, 1);
    defineNativeMethod(m, displayObject, "globalToLocal", [](Machine& m, const Value& self, std::span<const Value> args) {
        return pointIn(m, self, argAt(args, 0), false);
    }, 1);
    defineNativeMethod(m, displayObject, "hitTestPoint", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& object = displaySelf(m, self);
        Point p{m.toNumber(argAt(args, 0)) * kTwipsPerPixel, m.toNumber(argAt(args, 1)) * kTwipsPerPixel};
        if (m.toBoolean(argAt(args, 2))) return Value::boolean(hitsContent(m, object, toStage(object), p, 0));
        return Value::boolean(containsPoint(stageBounds(object), p));
    }, 2);
    defineNativeMethod(m, displayObject, "hitTestObject", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& object = displaySelf(m, self);
        swf::DisplayObject* other = displayArg(argAt(args, 0));
        if (!other) m.throwError("TypeError", 2007, "Parameter obj must be non-null.");
        Rect a = stageBounds(object), b = stageBounds(*other);
        return Value::boolean(a.xMin <= a.xMax && b.xMin <= b.xMax && a.xMin <= b.xMax && b.xMin <= a.xMax &&
                              a.yMin <= b.yMax && b.yMin <= a.yMax);
    }, 1);
}

}  // namespace swf::avm2
