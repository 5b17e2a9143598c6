#include "swf/sound/SpeexFrames.h"

#include <iterator>
#include <utility>

namespace swf {
namespace {

// Bits of a narrowband frame by its mode and of a wideband layer by its submode, each with
// its own header (the wideband bit and the mode: 5 bits, 4 for the layer).
constexpr size_t kNarrowbandBits[] = {5, 43, 119, 160, 220, 300, 364, 492, 79};
constexpr size_t kWidebandBits[] = {4, 36, 112, 192, 352};
constexpr uint32_t kTerminator = 15;

class BitCursor {
  public:
    explicit BitCursor(std::span<const uint8_t> data) : data_(data) {}
    size_t left(size_t at) const { return at < data_.size() * 8 ? data_.size() * 8 - at : 0; }
    // `count` bits from bit `at` on, most significant first; the caller checks left().
    uint32_t bits(size_t at, size_t count) const {
        uint32_t v = 0;
        for (size_t i = at; i < at + count; ++i)
            v = (v << 1) | ((data_[i / 8] >> (7 - i % 8)) & 1u);
        return v;
    }
    // True when the rest of the byte holding bit `at` is a packet's padding: a zero, then ones.
    bool padding(size_t at) const {
        const size_t rest = 8 - at % 8;
        return at % 8 != 0 && bits(at, rest) == (1u << (rest - 1)) - 1;
    }

  private:
    std::span<const uint8_t> data_;
};

}  // namespace

std::vector<std::vector<uint8_t>> SpeexFrames::split(std::span<const uint8_t> data) {
    std::vector<std::vector<uint8_t>> frames;
    const BitCursor in(data);
    size_t at = 0;
    while (in.left(at) >= 5) {
        if (in.padding(at)) {
            at += 8 - at % 8;
            continue;
        }
        const uint32_t mode = in.bits(at, 5);  // its first bit, the wideband bit, is 0
        if (mode == kTerminator) {
            at += 5 + (8 - (at + 5) % 8) % 8;
            continue;
        }
        if (mode >= std::size(kNarrowbandBits)) break;  // in-band signalling or not Speex
        size_t length = kNarrowbandBits[mode];
        if (in.left(at + length) >= 4 && in.bits(at + length, 1) == 1) {
            const uint32_t submode = in.bits(at + length + 1, 3);
            if (submode >= std::size(kWidebandBits)) break;
            length += kWidebandBits[submode];
        }
        if (in.left(at) < length) break;
        std::vector<uint8_t> packet((length + 7) / 8, 0);
        for (size_t i = 0; i < length; ++i)
            packet[i / 8] |= static_cast<uint8_t>(in.bits(at + i, 1) << (7 - i % 8));
        // The padding: after a zero bit, ones to the end of the byte.
        for (size_t i = length + 1; i < packet.size() * 8; ++i)
            packet[i / 8] |= static_cast<uint8_t>(1u << (7 - i % 8));
        frames.push_back(std::move(packet));
        at += length;
    }
    return frames;
}

}  // namespace swf
