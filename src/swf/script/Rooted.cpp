#include "swf/script/Rooted.h"

#include "swf/script/Heap.h"

namespace swf::script {

void RootLink::link(Heap* heap) {
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

}  // namespace swf::script
