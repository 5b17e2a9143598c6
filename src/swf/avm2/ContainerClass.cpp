// flash.display.DisplayObjectContainer: the child list of a display object as an ordered
// list, over the engine's list ordered by depth.
#include <algorithm>

#include "swf/avm2/DisplayClasses.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/display/DisplayList.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm2 {

namespace {

// The container a handle stands for: the stage's children go to the main timeline.
swf::DisplayObject& containerOf(Machine& m, const Value& self) {
    DisplayHandle& handle = nativeSelf<DisplayHandle>(m, self);
    swf::DisplayObject* object = handle.display() ? handle.display() : bridgeOf(m).context().root();
    if (!object || !object->children()) m.throwError("Error", 2012, "This display object holds no children.");
    return *object;
}

std::vector<std::shared_ptr<swf::DisplayObject>> childrenOf(swf::DisplayObject& container) {
    return container.children()->snapshot();
}

DisplayHandle& childArgument(Machine& m, std::span<const Value> args, const char* parameter = "child") {
    auto* child = dynamic_cast<DisplayHandle*>(argAt(args, 0).asObject());
    if (!child || !child->display())
        m.throwError("TypeError", 2007, std::string("Parameter ") + parameter + " must be non-null.");
    return *child;
}

size_t indexArgument(Machine& m, const Value& v, size_t limit) {
    double index = m.toNumber(v);
    if (!(index >= 0) || index > static_cast<double>(limit))
        m.throwError("RangeError", 2006, "The supplied index is out of bounds.");
    return static_cast<size_t>(index);
}

size_t indexOfChild(Machine& m, swf::DisplayObject& container, swf::DisplayObject& child) {
    auto list = childrenOf(container);
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == &child) return i;
    m.throwError("ArgumentError", 2025, "The supplied DisplayObject must be a child of the caller.");
}

void removeFrom(Machine& m, swf::DisplayObject& container, swf::DisplayObject& child) {
    StageBridge& bridge = bridgeOf(m);
    auto keep = child.shared_from_this();
    if (Object* script = child.as3Object()) bridge.dispatch(script, bridge.newEvent("removed", true));
    if (child.onStage()) bridge.announceStage(child, "removedFromStage");
    if (child.parent() == &container) container.children()->takeOut(child.depth());
}

void addAt(Machine& m, swf::DisplayObject& container, DisplayHandle& handle, size_t index) {
    swf::DisplayObject& child = *handle.display();
    for (swf::DisplayObject* up = &container; up; up = up->parent())
        if (up == &child)
            m.throwError("ArgumentError", up == &container ? 2024 : 2150,
                         up == &container ? "An object cannot be added as a child of itself."
                                          : "An object cannot be added as a child to one of it's children (or children's children, etc.).");
    auto keep = child.shared_from_this();
    if (swf::DisplayObject* old = child.parent(); old && old != &container) removeFrom(m, *old, child);
    auto order = childrenOf(container);
    std::erase(order, keep);
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(std::min(index, order.size())), keep);
    bool arriving = child.parent() != &container;
    container.children()->restack(order);
    if (!arriving) return;
    StageBridge& bridge = bridgeOf(m);
    bridge.dispatch(&handle, bridge.newEvent("added", true));
    if (child.onStage()) bridge.announceStage(child, "addedToStage");
}

}  // namespace

