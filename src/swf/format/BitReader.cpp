#include "swf/format/BitReader.h"

#include <bit>
#include <cstring>

namespace swf {

bool BitReader::take(size_t count) {
    align();
    if (count > remaining()) {
        pos_ = data_.size();
        overrun_ = true;
        return false;
    }
    return true;
}

uint8_t BitReader::u8() {
    if (!take(1)) return 0;
    return data_[pos_++];
}

uint16_t BitReader::u16() {
    if (!take(2)) return 0;
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

uint32_t BitReader::u32() {
    if (!take(4)) return 0;
    uint32_t v = static_cast<uint32_t>(data_[pos_]) |
                 (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
                 (static_cast<uint32_t>(data_[pos_ + 2]) << 16) |
                 (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
}

float BitReader::f32() {
    return std::bit_cast<float>(u32());
}

double BitReader::f64() {
    uint64_t high = u32();
    uint64_t low = u32();
    return std::bit_cast<double>((high << 32) | low);
}

uint32_t BitReader::encodedU32() {
    uint32_t value = 0;
    for (int i = 0; i < 5; ++i) {
        uint8_t byte = u8();
        value |= static_cast<uint32_t>(byte & 0x7F) << (7 * i);
        if (!(byte & 0x80)) break;
    }
    return value;
}

std::string BitReader::cString() {
    align();
    std::string s;
    while (pos_ < data_.size()) {
        char c = static_cast<char>(data_[pos_++]);
        if (c == '\0') return s;
        s.push_back(c);
    }
    overrun_ = true;
    return s;
}

std::span<const uint8_t> BitReader::bytes(size_t count) {
    align();
    size_t n = std::min(count, remaining());
    if (n < count) overrun_ = true;
    auto out = data_.subspan(pos_, n);
    pos_ += n;
    return out;
}

void BitReader::skip(size_t count) {
    bytes(count);
}

void BitReader::seek(size_t position) {
    align();
    if (position > data_.size()) {
        position = data_.size();
        overrun_ = true;
    }
    pos_ = position;
}

uint32_t BitReader::ub(unsigned bits) {
    uint32_t value = 0;
    if (bits > 32) {
        overrun_ = true;
        return 0;
    }
    while (bits > 0) {
        if (bitCount_ == 0) {
            if (pos_ >= data_.size()) {
                overrun_ = true;
                return 0;
            }
            bitBuffer_ = data_[pos_++];
            bitCount_ = 8;
        }
        unsigned take = std::min(bits, bitCount_);
        uint32_t chunk = (bitBuffer_ >> (bitCount_ - take)) & ((1u << take) - 1);
        value = (value << take) | chunk;
        bitCount_ -= take;
        bits -= take;
    }
    return value;
}

int32_t BitReader::sb(unsigned bits) {
    if (bits == 0) return 0;
    uint32_t value = ub(bits);
    if (bits < 32 && (value & (1u << (bits - 1)))) value |= ~0u << bits;
    return static_cast<int32_t>(value);
}

Rect BitReader::rect() {
    align();
    unsigned bits = ub(5);
    Rect r;
    r.xMin = sb(bits);
    r.xMax = sb(bits);
    r.yMin = sb(bits);
    r.yMax = sb(bits);
    align();
    return r;
}

Matrix BitReader::matrix() {
    align();
    Matrix m;
    if (ub(1)) {
        unsigned bits = ub(5);
        m.a = fb(bits);
        m.d = fb(bits);
    }
    if (ub(1)) {
        unsigned bits = ub(5);
        m.b = fb(bits);
        m.c = fb(bits);
    }
    unsigned bits = ub(5);
    m.tx = sb(bits);
    m.ty = sb(bits);
    align();
    return m;
}

ColorTransform BitReader::colorTransform(bool withAlpha) {
    align();
    ColorTransform cx;
    bool hasAdd = ub(1);
    bool hasMul = ub(1);
    unsigned bits = ub(4);
    if (hasMul) {
        cx.rMul = sb(bits);
        cx.gMul = sb(bits);
        cx.bMul = sb(bits);
        if (withAlpha) cx.aMul = sb(bits);
    }
    if (hasAdd) {
        cx.rAdd = sb(bits);
        cx.gAdd = sb(bits);
        cx.bAdd = sb(bits);
        if (withAlpha) cx.aAdd = sb(bits);
    }
    align();
    return cx;
}

Rgba BitReader::rgb() {
    Rgba c;
    c.r = u8();
    c.g = u8();
    c.b = u8();
    return c;
}

Rgba BitReader::rgba() {
    Rgba c = rgb();
    c.a = u8();
    return c;
}

Rgba BitReader::argb() {
    Rgba c;
    c.a = u8();
    c.r = u8();
    c.g = u8();
    c.b = u8();
    return c;
}

}  // namespace swf
