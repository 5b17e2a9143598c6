#pragma once
// The heap of the ActionScript 1/2 machine: the shared collector, plus what this machine keeps
// of its own: the version of the code running, by which objects compare names and hide
// properties, and a bound on the properties of all objects together.

#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "swf/avm1/machine/Object.h"
#include "swf/script/Heap.h"

namespace swf::avm1 {

using script::Rooted;
using script::RootsOf;
using script::ScriptLimitError;

class Heap : public script::Heap {
  public:
    static constexpr size_t kMaxObjects = 4'000'000;
    static constexpr size_t kMaxProperties = 40'000'000;

    explicit Heap(int swfVersion);

    int swfVersion() const { return swfVersion_; }
    void setSwfVersion(int version) { swfVersion_ = version; }
    // Names are compared with case from SWF 7 on.
    bool caseSensitive() const { return swfVersion_ >= 7; }

    // Every object learns its heap, whose version its names follow; it counts as a property.
    template <class T, class... Args>
        requires std::derived_from<T, Object>
    T* make(Args&&... args) {
        T* object = script::Heap::make<T>(std::forward<Args>(args)...);
        object->heap_ = this;
        properties_ += 1;
        return object;
    }
    void chargeProperty();
    // Collects, then counts the properties of the survivors anew.
    void collect();

  private:
    int swfVersion_;
    size_t properties_ = 0;
};

}  // namespace swf::avm1
