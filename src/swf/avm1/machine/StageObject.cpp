#include "swf/avm1/machine/StageObject.h"

#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/TargetPath.h"
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
    DisplayObject* object = displayObject();
    return object ? object->scriptMask() : nullptr;
}

void StageObject::setMask(DisplayObject* mask) {
    if (DisplayObject* object = displayObject()) object->setScriptMask(mask);
}

const char* StageObject::typeOf() const {
    DisplayObject* object = displayObject();
    if (object && !object->asMovieClip()) return "object";
    return "movieclip";
}

Object* scriptValueOf(Machine& machine, DisplayObject& object) {
    DisplayObject* parent = object.parent();
    // Before SWF 6 a button or a text field is no object: scripts reach the clip it is in.
    MovieClip* timeline = parent ? parent->asMovieClip() : nullptr;
    const bool early = timeline && timeline->swfVersion() < 6;
    if (object.asMovieClip() || ((object.isButton() || object.isEditText()) && !early) ||
        object.isVideo())
        return machine.stageObject(object);
    return parent ? scriptValueOf(machine, *parent) : nullptr;
}

Object* childNamed(Machine& machine, DisplayObject& parent, std::string_view name) {
    DisplayList* children = parent.children();
    DisplayObject* child = children ? children->named(name, machine.caseSensitive()) : nullptr;
    return child ? scriptValueOf(machine, *child) : nullptr;
}

DisplayObject* clipAtPath(Machine& machine, const std::string& path) {
    constexpr size_t kMaxPathParts = 1024;
    MovieClip* root = machine.context().root();
    if (path.empty() || !root) return nullptr;
    // A relative path starts at the timeline the running code acts on.
    Value current(machine.runningTarget());
    if (!machine.displayObjectOf(current)) current = Value(machine.stageObject(*root));
    // "/" and _root are the running code's own root: its level's, in a loaded level.
    const Value ownRoot(rootFor(machine, machine.displayObjectOf(current)));
    if (path.front() == '/') current = ownRoot;
    std::string_view rest = path;
    size_t parts = 0;
    while (!rest.empty() && parts++ < kMaxPathParts) {
        std::string_view part = takePathPart(rest);
        if (part.empty()) continue;
        if (machine.namesEqual(part, "_root"))
            current = ownRoot;
        else if (machine.namesEqual(part, "_level0"))
            current = Value(machine.stageObject(*root));
        else
            current = machine.get(current, part == ".." ? std::string_view("_parent") : part);
        if (!current.isObject()) return nullptr;
    }
    return machine.displayObjectOf(current);
}

Object* rootFor(Machine& machine, DisplayObject* object) {
    DisplayObject* top = nullptr;
    for (int steps = 0; object && steps < 1024; ++steps, object = object->parent()) {
        StageObject* stage = object->scriptObject();
        if (stage && stage->lockRoot() && object->asMovieClip()) return stage;
        top = object;
    }
    // The root of a level is _root for everything in that level.
    if (top && machine.context().isLevelRoot(top)) return machine.stageObject(*top);
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

bool levelNamed(Machine& machine, std::string_view name, Value& out) {
    // "_levelN" or "_flashN": the number is read as far as it goes (none is 0) and wraps
    // at 32 bits; a level that is not there reads as undefined.
    if (name.size() < 6) return false;
    std::string_view prefix = name.substr(0, 6);
    if (!machine.namesEqual(prefix, "_level") && !machine.namesEqual(prefix, "_flash")) return false;
    uint32_t number = 0;
    size_t i = 6;
    bool negative = i < name.size() && name[i] == '-';
    if (negative) ++i;
    for (; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i)
        number = number * 10 + static_cast<uint32_t>(name[i] - '0');
    if (negative) number = 0u - number;
    auto level = static_cast<int32_t>(number);
    out = Value();
    MovieContext& context = machine.context();
    if (level == 0) {
        if (MovieClip* root = context.root()) out = Value(machine.stageObject(*root));
    } else if (level > 0) {
        if (MovieClip* clip = context.level(level)) out = Value(machine.stageObject(*clip));
    }
    return true;
}

bool StageObject::getSpecial(Machine& machine, std::string_view name, Value& out) {
    DisplayObject* object = displayObject();
    if (!object) return false;
    // Levels come before children of the same name, children before display properties.
    if (levelNamed(machine, name, out)) return true;
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
    // SWF 5 movies have no _global.
    if (machine.swfVersion() >= 6 && machine.namesEqual(name, "_global")) {
        out = Value(machine.global());
        return true;
    }
    if (machine.namesEqual(name, "_lockroot")) {
        if (!object->asMovieClip()) return false;
        out = Value(lockRoot_);
        return true;
    }
    return machine.stage().getProperty(machine, *object, name, out);
}

void StageObject::specialNames(Machine&, std::vector<std::string>& names) {
    DisplayObject* object = displayObject();
    DisplayList* children = object ? object->children() : nullptr;
    if (!children) return;
    for (const auto& [depth, child] : children->objects())
        if (child && !child->name().empty())
            names.push_back(child->name());
}

bool StageObject::holdsChild(Machine& machine, std::string_view name) const {
    DisplayObject* object = displayObject();
    return object && childNamed(machine, *object, name) != nullptr;
}

bool StageObject::setSpecial(Machine& machine, std::string_view name, const Value& value) {
    DisplayObject* object = displayObject();
    if (!object || name.empty() || name[0] != '_') return false;
    if (machine.namesEqual(name, "_lockroot")) {
        if (!object->asMovieClip()) return false;
        lockRoot_ = machine.toBoolean(value);
        return true;
    }
    return machine.stage().setProperty(machine, *object, name, value);
}

}  // namespace swf::avm1
