#pragma once
// The mark phase of a collection: a work list of objects marked but not yet traced, so that
// deep structures (long lists, nested arrays) need no recursion.

#include <vector>

#include "swf/script/Collectable.h"

namespace swf::script {

class Marker {
  public:
    void mark(Collectable* object) {
        if (object && !object->marked_) {
            object->marked_ = true;
            pending_.push_back(object);
        }
    }
    // A machine's script value: marks the object it holds, if any.
    template <class Value>
        requires requires(const Value& value) { value.asObject(); }
    void mark(const Value& value) {
        mark(value.asObject());
    }
    // Traces until every reachable object is marked.
    void drain();

  private:
    std::vector<Collectable*> pending_;
};

}  // namespace swf::script
