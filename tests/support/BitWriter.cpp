#include "support/BitWriter.h"

#include <stdexcept>
#include <string>

namespace swftest {

BitWriter& BitWriter::ub(uint32_t value, int bits) {
    if (bits < 0 || bits > 32)
        throw std::invalid_argument("bit field width out of range: " + std::to_string(bits));
    if (bits < 32 && (value >> bits) != 0)
        throw std::invalid_argument("value " + std::to_string(value) + " does not fit in " +
                                    std::to_string(bits) + " bits");
    for (int i = bits - 1; i >= 0; --i) {
        if (bitPosition_ == 0) buffer_.push_back(0);
        if ((value >> i) & 1u) buffer_.back() |= static_cast<uint8_t>(0x80u >> bitPosition_);
        bitPosition_ = (bitPosition_ + 1) % 8;
    }
    return *this;
}

BitWriter& BitWriter::sb(int32_t value, int bits) {
    if (bits < 0 || bits > 32 || signedBits(value) > bits)
        throw std::invalid_argument("signed value " + std::to_string(value) + " does not fit in " +
                                    std::to_string(bits) + " bits");
    const uint32_t mask = bits == 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u);
    return ub(static_cast<uint32_t>(value) & mask, bits);
}

BitWriter& BitWriter::align() {
    bitPosition_ = 0;
    return *this;
}

BitWriter& BitWriter::u8(uint8_t value) {
    align();
    buffer_.push_back(value);
    return *this;
}

BitWriter& BitWriter::u16(uint16_t value) {
    u8(static_cast<uint8_t>(value & 0xFF));
    return u8(static_cast<uint8_t>(value >> 8));
}

BitWriter& BitWriter::s16(int16_t value) {
    return u16(static_cast<uint16_t>(value));
}

BitWriter& BitWriter::u32(uint32_t value) {
    u16(static_cast<uint16_t>(value & 0xFFFF));
    return u16(static_cast<uint16_t>(value >> 16));
}

BitWriter& BitWriter::raw(std::span<const uint8_t> data) {
    align();
    buffer_.insert(buffer_.end(), data.begin(), data.end());
    return *this;
}

BitWriter& BitWriter::string(std::string_view text) {
    align();
    buffer_.insert(buffer_.end(), text.begin(), text.end());
    buffer_.push_back(0);
    return *this;
}

const std::vector<uint8_t>& BitWriter::bytes() {
    align();
    return buffer_;
}

size_t BitWriter::size() {
    return bytes().size();
}

int BitWriter::unsignedBits(uint32_t value) {
    int bits = 0;
    while (value != 0) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

int BitWriter::signedBits(int32_t value) {
    if (value == 0) return 0;
    // A negative value needs as many magnitude bits as its complement, plus the sign.
    const uint32_t magnitude =
        value < 0 ? ~static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    return unsignedBits(magnitude) + 1;
}

}  // namespace swftest
