#pragma once
// The stage bridge's answers to the machine: display properties, clip duplication and
// removal, dragging, sounds and loads, done by the functions of this folder.

#include "swf/avm1/machine/StageAccess.h"

namespace swf::avm1 {

class StageBridge : public StageAccess {
  public:
    bool getProperty(Machine& machine, DisplayObject& object, std::string_view name,
                     Value& out) override;
    bool setProperty(Machine& machine, DisplayObject& object, std::string_view name,
                     const Value& value) override;
    Value getPropertyByIndex(Machine& machine, Object& object, int index) override;
    void setPropertyByIndex(Machine& machine, Object* object, int index,
                            const Value& value) override;
    void duplicateClip(Machine& machine, Object* source, std::string_view name,
                       double depth) override;
    void removeClip(Machine& machine, Object* clip) override;
    void startDrag(Machine& machine, DisplayObject& object, bool lockCenter,
                   const std::optional<DragLimits>& limits) override;
    void stopDrag(Machine& machine) override;
    void stopSounds(Machine& machine) override;
    void load(Machine& machine, const std::string& url, int level, DisplayObject* object,
              bool variables) override;
};

}  // namespace swf::avm1
