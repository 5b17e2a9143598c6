#include "swf/avm1/classes/Amf0Writer.h"

#include <bit>
#include <vector>

#include "swf/avm1/classes/DateObject.h"
#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/format/Amf0Marker.h"

namespace swf::avm1 {
namespace {

// Bounds on the walk over a script's data (it may be deep, cyclic or huge).
constexpr int kMaxAmfDepth = 256;
constexpr size_t kMaxAmfValues = 1'000'000;
constexpr size_t kMaxAmfBytes = 64u << 20;

}  // namespace

Amf0Writer::Amf0Writer(Machine& machine)
    : m_(machine), xml_(machine.get(machine.global(), "XML")) {}

void Amf0Writer::value(const Value& v) {
    write(v, 0);
}

void Amf0Writer::data(Object* data) {
    references_.emplace(data, nextReference_++);
    members(data, 0, true);
}

void Amf0Writer::write(const Value& v, int depth) {
    if (++count_ > kMaxAmfValues || depth > kMaxAmfDepth || out_.size() > kMaxAmfBytes)
        throw ScriptLimitError("data too large or too deep to write as AMF");
    if (v.isUndefined()) {
        marker(amf0::kUndefined);
    } else if (v.isNull()) {
        marker(amf0::kNull);
    } else if (v.isBool()) {
        marker(amf0::kBoolean);
        out_ += static_cast<char>(v.asBool() ? 1 : 0);
    } else if (v.isNumber()) {
        marker(amf0::kNumber);
        number(v.asNumber());
    } else if (v.isString()) {
        const std::string& s = v.asString();
        if (s.size() > 0xFFFF) {
            marker(amf0::kLongString);
            unsigned32(static_cast<uint32_t>(s.size()));
        } else {
            marker(amf0::kString);
            unsigned16(static_cast<uint32_t>(s.size()));
        }
        out_ += s;
    } else if (Object* o = v.asObject(); o->asStageObject()) {
        marker(amf0::kUndefined);  // clips do not travel
    } else if (auto* date = dynamic_cast<DateObject*>(o)) {
        ++nextReference_;
        marker(amf0::kDate);
        number(date->time());
        unsigned16(0);  // the time zone, which readers ignore
    } else if (xml_.isObject() && instanceOf(m_, v, xml_)) {
        ++nextReference_;
        std::string text = m_.toString(v);
        marker(amf0::kXmlDocument);
        unsigned32(static_cast<uint32_t>(text.size()));
        out_ += text;
    } else if (auto seen = references_.find(o);
               seen != references_.end() && seen->second <= 0xFFFF) {
        marker(amf0::kReference);
        unsigned16(seen->second);
    } else {
        references_.emplace(o, nextReference_++);
        if (auto* array = dynamic_cast<ArrayObject*>(o)) {
            marker(amf0::kEcmaArray);
            unsigned32(static_cast<uint32_t>(array->signedLength()));
        } else if (const std::string* alias = registeredName(o)) {
            marker(amf0::kTypedObject);
            name(*alias);
        } else {
            marker(amf0::kObject);
        }
        members(o, depth, false);
        name("");
        marker(amf0::kObjectEnd);
    }
}

void Amf0Writer::members(Object* o, int depth, bool trailingZero) {
    std::vector<std::string> names;
    o->ownNames(names);
    for (const std::string& member : names) {
        Property* p = o->findOwn(member);
        if (!p || (p->flags & kDontEnum)) continue;
        Value v = m_.get(Value(o), member);
        if (v.asObject() && v.asObject()->asFunction()) continue;
        name(member);
        write(v, depth + 1);
        if (trailingZero) out_ += '\0';
    }
}

void Amf0Writer::marker(amf0::Marker m) {
    out_ += static_cast<char>(m);
}

void Amf0Writer::number(double n) {
    auto bits = std::bit_cast<uint64_t>(n);
    for (int shift = 56; shift >= 0; shift -= 8) out_ += static_cast<char>(bits >> shift);
}

void Amf0Writer::unsigned16(uint32_t n) {
    out_ += static_cast<char>(n >> 8);
    out_ += static_cast<char>(n);
}

void Amf0Writer::unsigned32(uint32_t n) {
    unsigned16(n >> 16);
    unsigned16(n & 0xFFFF);
}

void Amf0Writer::name(const std::string& s) {
    // A name has a 16-bit length: a longer one is cut there.
    size_t size = std::min<size_t>(s.size(), 0xFFFF);
    unsigned16(static_cast<uint32_t>(size));
    out_.append(s, 0, size);
}

const std::string* Amf0Writer::registeredName(Object* o) const {
    // The class an object says it is an instance of: its own constructor property, else the
    // one `new` recorded; what it inherits does not count.
    for (const char* member : {"constructor", "__constructor__"})
        if (Property* p = o->findOwn(member); p && !p->isVirtual())
            return m_.registeredName(p->value.asObject());
    return nullptr;
}

}  // namespace swf::avm1
