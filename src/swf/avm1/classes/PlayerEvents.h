#pragma once
// Events the player reports on a later frame (a dialog closing, a load finishing, a
// connection failing): they are queued on the player's own setTimeout, whatever a script made
// of the global one, so they arrive in order on the movie's clock.

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeRegistry.h"
#include "swf/avm1/machine/Timers.h"

namespace swf::avm1::player {

// Calls `callback(args...)` once `delayMs` of movie time passed (0: on the next frame); false
// when the movie has as many timers as it may.
inline bool later(Machine& m, NativeCode callback, double delayMs,
                  std::initializer_list<Value> args) {
    std::vector<Value> all{Value(m.newFunction(callback)), Value(std::max(0.0, std::ceil(delayMs)))};
    all.insert(all.end(), args.begin(), args.end());
    return !Timers::setTimeout(m, nullptr, all).isUndefined();
}

}  // namespace swf::avm1::player
