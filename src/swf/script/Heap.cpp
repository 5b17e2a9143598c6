#include "swf/script/Heap.h"

#include "swf/script/Marker.h"

namespace swf::script {

Heap::~Heap() {
    objects_.clear();
    // Roots still alive (handles held by the host past the machine) point nowhere from now on.
    while (roots_) roots_->unlink();
}

void Heap::collect() {
    Marker marker;
    for (const RootLink* root = roots_; root; root = root->next_) root->markRoots(marker);
    marker.drain();
    std::erase_if(weakHolders_, [](const Collectable* holder) { return !holder->marked_; });
    for (Collectable* holder : weakHolders_) holder->forgetUnreachable();
    size_t kept = 0;
    for (auto& object : objects_) {
        if (object->marked_) {
            object->marked_ = false;
            objects_[kept++] = std::move(object);
        }
    }
    objects_.resize(kept);
    lastLive_ = kept;
    madeSinceCollection_ = 0;
}

}  // namespace swf::script
