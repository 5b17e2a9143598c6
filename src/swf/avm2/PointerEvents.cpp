#include "swf/avm2/PointerEvents.h"

#include <cmath>
#include <vector>

#include "swf/avm2/DisplayClasses.h"
#include "swf/avm2/DisplayHandle.h"
#include "swf/avm2/GeomClasses.h"
#include "swf/avm2/KeyboardFocus.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/StageBridge.h"
#include "swf/display/DisplayList.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/input/InputEvent.h"

namespace swf::avm2 {

namespace {

DisplayHandle* handleOf(const swf::DisplayObject& object) {
    return dynamic_cast<DisplayHandle*>(object.as3Object());
}

bool holds(const swf::DisplayObject* ancestor, const swf::DisplayObject* object) {
    int level = 0;
    for (const swf::DisplayObject* at = object; at && level <= MovieContext::kMaxNesting * 4; at = at->parent(), ++level)
        if (at == ancestor) return true;
    return false;
}

}  // namespace

void PointerEvents::deliver(const InputEvent& event) {
    if (event.type != InputEvent::Type::MouseMove && event.type != InputEvent::Type::MouseDown &&
        event.type != InputEvent::Type::MouseUp)
        return;
    if (event.button != InputEvent::Button::Left && event.type != InputEvent::Type::MouseMove) return;
    // The player places the pointer in whole twips.
    pointer_ = Point{std::round(event.x), std::round(event.y)};
    std::shared_ptr<swf::DisplayObject> target = targetAt(pointer_);
    moveOnto(target);
    switch (event.type) {
        case InputEvent::Type::MouseMove:
            send(target.get(), "mouseMove", true);
            break;
        case InputEvent::Type::MouseDown:
            buttonDown_ = true;
            pressed_ = target;
            pressedStage_ = !target;
            secondPress_ = event.clickCount == 2;
            // A press moves the focus to what it is on where that takes the focus (text fields
            // and tab stops), else to nothing.
            if (swf::DisplayObject* next = takesFocus(target.get()) ? target.get() : nullptr; next != bridge_.focus())
                bridge_.requestFocus("mouseFocusChange", next, target.get(), 0, KeyboardFocus::shiftDown(context_.input()));
            if (target && !target->onStage()) break;
            send(target.get(), "mouseDown", true);
            break;
        case InputEvent::Type::MouseUp: {
            if (!buttonDown_) break;
            buttonDown_ = false;
            send(target.get(), "mouseUp", true);
            // A click is a press and a release on the same object.
            bool same = target ? pressed_.lock() == target : pressedStage_;
            pressed_.reset();
            pressedStage_ = false;
            // The second click of a double click is a doubleClick where the object asks for it.
            DisplayHandle* handle = target ? handleOf(*target) : nullptr;
            bool doubled = secondPress_ && handle && handle->doubleClickEnabled;
            if (same) send(target.get(), doubled ? "doubleClick" : "click", true);
            break;
        }
        default: break;
    }
}

std::shared_ptr<swf::DisplayObject> PointerEvents::targetAt(Point stagePoint) {
    swf::MovieClip* root = context_.root();
    if (!root) return nullptr;
    swf::DisplayObject* hit = topmostHit(*root, root->matrix(), stagePoint, 0);
    // The target is the nearest interactive object that takes the mouse, above the hit, under
    // no container whose children do not take it (that container takes it, if it does).
    swf::DisplayObject* target = nullptr;
    int level = 0;
    for (swf::DisplayObject* at = hit; at && level <= MovieContext::kMaxNesting * 4; at = at->parent(), ++level) {
        DisplayHandle* handle = handleOf(*at);
        if (handle && !handle->mouseChildren && target != at) target = nullptr;
        if (!target && handle && handle->mouseEnabled && interactive(*at)) target = at;
    }
    return target ? target->shared_from_this() : nullptr;
}

swf::DisplayObject* PointerEvents::topmostHit(swf::DisplayObject& object, const Matrix& toStageMatrix, Point stagePoint,
                                              int level) {
    if (level > MovieContext::kMaxNesting || !object.visible()) return nullptr;
    if (DisplayList* children = object.children()) {
        auto list = children->snapshot();
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            swf::DisplayObject& child = **it;
            if (child.clipDepth() > 0) continue;  // a mask layer takes no mouse
            if (swf::DisplayObject* hit = topmostHit(child, toStageMatrix * child.matrix(), stagePoint, level + 1))
                return hit;
        }
    }
    return hitsOwnContent(machine_, object, toStageMatrix, stagePoint) ? &object : nullptr;
}

bool PointerEvents::takesFocus(swf::DisplayObject* object) {
    DisplayHandle* handle = object ? handleOf(*object) : nullptr;
    return handle && (object->isEditText() || tabEnabledOf(machine_, *handle));
}

bool PointerEvents::interactive(const swf::DisplayObject& object) {
    DisplayHandle* handle = handleOf(object);
    ClassObject* cls = bridge_.displayClass("flash.display::InteractiveObject");
    return handle && cls && handle->classObject() && handle->classObject()->isSubclassOf(cls);
}

void PointerEvents::send(swf::DisplayObject* target, const char* type, bool bubbles, swf::DisplayObject* related) {
    Object* script = target ? target->as3Object() : bridge_.stage();
    if (!script) return;
    EventObject* event = bridge_.newEvent(type, bubbles, "flash.events::MouseEvent");
    event->stageX = pointer_.x / kTwipsPerPixel;
    event->stageY = pointer_.y / kTwipsPerPixel;
    Point local = target ? toStage(*target).inverted().apply(pointer_) : pointer_;
    event->localX = local.x / kTwipsPerPixel;
    event->localY = local.y / kTwipsPerPixel;
    event->buttonDown = buttonDown_;
    KeyboardFocus::fillModifiers(*event, context_.input());
    event->relatedObject = related ? related->as3Object() : nullptr;
    bridge_.runScript([&] { bridge_.dispatch(script, event); });
}

void PointerEvents::moveOnto(const std::shared_ptr<swf::DisplayObject>& target) {
    std::shared_ptr<swf::DisplayObject> old = hovered_.lock();
    if (old == target) return;
    hovered_ = target;
    if (old && old->onStage()) {
        send(old.get(), "mouseOut", true, target.get());
        // rollOut to what was under the pointer and no longer holds it, innermost first.
        int level = 0;
        for (swf::DisplayObject* at = old.get(); at && level <= MovieContext::kMaxNesting * 4; at = at->parent(), ++level)
            if (!holds(at, target.get()) && interactive(*at)) send(at, "rollOut", false, target.get());
    }
    if (!target) return;
    // rollOver to what newly holds the pointer, outermost first.
    std::vector<swf::DisplayObject*> reached;
    int level = 0;
    for (swf::DisplayObject* at = target.get(); at && level <= MovieContext::kMaxNesting * 4; at = at->parent(), ++level)
        if (!holds(at, old.get()) && interactive(*at)) reached.push_back(at);
    for (auto it = reached.rbegin(); it != reached.rend(); ++it) send(*it, "rollOver", false, old.get());
    send(target.get(), "mouseOver", true, old.get());
}

}  // namespace swf::avm2
