#pragma once
// ActionScript 3's mouse events. The host's pointer finds the interactive object under it (the
// stage where there is none) and that object hears mouseMove, mouseDown, mouseUp and click,
// through the capture, target and bubble phases; moving onto another object sends mouseOut
// and rollOut to what it leaves, rollOver and mouseOver to what it reaches.

#include <memory>

#include "swf/geom/Geometry.h"

namespace swf {
class DisplayObject;
class MovieContext;
struct InputEvent;
}  // namespace swf

namespace swf::avm2 {

class Machine;
class StageBridge;

class PointerEvents {
  public:
    PointerEvents(Machine& machine, StageBridge& bridge, MovieContext& context)
        : machine_(machine), bridge_(bridge), context_(context) {}

    void deliver(const InputEvent& event);

  private:
    // What takes the mouse's events at the stage point; null for the stage.
    std::shared_ptr<swf::DisplayObject> targetAt(Point stagePoint);
    // The topmost object under the point that draws there itself.
    swf::DisplayObject* topmostHit(swf::DisplayObject& object, const Matrix& toStage, Point stagePoint, int level);
    bool interactive(const swf::DisplayObject& object);
    bool takesFocus(swf::DisplayObject* object);
    // Sends a MouseEvent of `type` to `target` (the stage for null).
    void send(swf::DisplayObject* target, const char* type, bool bubbles, swf::DisplayObject* related = nullptr);
    // The pointer now stands over `target`: out and over events where that changed.
    void moveOnto(const std::shared_ptr<swf::DisplayObject>& target);

    Machine& machine_;
    StageBridge& bridge_;
    MovieContext& context_;
    Point pointer_;  // stage twips
    bool buttonDown_ = false;
    std::weak_ptr<swf::DisplayObject> hovered_;
    std::weak_ptr<swf::DisplayObject> pressed_;
    bool pressedStage_ = false;  // the press began where nothing took it
    bool secondPress_ = false;   // the press makes a double click
};

}  // namespace swf::avm2
