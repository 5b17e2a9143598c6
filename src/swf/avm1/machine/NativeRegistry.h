#pragma once
// The player numbers its built-in functions (table, index) and lets movies fetch them by
// number (ASnative, ASconstructor, ASSetNative). The registry of one machine holds the
// numbered functions its classes installed, and the state those classes keep for the movie.

#include <compare>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/avm1/machine/BuiltinStates.h"
#include "swf/avm1/machine/Value.h"
#include "swf/script/Heap.h"

namespace swf::avm1 {

class Machine;
class Object;

// A native function's body as the built-in tables declare it.
using NativeCode = Value (*)(Machine&, Object* self, std::span<const Value> args);
// Makes the object `new` hands to a native constructor.
using InstanceCode = Object* (*)(Machine&, Object* prototype);

struct NativeNumber {
    int table = -1;  // -1: the player gives the function no number
    int index = 0;
    constexpr bool given() const { return table >= 0; }
    auto operator<=>(const NativeNumber&) const = default;
};

class NativeRegistry {
  public:
    struct Entry {
        NativeNumber number;
        NativeCode code = nullptr;
        InstanceCode maker = nullptr;
    };

    // `heap` is the machine's: the states that hold its objects root them through it.
    explicit NativeRegistry(script::Heap& heap) : states_(heap) {}

    // A later entry of the same number replaces the earlier.
    void add(NativeNumber number, NativeCode code, InstanceCode maker = nullptr);
    // What every index of `table` without a function of its own runs (the table's code
    // answers any number).
    void addTableDefault(int table, NativeCode code);
    // The function numbered (table, index), the table's default, or null.
    const Entry* find(int table, int index) const;
    std::span<const Entry> entries() const { return entries_; }

    // What a built-in keeps for the movie whatever code asks (the pointer, the selection,
    // ...); the code of the tables is shared by every movie.
    template <class State>
    State& state() {
        return states_.get<State>();
    }

  private:
    std::vector<Entry> entries_;
    std::vector<Entry> tableDefaults_;  // index 0 in each
    BuiltinStates states_;
};

}  // namespace swf::avm1
