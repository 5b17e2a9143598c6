#include "swf/avm2/DisplayHandle.h"

#include <algorithm>

#include "swf/script/Marker.h"
#include "swf/display/DisplayList.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm2 {

namespace {

// Marks the script objects of the display objects under `object`; one without a script
// object passes the marking on to its own children.
void markChildren(Marker& marker, swf::DisplayObject& object, int depth) {
    DisplayList* children = object.children();
    if (!children || depth > MovieContext::kMaxNesting * 4) return;
    for (const auto& [at, child] : children->objects()) {
        if (Object* script = child->as3Object())
            marker.mark(script);
        else
            markChildren(marker, *child, depth + 1);
    }
}

}  // namespace

bool DispatcherObject::listensTo(const std::string& type) const {
    return std::any_of(listeners.begin(), listeners.end(),
                       [&](const Listener& l) { return l.type == type; });
}

void DispatcherObject::trace(Marker& marker) const {
    Object::trace(marker);
    for (const Listener& l : listeners) marker.mark(l.function);
}

DisplayHandle::~DisplayHandle() {
    if (display_ && display_->as3Object() == this) display_->setAs3Object(nullptr);
}

void DisplayHandle::hold(std::shared_ptr<swf::DisplayObject> object) {
    display_ = std::move(object);
    if (display_) display_->setAs3Object(this);
}

swf::MovieClip* DisplayHandle::clip() const {
    return display_ ? display_->asMovieClip() : nullptr;
}

void DisplayHandle::trace(Marker& marker) const {
    DispatcherObject::trace(marker);
    for (const auto& [frame, script] : frameScripts) marker.mark(script);
    marker.mark(graphics);
    marker.mark(loaderInfo);
    if (display_) {
        if (swf::DisplayObject* parent = display_->parent()) marker.mark(parent->as3Object());
        markChildren(marker, *display_, 0);
    }
}

void LoaderInfoObject::trace(Marker& marker) const {
    DispatcherObject::trace(marker);
    marker.mark(loader);
    marker.mark(content);
}

void DisplayPartObject::trace(Marker& marker) const {
    Object::trace(marker);
    marker.mark(owner);
}

void TimerObject::trace(Marker& marker) const {
    DispatcherObject::trace(marker);
    marker.mark(callback);
    for (const Value& v : arguments) marker.mark(v);
}

void EventObject::trace(Marker& marker) const {
    Object::trace(marker);
    marker.mark(target);
    marker.mark(currentTarget);
    marker.mark(relatedObject);
}

}  // namespace swf::avm2
