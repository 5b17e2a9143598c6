#pragma once
// The script object of a display object (movie clip, button, text field). It holds the
// clip's timeline variables and answers the display properties (_x, _name, ...) and the
// children by instance name. It refers to its display object weakly: once that is gone,
// the machine looks the path up again, and a value of a removed clip cannot reach freed memory.

#include <memory>
#include <string>

#include "swf/avm1/Object.h"

namespace swf {
class DisplayObject;
}

namespace swf::avm1 {

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

    const char* typeOf() const override;
    StageObject* asStageObject() override { return this; }
    bool getSpecial(Machine& machine, std::string_view name, Value& out) override;
    bool setSpecial(Machine& machine, std::string_view name, const Value& value) override;

  private:
    std::weak_ptr<DisplayObject> object_;
    std::string path_;
};

}  // namespace swf::avm1
