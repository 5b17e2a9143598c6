#include "swf/avm1/stage/Dragging.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "swf/avm1/stage/DisplayProperties.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/display/DisplayList.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/geom/Geometry.h"

namespace swf::avm1 {
namespace {

// The pointer in the space of the object's parent (the stage for the main timeline).
Point pointerInParent(Machine& machine, DisplayObject& object) {
    Point mouse = machine.context().input().mouse;
    if (!object.parent()) return mouse;
    std::optional<Matrix> toParent = invertMatrix(matrixToStage(*object.parent()));
    return toParent ? toParent->apply(mouse) : mouse;
}

// The clip whose content lies on top under the pointer, leaving out `dragged` and what it
// holds: a clip's own drawing or a shape, static text, ... directly inside it names the clip.
DisplayObject* topmostUnder(Machine& machine, DisplayObject& container, DisplayObject* dragged,
                            int level) {
    DisplayList* children = container.children();
    if (!children || level > MovieContext::kMaxNesting) return nullptr;
    Point mouse = machine.context().input().mouse;
    const auto list = children->snapshot();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const auto& child = *it;
        if (child.get() == dragged || !child->visible() || child->clipDepth() > 0) continue;
        if (child->children()) {
            if (DisplayObject* found = topmostUnder(machine, *child, dragged, level + 1))
                return found;
            // What scripts drew into a clip lies below its children.
            if (hitsOwnDrawing(machine, *child, mouse)) return child.get();
            continue;
        }
        if (hitsContent(machine, *child, mouse)) return &container;
    }
    return nullptr;
}

void updateDropTarget(Machine& machine, DisplayObject& dragged) {
    DragState& drag = machine.context().input().drag;
    drag.dropped = dragged.weak_from_this();
    drag.dropTarget.clear();
    MovieContext& context = machine.context();
    // The higher levels lie on top of the lower ones, _level0 at the bottom.
    std::vector<MovieClip*> levels;
    for (auto it = context.levels().rbegin(); it != context.levels().rend(); ++it)
        if (it->second) levels.push_back(it->second.get());
    if (context.root()) levels.push_back(context.root());
    machine.startActionList();
    try {
        for (MovieClip* level : levels)
            if (DisplayObject* under = topmostUnder(machine, *level, &dragged, 0)) {
                drag.dropTarget = machine.slashPath(*under);
                break;
            }
    } catch (const ScriptLimitError&) {
        // a stage too big to search in one go has no drop target
    }
}

}  // namespace

void startDrag(Machine& machine, DisplayObject& object, bool lockCenter,
               const std::optional<DragLimits>& limits) {
    DragState& drag = machine.context().input().drag;
    drag.object = object.weak_from_this();
    Point pointer = pointerInParent(machine, object);
    drag.offset = lockCenter ? Point{} : Point{object.matrix().tx - pointer.x,
                                               object.matrix().ty - pointer.y};
    drag.constrained = limits.has_value();
    if (limits) {
        drag.left = std::min(limits->left, limits->right) * kTwipsPerPixel;
        drag.right = std::max(limits->left, limits->right) * kTwipsPerPixel;
        drag.top = std::min(limits->top, limits->bottom) * kTwipsPerPixel;
        drag.bottom = std::max(limits->top, limits->bottom) * kTwipsPerPixel;
    }
    // From now on the drag moves it, not the timeline, wherever the pointer is.
    object.setScriptMoved();
    followDrag(machine);
}

void stopDrag(Machine& machine) {
    DragState& drag = machine.context().input().drag;
    if (auto object = drag.object.lock()) updateDropTarget(machine, *object);
    drag.object.reset();
}

void followDrag(Machine& machine) {
    DragState& drag = machine.context().input().drag;
    auto object = drag.object.lock();
    if (!object || !object->onStage() || !machine.context().input().mouseInside) return;
    Point pointer = pointerInParent(machine, *object);
    double x = pointer.x + drag.offset.x, y = pointer.y + drag.offset.y;
    if (drag.constrained) {
        x = std::clamp(x, drag.left, drag.right);
        y = std::clamp(y, drag.top, drag.bottom);
    }
    Matrix m = object->matrix();
    m.tx = std::round(x);
    m.ty = std::round(y);
    object->setMatrix(m);
    object->setScriptMoved();
    updateDropTarget(machine, *object);
}

}  // namespace swf::avm1
