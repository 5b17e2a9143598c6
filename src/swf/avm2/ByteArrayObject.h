#pragma once
// A flash.utils.ByteArray: bytes with a read/write position and a byte order. Reads past the
// end and lengths beyond the machine's bound throw the player's errors.

#include <cstdint>
#include <string>
#include <vector>

#include "swf/avm2/Object.h"

namespace swf::avm2 {

class Machine;

class ByteArrayObject : public Object {
  public:
    // The most bytes one array holds, as for one string.
    static constexpr size_t kMaxLength = size_t{64} << 20;

    using Object::Object;

    std::optional<Value> getKeyed(Machine& m, const Name& name) override;
    bool setKeyed(Machine& m, const Name& name, const Value& value) override;
    std::optional<bool> hasKeyed(const Name& name) override;
    std::optional<bool> deleteKeyed(const Name& name) override;

    // Length changes keep the position inside the bytes; new bytes are zero.
    void setLength(Machine& m, double length);
    size_t available() const { return position < bytes.size() ? bytes.size() - position : 0; }
    // The next `count` bytes, moving past them; EOFError when fewer remain.
    const uint8_t* take(Machine& m, size_t count);
    // Writes at the position (growing the array) and moves past.
    void put(Machine& m, const uint8_t* data, size_t count);
    // An integer of `size` bytes in the array's byte order.
    uint64_t readUnsigned(Machine& m, size_t size);
    void writeUnsigned(Machine& m, uint64_t value, size_t size);
    double readFloat(Machine& m);
    double readDouble(Machine& m);
    void writeFloat(Machine& m, double value);
    void writeDouble(Machine& m, double value);

    std::vector<uint8_t> bytes;
    size_t position = 0;
    bool littleEndian = false;
    uint32_t objectEncoding = 3;
};

// The array's bytes as its toString reads them: UTF-8 (or UTF-16 after its mark), invalid
// sequences kept byte by byte; a leading UTF-8 mark is dropped.
std::string decodeText(const uint8_t* data, size_t size);
// UTF-8 as readUTFBytes reads it: a leading mark dropped, stray bytes kept as characters.
std::string decodeUtf8(const uint8_t* data, size_t size);
// A length beyond the bound is the player's memory error.
void checkByteLength(Machine& m, double length);

}  // namespace swf::avm2
