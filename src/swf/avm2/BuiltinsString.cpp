// String. Positions count bytes of the UTF-8 text, which equal the player's UTF-16 positions
// for text in the Latin range scripts mostly use.
#include <algorithm>
#include <cmath>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/Machine.h"

namespace swf::avm2 {
namespace {

std::string thisString(Machine& m, const Value& self) {
    if (Object* o = self.asObject(); o == m.builtins().string->prototype) return "";
    return m.toString(self);
}

// A position argument clamped to 0..length (NaN and undefined as `fallback`).
size_t position(Machine& m, const Value& v, size_t length, double fallback) {
    double d = v.isUndefined() ? fallback : m.toNumber(v);
    if (std::isnan(d)) d = 0;
    if (d < 0) d = 0;
    if (d > static_cast<double>(length)) d = static_cast<double>(length);
    return static_cast<size_t>(d);
}

// slice's relative positions: negative counts from the end.
size_t relative(Machine& m, const Value& v, size_t length, double fallback) {
    double d = v.isUndefined() ? fallback : m.toNumber(v);
    if (std::isnan(d)) d = 0;
    d = std::trunc(d);
    if (d < 0) d = std::max(0.0, static_cast<double>(length) + d);
    return static_cast<size_t>(std::min(d, static_cast<double>(length)));
}

void appendCodePoint(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
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
        return Value::number(static_cast<double>(thisString(m, self).size()));
    });
    Object* p = cls->prototype;
    m.defineMethod(cls, "fromCharCode", [](Machine& m, const Value&, std::span<const Value> args) {
        std::string out;
        for (const Value& v : args) appendCodePoint(out, m.toUint(v) & 0xFFFF);
        return Value::string(out);
    }, 1);
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
        std::string s = thisString(m, self);
        double i = args.empty() ? 0 : m.toNumber(args[0]);
        if (std::isnan(i)) i = 0;
        i = std::trunc(i);
        if (i < 0 || i >= static_cast<double>(s.size())) return Value::string("");
        return Value::string(s.substr(static_cast<size_t>(i), 1));
    }, 1);
    m.defineMethod(p, "charCodeAt", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string s = thisString(m, self);
        double i = args.empty() ? 0 : m.toNumber(args[0]);
        if (std::isnan(i)) i = 0;
        i = std::trunc(i);
        if (i < 0 || i >= static_cast<double>(s.size())) return Value::number(NAN);
        return Value::number(static_cast<unsigned char>(s[static_cast<size_t>(i)]));
    }, 1);
    m.defineMethod(p, "concat", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string s = thisString(m, self);
        for (const Value& v : args) s += m.toString(v);
        return Value::string(s);
    }, 1);
    m.defineMethod(p, "indexOf", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string s = thisString(m, self);
        std::string needle = m.toString(argAt(args, 0));
        size_t from = position(m, argAt(args, 1), s.size(), 0);
        size_t at = s.find(needle, from);
        return Value::number(at == std::string::npos ? -1 : static_cast<double>(at));
    }, 1);
    m.defineMethod(p, "lastIndexOf", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string s = thisString(m, self);
        std::string needle = m.toString(argAt(args, 0));
        double from = argAt(args, 1).isUndefined() ? INFINITY : m.toNumber(argAt(args, 1));
        if (std::isnan(from)) from = INFINITY;
        size_t start = from < 0 ? 0 : from >= static_cast<double>(s.size()) ? s.size() : static_cast<size_t>(from);
        size_t at = s.rfind(needle, start);
        return Value::number(at == std::string::npos ? -1 : static_cast<double>(at));
    }, 1);
    m.defineMethod(p, "slice", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string s = thisString(m, self);
        size_t a = relative(m, argAt(args, 0), s.size(), 0);
        size_t b = relative(m, argAt(args, 1), s.size(), static_cast<double>(s.size()));
        return Value::string(b > a ? s.substr(a, b - a) : "");
    }, 2);
    m.defineMethod(p, "substring", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string s = thisString(m, self);
        size_t a = position(m, argAt(args, 0), s.size(), 0);
        size_t b = position(m, argAt(args, 1), s.size(), static_cast<double>(s.size()));
        if (a > b) std::swap(a, b);
        return Value::string(s.substr(a, b - a));
    }, 2);
    m.defineMethod(p, "substr", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string s = thisString(m, self);
        size_t a = relative(m, argAt(args, 0), s.size(), 0);
        double len = argAt(args, 1).isUndefined() ? static_cast<double>(s.size()) : m.toNumber(argAt(args, 1));
        if (std::isnan(len) || len < 0) len = 0;
        size_t n = static_cast<size_t>(std::min(len, static_cast<double>(s.size() - a)));
        return Value::string(s.substr(a, n));
    }, 2);
    m.defineMethod(p, "toLowerCase", [](Machine& m, const Value& self, std::span<const Value>) {
        std::string s = thisString(m, self);
        for (char& c : s) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return Value::string(s);
    });
    m.defineMethod(p, "toUpperCase", [](Machine& m, const Value& self, std::span<const Value>) {
        std::string s = thisString(m, self);
        for (char& c : s) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return Value::string(s);
    });
    p->setOwn("toLocaleLowerCase", *p->findOwn("toLowerCase"));
    p->setOwn("toLocaleUpperCase", *p->findOwn("toUpperCase"));
    p->setEnumerable("toLocaleLowerCase", false);
    p->setEnumerable("toLocaleUpperCase", false);
    m.defineMethod(p, "localeCompare", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string a = thisString(m, self), b = m.toString(argAt(args, 0));
        return Value::number(a < b ? -1 : a > b ? 1 : 0);
    }, 1);
    m.defineMethod(p, "split", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string s = thisString(m, self);
        std::vector<Value> parts;
        double limit = argAt(args, 1).isUndefined() ? 4294967295.0 : m.toUint(argAt(args, 1));
        if (argAt(args, 0).isUndefined()) {
            parts.push_back(Value::string(s));
        } else {
            std::string sep = m.toString(argAt(args, 0));
            if (sep.empty()) {
                for (size_t i = 0; i < s.size() && parts.size() < limit; ++i) parts.push_back(Value::string(s.substr(i, 1)));
            } else {
                size_t start = 0;
                while (parts.size() < limit) {
                    size_t at = s.find(sep, start);
                    if (at == std::string::npos) {
                        parts.push_back(Value::string(s.substr(start)));
                        break;
                    }
                    parts.push_back(Value::string(s.substr(start, at - start)));
                    start = at + sep.size();
                }
            }
        }
        return Value::object(m.newArray(std::move(parts)));
    }, 2);
    m.defineMethod(p, "replace", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string s = thisString(m, self);
        std::string pattern = m.toString(argAt(args, 0));
        size_t at = s.find(pattern);
        if (at == std::string::npos) return Value::string(s);
        Value with = argAt(args, 1);
        std::string replacement;
        if (Object* f = with.asObject(); f && f->asFunction()) {
            Value callArgs[3] = {Value::string(pattern), Value::number(static_cast<double>(at)), Value::string(s)};
            replacement = m.toString(m.call(with, Value::null(), callArgs));
        } else {
            replacement = m.toString(with);
        }
        return Value::string(s.substr(0, at) + replacement + s.substr(at + pattern.size()));
    }, 2);
}

}  // namespace swf::avm2
