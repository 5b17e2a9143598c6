// flash.utils.ByteArray with Endian, ObjectEncoding and CompressionAlgorithm: the reads and
// writes of each width in either byte order, text in UTF-8 and other character sets,
// compression, and AMF values. Methods take the player's argument counts.
#include <cmath>

#include "swf/avm2/AmfCodec.h"
#include "swf/avm2/ByteArrayObject.h"
#include "swf/avm2/ByteCompression.h"
#include "swf/avm2/Charsets.h"
#include "swf/avm2/LanguageClasses.h"
#include "swf/avm2/NativeSupport.h"

namespace swf::avm2 {
namespace {

constexpr const char* kBigEndian = "bigEndian";
constexpr const char* kLittleEndian = "littleEndian";

ByteArrayObject& thisBytes(Machine& m, const Value& self) {
    auto* bytes = dynamic_cast<ByteArrayObject*>(self.asObject());
    if (!bytes)
        m.throwError("TypeError", 1034,
                     "Type Coercion failed: cannot convert " + m.describeForError(self) + " to flash.utils.ByteArray.");
    return *bytes;
}

// A ByteArray argument: null is the player's TypeError for the named parameter.
ByteArrayObject& bytesArgument(Machine& m, const Value& v, const char* parameter) {
    if (v.isNullish()) m.throwError("TypeError", 2007, std::string("Parameter ") + parameter + " must be non-null.");
    return thisBytes(m, v);
}

[[noreturn]] void outOfBounds(Machine& m) {
    m.throwError("RangeError", 2006, "The supplied index is out of bounds.");
}

using Method = std::function<Value(Machine&, ByteArrayObject&, std::span<const Value>)>;

// A method of ByteArray's instances taking `least` to `most` arguments, as the player checks.
void define(Machine& m, ClassObject* cls, const std::string& name, size_t least, size_t most, Method body) {
    defineNativeMethod(m, cls, name, [name, least, most, body](Machine& m, const Value& self, std::span<const Value> args) {
        if (args.size() < least || args.size() > most)
            m.throwError("ArgumentError", 1063, "Argument count mismatch on flash.utils::ByteArray/" + name +
                                                    "(). Expected " + std::to_string(args.size() < least ? least : most) +
                                                    ", got " + std::to_string(args.size()) + ".");
        return body(m, thisBytes(m, self), args);
    }, static_cast<uint32_t>(most));
}

// The text of `size` bytes at the position, moving past them.
std::string takeText(Machine& m, ByteArrayObject& b, size_t size, const std::string& charset) {
    const uint8_t* at = b.take(m, size);
    return decodeCharset(at, size, charset);
}

void putText(Machine& m, ByteArrayObject& b, const std::vector<uint8_t>& encoded) {
    b.put(m, encoded.data(), encoded.size());
}

void installReads(Machine& m, ClassObject* cls) {
    define(m, cls, "readBoolean", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        return Value::boolean(*b.take(m, 1) != 0);
    });
    define(m, cls, "readByte", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        return Value::number(static_cast<int8_t>(*b.take(m, 1)));
    });
    define(m, cls, "readUnsignedByte", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        return Value::number(*b.take(m, 1));
    });
    define(m, cls, "readShort", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        return Value::number(static_cast<int16_t>(b.readUnsigned(m, 2)));
    });
    define(m, cls, "readUnsignedShort", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        return Value::number(static_cast<double>(b.readUnsigned(m, 2)));
    });
    define(m, cls, "readInt", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        return Value::number(static_cast<int32_t>(b.readUnsigned(m, 4)));
    });
    define(m, cls, "readUnsignedInt", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        return Value::number(static_cast<double>(b.readUnsigned(m, 4)));
    });
    define(m, cls, "readFloat", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        return Value::number(b.readFloat(m));
    });
    define(m, cls, "readDouble", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        return Value::number(b.readDouble(m));
    });
    define(m, cls, "readUTF", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        size_t size = static_cast<size_t>(b.readUnsigned(m, 2));
        return Value::string(takeText(m, b, size, "utf-8"));
    });
    define(m, cls, "readUTFBytes", 1, 1, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        return Value::string(takeText(m, b, m.toUint(args[0]), "utf-8"));
    });
    define(m, cls, "readMultiByte", 2, 2, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        uint32_t size = m.toUint(args[0]);
        Value charset = args[1];
        if (charset.isNullish()) m.throwError("TypeError", 2007, "Parameter charSet must be non-null.");
        return Value::string(takeText(m, b, size, m.toString(charset)));
    });
    define(m, cls, "readBytes", 1, 3, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        ByteArrayObject& target = bytesArgument(m, args[0], "bytes");
        double offset = m.toUint(argAt(args, 1));
        size_t length = m.toUint(argAt(args, 2));
        if (length == 0) length = b.available();
        if (offset + static_cast<double>(length) > 4294967295.0) outOfBounds(m);
        // Copied before the target grows: the target may be this array.
        const uint8_t* from = b.take(m, length);
        std::vector<uint8_t> copy(from, from + length);
        double end = offset + static_cast<double>(length);
        if (end > static_cast<double>(target.bytes.size())) target.setLength(m, end);
        std::copy(copy.begin(), copy.end(), target.bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        return Value();
    });
    define(m, cls, "readObject", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        return readAmf(m, b, b.objectEncoding);
    });
}

