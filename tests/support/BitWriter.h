#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace swftest {

// Appends SWF bit fields (most significant bit first) and little-endian byte
// fields to a growing buffer. Byte fields and bytes() first pad the current
// partial byte with zero bits, as the format requires.
class BitWriter {
  public:
    // Unsigned field of `bits` bits (0..32). Throws std::invalid_argument if the
    // value does not fit.
    BitWriter& ub(uint32_t value, int bits);
    // Signed two's-complement field (SB) of `bits` bits; also used for FB fields.
    BitWriter& sb(int32_t value, int bits);
    BitWriter& flag(bool value) { return ub(value ? 1 : 0, 1); }
    // Pads the current byte with zero bits.
    BitWriter& align();

    BitWriter& u8(uint8_t value);
    BitWriter& u16(uint16_t value);
    BitWriter& s16(int16_t value);
    BitWriter& u32(uint32_t value);
    BitWriter& raw(std::span<const uint8_t> data);
    // Null-terminated string (the format's STRING).
    BitWriter& string(std::string_view text);

    // Everything written so far, the last byte padded.
    const std::vector<uint8_t>& bytes();
    size_t size();

    // Fewest bits an unsigned field needs for `value` (0 for 0).
    static int unsignedBits(uint32_t value);
    // Fewest bits a signed field needs for `value` (0 for 0, 1 for -1).
    static int signedBits(int32_t value);

  private:
    std::vector<uint8_t> buffer_;
    int bitPosition_ = 0;  // bits already used in the last byte, 0 when aligned
};

}  // namespace swftest
