// String. Positions count UTF-16 code units, as the player's strings do.
#include <algorithm>
#include <cmath>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/RegExpProgram.h"
#include "swf/avm2/Utf16.h"
#include "swf/format/LetterCase.h"

namespace swf::avm2 {

std::string receiverString(Machine& m, const Value& self) {
    if (Object* o = self.asObject(); o == m.builtins().string->prototype) return "";
    return m.toString(self);
}

namespace {

std::u16string thisText(Machine& m, const Value& self) {
    return toUtf16(receiverString(m, self));
}

Value text(std::u16string_view s) {
    return Value::string(fromUtf16(s));
}

// A position argument clamped to 0..length (NaN and undefined as `fallback`).
size_t position(Machine& m, std::span<const Value> args, size_t index, size_t length, double fallback) {
    double d = numberParameter(m, args, index, fallback);
    if (std::isnan(d)) d = 0;
    if (d < 0) d = 0;
    if (d > static_cast<double>(length)) d = static_cast<double>(length);
    return static_cast<size_t>(d);
}

}  // namespace

void installStringClass(Machine& m) {
    ClassObject* cls = m.builtins().string;
    cls->call = [](Machine& m, const Value&, std::span<const Value> args) {
        return Value::string(args.empty() ? "" : m.toString(args[0]));
    };
    cls->construct = [](Machine& m, std::span<const Value> args) {
        return Value::string(args.empty() ? "" : m.toString(args[0]));
    };
    cls->setOwn("length", Value::number(1));
    m.defineAccessor(cls, "length", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(static_cast<double>(utf16Length(receiverString(m, self))));
    });
    Object* p = cls->prototype;
    m.defineMethod(cls, "fromCharCode", [](Machine& m, const Value&, std::span<const Value> args) {
        std::u16string out;
        for (const Value& v : args) out += static_cast<char16_t>(m.toUint(v) & 0xFFFF);
        return text(out);
    });
    m.defineMethod(p, "toString", [](Machine& m, const Value& self, std::span<const Value>) {
        if (self.asObject() == m.builtins().string->prototype) return Value::string("");
        if (!self.isString()) m.throwError("TypeError", 1004, "Method String.prototype.toString was invoked on an incompatible object.");
        return self;
    });
    m.defineMethod(p, "valueOf", [](Machine& m, const Value& self, std::span<const Value>) {
        if (self.asObject() == m.builtins().string->prototype) return Value::string("");
        if (!self.isString()) m.throwError("TypeError", 1004, "Method String.prototype.valueOf was invoked on an incompatible object.");
        return self;
    });
    m.defineMethod(p, "charAt", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::u16string s = thisText(m, self);
        double i = args.empty() ? 0 : m.toNumber(args[0]);
        if (std::isnan(i)) i = 0;
        i = std::trunc(i);
        if (i < 0 || i >= static_cast<double>(s.size())) return Value::string("");
        return text(s.substr(static_cast<size_t>(i), 1));
    }, 1);
    m.defineMethod(p, "charCodeAt", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::u16string s = thisText(m, self);
        double i = args.empty() ? 0 : m.toNumber(args[0]);
        if (std::isnan(i)) i = 0;
        i = std::trunc(i);
        if (i < 0 || i >= static_cast<double>(s.size())) return Value::number(NAN);
        return Value::number(s[static_cast<size_t>(i)]);
    }, 1);
    m.defineMethod(p, "concat", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string s = receiverString(m, self);
        for (const Value& v : args) s += m.toString(v);
        return Value::string(s);
    }, 1);
    m.defineMethod(p, "indexOf", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::u16string s = thisText(m, self);
        // A String parameter takes null and undefined as null, which no text contains.
        if (!args.empty() && args[0].isNullish()) return Value::number(-1);
        std::u16string needle = toUtf16(m.toString(argAt(args, 0)));
        size_t from = position(m, args, 1, s.size(), 0);
        size_t at = s.find(needle, from);
        return Value::number(at == std::u16string::npos ? -1 : static_cast<double>(at));
    }, 2);
    m.defineMethod(p, "lastIndexOf", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::u16string s = thisText(m, self);
        if (!args.empty() && args[0].isNullish()) return Value::number(-1);
        std::u16string needle = toUtf16(m.toString(argAt(args, 0)));
        double from = argAt(args, 1).isUndefined() ? INFINITY : m.toNumber(argAt(args, 1));
        if (std::isnan(from)) from = INFINITY;
        size_t start = from < 0 ? 0 : from >= static_cast<double>(s.size()) ? s.size() : static_cast<size_t>(from);
        size_t at = s.rfind(needle, start);
        return Value::number(at == std::u16string::npos ? -1 : static_cast<double>(at));
    }, 2);
    m.defineMethod(p, "slice", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::u16string s = thisText(m, self);
        size_t a = relativePosition(m, args, 0, s.size(), 0);
        size_t b = relativePosition(m, args, 1, s.size(), static_cast<double>(s.size()));
        return text(b > a ? s.substr(a, b - a) : u"");
    }, 2);
    m.defineMethod(p, "substring", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::u16string s = thisText(m, self);
        size_t a = position(m, args, 0, s.size(), 0);
        size_t b = position(m, args, 1, s.size(), static_cast<double>(s.size()));
        if (a > b) std::swap(a, b);
        return text(s.substr(a, b - a));
    }, 2);
    m.defineMethod(p, "substr", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::u16string s = thisText(m, self);
        size_t a = relativePosition(m, args, 0, s.size(), 0);
        double len = numberParameter(m, args, 1, static_cast<double>(s.size()));
        if (std::isnan(len) || len < 0) len = 0;
        size_t n = static_cast<size_t>(std::min(len, static_cast<double>(s.size() - a)));
        return text(s.substr(a, n));
    }, 2);
    m.defineMethod(p, "toLowerCase", [](Machine& m, const Value& self, std::span<const Value>) {
        std::u16string s = thisText(m, self);
        for (char16_t& c : s) c = toLowerUnit(c);
        return text(s);
    });
    m.defineMethod(p, "toUpperCase", [](Machine& m, const Value& self, std::span<const Value>) {
        std::u16string s = thisText(m, self);
        for (char16_t& c : s) c = toUpperUnit(c);
        return text(s);
    });
    p->setOwn("toLocaleLowerCase", *p->findOwn("toLowerCase"));
    p->setOwn("toLocaleUpperCase", *p->findOwn("toUpperCase"));
    p->setEnumerable("toLocaleLowerCase", false);
    p->setEnumerable("toLocaleUpperCase", false);
    // The player compares code units: the first difference, or which is the longer.
    m.defineMethod(p, "localeCompare", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::u16string a = thisText(m, self), b = toUtf16(m.toString(argAt(args, 0)));
        for (size_t i = 0; i < a.size() && i < b.size(); ++i)
            if (a[i] != b[i]) return Value::number(static_cast<double>(a[i]) - static_cast<double>(b[i]));
        return Value::number(a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0);
    }, 1);
}

}  // namespace swf::avm2