void installContainerMethods(Machine& m, ClassObject* container) {
    m.defineAccessor(container, "numChildren", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(static_cast<double>(containerOf(m, self).children()->size()));
    });
    ClassObject* p = container;
    defineNativeMethod(m, p, "addChild", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& c = containerOf(m, self);
        DisplayHandle& child = childArgument(m, args);
        addAt(m, c, child, c.children()->size());
        return args[0];
    }, 1);
    defineNativeMethod(m, p, "addChildAt", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& c = containerOf(m, self);
        DisplayHandle& child = childArgument(m, args);
        addAt(m, c, child, indexArgument(m, argAt(args, 1), c.children()->size()));
        return args[0];
    }, 2);
    defineNativeMethod(m, p, "removeChild", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& c = containerOf(m, self);
        DisplayHandle& child = childArgument(m, args);
        indexOfChild(m, c, *child.display());
        removeFrom(m, c, *child.display());
        return args[0];
    }, 1);
    defineNativeMethod(m, p, "removeChildAt", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& c = containerOf(m, self);
        auto list = childrenOf(c);
        size_t index = indexArgument(m, argAt(args, 0), list.size());
        if (index >= list.size()) m.throwError("RangeError", 2006, "The supplied index is out of bounds.");
        Value removed = bridgeOf(m).valueOf(list[index].get());
        removeFrom(m, c, *list[index]);
        return removed;
    }, 1);
    defineNativeMethod(m, p, "removeChildren", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& c = containerOf(m, self);
        auto list = childrenOf(c);
        size_t begin = args.empty() ? 0 : indexArgument(m, args[0], list.size());
        size_t end = args.size() < 2 ? list.size() : indexArgument(m, args[1], list.size()) + 1;
        for (size_t i = begin; i < std::min(end, list.size()); ++i) removeFrom(m, c, *list[i]);
        return Value();
    });
    defineNativeMethod(m, p, "getChildAt", [](Machine& m, const Value& self, std::span<const Value> args) {
        auto list = childrenOf(containerOf(m, self));
        size_t index = indexArgument(m, argAt(args, 0), list.size());
        if (index >= list.size()) m.throwError("RangeError", 2006, "The supplied index is out of bounds.");
        return bridgeOf(m).valueOf(list[index].get());
    }, 1);
    defineNativeMethod(m, p, "getChildByName", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& c = containerOf(m, self);
        return bridgeOf(m).valueOf(c.children()->named(m.toString(argAt(args, 0)), true));
    }, 1);
    defineNativeMethod(m, p, "getChildIndex", [](Machine& m, const Value& self, std::span<const Value> args) {
        return Value::number(static_cast<double>(indexOfChild(m, containerOf(m, self), *childArgument(m, args).display())));
    }, 1);
    defineNativeMethod(m, p, "setChildIndex", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& c = containerOf(m, self);
        DisplayHandle& child = childArgument(m, args);
        indexOfChild(m, c, *child.display());
        size_t count = c.children()->size();
        size_t index = indexArgument(m, argAt(args, 1), count);
        if (index >= count) m.throwError("RangeError", 2006, "The supplied index is out of bounds.");
        addAt(m, c, child, index);
        return Value();
    }, 2);
    auto swapAt = [](Machine& m, swf::DisplayObject& c, size_t a, size_t b) {
        auto order = childrenOf(c);
        if (a >= order.size() || b >= order.size()) m.throwError("RangeError", 2006, "The supplied index is out of bounds.");
        std::swap(order[a], order[b]);
        c.children()->restack(order);
    };
    defineNativeMethod(m, p, "swapChildren", [swapAt](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& c = containerOf(m, self);
        auto* a = dynamic_cast<DisplayHandle*>(argAt(args, 0).asObject());
        auto* b = dynamic_cast<DisplayHandle*>(argAt(args, 1).asObject());
        if (!a || !b || !a->display() || !b->display()) m.throwError("TypeError", 2007, "Parameter child must be non-null.");
        swapAt(m, c, indexOfChild(m, c, *a->display()), indexOfChild(m, c, *b->display()));
        return Value();
    }, 2);
    defineNativeMethod(m, p, "swapChildrenAt", [swapAt](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& c = containerOf(m, self);
        size_t count = c.children()->size();
        swapAt(m, c, indexArgument(m, argAt(args, 0), count), indexArgument(m, argAt(args, 1), count));
        return Value();
    }, 2);
    defineNativeMethod(m, p, "contains", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject& c = containerOf(m, self);
        auto* child = dynamic_cast<DisplayHandle*>(argAt(args, 0).asObject());
        if (!child) m.throwError("TypeError", 2007, "Parameter child must be non-null.");
        for (swf::DisplayObject* up = child->display(); up; up = up->parent())
            if (up == &c) return Value::boolean(true);
        return Value::boolean(false);
    }, 1);
}

}  // namespace swf::avm2
