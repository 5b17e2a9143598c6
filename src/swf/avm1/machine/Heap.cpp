#include "swf/avm1/machine/Heap.h"

#include <algorithm>
#include <cctype>

namespace swf::avm1 {

void Marker::drain() {
    while (!pending_.empty()) {
        Object* object = pending_.back();
        pending_.pop_back();
        object->traceReferences(*this);
    }
}

RootLink::RootLink(Heap* heap, Object* object) : object_(object) {
    relink(heap, object);
}

RootLink::~RootLink() {
    unlink();
}

void RootLink::relink(Heap* heap, Object* object) {
    object_ = object;
    if (heap == heap_) return;
    unlink();
    heap_ = heap;
    if (!heap_) return;
    next_ = heap_->roots_;
    if (next_) next_->previous_ = this;
    heap_->roots_ = this;
}

void RootLink::unlink() {
    if (!heap_) return;
    if (previous_)
        previous_->next_ = next_;
    else
        heap_->roots_ = next_;
    if (next_) next_->previous_ = previous_;
    previous_ = next_ = nullptr;
    heap_ = nullptr;
}

Heap::~Heap() {
    objects_.clear();
    // Handles still alive (held by the host past the machine) point nowhere from now on.
    while (roots_) roots_->unlink();
}

std::string Heap::fold(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

void Heap::adopt(std::unique_ptr<Object> object) {
    object->heap_ = this;
    properties_ += 1;
    objects_.push_back(std::move(object));
    ++madeSinceCollection_;
}

void Heap::chargeProperty() {
    if (++properties_ > kMaxProperties)
        throw ScriptLimitError("too many properties: the script made more than the player keeps");
}

void Heap::collect(const std::function<void(Marker&)>& markRoots) {
    Marker marker;
    markRoots(marker);
    for (RootLink* root = roots_; root; root = root->next_) marker.mark(root->object_);
    marker.drain();
    size_t kept = 0;
    size_t properties = 0;
    for (auto& object : objects_) {
        if (object->marked_) {
            object->marked_ = false;
            properties += object->ownCount() + 1;
            objects_[kept++] = std::move(object);
        }
    }
    objects_.resize(kept);
    properties_ = properties;
    lastLive_ = kept;
    madeSinceCollection_ = 0;
}

}  // namespace swf::avm1
