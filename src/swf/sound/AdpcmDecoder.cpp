#include "swf/sound/AdpcmDecoder.h"

#include <algorithm>
#include <array>

#include "swf/format/BitReader.h"

namespace swf {
namespace {

constexpr std::array<int, 89> kSteps = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// How far the step index moves for each magnitude, per code size (2 to 5 bits).
constexpr int kIndex2[] = {-1, 2};
constexpr int kIndex3[] = {-1, -1, 2, 4};
constexpr int kIndex4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kIndex5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int* kIndexTables[] = {kIndex2, kIndex3, kIndex4, kIndex5};

constexpr int kPacketFrames = 4096;

struct ChannelState {
    int sample = 0;
    int index = 0;

    void step(uint32_t code, int bits) {
        const int step = kSteps[static_cast<size_t>(index)];
        const uint32_t sign = 1u << (bits - 1);
        // The magnitude bits weigh step, step/2, step/4 ... from the top, plus a rounding half.
        int delta = step >> (bits - 1);
        for (int k = bits - 2; k >= 0; --k)
            if (code & (1u << k)) delta += step >> (bits - 2 - k);
        sample = std::clamp(code & sign ? sample - delta : sample + delta, -32768, 32767);
        index = std::clamp(index + kIndexTables[bits - 2][code & (sign - 1)], 0, 88);
    }
};

}  // namespace

void AdpcmDecoder::decode(std::span<const uint8_t> data, int channels, size_t maxFrames,
                          std::vector<int16_t>& out) {
    if (channels < 1 || channels > 2 || data.empty()) return;
    BitReader in(data);
    size_t bitsRead = 0;
    const auto read = [&](unsigned count) {
        bitsRead += count;
        return in.ub(count);
    };
    const int bits = static_cast<int>(read(2)) + 2;
    // The data is as short as its samples allow: once a sample ends inside the last byte,
    // what follows is padding, even where it would hold another sample of few bits.
    const size_t lastByte = (data.size() - 1) * 8;
    const auto fits = [&](size_t need) {
        return bitsRead <= lastByte && data.size() * 8 - bitsRead >= need;
    };
    const size_t headerBits = static_cast<size_t>(channels) * 22;
    const size_t frameBits = static_cast<size_t>(channels * bits);
    std::array<ChannelState, 2> state{};
    size_t frames = 0;
    while (frames < maxFrames && fits(headerBits)) {
        for (int c = 0; c < channels; ++c) {
            state[c].sample = static_cast<int16_t>(read(16));
            state[c].index = static_cast<int>(read(6));
            out.push_back(static_cast<int16_t>(state[c].sample));
        }
        ++frames;
        for (int i = 1; i < kPacketFrames && frames < maxFrames && fits(frameBits); ++i, ++frames)
            for (int c = 0; c < channels; ++c) {
                state[c].step(read(static_cast<unsigned>(bits)), bits);
                out.push_back(static_cast<int16_t>(state[c].sample));
            }
    }
}

}  // namespace swf
