#include "convert/SoundQueue.h"

#include <algorithm>

#include "resources/ResultCode.h"

namespace convert {

int32_t SoundQueue::Read(uint8_t* data, uint32_t wanted, uint32_t& read) {
    read = static_cast<uint32_t>(std::min<size_t>(wanted, bytes_.size()));
    const auto end = bytes_.begin() + static_cast<std::ptrdiff_t>(read);
    std::copy(bytes_.begin(), end, data);
    bytes_.erase(bytes_.begin(), end);
    return kResultOk;
}

}  // namespace convert
