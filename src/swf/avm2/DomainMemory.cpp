#include "swf/avm2/DomainMemory.h"

#include <cstring>

#include "swf/abc/Opcode.h"
#include "swf/avm2/Builtins.h"
#include "swf/avm2/ByteArrayObject.h"
#include "swf/avm2/Machine.h"

namespace swf::avm2 {
namespace {

size_t accessSize(uint8_t op) {
    switch (op) {
        case abc::OP_li8: case abc::OP_si8: return 1;
        case abc::OP_li16: case abc::OP_si16: return 2;
        case abc::OP_li32: case abc::OP_si32: case abc::OP_lf32: case abc::OP_sf32: return 4;
        default: return 8;
    }
}

// The bytes at `address` for an access of `size`, or the player's range error.
uint8_t* reach(Machine& m, const Value& address, size_t size) {
    auto* memory = dynamic_cast<ByteArrayObject*>(m.domainMemory());
    int32_t at = m.toInt(address);
    if (!memory || at < 0 || static_cast<size_t>(at) + size > memory->bytes.size())
        m.throwError("RangeError", 1506, "The specified range is invalid.");
    return memory->bytes.data() + at;
}

}  // namespace

Value domainLoad(Machine& m, uint8_t op, const Value& address) {
    size_t size = accessSize(op);
    const uint8_t* p = reach(m, address, size);
    uint64_t bits = 0;
    for (size_t i = size; i-- > 0;) bits = (bits << 8) | p[i];
    switch (op) {
        case abc::OP_li32: return Value::number(static_cast<int32_t>(static_cast<uint32_t>(bits)));
        case abc::OP_lf32: {
            float f;
            auto word = static_cast<uint32_t>(bits);
            std::memcpy(&f, &word, sizeof f);
            return Value::number(f);
        }
        case abc::OP_lf64: {
            double d;
            std::memcpy(&d, &bits, sizeof d);
            return Value::number(d);
        }
        default: return Value::number(static_cast<double>(bits));
    }
}

void domainStore(Machine& m, uint8_t op, const Value& value, const Value& address) {
    size_t size = accessSize(op);
    uint64_t bits = 0;
    if (op == abc::OP_sf32) {
        auto f = static_cast<float>(m.toNumber(value));
        uint32_t word;
        std::memcpy(&word, &f, sizeof word);
        bits = word;
    } else if (op == abc::OP_sf64) {
        double d = m.toNumber(value);
        std::memcpy(&bits, &d, sizeof bits);
    } else {
        bits = static_cast<uint32_t>(m.toInt(value));
    }
    uint8_t* p = reach(m, address, size);
    for (size_t i = 0; i < size; ++i, bits >>= 8) p[i] = static_cast<uint8_t>(bits);
}

void installApplicationDomainClass(Machine& m) {
    ClassObject* cls = m.defineClass("flash.system", "ApplicationDomain", m.builtins().object);
    cls->sealed = true;
    cls->setOwn("MIN_DOMAIN_MEMORY_LENGTH", Value::number(kMinDomainMemoryLength));
    cls->setEnumerable("MIN_DOMAIN_MEMORY_LENGTH", false);
    // One domain runs a movie's scripts: every ApplicationDomain object shares its memory.
    Binding current;
    current.kind = Binding::Kind::Accessor;
    current.getter = m.newNative([cls](Machine& m, const Value&, std::span<const Value>) {
        return m.construct(Value::object(cls), {});
    });
    cls->classTraits->bind(m.namespaces().publicNs(), "currentDomain", current);
    m.defineAccessor(cls, "domainMemory",
        [](Machine& m, const Value&, std::span<const Value>) { return Value::object(m.domainMemory()); },
        [](Machine& m, const Value&, std::span<const Value> args) {
            Value memory = argAt(args, 0);
            if (!memory.isNull() && !dynamic_cast<ByteArrayObject*>(memory.asObject()))
                m.throwError("TypeError", 1034, "Type Coercion failed: cannot convert " + m.describeForError(memory) +
                                                    " to flash.utils.ByteArray.");
            m.setDomainMemory(memory.asObject());
            return Value();
        });
}

}  // namespace swf::avm2
