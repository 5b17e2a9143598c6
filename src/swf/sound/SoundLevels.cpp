#include "swf/sound/SoundLevels.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace swf {
namespace {

// The player keeps levels in 32 bits: sums past them wrap.
int32_t wrap(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

}  // namespace

int32_t SoundLevels::truncated(double v) {
    if (std::isnan(v) || v >= 2147483648.0 || v <= -2147483649.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

void SoundLevels::setPan(int32_t pan) {
    ll = pan >= 0 ? wrap(100 - int64_t{pan}) : 100;
    rr = pan >= 0 ? 100 : wrap(100 + int64_t{pan});
    lr = 0;
    rl = 0;
}

// The pan is read back from whichever side was turned down.
int32_t SoundLevels::pan() const {
    if (ll != 100) return wrap(100 - std::llabs(int64_t{ll}));
    return wrap(std::llabs(int64_t{rr}) - 100);
}

}  // namespace swf
