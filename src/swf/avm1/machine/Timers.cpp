#include "swf/avm1/machine/Timers.h"

#include <algorithm>
#include <cmath>

#include "swf/avm1/machine/Activation.h"
#include "swf/avm1/machine/Heap.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {

Value Timers::setInterval(Machine& m, Object*, std::span<const Value> args) {
    return m.timers().add(m, args, true);
}

Value Timers::setTimeout(Machine& m, Object*, std::span<const Value> args) {
    return m.timers().add(m, args, false);
}

Value Timers::clear(Machine& m, Object*, std::span<const Value> args) {
    if (!args.empty()) m.timers().remove(m.toInt32(args[0]));
    return Value();
}

namespace {

constexpr NativeMember kTimerFunctions[] = {
    native::method("setInterval", Timers::setInterval),
    native::method("setTimeout", Timers::setTimeout),
    native::method("clearInterval", Timers::clear),
    native::method("clearTimeout", Timers::clear),
};

}  // namespace

void Timers::install(Machine& m) {
    installMembers(m, m.global(), kTimerFunctions);
}

Value Timers::add(Machine& m, std::span<const Value> args, bool repeats) {
    if (args.empty()) return Value();
    Object* target = args[0].asObject();
    if (!target) return Value();
    Timer timer;
    size_t next = 1;
    if (target->asFunction()) {
        timer.object = target;
    } else {
        if (args.size() < 2) return Value();
        timer.object = target;
        timer.method = Value(m.toString(args[1]));
        next = 2;
    }
    if (next >= args.size()) return Value();
    double interval = m.toNumber(args[next]);
    if (!(interval >= 0)) interval = 0;
    timer.intervalMs = interval;
    timer.arguments.assign(args.begin() + static_cast<long>(next) + 1, args.end());
    timer.dueMs = m.frameTimeMs() + std::max(interval, 1.0);
    timer.repeats = repeats;
    if (timers_.size() >= kMaxTimers) return Value();
    timer.id = nextId_++;
    timers_.push_back(std::move(timer));
    return Value(static_cast<double>(timers_.back().id));
}

bool Timers::remove(int id) {
    auto it = std::find_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
    if (it == timers_.end()) return false;
    timers_.erase(it);
    return true;
}

void Timers::runDue(Machine& m, const std::function<void()>& afterEach) {
    Timers& self = m.timers();
    // The timers run as the frame's time passes: those due before the next frame fire now.
    double now = m.frameTimeMs() + m.context().movie().header.frameIntervalMs();
    std::vector<int> due;
    for (const Timer& t : self.timers_)
        if (t.dueMs <= now) due.push_back(t.id);
    for (int id : due) {
        for (int firing = 0; firing < kMaxFiringsPerTick && !m.tickExhausted(); ++firing) {
            auto it = std::find_if(self.timers_.begin(), self.timers_.end(),
                                   [id](const Timer& t) { return t.id == id; });
            if (it == self.timers_.end() || it->dueMs > now) break;
            Timer timer = *it;
            if (timer.repeats)
                it->dueMs += std::max(timer.intervalMs, 1.0);
            else
                self.timers_.erase(it);
            m.startActionList();
            Activation::runGuarded(m, [&] {
                if (timer.method.isUndefined())
                    m.call(Value(timer.object), nullptr, timer.arguments);
                else
                    m.call(m.get(Value(timer.object), m.toString(timer.method)), timer.object,
                           timer.arguments);
            });
            afterEach();
            if (!timer.repeats) break;
        }
    }
}

void Timers::traceRoots(script::Marker& marker) const {
    for (const Timer& t : timers_) {
        marker.mark(t.object);
        for (const Value& v : t.arguments) marker.mark(v);
    }
}

}  // namespace swf::avm1
