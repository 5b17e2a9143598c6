#include "swf/avm1/MovieClipClass.h"

#include <cmath>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/Machine.h"
#include "swf/avm1/NumberConversion.h"
#include "swf/avm1/StageObject.h"
#include "swf/action/ActionRunner.h"
#include "swf/display/ClipEvent.h"
#include "swf/display/DisplayObjectFactory.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {
namespace {

constexpr int kDepthOffset = 16384;  // timeline depths are script depths plus this
constexpr double kMaxScriptDepth = 2130690045;

Value arg(std::span<const Value> args, size_t i) {
    return i < args.size() ? args[i] : Value();
}

MovieClip* clipOf(Machine& m, Object* self) {
    return m.movieClipOf(Value(self));
}

void copyInit(Machine& m, Object* init, Object* target) {
    if (!init || !target) return;
    for (const std::string& name : m.enumerate(init)) m.set(Value(target), name, m.get(Value(init), name));
}

// Makes a display object for a character and starts it at `depth` of `parent`.
Value placeNew(Machine& m, MovieClip& parent, std::shared_ptr<DisplayObject> object,
               std::string_view name, double depth, Object* init) {
    if (!object || std::isnan(depth) || depth < -kDepthOffset || depth > kMaxScriptDepth)
        return Value();
    object->setName(std::string(name));
    object->setDepth(static_cast<int>(depth) + kDepthOffset);
    parent.placeAndStart(object, true);
    StageObject* stage = m.stageObject(*object);
    copyInit(m, init, stage);
    if (ActionRunner* runner = m.context().runner()) runner->runClipEvent(*object, kClipConstruct);
    return Value(stage);
}

}  // namespace

int frameIndex(Machine& m, MovieClip& clip, const Value& frame) {
    if (frame.isString()) {
        double n = stringToNumber(frame.asString(), m.swfVersion());
        if (!std::isnan(n)) return static_cast<int>(n) - 1;
        return clip.timeline().findLabel(frame.asString());
    }
    double n = m.toNumber(frame);
    if (std::isnan(n)) return -1;
    return static_cast<int>(std::clamp(std::trunc(n), -1.0, 1e9)) - 1;
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
    if (!original || !original->parent() || !original->character()) return Value();
    MovieClip* parent = original->parent()->asMovieClip();
    if (!parent) return Value();
    auto copy = DisplayObjectFactory::make(m.context(), original->sharedCharacter(),
                                           parent->nesting());
    if (!copy) return Value();
    copy->setMatrix(original->matrix());
    copy->setColorTransform(original->colorTransform());
    copy->setClipActions(original->clipActions());
    return placeNew(m, *parent, std::move(copy), name, depth, init);
}

void removeClip(Machine& m, Object* object) {
    DisplayObject* clip = m.displayObjectOf(Value(object));
    if (!clip || !clip->parent() || clip->depth() < kDepthOffset) return;
    if (DisplayList* list = clip->parent()->children()) list->remove(clip->depth());
}

