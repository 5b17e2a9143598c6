#pragma once
// The few SWF writing pieces the fuzz targets build their movies with (they link the engine
// only, not the tests' writer).

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace fuzzswf {

using Bytes = std::vector<uint8_t>;

inline void putU16(Bytes& out, unsigned value) {
    out.push_back(value & 0xff);
    out.push_back(value >> 8 & 0xff);
}

inline void putU32(Bytes& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(value >> shift & 0xff);
}

inline void putString(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

// Bit fields, most significant bit first, starting on a fresh byte.
class BitSink {
  public:
    explicit BitSink(Bytes& out) : out_(out) {}
    void put(int32_t value, int count) {
        for (int bit = count - 1; bit >= 0; --bit) {
            if (used_ == 0) out_.push_back(0);
            if (static_cast<uint32_t>(value) >> bit & 1) out_.back() |= 0x80 >> used_;
            used_ = (used_ + 1) % 8;
        }
    }

  private:
    Bytes& out_;
    int used_ = 0;
};

inline void putRect(Bytes& out, int xMax, int yMax) {
    BitSink bits(out);
    bits.put(15, 5);
    for (int value : {0, xMax, 0, yMax}) bits.put(value, 15);
}

inline void putTag(Bytes& out, unsigned code, const Bytes& body) {
    if (body.size() < 63) {
        putU16(out, code << 6 | static_cast<unsigned>(body.size()));
    } else {
        putU16(out, code << 6 | 63);
        putU32(out, static_cast<uint32_t>(body.size()));
    }
    out.insert(out.end(), body.begin(), body.end());
}

inline void putShowFrame(Bytes& out) {
    putTag(out, 1, {});
}

// An uncompressed movie of `version` around `tags` (which end with End), its stage
// `width` by `height` twips, at 12 frames a second.
inline Bytes movie(uint8_t version, int width, int height, unsigned frames, const Bytes& tags) {
    Bytes out = {'F', 'W', 'S', version, 0, 0, 0, 0};
    putRect(out, width, height);
    putU16(out, 12 << 8);
    putU16(out, frames);
    out.insert(out.end(), tags.begin(), tags.end());
    const auto size = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(size >> (8 * i));
    return out;
}

}  // namespace fuzzswf
