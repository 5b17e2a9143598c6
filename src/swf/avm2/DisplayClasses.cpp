// flash.display's DisplayObject, InteractiveObject, DisplayObjectContainer, Sprite, Shape,
// Stage and LoaderInfo, working on the engine's display objects.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "swf/avm2/DisplayClasses.h"
#include "swf/avm2/GeomClasses.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/avm2/SceneClasses.h"
#include "swf/avm2/TextClasses.h"
#include "swf/display/DisplayList.h"
#include "swf/display/EditTextInstance.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/geom/Geometry.h"

namespace swf::avm2 {

namespace {

using Accessor = std::function<Value(Machine&, DisplayHandle&, swf::DisplayObject&)>;
using Setter = std::function<void(Machine&, DisplayHandle&, swf::DisplayObject&, const Value&)>;

swf::DisplayObject& displayOf(Machine& m, DisplayHandle& handle) {
    if (swf::DisplayObject* object = handle.display()) return *object;
    if (swf::MovieClip* root = bridgeOf(m).context().root()) return *root;  // the stage stands for its root
    m.throwError("Error", 2012, "This display object has no content.");
}

void defineDisplayAccessor(Machine& m, ClassObject* cls, const std::string& name, Accessor get, Setter set = nullptr) {
    NativeFunction setter;
    if (set)
        setter = [set](Machine& m, const Value& self, std::span<const Value> args) {
            DisplayHandle& h = nativeSelf<DisplayHandle>(m, self);
            set(m, h, displayOf(m, h), argAt(args, 0));
            return Value();
        };
    m.defineAccessor(cls, name, [get](Machine& m, const Value& self, std::span<const Value>) {
        DisplayHandle& h = nativeSelf<DisplayHandle>(m, self);
        return get(m, h, displayOf(m, h));
    }, setter);
}

// Scales and rotation as the matrix holds them.
struct Placement {
    double scaleX, scaleY, rotation;  // rotation in degrees
};

Placement placementOf(const Matrix& mx) {
    Placement p{std::hypot(mx.a, mx.b), std::hypot(mx.c, mx.d), std::atan2(mx.b, mx.a) * 180 / std::numbers::pi};
    if (mx.determinant() < 0) p.scaleY = -p.scaleY;
    return p;
}

void setPlacement(swf::DisplayObject& object, const Placement& p) {
    Matrix mx = object.matrix();
    double r = p.rotation * std::numbers::pi / 180;
    mx.a = p.scaleX * std::cos(r);
    mx.b = p.scaleX * std::sin(r);
    mx.c = -p.scaleY * std::sin(r);
    mx.d = p.scaleY * std::cos(r);
    object.setMatrix(mx);
    object.setScriptMoved();
}

// The pointer in the object's own space, in twips.
Point pointerIn(Machine& m, swf::DisplayObject& o) {
    Matrix toStage;
    for (swf::DisplayObject* at = &o; at; at = at->parent()) toStage = at->matrix() * toStage;
    return toStage.inverted().apply(bridgeOf(m).context().input().mouse);
}

double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

void installDisplayObject(Machine& m, ClassObject* cls) {
    cls->allocate = [](Machine& m, ClassObject* c) { return bridgeOf(m).allocate(c); };
    cls->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value>) {
        bridgeOf(m).initialize(nativeSelf<DisplayHandle>(m, self));
        return Value();
    };
    defineDisplayAccessor(m, cls, "x", [](Machine&, DisplayHandle&, swf::DisplayObject& o) {
        return Value::number((o.matrix().tx + o.boxOffset().x) / kTwipsPerPixel);
    }, [](Machine& m, DisplayHandle&, swf::DisplayObject& o, const Value& v) {
        Matrix mx = o.matrix();
        mx.tx = std::round(finiteOr(m.toNumber(v), 0) * kTwipsPerPixel) - o.boxOffset().x;
        o.setMatrix(mx);
        o.setScriptMoved();
    });
    defineDisplayAccessor(m, cls, "y", [](Machine&, DisplayHandle&, swf::DisplayObject& o) {
        return Value::number((o.matrix().ty + o.boxOffset().y) / kTwipsPerPixel);
    }, [](Machine& m, DisplayHandle&, swf::DisplayObject& o, const Value& v) {
        Matrix mx = o.matrix();
        mx.ty = std::round(finiteOr(m.toNumber(v), 0) * kTwipsPerPixel) - o.boxOffset().y;
        o.setMatrix(mx);
        o.setScriptMoved();
    });
    defineDisplayAccessor(m, cls, "scaleX", [](Machine&, DisplayHandle&, swf::DisplayObject& o) {
        return Value::number(placementOf(o.matrix()).scaleX);
    }, [](Machine& m, DisplayHandle&, swf::DisplayObject& o, const Value& v) {
        Placement p = placementOf(o.matrix());
        p.scaleX = finiteOr(m.toNumber(v), p.scaleX);
        setPlacement(o, p);
    });
    defineDisplayAccessor(m, cls, "scaleY", [](Machine&, DisplayHandle&, swf::DisplayObject& o) {
        return Value::number(placementOf(o.matrix()).scaleY);
    }, [](Machine& m, DisplayHandle&, swf::DisplayObject& o, const Value& v) {
        Placement p = placementOf(o.matrix());
        p.scaleY = finiteOr(m.toNumber(v), p.scaleY);
        setPlacement(o, p);
    });
    defineDisplayAccessor(m, cls, "rotation", [](Machine&, DisplayHandle&, swf::DisplayObject& o) {
        return Value::number(placementOf(o.matrix()).rotation);
    }, [](Machine& m, DisplayHandle&, swf::DisplayObject& o, const Value& v) {
        Placement p = placementOf(o.matrix());
        double degrees = std::fmod(finiteOr(m.toNumber(v), 0), 360.0);
        if (degrees > 180) degrees -= 360;
        if (degrees < -180) degrees += 360;
        p.rotation = degrees;
        setPlacement(o, p);
    });
    defineDisplayAccessor(m, cls, "alpha", [](Machine&, DisplayHandle&, swf::DisplayObject& o) {
        return Value::number(o.colorTransform().aMul / 256.0);
    }, [](Machine& m, DisplayHandle&, swf::DisplayObject& o, const Value& v) {
        ColorTransform c = o.colorTransform();
        c.aMul = static_cast<int32_t>(std::clamp(finiteOr(m.toNumber(v), 0), -128.0, 128.0) * 256);
        o.setColorTransform(c);
        o.setScriptMoved();
    });
    defineDisplayAccessor(m, cls, "visible", [](Machine&, DisplayHandle&, swf::DisplayObject& o) {
        return Value::boolean(o.visible());
    }, [](Machine&, DisplayHandle&, swf::DisplayObject& o, const Value& v) { o.setVisible(Machine::toBoolean(v)); });
    // A mask limits the object to what the mask's fills cover; the mask is drawn only as one.
    // A timeline's mask layers keep to the timeline's masking: set as a mask or given one, they
    // change nothing.
    defineDisplayAccessor(m, cls, "mask", [](Machine& m, DisplayHandle&, swf::DisplayObject& o) {
        swf::DisplayObject* mask = o.scriptMask();
        return mask ? bridgeOf(m).valueOf(mask) : Value::null();
    }, [](Machine&, DisplayHandle&, swf::DisplayObject& o, const Value& v) {
        auto* handle = dynamic_cast<DisplayHandle*>(v.asObject());
        swf::DisplayObject* mask = handle ? handle->display() : nullptr;
        if (o.clipDepth() > 0 || (mask && mask->clipDepth() > 0)) return;
        o.setScriptMask(mask);
    });
    defineDisplayAccessor(m, cls, "name", [](Machine&, DisplayHandle& h, swf::DisplayObject& o) {
        return h.display() ? Value::string(o.name()) : Value::null();
    }, [](Machine& m, DisplayHandle&, swf::DisplayObject& o, const Value& v) {
        if (o.placedByTimeline())
            m.throwError("Error", 2078, "The name property of a Timeline-placed object cannot be modified.");
        o.setName(m.toString(v));
    });
    defineDisplayAccessor(m, cls, "parent", [](Machine& m, DisplayHandle& h, swf::DisplayObject&) {
        return bridgeOf(m).parentOf(h);
    });
    defineDisplayAccessor(m, cls, "stage", [](Machine& m, DisplayHandle& h, swf::DisplayObject& o) {
        if (!h.display() || o.onStage()) return Value::object(bridgeOf(m).stage());
        return Value::null();
    });
    defineDisplayAccessor(m, cls, "root", [](Machine& m, DisplayHandle&, swf::DisplayObject& o) {
        return o.onStage() ? bridgeOf(m).valueOf(bridgeOf(m).context().root()) : Value::null();
    });
    defineDisplayAccessor(m, cls, "width", [](Machine&, DisplayHandle&, swf::DisplayObject& o) {
        Rect b = o.boundsInParent();
        return Value::number(b.xMin > b.xMax ? 0 : (b.xMax - b.xMin) / kTwipsPerPixel);
    }, [](Machine& m, DisplayHandle&, swf::DisplayObject& o, const Value& v) {
        // A text field's size is its box, which TextField's own properties set; it never scales.
        Rect b = o.localBounds();
        double width = finiteOr(m.toNumber(v), -1);
        if (b.xMin > b.xMax || b.xMax == b.xMin || width < 0 || o.isEditText()) return;
        Placement p = placementOf(o.matrix());
        p.scaleX = width * kTwipsPerPixel / (b.xMax - b.xMin);
        setPlacement(o, p);
    });
    defineDisplayAccessor(m, cls, "height", [](Machine&, DisplayHandle&, swf::DisplayObject& o) {
        Rect b = o.boundsInParent();
        return Value::number(b.yMin > b.yMax ? 0 : (b.yMax - b.yMin) / kTwipsPerPixel);
    }, [](Machine& m, DisplayHandle&, swf::DisplayObject& o, const Value& v) {
        Rect b = o.localBounds();
        double height = finiteOr(m.toNumber(v), -1);
        if (b.yMin > b.yMax || b.yMax == b.yMin || height < 0 || o.isEditText()) return;
        Placement p = placementOf(o.matrix());
        p.scaleY = height * kTwipsPerPixel / (b.yMax - b.yMin);
        setPlacement(o, p);
    });
    defineDisplayAccessor(m, cls, "loaderInfo", [](Machine& m, DisplayHandle& h, swf::DisplayObject& o) {
        StageBridge& bridge = bridgeOf(m);
        if (!o.onStage()) return Value::null();
        // The stage's info reports the same movie but hears none of the main timeline's events.
        DisplayHandle* root = h.display() ? bridge.handleOf(*bridge.context().root()) : &h;
        if (!root) return Value::null();
        if (!root->loaderInfo) root->loaderInfo = newMainLoaderInfo(m);
        return Value::object(root->loaderInfo);
    });
    defineDisplayAccessor(m, cls, "mouseX", [](Machine& m, DisplayHandle&, swf::DisplayObject& o) {
        return Value::number(std::round(pointerIn(m, o).x / kTwipsPerPixel));
    });
    defineDisplayAccessor(m, cls, "mouseY", [](Machine& m, DisplayHandle&, swf::DisplayObject& o) {
        return Value::number(std::round(pointerIn(m, o).y / kTwipsPerPixel));
    });
}

void installStage(Machine& m, ClassObject* stage) {
    auto frameSize = [](Machine& m) { return bridgeOf(m).context().movie().header.frameSize; };
    m.defineAccessor(stage, "stageWidth", [frameSize](Machine& m, const Value&, std::span<const Value>) {
        Rect r = frameSize(m);
        return Value::number(std::round((r.xMax - r.xMin) / kTwipsPerPixel));
    }, [](Machine&, const Value&, std::span<const Value>) { return Value(); });
    m.defineAccessor(stage, "stageHeight", [frameSize](Machine& m, const Value&, std::span<const Value>) {
        Rect r = frameSize(m);
        return Value::number(std::round((r.yMax - r.yMin) / kTwipsPerPixel));
    }, [](Machine&, const Value&, std::span<const Value>) { return Value(); });
    m.defineAccessor(stage, "frameRate", [](Machine& m, const Value&, std::span<const Value>) {
        return Value::number(bridgeOf(m).context().movie().header.frameRate);
    }, [](Machine&, const Value&, std::span<const Value>) { return Value(); });
    static constexpr const char* kScaleModes[] = {"showAll", "noBorder", "exactFit", "noScale"};
    m.defineAccessor(stage, "scaleMode", [](Machine& m, const Value&, std::span<const Value>) {
        int mode = std::clamp(bridgeOf(m).context().scaleMode(), 0, 3);
        return Value::string(kScaleModes[mode]);
    }, [](Machine& m, const Value&, std::span<const Value> args) {
        std::string mode = m.toString(argAt(args, 0));
        for (int i = 0; i < 4; ++i)
            if (mode == kScaleModes[i]) bridgeOf(m).context().setScaleMode(i);
        return Value();
    });
    m.defineAccessor(stage, "align", [](Machine& m, const Value&, std::span<const Value>) {
        return Value::string(bridgeOf(m).context().stageAlign());
    }, [](Machine& m, const Value&, std::span<const Value> args) {
        std::string edges;
        for (char c : m.toString(argAt(args, 0))) {
            char e = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (std::string_view("TBLR").find(e) != std::string_view::npos && edges.find(e) == std::string::npos)
                edges += e;
        }
        // The player reports the edges in this order.
        std::string ordered;
        for (char e : std::string_view("TBLR"))
            if (edges.find(e) != std::string::npos) ordered += e;
        bridgeOf(m).context().setStageAlign(ordered);
        return Value();
    });
    m.defineAccessor(stage, "quality", [](Machine&, const Value&, std::span<const Value>) {
        return Value::string("HIGH");
    }, [](Machine&, const Value&, std::span<const Value>) { return Value(); });
    m.defineAccessor(stage, "focus", [](Machine& m, const Value&, std::span<const Value>) {
        return bridgeOf(m).valueOf(bridgeOf(m).focus());
    }, [](Machine& m, const Value&, std::span<const Value> args) {
        auto* handle = dynamic_cast<DisplayHandle*>(argAt(args, 0).asObject());
        bridgeOf(m).setFocus(handle ? handle->display() : nullptr);
        return Value();
    });
    // The stage is placed by no one: what would place, name, show or order it throws, its
    // value read as the display object's.
    for (const char* name : {"alpha", "focusRect", "height", "mask", "name", "rotation", "scaleX", "scaleY",
                             "tabEnabled", "tabIndex", "visible", "width", "x", "y"}) {
        const Binding* inherited = stage->instanceTraits->find(m.namespaces().publicNs(), name);
        if (!inherited) continue;
        Binding refused = *inherited;
        refused.setter = m.newNative([](Machine& m, const Value&, std::span<const Value>) -> Value {
            m.throwError("Error", 2071, "The Stage class does not implement this property or method.");
        }, 1);
        stage->instanceTraits->bind(m.namespaces().publicNs(), name, refused);
    }
    defineNativeMethod(m, stage, "invalidate", [](Machine&, const Value&, std::span<const Value>) { return Value(); });
    for (const char* name : {"StageScaleMode", "StageAlign", "StageQuality"}) m.defineClass("flash.display", name, m.builtins().object);
    ClassObject* scaleModes = m.findClass("flash.display::StageScaleMode");
    defineConstants(m, scaleModes, {{"SHOW_ALL", "showAll"}, {"NO_BORDER", "noBorder"}, {"EXACT_FIT", "exactFit"}, {"NO_SCALE", "noScale"}});
    ClassObject* aligns = m.findClass("flash.display::StageAlign");
    defineConstants(m, aligns, {{"TOP", "T"}, {"BOTTOM", "B"}, {"LEFT", "L"}, {"RIGHT", "R"}, {"TOP_LEFT", "TL"},
                                {"TOP_RIGHT", "TR"}, {"BOTTOM_LEFT", "BL"}, {"BOTTOM_RIGHT", "BR"}});
    ClassObject* qualities = m.findClass("flash.display::StageQuality");
    defineConstants(m, qualities, {{"LOW", "low"}, {"MEDIUM", "medium"}, {"HIGH", "high"}, {"BEST", "best"}});
}

// Flags of the handle a script reads and sets as they are.
void defineHandleFlag(Machine& m, ClassObject* cls, const char* name, bool DisplayHandle::*flag) {
    m.defineAccessor(cls, name, [flag](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(nativeSelf<DisplayHandle>(m, self).*flag);
    }, [flag](Machine& m, const Value& self, std::span<const Value> args) {
        nativeSelf<DisplayHandle>(m, self).*flag = Machine::toBoolean(argAt(args, 0));
        return Value();
    });
}

void installInteractiveFlags(Machine& m, ClassObject* interactive) {
    defineHandleFlag(m, interactive, "mouseEnabled", &DisplayHandle::mouseEnabled);
    defineHandleFlag(m, interactive, "doubleClickEnabled", &DisplayHandle::doubleClickEnabled);
    m.defineAccessor(interactive, "tabEnabled", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(tabEnabledOf(m, nativeSelf<DisplayHandle>(m, self)));
    }, [](Machine& m, const Value& self, std::span<const Value> args) {
        nativeSelf<DisplayHandle>(m, self).tabEnabled = Machine::toBoolean(argAt(args, 0));
        return Value();
    });
    m.defineAccessor(interactive, "focusRect", [](Machine& m, const Value& self, std::span<const Value>) {
        std::optional<bool> shown = nativeSelf<DisplayHandle>(m, self).focusRect;
        return shown ? Value::boolean(*shown) : Value::null();
    }, [](Machine& m, const Value& self, std::span<const Value> args) {
        Value shown = argAt(args, 0);
        nativeSelf<DisplayHandle>(m, self).focusRect =
            shown.isNullish() ? std::nullopt : std::optional<bool>(Machine::toBoolean(shown));
        return Value();
    });
    m.defineAccessor(interactive, "tabIndex", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(nativeSelf<DisplayHandle>(m, self).tabIndex);
    }, [](Machine& m, const Value& self, std::span<const Value> args) {
        int index = m.toInt(argAt(args, 0));
        if (index < -1) m.throwError("RangeError", 2006, "The supplied index is out of bounds.");
        nativeSelf<DisplayHandle>(m, self).tabIndex = index;
        return Value();
    });
}

}  // namespace

