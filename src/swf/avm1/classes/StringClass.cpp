// String: the constructor and the methods of String.prototype. Positions count UTF-16 units
// (bytes before SWF 6); numeric arguments convert as the player's do, to 32-bit integers, and
// an undefined end or count means "to the end" in every version.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/PrimitiveObject.h"
#include "swf/avm1/machine/StringFunctions.h"
#include "swf/format/LetterCase.h"

namespace swf::avm1 {
namespace {

using Args = std::span<const Value>;

bool given(Args args, size_t i) {
    return i < args.size() && !args[i].isUndefined();
}

// The text a method works on: a String object's own, anything else converted.
std::string thisText(Machine& m, Object* self) {
    return PrimitiveObject::ownTextOf(m, Value(self));
}

std::u16string thisUnits(Machine& m, Object* self) {
    return toUnits(thisText(m, self), m.swfVersion());
}

int64_t intArg(Machine& m, Args args, size_t i) {
    return m.toInt32(arg(args, i));
}

// A position counted from the end when negative, clamped to the text.
size_t fromEnd(int64_t position, size_t length) {
    auto n = static_cast<int64_t>(length);
    if (position < 0) position = std::max<int64_t>(0, n + position);
    return static_cast<size_t>(std::min(position, n));
}

size_t clamped(int64_t position, size_t length) {
    return static_cast<size_t>(std::clamp<int64_t>(position, 0, static_cast<int64_t>(length)));
}

Value unitsValue(Machine& m, std::u16string_view units) {
    std::string text = fromUnits(units, m.swfVersion());
    Machine::checkLength(text.size());
    return Value(std::move(text));
}

Value charAt(Machine& m, Object* self, Args args) {
    std::string text = thisText(m, self);
    int64_t i = intArg(m, args, 0);
    int32_t unit = i < 0 ? -1 : unitAt(text, static_cast<size_t>(i), m.swfVersion());
    if (unit < 0) return Value("");
    std::u16string units(1, static_cast<char16_t>(unit));
    return unitsValue(m, units);
}

Value charCodeAt(Machine& m, Object* self, Args args) {
    std::string text = thisText(m, self);
    int64_t i = intArg(m, args, 0);
    if (i < 0) return Value(NAN);
    int32_t unit = unitAt(text, static_cast<size_t>(i), m.swfVersion());
    // SWF 5 reads the terminating zero and past it.
    if (unit < 0) return m.swfVersion() < 6 ? Value(0) : Value(NAN);
    return Value(unit);
}

Value concat(Machine& m, Object* self, Args args) {
    std::string text = thisText(m, self);
    for (const Value& v : args) {
        std::string part = m.toString(v);
        Machine::checkLength(text.size() + part.size());
        appendText(text, part, m.swfVersion());
    }
    return Value(std::move(text));
}

// Codes are taken as 16-bit units; a zero ends the string.
Value fromCharCode(Machine& m, Object*, Args args) {
    std::u16string units;
    for (const Value& v : args) {
        auto unit = static_cast<char16_t>(toUint32(m.toNumber(v)) & 0xFFFF);
        if (unit == 0) break;
        units.push_back(unit);
    }
    return unitsValue(m, units);
}

Value indexOf(Machine& m, Object* self, Args args) {
    if (args.empty()) return Value();
    std::u16string units = thisUnits(m, self);
    std::u16string search = toUnits(m.toString(args[0]), m.swfVersion());
    int64_t start = given(args, 1) ? std::max<int64_t>(0, intArg(m, args, 1)) : 0;
    if (static_cast<size_t>(start) > units.size()) return Value(-1);
    size_t at = units.find(search, static_cast<size_t>(start));
    return at == std::u16string::npos ? Value(-1) : Value(static_cast<double>(at));
}

Value lastIndexOf(Machine& m, Object* self, Args args) {
    if (args.empty()) return Value();
    std::u16string units = thisUnits(m, self);
    std::u16string search = toUnits(m.toString(args[0]), m.swfVersion());
    int64_t start = given(args, 1) ? intArg(m, args, 1) : static_cast<int64_t>(units.size());
    if (start < 0) return Value(-1);
    size_t at = units.rfind(search, clamped(start, units.size()));
    return at == std::u16string::npos ? Value(-1) : Value(static_cast<double>(at));
}

Value slice(Machine& m, Object* self, Args args) {
    if (args.empty()) return Value();
    std::u16string units = thisUnits(m, self);
    size_t from = fromEnd(intArg(m, args, 0), units.size());
    size_t to = given(args, 1) ? fromEnd(intArg(m, args, 1), units.size()) : units.size();
    if (to <= from) return Value("");
    return unitsValue(m, std::u16string_view(units).substr(from, to - from));
}

Value substr(Machine& m, Object* self, Args args) {
    if (args.empty()) return Value();
    std::u16string units = thisUnits(m, self);
    size_t from = fromEnd(intArg(m, args, 0), units.size());
    int64_t count = given(args, 1) ? intArg(m, args, 1) : static_cast<int64_t>(units.size());
    if (count <= 0) return Value("");
    return unitsValue(m, std::u16string_view(units).substr(from, static_cast<size_t>(count)));
}

// Negative and NaN ends are 0; the smaller end comes first.
Value substring(Machine& m, Object* self, Args args) {
    if (args.empty()) return Value();
    std::u16string units = thisUnits(m, self);
    size_t from = clamped(intArg(m, args, 0), units.size());
    size_t to = given(args, 1) ? clamped(intArg(m, args, 1), units.size()) : units.size();
    if (from > to) std::swap(from, to);
    return unitsValue(m, std::u16string_view(units).substr(from, to - from));
}

void checkCount(size_t count) {
    if (count > ArrayObject::kMaxLength)
        throw ScriptLimitError("array too long: split made more elements than the player keeps");
}

// SWF 6 on, an undefined separator gives the whole text (whatever the limit), as any other
// does for empty text, and an empty one every unit. SWF 5 splits at commas without a
// separator, splits only at a separator of one character and keeps the text whole (whatever
// the limit) with an empty one.
Value split(Machine& m, Object* self, Args args) {
    std::string text = thisText(m, self);
    int version = m.swfVersion();
    std::vector<Value> parts;
    std::string separator = given(args, 0) ? m.toString(args[0]) : std::string(",");
    if (version >= 6 && (!given(args, 0) || (text.empty() && !separator.empty()))) {
        parts.push_back(Value(text));
        return Value(m.newArray(parts));
    }
    if (version < 6 && separator.empty()) {
        parts.push_back(Value(text));
        return Value(m.newArray(parts));
    }
    int64_t limit = given(args, 1) ? intArg(m, args, 1) : std::numeric_limits<int64_t>::max();
    if (limit <= 0) return Value(m.newArray());
    auto wanted = static_cast<uint64_t>(limit);
    if (separator.empty()) {
        std::u16string units = toUnits(text, version);
        size_t count = static_cast<size_t>(std::min<uint64_t>(units.size(), wanted));
        checkCount(count);
        parts.reserve(count);
        for (size_t i = 0; i < count; ++i)
            parts.push_back(unitsValue(m, std::u16string_view(units).substr(i, 1)));
        return Value(m.newArray(parts));
    }
    if (version < 6 && separator.size() > 1) {
        parts.push_back(Value(text));
        return Value(m.newArray(parts));
    }
    size_t start = 0;
    while (parts.size() < wanted) {
        size_t at = text.find(separator, start);
        if (at == std::string::npos) at = text.size();
        checkCount(parts.size() + 1);
        parts.push_back(Value(text.substr(start, at - start)));
        if (at == text.size()) break;
        start = at + separator.size();
    }
    return Value(m.newArray(parts));
}

// Before SWF 6 a byte is a Latin-1 character; one whose other case is no byte stays.
template <char16_t (*Map)(char16_t)>
Value mapCase(Machine& m, Object* self, Args) {
    std::u16string units = thisUnits(m, self);
    char16_t limit = m.swfVersion() < 6 ? 0xFF : 0xFFFF;
    for (char16_t& u : units) {
        char16_t mapped = Map(u);
        if (mapped <= limit) u = mapped;
    }
    return unitsValue(m, units);
}

// toString and valueOf: a String object's text, anything else converted.
Value ownText(Machine& m, Object* self, Args) {
    return Value(thisText(m, self));
}

Value stringConstruct(Machine& m, Object* self, Args args) {
    bool constructing = m.constructing();
    Value text(args.empty() ? std::string() : m.toString(args[0]));
    if (!constructing) return text;
    if (auto* p = dynamic_cast<PrimitiveObject*>(self)) {
        p->setValue(text);
        double length = static_cast<double>(stringLength(text.asString(), m.swfVersion()));
        p->setOwn("length", Value(length), kDontEnum | kDontDelete);
    }
    return Value(self);
}

Object* makeString(Machine& m, Object* prototype) {
    return m.heap().make<PrimitiveObject>(prototype, Value(""));
}

using native::method;

constexpr NativeMember kStringStatics[] = {
    method("fromCharCode", fromCharCode),
};

constexpr NativeMember kStringMethods[] = {
    method("toString", ownText),
    method("valueOf", ownText),
    method("charAt", charAt),
    method("charCodeAt", charCodeAt),
    method("concat", concat),
    method("indexOf", indexOf),
    method("lastIndexOf", lastIndexOf),
    method("slice", slice),
    method("split", split),
    method("substr", substr),
    method("substring", substring),
    method("toLowerCase", mapCase<toLowerUnit>).numbered(251, 4),
    method("toUpperCase", mapCase<toUpperUnit>).numbered(251, 3),
};

}  // namespace

void installStringClass(Machine& m) {
    Object* proto = m.heap().make<PrimitiveObject>(m.prototypes().object, Value(""));
    m.prototypes().string = proto;
    installClass(m, m.global(), proto,
                 {"String", stringConstruct, makeString, {}, kStringStatics, kStringMethods});
}

}  // namespace swf::avm1
