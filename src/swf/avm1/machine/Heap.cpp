#include "swf/avm1/machine/Heap.h"

namespace swf::avm1 {

Heap::Heap(int swfVersion)
    : script::Heap(kMaxObjects, "too many objects: the script made more than the player keeps"),
      swfVersion_(swfVersion) {}

void Heap::chargeProperty() {
    if (++properties_ > kMaxProperties)
        throw ScriptLimitError("too many properties: the script made more than the player keeps");
}

void Heap::collect() {
    script::Heap::collect();
    size_t properties = 0;
    // This heap makes only ActionScript 1/2 objects.
    forEachObject([&](const script::Collectable& object) {
        properties += static_cast<const Object&>(object).ownCount() + 1;
    });
    properties_ = properties;
}

}  // namespace swf::avm1