bool tabEnabledOf(Machine& m, const DisplayHandle& handle) {
    if (handle.tabEnabled) return *handle.tabEnabled;
    auto isA = [&](const char* name) {
        ClassObject* cls = m.findClass(name);
        return cls && handle.classObject() && handle.classObject()->isSubclassOf(cls);
    };
    if (isA("flash.display::SimpleButton")) return true;
    if (auto* field = dynamic_cast<const EditTextInstance*>(handle.display())) return field->field().settings().editable;
    return handle.buttonMode && isA("flash.display::Sprite");
}

void installDisplayClasses(Machine& m) {
    installEventClasses(m);
    installGeomClasses(m);
    ClassObject* dispatcher = m.findClass("flash.events::EventDispatcher");
    ClassObject* displayObject = m.defineClass("flash.display", "DisplayObject", dispatcher);
    installDisplayObject(m, displayObject);
    installDisplayGeometry(m, displayObject);
    ClassObject* interactive = m.defineClass("flash.display", "InteractiveObject", displayObject);
    installInteractiveFlags(m, interactive);
    installTextFormatClasses(m);
    installTextField(m, interactive);
    installFontClass(m);
    ClassObject* container = m.defineClass("flash.display", "DisplayObjectContainer", interactive);
    defineHandleFlag(m, container, "mouseChildren", &DisplayHandle::mouseChildren);
    defineHandleFlag(m, container, "tabChildren", &DisplayHandle::tabChildren);
    installContainerMethods(m, container);
    ClassObject* sprite = m.defineClass("flash.display", "Sprite", container);
    ClassObject* shape = m.defineClass("flash.display", "Shape", displayObject);
    installGraphics(m, sprite, shape);
    defineHandleFlag(m, sprite, "buttonMode", &DisplayHandle::buttonMode);
    defineHandleFlag(m, sprite, "useHandCursor", &DisplayHandle::useHandCursor);
    ClassObject* clip = m.defineClass("flash.display", "MovieClip", sprite);
    installSceneClasses(m);
    installMovieClipMethods(m, clip);
    ClassObject* button = m.defineClass("flash.display", "SimpleButton", interactive);
    ClassObject* morph = m.defineClass("flash.display", "MorphShape", displayObject);
    // What a script sees of an ActionScript 1 movie it loaded.
    m.defineClass("flash.display", "AVM1Movie", displayObject);
    ClassObject* stage = m.defineClass("flash.display", "Stage", container);
    installStage(m, stage);
    installLoaderClasses(m, container);
    // flash.system.fscommand: "quit" stops the movie, other commands go to the host.
    FunctionObject* fscommand = m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
        bridgeOf(m).context().runFsCommand(m.toString(argAt(args, 0)), args.size() > 1 ? m.toString(args[1]) : "");
        return Value();
    }, 1);
    m.defineGlobal("flash.system", "fscommand", Value::object(fscommand));
    // Their instances take no new properties; MovieClip's do.
    for (ClassObject* sealed : {displayObject, interactive, container, sprite, shape, button, morph, stage})
        sealed->sealed = true;
}

}  // namespace swf::avm2
