#pragma once
// A bounded reader over untrusted bytes. Reading past the end never touches memory outside
// the span: it yields zeros and sets a sticky overrun flag that callers check once after a
// record instead of after every field.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "swf/geom/Geometry.h"

namespace swf {

class BitReader {
  public:
    BitReader() = default;
    explicit BitReader(std::span<const uint8_t> data) : data_(data) {}

    bool overrun() const { return overrun_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    size_t position() const { return pos_; }
    size_t remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
    std::span<const uint8_t> data() const { return data_; }

    // Byte-aligned reads (little-endian); each first drops any partly read byte.
    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    int16_t s16() { return static_cast<int16_t>(u16()); }
    int32_t s32() { return static_cast<int32_t>(u32()); }
    double fixed8() { return s16() / 256.0; }     // signed 8.8
    double fixed16() { return s32() / 65536.0; }  // signed 16.16
    float f32();
    double f64();           // SWF doubles store the high word first
    uint32_t encodedU32();  // variable-length, 7 bits a byte
    // A NUL-terminated string (without the NUL); stops at the end of the data.
    std::string cString();
    // The next `count` bytes, or as many as remain (setting the overrun flag if short).
    std::span<const uint8_t> bytes(size_t count);
    void skip(size_t count);
    void seek(size_t position);

    // Bit fields, most significant bit first.
    uint32_t ub(unsigned bits);
    int32_t sb(unsigned bits);
    double fb(unsigned bits) { return sb(bits) / 65536.0; }  // signed 16.16 in `bits` bits
    void align() { bitCount_ = 0; }

    // Structured records of the format.
    Rect rect();
    Matrix matrix();
    ColorTransform colorTransform(bool withAlpha);
    Rgba rgb();
    Rgba rgba();
    Rgba argb();

  private:
    bool take(size_t count);

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    uint8_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;
    bool overrun_ = false;
};

}  // namespace swf