void installWrites(Machine& m, ClassObject* cls) {
    define(m, cls, "writeBoolean", 1, 1, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        b.writeUnsigned(m, Machine::toBoolean(args[0]) ? 1 : 0, 1);
        return Value();
    });
    for (auto [name, size] : {std::pair{"writeByte", size_t{1}}, {"writeShort", size_t{2}}, {"writeInt", size_t{4}}}) {
        size_t width = size;
        define(m, cls, name, 1, 1, [width](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
            b.writeUnsigned(m, static_cast<uint32_t>(m.toInt(args[0])), width);
            return Value();
        });
    }
    define(m, cls, "writeUnsignedInt", 1, 1, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        b.writeUnsigned(m, m.toUint(args[0]), 4);
        return Value();
    });
    define(m, cls, "writeFloat", 1, 1, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        b.writeFloat(m, m.toNumber(args[0]));
        return Value();
    });
    define(m, cls, "writeDouble", 1, 1, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        b.writeDouble(m, m.toNumber(args[0]));
        return Value();
    });
    define(m, cls, "writeUTF", 1, 1, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        if (args[0].isNullish()) m.throwError("TypeError", 2007, "Parameter value must be non-null.");
        std::string text = m.toString(args[0]);
        if (text.size() > 0xFFFF) outOfBounds(m);
        b.writeUnsigned(m, text.size(), 2);
        putText(m, b, std::vector<uint8_t>(text.begin(), text.end()));
        return Value();
    });
    define(m, cls, "writeUTFBytes", 1, 1, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        if (args[0].isNullish()) m.throwError("TypeError", 2007, "Parameter value must be non-null.");
        std::string text = m.toString(args[0]);
        putText(m, b, std::vector<uint8_t>(text.begin(), text.end()));
        return Value();
    });
    define(m, cls, "writeMultiByte", 2, 2, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        if (args[0].isNullish()) m.throwError("TypeError", 2007, "Parameter value must be non-null.");
        if (args[1].isNullish()) m.throwError("TypeError", 2007, "Parameter charSet must be non-null.");
        putText(m, b, encodeCharset(m.toString(args[0]), m.toString(args[1])));
        return Value();
    });
    define(m, cls, "writeBytes", 1, 3, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        ByteArrayObject& source = bytesArgument(m, args[0], "bytes");
        size_t size = source.bytes.size();
        size_t offset = m.toUint(argAt(args, 1));
        size_t length = m.toUint(argAt(args, 2));
        if (offset > size) outOfBounds(m);
        if (length == 0) length = size - offset;
        if (length > size - offset) outOfBounds(m);
        // Copied first: the source may be this array.
        std::vector<uint8_t> copy(source.bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                  source.bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
        b.put(m, copy.data(), copy.size());
        return Value();
    });
    define(m, cls, "writeObject", 1, 1, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        std::vector<uint8_t> encoded;
        writeAmf(m, encoded, args[0], b.objectEncoding);
        b.put(m, encoded.data(), encoded.size());
        return Value();
    });
}

// compress and uncompress: an empty array stays as it is; damaged data leaves the array
// unchanged and throws the player's IOError.
void transform(Machine& m, ByteArrayObject& b, const Value& algorithm, bool compress) {
    if (algorithm.isNull()) m.throwError("TypeError", 2007, "Parameter algorithm must be non-null.");
    std::optional<ByteCompression> how =
        algorithm.isUndefined() ? ByteCompression::Zlib : compressionNamed(m.toString(algorithm));
    if (!how) m.throwError("flash.errors::IOError", 2058, "There was an error decompressing the data.");
    if (b.bytes.empty()) return;
    auto result = compress ? compressBytes(b.bytes, *how, ByteArrayObject::kMaxLength)
                           : uncompressBytes(b.bytes, *how, ByteArrayObject::kMaxLength);
    if (!result) {
        if (compress) m.throwError("Error", 1000, "The system is out of memory.");
        m.throwError("flash.errors::IOError", 2058, "There was an error decompressing the data.");
    }
    b.bytes = std::move(*result);
    b.position = compress ? b.bytes.size() : 0;
}