void installMovieClipClass(Machine& m) {
    Object* proto = m.newObject();
    m.prototypes().movieClip = proto;
    m.prototypes().button = m.newObject();
    m.prototypes().textField = m.newObject();
    m.defineClass(m.global(), "MovieClip", proto,
                  [](Machine&, Object* self, std::span<const Value>) { return Value(self); });
    m.defineClass(m.global(), "Button", m.prototypes().button,
                  [](Machine&, Object* self, std::span<const Value>) { return Value(self); });
    m.defineClass(m.global(), "TextField", m.prototypes().textField,
                  [](Machine&, Object* self, std::span<const Value>) { return Value(self); });

    auto gotoMethod = [](bool play) {
        return [play](Machine& m, Object* self, std::span<const Value> args) {
            if (MovieClip* clip = clipOf(m, self)) goToFrame(m, *clip, arg(args, 0), play);
            return Value();
        };
    };
    m.defineMethod(proto, "gotoAndPlay", gotoMethod(true));
    m.defineMethod(proto, "gotoAndStop", gotoMethod(false));
    m.defineMethod(proto, "play", [](Machine& m, Object* self, std::span<const Value>) {
        if (MovieClip* clip = clipOf(m, self)) clip->play();
        return Value();
    });
    m.defineMethod(proto, "stop", [](Machine& m, Object* self, std::span<const Value>) {
        if (MovieClip* clip = clipOf(m, self)) clip->stop();
        return Value();
    });
    auto step = [](int delta) {
        return [delta](Machine& m, Object* self, std::span<const Value>) {
            if (MovieClip* clip = clipOf(m, self)) {
                clip->gotoFrame(clip->currentFrame() + delta);
                clip->stop();
            }
            return Value();
        };
    };
    m.defineMethod(proto, "nextFrame", step(1));
    m.defineMethod(proto, "prevFrame", step(-1));
    m.defineMethod(proto, "getDepth", [](Machine& m, Object* self, std::span<const Value>) {
        DisplayObject* d = m.displayObjectOf(Value(self));
        return d ? Value(static_cast<double>(d->depth() - kDepthOffset)) : Value();
    });
    m.defineMethod(proto, "getSWFVersion", [](Machine& m, Object*, std::span<const Value>) {
        return Value(static_cast<double>(m.swfVersion()));
    });
    auto bytes = [](Machine& m, Object* self, std::span<const Value>) {
        return m.displayObjectOf(Value(self))
                   ? Value(static_cast<double>(m.context().movie().header.declaredLength))
                   : Value();
    };
    m.defineMethod(proto, "getBytesLoaded", bytes);
    m.defineMethod(proto, "getBytesTotal", bytes);
    m.defineMethod(proto, "removeMovieClip", [](Machine& m, Object* self, std::span<const Value>) {
        removeClip(m, self);
        return Value();
    });
    m.defineMethod(proto, "duplicateMovieClip",
                   [](Machine& m, Object* self, std::span<const Value> args) {
                       return duplicateClip(m, self, m.toString(arg(args, 0)),
                                            m.toNumber(arg(args, 1)), arg(args, 2).asObject());
                   });
    m.defineMethod(proto, "createEmptyMovieClip",
                   [](Machine& m, Object* self, std::span<const Value> args) {
                       MovieClip* parent = clipOf(m, self);
                       if (!parent || !m.context().hasRoomForObject()) return Value();
                       if (parent->nesting() + 1 > MovieContext::kMaxNesting) return Value();
                       auto clip = std::make_shared<MovieClip>(m.context(), nullptr, nullptr,
                                                               parent->nesting() + 1);
                       m.context().registerClip(clip);
                       return placeNew(m, *parent, clip, m.toString(arg(args, 0)),
                                       m.toNumber(arg(args, 1)), nullptr);
                   });
    m.defineMethod(proto, "attachMovie", [](Machine& m, Object* self, std::span<const Value> args) {
        MovieClip* parent = clipOf(m, self);
        if (!parent) return Value();
        auto id = m.context().movie().findExport(m.toString(arg(args, 0)));
        if (!id) return Value();
        auto object = DisplayObjectFactory::create(m.context(), m.context().dictionary(), *id,
                                                   parent->nesting());
        if (!object || !object->asMovieClip()) return Value();
        return placeNew(m, *parent, std::move(object), m.toString(arg(args, 1)),
                        m.toNumber(arg(args, 2)), arg(args, 3).asObject());
    });
    m.defineMethod(proto, "getNextHighestDepth", [](Machine& m, Object* self, std::span<const Value>) {
        MovieClip* clip = clipOf(m, self);
        if (!clip) return Value();
        int highest = -1;
        for (const auto& [depth, object] : clip->displayList().objects())
            highest = std::max(highest, depth - kDepthOffset);
        return Value(static_cast<double>(highest + 1));
    });
    m.defineMethod(proto, "getInstanceAtDepth",
                   [](Machine& m, Object* self, std::span<const Value> args) {
                       MovieClip* clip = clipOf(m, self);
                       double depth = m.toNumber(arg(args, 0));
                       if (!clip || std::isnan(depth)) return Value();
                       auto object = clip->displayList().at(static_cast<int>(depth) + kDepthOffset);
                       return object ? Value(m.stageObject(*object)) : Value();
                   });
    m.defineMethod(proto, "swapDepths", [](Machine& m, Object* self, std::span<const Value> args) {
        DisplayObject* object = m.displayObjectOf(Value(self));
        if (!object || !object->parent()) return Value();
        DisplayList* list = object->parent()->children();
        int target = 0;
        if (DisplayObject* other = m.displayObjectOf(arg(args, 0))) {
            if (other->parent() != object->parent()) return Value();
            target = other->depth();
        } else {
            double d = m.toNumber(arg(args, 0));
            if (std::isnan(d) || d < -kDepthOffset || d > kMaxScriptDepth) return Value();
            target = static_cast<int>(d) + kDepthOffset;
        }
        list->swap(object->depth(), target);
        return Value();
    });
}

}  // namespace swf::avm1
