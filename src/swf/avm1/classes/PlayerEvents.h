#pragma once
// Events the player reports on a later frame (a dialog closing, a load finishing, a
// connection failing): they are queued on the player's own setTimeout, whatever a script made
// of the global one, so they arrive in order on the movie's clock.

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "swf/avm1/machine/Function.h"
#include "swf/avm1/machine/Machine.h"

namespace swf::avm1 {

class PlayerEvents {
  public:
    explicit PlayerEvents(Machine& m) {
        if (Property* p = m.global()->findOwn("setTimeout"))
            if (Object* f = p->value.asObject();
                f && f->asFunction() && f->asFunction()->isNative())
                setTimeout_ = f->asFunction()->native();
    }

    // Calls `callback(args...)` once `delayMs` of movie time passed (0: on the next frame).
    void later(Machine& m, Function* callback, double delayMs,
               std::initializer_list<Value> args) const {
        if (!setTimeout_ || !callback) return;
        std::vector<Value> all{Value(callback), Value(std::max(0.0, std::ceil(delayMs)))};
        all.insert(all.end(), args.begin(), args.end());
        setTimeout_(m, nullptr, all);
    }

  private:
    NativeFunction setTimeout_;
};

}  // namespace swf::avm1