void installWholeArray(Machine& m, ClassObject* cls) {
    define(m, cls, "clear", 0, 0, [](Machine&, ByteArrayObject& b, std::span<const Value>) {
        b.bytes.clear();
        b.bytes.shrink_to_fit();
        b.position = 0;
        return Value();
    });
    define(m, cls, "compress", 0, 1, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        transform(m, b, argAt(args, 0), true);
        return Value();
    });
    define(m, cls, "uncompress", 0, 1, [](Machine& m, ByteArrayObject& b, std::span<const Value> args) {
        transform(m, b, argAt(args, 0), false);
        return Value();
    });
    define(m, cls, "deflate", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        transform(m, b, Value::string("deflate"), true);
        return Value();
    });
    define(m, cls, "inflate", 0, 0, [](Machine& m, ByteArrayObject& b, std::span<const Value>) {
        transform(m, b, Value::string("deflate"), false);
        return Value();
    });
    define(m, cls, "toString", 0, 0, [](Machine&, ByteArrayObject& b, std::span<const Value>) {
        return Value::string(decodeText(b.bytes.data(), b.bytes.size()));
    });
}

void installProperties(Machine& m, ClassObject* cls) {
    m.defineAccessor(cls, "length",
        [](Machine& m, const Value& self, std::span<const Value>) {
            return Value::number(static_cast<double>(thisBytes(m, self).bytes.size()));
        },
        [](Machine& m, const Value& self, std::span<const Value> args) {
            thisBytes(m, self).setLength(m, m.toUint(argAt(args, 0)));
            return Value();
        });
    m.defineAccessor(cls, "position",
        [](Machine& m, const Value& self, std::span<const Value>) {
            return Value::number(static_cast<double>(thisBytes(m, self).position));
        },
        [](Machine& m, const Value& self, std::span<const Value> args) {
            thisBytes(m, self).position = m.toUint(argAt(args, 0));
            return Value();
        });
    m.defineAccessor(cls, "bytesAvailable", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(static_cast<double>(thisBytes(m, self).available()));
    });
    m.defineAccessor(cls, "endian",
        [](Machine& m, const Value& self, std::span<const Value>) {
            return Value::string(thisBytes(m, self).littleEndian ? kLittleEndian : kBigEndian);
        },
        [](Machine& m, const Value& self, std::span<const Value> args) {
            Value v = argAt(args, 0);
            if (v.isNullish()) m.throwError("TypeError", 2007, "Parameter endian must be non-null.");
            std::string name = m.toString(v);
            if (name != kBigEndian && name != kLittleEndian)
                m.throwError("ArgumentError", 2008, "Parameter endian must be one of the accepted values.");
            thisBytes(m, self).littleEndian = name == kLittleEndian;
            return Value();
        });
    m.defineAccessor(cls, "objectEncoding",
        [](Machine& m, const Value& self, std::span<const Value>) {
            return Value::number(thisBytes(m, self).objectEncoding);
        },
        [](Machine& m, const Value& self, std::span<const Value> args) {
            uint32_t encoding = m.toUint(argAt(args, 0));
            if (encoding != 0 && encoding != 3)
                m.throwError("ArgumentError", 2008, "Parameter objectEncoding must be one of the accepted values.");
            thisBytes(m, self).objectEncoding = encoding;
            return Value();
        });
}

}  // namespace

void installByteArrayClass(Machine& m) {
    ClassObject* object = m.builtins().object;
    ClassObject* cls = m.defineClass("flash.utils", "ByteArray", object);
    cls->sealed = true;
    cls->setOwn("defaultObjectEncoding", Value::number(3));
    cls->allocate = [](Machine& m, ClassObject* type) -> Object* {
        auto* bytes = m.heap().make<ByteArrayObject>(type, type->prototype);
        // The class's default, as the ByteArray class (not a subclass) holds it.
        ClassObject* base = type;
        while (base->base && !base->findOwn("defaultObjectEncoding")) base = base->base;
        if (Value* encoding = base->findOwn("defaultObjectEncoding"))
            bytes->objectEncoding = m.toUint(*encoding) == 0 ? 0 : 3;
        return bytes;
    };
    installProperties(m, cls);
    installReads(m, cls);
    installWrites(m, cls);
    installWholeArray(m, cls);
    defineConstants(m, m.defineClass("flash.utils", "Endian", object),
                    {{"BIG_ENDIAN", kBigEndian}, {"LITTLE_ENDIAN", kLittleEndian}});
    defineConstants(m, m.defineClass("flash.utils", "CompressionAlgorithm", object),
                    {{"ZLIB", "zlib"}, {"DEFLATE", "deflate"}, {"LZMA", "lzma"}});
    ClassObject* encoding = m.defineClass("flash.net", "ObjectEncoding", object);
    for (auto [name, value] : {std::pair{"AMF0", 0}, {"AMF3", 3}, {"DEFAULT", 3}}) {
        encoding->setOwn(name, Value::number(value));
        encoding->setEnumerable(name, false);
    }
}

}  // namespace swf::avm2
