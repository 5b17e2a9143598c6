#include "player/SystemTime.h"

#include <chrono>

namespace player {

uint32_t SystemTimeMs() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

}  // namespace player
