#pragma once
// The script object of a display object (movie clip, button, text field). It holds the
// clip's timeline variables and answers the display properties (_x, _name, ...) and the
// children by instance name. It refers to its display object weakly: once that is gone,
// the machine looks the path up again, and a value of a removed clip cannot reach freed memory.
// It also keeps what scripts set that the display object does not hold itself: the scales
// and rotation as given, _lockroot, _focusrect and the mask.

#include <memory>
#include <optional>
#include <string>

#include "swf/avm1/machine/Object.h"
#include "swf/geom/Geometry.h"

namespace swf {
class DisplayObject;
}

namespace swf::avm1 {

// The scales and rotation scripts read. The player keeps them as set (a negative _xscale
// reads back negative, a zero scale keeps its rotation); they are worked out of the matrix
// again once something else changed it.
struct ScriptTransform {
    double xScale = 1;
    double yScale = 1;
    double rotation = 0;  // degrees
    double skew = 0;      // radians from the x axis to the y axis, less a right angle
    Matrix basis;         // the matrix they describe (translation ignored)
    bool valid = false;
};

// Player state scripts reach through the main timeline's properties.
struct PlayerSettings {
    bool focusRect = true;
    int32_t soundBufferTime = 5;
};

class StageObject : public Object {
  public:
    StageObject(Object* proto, std::shared_ptr<DisplayObject> object, std::string path);

    // The display object while it is in a display list (or is the main timeline), else null.
    DisplayObject* displayObject() const;
    bool alive() const { return displayObject() != nullptr; }
    // True while the display object exists at all (it points back here until it dies).
    bool exists() const { return !object_.expired(); }
    // The target path it had when it was made or last renamed ("_level0.a.b").
    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }

    ScriptTransform& scriptTransform() { return transform_; }
    bool lockRoot() const { return lockRoot_; }
    void setLockRoot(bool lock) { lockRoot_ = lock; }
    // _focusrect of a clip, button or text field from SWF 6 on: unset reads as null.
    const std::optional<bool>& focusRect() const { return focusRect_; }
    void setFocusRect(std::optional<bool> value) { focusRect_ = value; }
    // setMask: the clip that masks this one, if any.
    DisplayObject* mask() const;
    void setMask(DisplayObject* mask);
    PlayerSettings& settings() { return settings_; }

    const char* typeOf() const override;
    StageObject* asStageObject() override { return this; }
    bool getSpecial(Machine& machine, std::string_view name, Value& out) override;
    bool setSpecial(Machine& machine, std::string_view name, const Value& value) override;
    // The named children with script objects of their own enumerate with the clip's
    // variables; they are no own properties of it.
    void specialNames(Machine& machine, std::vector<std::string>& names) override;
    bool holdsChild(Machine& machine, std::string_view name) const;

  private:
    std::weak_ptr<DisplayObject> object_;
    std::string path_;
    ScriptTransform transform_;
    bool lockRoot_ = false;
    std::optional<bool> focusRect_;
    PlayerSettings settings_;  // used on the main timeline's object only
};

// What a script sees of a display object: its script object for clips, buttons and text
// fields; shapes, static text and the like are not objects of their own and stand for the
// clip that holds them.
Object* scriptValueOf(Machine& machine, DisplayObject& object);
// The child of `parent` with that instance name as a script value, or null.
Object* childNamed(Machine& machine, DisplayObject& parent, std::string_view name);
// The clip a path names ("_root.a.b", "/a/b", "a.b", ".." for a parent) from the timeline the
// running code acts on, or from the main timeline outside code; its parts read as members so
// that variables holding clips count; null for none.
DisplayObject* clipAtPath(Machine& machine, const std::string& path);
// _root as code of `object` sees it: the nearest clip up the chain with _lockroot set, else
// the main timeline.
Object* rootFor(Machine& machine, DisplayObject* object);
// "_level0", "_flash1", ...: the level's main timeline (or undefined) in `out`; false when
// the name is no level's.
bool levelNamed(Machine& machine, std::string_view name, Value& out);
// The player's settings (focus rectangle, sound buffer), kept with the main timeline.
PlayerSettings& playerSettings(Machine& machine);

}  // namespace swf::avm1
