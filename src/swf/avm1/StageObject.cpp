#include "swf/avm1/StageObject.h"

#include "swf/avm1/DisplayProperties.h"
#include "swf/avm1/Machine.h"
#include "swf/avm1/TextFieldClass.h"
#include "swf/display/DisplayList.h"
#include "swf/display/DisplayObject.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {

StageObject::StageObject(Object* proto, std::shared_ptr<DisplayObject> object, std::string path)
    : Object(proto), object_(object), path_(std::move(path)) {}

DisplayObject* StageObject::displayObject() const {
    auto object = object_.lock();
    return object && !object->removed() ? object.get() : nullptr;
}

DisplayObject* StageObject::mask() const {
    auto mask = mask_.lock();
    return mask && !mask->removed() ? mask.get() : nullptr;
}

void StageObject::setMask(DisplayObject* mask) {
    if (mask)
        mask_ = mask->weak_from_this();
    else
        mask_.reset();
}

const char* StageObject::typeOf() const {
    DisplayObject* object = displayObject();
    if (object && !object->asMovieClip()) return "object";
    return "movieclip";
}

Object* scriptValueOf(Machine& machine, DisplayObject& object) {
    if (object.asMovieClip() || object.isButton() || object.isEditText())
        return machine.stageObject(object);
    DisplayObject* parent = object.parent();
    return parent ? scriptValueOf(machine, *parent) : nullptr;
}

Object* childNamed(Machine& machine, DisplayObject& parent, std::string_view name) {
    DisplayList* children = parent.children();
    if (!children || name.empty()) return nullptr;
    // The lowest depth wins when names repeat, as the player searches its list.
    for (const auto& [depth, child] : children->objects())
        if (!child->name().empty() && machine.namesEqual(child->name(), name))
            return scriptValueOf(machine, *child);
    return nullptr;
}

Object* rootFor(Machine& machine, DisplayObject* object) {
    for (int steps = 0; object && steps < 1024; ++steps, object = object->parent()) {
        StageObject* stage = object->scriptObject();
        if (stage && stage->lockRoot() && object->asMovieClip()) return stage;
    }
    MovieClip* root = machine.context().root();
    return root ? machine.stageObject(*root) : nullptr;
}

PlayerSettings& playerSettings(Machine& machine) {
    MovieClip* root = machine.context().root();
    if (root) return machine.stageObject(*root)->settings();
    static PlayerSettings detached;  // only while no movie is loaded
    detached = PlayerSettings{};
    return detached;
}

bool StageObject::getSpecial(Machine& machine, std::string_view name, Value& out) {
    DisplayObject* object = displayObject();
    if (!object) return false;
    if (Object* child = childNamed(machine, *object, name)) {
        out = Value(child);
        return true;
    }
    if (name.empty() || name[0] != '_') return false;
    if (machine.namesEqual(name, "_parent")) {
        DisplayObject* parent = object->parent();
        out = parent ? Value(scriptValueOf(machine, *parent)) : Value();
        return true;
    }
    if (machine.namesEqual(name, "_root")) {
        out = Value(rootFor(machine, object));
        return true;
    }
    if (machine.namesEqual(name, "_level0")) {
        MovieClip* root = machine.context().root();
        out = root ? Value(machine.stageObject(*root)) : Value();
        return true;
    }
    if (machine.namesEqual(name, "_global")) {
        out = Value(machine.global());
        return true;
    }
    if (machine.namesEqual(name, "_lockroot")) {
        if (!object->asMovieClip()) return false;
        out = Value(lockRoot_);
        return true;
    }
    if (auto index = displayPropertyIndex(machine, name)) {
        out = getDisplayProperty(machine, *object, *index);
        return true;
    }
    return false;
}

bool StageObject::setSpecial(Machine& machine, std::string_view name, const Value& value) {
    DisplayObject* object = displayObject();
    if (!object || name.empty() || name[0] != '_') return false;
    if (machine.namesEqual(name, "_lockroot")) {
        if (!object->asMovieClip()) return false;
        lockRoot_ = machine.toBoolean(value);
        return true;
    }
    if (setTextFieldExtent(machine, *object, name, value)) return true;
    if (auto index = displayPropertyIndex(machine, name)) {
        setDisplayProperty(machine, *object, *index, value);
        return true;
    }
    return false;
}

}  // namespace swf::avm1
