#pragma once
// What the machine asks of the stage bridge: the display properties its stage objects and the
// property actions answer, and the actions that change the stage. The machine knows display
// objects only through this, so it can be built and tested without the bridge.

#include <optional>
#include <string>
#include <string_view>

#include "swf/avm1/machine/Value.h"

namespace swf {
class DisplayObject;
}

namespace swf::avm1 {

class Machine;
class Object;

// startDrag's rectangle, in pixels of the object's parent.
struct DragLimits {
    double left = 0, top = 0, right = 0, bottom = 0;
};

class StageAccess {
  public:
    virtual ~StageAccess() = default;

    // A property by name (_x, _alpha, a text field's _width, ...); false when it is none.
    virtual bool getProperty(Machine& machine, DisplayObject& object, std::string_view name,
                             Value& out) = 0;
    virtual bool setProperty(Machine& machine, DisplayObject& object, std::string_view name,
                             const Value& value) = 0;
    // GetProperty and SetProperty: the property by its number; a set without a target still
    // converts the value.
    virtual Value getPropertyByIndex(Machine& machine, Object& object, int index) = 0;
    virtual void setPropertyByIndex(Machine& machine, Object* object, int index,
                                    const Value& value) = 0;
    virtual void duplicateClip(Machine& machine, Object* source, std::string_view name,
                               double depth) = 0;
    virtual void removeClip(Machine& machine, Object* clip) = 0;
    virtual void startDrag(Machine& machine, DisplayObject& object, bool lockCenter,
                           const std::optional<DragLimits>& limits) = 0;
    virtual void stopDrag(Machine& machine) = 0;
    virtual void stopSounds(Machine& machine) = 0;
    // GetURL2 into a level (`object` null) or a clip or text field: a movie, or variables.
    virtual void load(Machine& machine, const std::string& url, int level, DisplayObject* object,
                      bool variables) = 0;
};

}  // namespace swf::avm1
