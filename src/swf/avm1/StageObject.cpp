#include "swf/avm1/StageObject.h"

#include "swf/avm1/DisplayProperties.h"
#include "swf/avm1/Machine.h"
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

const char* StageObject::typeOf() const {
    DisplayObject* object = displayObject();
    if (object && !object->asMovieClip()) return "object";
    return "movieclip";
}

bool StageObject::getSpecial(Machine& machine, std::string_view name, Value& out) {
    DisplayObject* object = displayObject();
    if (!object) return false;
    if (DisplayList* children = object->children(); children && !object->isButton()) {
        for (const auto& [depth, child] : children->objects())
            if (!child->name().empty() && machine.namesEqual(child->name(), name)) {
                out = Value(machine.stageObject(*child));
                return true;
            }
    }
    if (name.empty() || name[0] != '_') return false;
    if (machine.namesEqual(name, "_parent")) {
        DisplayObject* parent = object->parent();
        out = parent ? Value(machine.stageObject(*parent)) : Value();
        return true;
    }
    if (machine.namesEqual(name, "_root") || machine.namesEqual(name, "_level0")) {
        MovieClip* root = machine.context().root();
        out = root ? Value(machine.stageObject(*root)) : Value();
        return true;
    }
    if (machine.namesEqual(name, "_global")) {
        out = Value(machine.global());
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
    if (auto index = displayPropertyIndex(machine, name)) {
        setDisplayProperty(machine, *object, *index, value);
        return true;
    }
    return false;
}

}  // namespace swf::avm1
