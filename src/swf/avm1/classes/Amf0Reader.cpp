#include "swf/avm1/classes/Amf0Reader.h"

#include <bit>

#include "swf/avm1/classes/DateObject.h"
#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/format/Amf0Marker.h"

namespace swf::avm1 {
Amf0Reader::Amf0Reader(Machine& machine, std::string_view bytes)
    : m_(machine), rest_(bytes), references_(machine.heap(), machine.newArray()) {}

Value Amf0Reader::value() {
    return atEnd() ? Value() : read(0);
}

Value Amf0Reader::read(int depth) {
    std::string_view marker;
    if (depth > kMaxReadDepth || !take(1, marker)) {
        failed_ = true;
        return Value();
    }
    m_.chargeAction();
    uint32_t size = 0;
    std::string_view text;
    double n = 0;
    switch (static_cast<uint8_t>(marker[0])) {
        case amf0::kNumber:
            return number(n) ? Value(n) : Value();
        case amf0::kBoolean:
            return take(1, text) ? Value(text[0] != 0) : Value();
        case amf0::kString:
            return unsigned16(size) && take(size, text) ? Value(text) : Value();
        case amf0::kLongString:
            return unsigned32(size) && take(size, text) ? Value(text) : Value();
        case amf0::kNull:
            return Value(Null{});
        case amf0::kUndefined:
            return Value();
        case amf0::kReference: {
            if (!unsigned16(size)) return Value();
            return size < references_->length() ? references_->at(size) : Value();
        }
        case amf0::kObject: {
            Object* o = remember(m_.newObject());
            members(o, depth);
            return Value(o);
        }
        case amf0::kTypedObject: {
            if (!unsigned16(size) || !take(size, text)) return Value();
            Object* registered = m_.registeredClass(text, m_.swfVersion());
            Object* prototype = registered ? m_.get(registered, "prototype").asObject() : nullptr;
            Object* o = remember(m_.newObject(prototype));
            members(o, depth);
            return Value(o);
        }
        case amf0::kEcmaArray: {
            if (!unsigned32(size)) return Value();
            Object* array = remember(m_.newArray());
            members(array, depth);
            return Value(array);
        }
        case amf0::kDate: {
            if (!number(n) || !take(2, text)) return Value();
            return Value(remember(m_.heap().make<DateObject>(m_.prototypes().date, n)));
        }
        case amf0::kXmlDocument: {
            if (!unsigned32(size) || !take(size, text)) return Value();
            const Value source[] = {Value(text)};
            Value xml = m_.construct(m_.get(m_.global(), "XML"), source);
            if (Object* o = xml.asObject()) remember(o);
            return xml;
        }
        default:
            failed_ = true;
            return Value();
    }
}

void Amf0Reader::members(Object* o, int depth) {
    std::string_view name, end;
    uint32_t size = 0;
    while (!failed_ && unsigned16(size) && take(size, name)) {
        if (size == 0 && !rest_.empty() && rest_[0] == amf0::kObjectEnd) {
            take(1, end);
            return;
        }
        Value v = read(depth + 1);
        m_.set(Value(o), name, v);
    }
}

Object* Amf0Reader::remember(Object* o) {
    references_->push(Value(o));
    return o;
}

bool Amf0Reader::take(size_t size, std::string_view& out) {
    if (failed_ || size > rest_.size()) {
        failed_ = true;
        return false;
    }
    out = rest_.substr(0, size);
    rest_.remove_prefix(size);
    return true;
}

bool Amf0Reader::number(double& out) {
    std::string_view bytes;
    if (!take(8, bytes)) return false;
    uint64_t bits = 0;
    for (char c : bytes) bits = (bits << 8) | static_cast<uint8_t>(c);
    out = std::bit_cast<double>(bits);
    return true;
}

bool Amf0Reader::unsigned16(uint32_t& out) {
    std::string_view bytes;
    if (!take(2, bytes)) return false;
    out = (uint32_t{static_cast<uint8_t>(bytes[0])} << 8) | static_cast<uint8_t>(bytes[1]);
    return true;
}

bool Amf0Reader::unsigned32(uint32_t& out) {
    uint32_t high = 0, low = 0;
    if (!unsigned16(high) || !unsigned16(low)) return false;
    out = (high << 16) | low;
    return true;
}

}  // namespace swf::avm1
