#pragma once
// What the built-in classes keep for a movie beside their objects (whether the pointer is
// shown, the selection, the prototype shared objects get, ...): one state of each type, made
// the first time it is asked for.

#include <memory>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "swf/script/Heap.h"

namespace swf::avm1 {

class BuiltinStates {
  public:
    // `heap` is the machine's: a state made from it keeps its objects in rooted handles.
    explicit BuiltinStates(script::Heap& heap) : heap_(heap) {}

    template <class State>
    State& get() {
        for (const Slot& slot : states_)
            if (slot.type == typeid(State)) return *static_cast<State*>(slot.object.get());
        std::shared_ptr<State> made;
        if constexpr (std::is_constructible_v<State, script::Heap&>)
            made = std::make_shared<State>(heap_);
        else
            made = std::make_shared<State>();
        states_.push_back({typeid(State), made});
        return *made;
    }

  private:
    struct Slot {
        std::type_index type;
        std::shared_ptr<void> object;
    };
    script::Heap& heap_;
    std::vector<Slot> states_;
};

}  // namespace swf::avm1
