#include "swf/script/Marker.h"

namespace swf::script {

void Marker::drain() {
    while (!pending_.empty()) {
        Collectable* object = pending_.back();
        pending_.pop_back();
        object->trace(*this);
    }
}

}  // namespace swf::script
