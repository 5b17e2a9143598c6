#include "swf/avm2/ByteArrayObject.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "swf/avm2/Machine.h"
#include "swf/avm2/Utf16.h"

namespace swf::avm2 {
namespace {

// The length of a well-formed UTF-8 sequence starting at `data`, or 0.
size_t sequenceLength(const uint8_t* data, size_t size) {
    uint8_t lead = data[0];
    size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                     : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || length > size) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((data[i] & 0xC0) != 0x80) return 0;
    if (lead == 0xE0 && data[1] < 0xA0) return 0;
    if (lead == 0xF0 && data[1] < 0x90) return 0;
    if (lead == 0xF4 && data[1] > 0x8F) return 0;
    return length;
}

}  // namespace

void checkByteLength(Machine& m, double length) {
    if (length > static_cast<double>(ByteArrayObject::kMaxLength)) m.throwError("Error", 1000, "The system is out of memory.");
}

std::string decodeText(const uint8_t* data, size_t size) {
    if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
        bool little = data[0] == 0xFF;
        std::u16string units;
        for (size_t i = 2; i + 1 < size; i += 2)
            units.push_back(static_cast<char16_t>(little ? data[i] | data[i + 1] << 8 : data[i] << 8 | data[i + 1]));
        return fromUtf16(units);
    }
    return decodeUtf8(data, size);
}

std::string decodeUtf8(const uint8_t* data, size_t size) {
    size_t i = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF ? 3 : 0;
    std::string out;
    out.reserve(size - i);
    while (i < size) {
        if (size_t length = sequenceLength(data + i, size - i)) {
            out.append(reinterpret_cast<const char*>(data + i), length);
            i += length;
        } else {
            appendUtf16Unit(out, data[i++]);  // a stray byte stands for itself
        }
    }
    return out;
}

std::optional<Value> ByteArrayObject::getKeyed(Machine& m, const Name& name) {
    uint32_t index;
    if (!name.arrayIndex(index) || !name.isPublic(m.namespaces())) return std::nullopt;
    return index < bytes.size() ? Value::number(bytes[index]) : Value();
}

bool ByteArrayObject::setKeyed(Machine& m, const Name& name, const Value& value) {
    uint32_t index;
    if (!name.arrayIndex(index) || !name.isPublic(m.namespaces())) return false;
    uint8_t byte = static_cast<uint8_t>(m.toInt(value));
    if (index >= bytes.size()) setLength(m, static_cast<double>(index) + 1);
    bytes[index] = byte;
    return true;
}

std::optional<bool> ByteArrayObject::hasKeyed(const Name& name) {
    uint32_t index;
    if (!name.arrayIndex(index)) return std::nullopt;
    return index < bytes.size();
}

std::optional<bool> ByteArrayObject::deleteKeyed(const Name& name) {
    uint32_t index;
    if (!name.arrayIndex(index)) return std::nullopt;
    return false;
}

void ByteArrayObject::setLength(Machine& m, double length) {
    checkByteLength(m, length);
    bytes.resize(static_cast<size_t>(length), 0);
    if (position > bytes.size()) position = bytes.size();
}

const uint8_t* ByteArrayObject::take(Machine& m, size_t count) {
    if (count > available()) m.throwError("flash.errors::EOFError", 2030, "End of file was encountered.");
    const uint8_t* at = bytes.data() + position;
    position += count;
    return at;
}

void ByteArrayObject::put(Machine& m, const uint8_t* data, size_t count) {
    if (count == 0) return;
    double end = static_cast<double>(position) + static_cast<double>(count);
    if (end > static_cast<double>(bytes.size())) {
        checkByteLength(m, end);
        bytes.resize(static_cast<size_t>(end), 0);
    }
    std::memmove(bytes.data() + position, data, count);
    position += count;
}

uint64_t ByteArrayObject::readUnsigned(Machine& m, size_t size) {
    const uint8_t* at = take(m, size);
    uint64_t v = 0;
    for (size_t i = 0; i < size; ++i) v = v << 8 | at[littleEndian ? size - 1 - i : i];
    return v;
}

void ByteArrayObject::writeUnsigned(Machine& m, uint64_t value, size_t size) {
    uint8_t out[8];
    for (size_t i = 0; i < size; ++i) out[littleEndian ? i : size - 1 - i] = static_cast<uint8_t>(value >> (8 * i));
    put(m, out, size);
}

double ByteArrayObject::readFloat(Machine& m) {
    auto bits = static_cast<uint32_t>(readUnsigned(m, 4));
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

double ByteArrayObject::readDouble(Machine& m) {
    uint64_t bits = readUnsigned(m, 8);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

void ByteArrayObject::writeFloat(Machine& m, double value) {
    // Past float's range the value rounds to an infinity (a plain cast is undefined there).
    constexpr double kRoundsToInfinity = 3.4028235677973366e38;
    float f = std::isfinite(value) && std::fabs(value) >= kRoundsToInfinity
                  ? (value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity())
                  : static_cast<float>(value);
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    writeUnsigned(m, bits, 4);
}

void ByteArrayObject::writeDouble(Machine& m, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    writeUnsigned(m, bits, 8);
}

}  // namespace swf::avm2
