#pragma once
// setInterval, setTimeout and their clear functions, on the movie's clock: a conversion that
// runs faster or slower than real time sees the timers fire at the same frames.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "swf/avm1/machine/Value.h"
#include "swf/script/Collectable.h"

namespace swf::avm1 {

class Machine;
class Object;

class Timers {
  public:
    static constexpr size_t kMaxTimers = 10000;
    static constexpr int kMaxFiringsPerTick = 16;

    static void install(Machine& machine);
    // The global functions, as the table installs them; the player's own events are queued
    // through setTimeout whatever a script made of the global.
    static Value setInterval(Machine& machine, Object* self, std::span<const Value> args);
    static Value setTimeout(Machine& machine, Object* self, std::span<const Value> args);
    static Value clear(Machine& machine, Object* self, std::span<const Value> args);
    // Calls every timer whose time has come (each at most kMaxFiringsPerTick times a tick),
    // and `afterEach` after each call.
    static void runDue(Machine& machine, const std::function<void()>& afterEach);

    void traceRoots(script::Marker& marker) const;
    bool empty() const { return timers_.empty(); }

  private:
    struct Timer {
        int id = 0;
        Object* object = nullptr;  // the function, or the object whose method is called
        Value method;              // the method name, when `object` is not the function
        std::vector<Value> arguments;
        double intervalMs = 0;
        double dueMs = 0;
        bool repeats = true;
    };
    Value add(Machine& machine, std::span<const Value> args, bool repeats);
    bool remove(int id);

    std::vector<Timer> timers_;
    int nextId_ = 1;
};

}  // namespace swf::avm1
