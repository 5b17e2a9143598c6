#include "swf/avm2/Heap.h"

#include <algorithm>

namespace swf::avm2 {

void Marker::drain() {
    while (!pending_.empty()) {
        Object* object = pending_.back();
        pending_.pop_back();
        object->trace(*this);
    }
}

RootSet::RootSet(Heap& heap) : heap_(heap) {
    heap_.roots_.push_back(this);
}

RootSet::~RootSet() {
    auto& roots = heap_.roots_;
    roots.erase(std::find(roots.begin(), roots.end(), this));
}

Heap::~Heap() = default;

void Heap::collect() {
    Marker marker;
    for (const RootSet* root : roots_) root->markRoots(marker);
    marker.drain();
    std::erase_if(weakHolders_, [](Object* holder) { return !holder->marked_; });
    for (Object* holder : weakHolders_) holder->forgetUnreachable();
    std::vector<std::unique_ptr<Object>> kept;
    kept.reserve(objects_.size());
    for (auto& object : objects_) {
        if (object->marked_) {
            object->marked_ = false;
            kept.push_back(std::move(object));
        }
    }
    objects_ = std::move(kept);
}

}  // namespace swf::avm2
