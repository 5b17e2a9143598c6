// The global functions that escape text: escape and unescape, encodeURI(Component) and
// decodeURI(Component) with the player's URIError for malformed input.
#include <cstdio>
#include <string_view>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/LanguageClasses.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/Utf16.h"

namespace swf::avm2 {
namespace {

constexpr std::string_view kUnreserved = "-_.!~*'()";
constexpr std::string_view kReserved = ";/?:@&=+$,#";

bool isAlnum(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int hexValue(char16_t c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

void appendHex(std::u16string& out, unsigned value, int digits) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    for (const char* c = buf; *c; ++c) out += static_cast<char16_t>(*c);
}

[[noreturn]] void badUri(Machine& m, const char* function) {
    m.throwError("URIError", 1052, std::string("Invalid URI passed to ") + function + " function.");
}

std::u16string encode(Machine& m, const std::u16string& s, bool component, const char* function) {
    std::u16string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (isAlnum(c) || (c < 0x80 && kUnreserved.find(static_cast<char>(c)) != std::string_view::npos) ||
            (!component && c < 0x80 && kReserved.find(static_cast<char>(c)) != std::string_view::npos)) {
            out += c;
            continue;
        }
        char32_t cp = c;
        if (c >= 0xDC00 && c < 0xE000) badUri(m, function);
        if (c >= 0xD800 && c < 0xDC00) {
            if (i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] >= 0xE000) badUri(m, function);
            cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (s[++i] - 0xDC00);
        }
        std::string bytes;
        if (cp < 0x80) bytes += static_cast<char>(cp);
        else if (cp < 0x800) bytes += {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
        else if (cp < 0x10000)
            bytes += {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
        else
            bytes += {static_cast<char>(0xF0 | (cp >> 18)), static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
                      static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
        for (char b : bytes) {
            out += u'%';
            appendHex(out, static_cast<unsigned char>(b), 2);
        }
    }
    return out;
}

std::u16string decode(Machine& m, const std::u16string& s, bool component, const char* function) {
    std::u16string out;
    auto byteAt = [&](size_t at) {
        if (at + 2 >= s.size() || s[at] != '%') badUri(m, function);
        int hi = hexValue(s[at + 1]), lo = hexValue(s[at + 2]);
        if (hi < 0 || lo < 0) badUri(m, function);
        return static_cast<unsigned>(hi * 16 + lo);
    };
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        size_t start = i;
        unsigned b = byteAt(i);
        i += 2;
        if (b < 0x80) {
            char16_t c = static_cast<char16_t>(b);
            if (!component && kReserved.find(static_cast<char>(c)) != std::string_view::npos) out.append(s, start, 3);
            else out += c;
            continue;
        }
        int more = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (more < 0) badUri(m, function);
        char32_t cp = b & (more == 1 ? 0x1F : more == 2 ? 0x0F : 0x07);
        for (int k = 0; k < more; ++k) {
            unsigned t = byteAt(i + 1);
            if ((t & 0xC0) != 0x80) badUri(m, function);
            cp = (cp << 6) | (t & 0x3F);
            i += 3;
        }
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) badUri(m, function);
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

}  // namespace

void installUriFunctions(Machine& m) {
    auto global = [&m](const char* name, std::u16string (*apply)(Machine&, const std::u16string&)) {
        m.defineGlobal("", name, Value::object(m.newNative([apply](Machine& m, const Value&, std::span<const Value> args) {
            // The parameter is a String defaulting to "undefined": an undefined argument is null.
            std::string text = args.empty() ? "undefined" : m.toString(m.coerceString(args[0]));
            return Value::string(fromUtf16(apply(m, toUtf16(text))));
        }, 1)));
    };
    global("encodeURI", [](Machine& m, const std::u16string& s) { return encode(m, s, false, "encodeURI"); });
    global("encodeURIComponent", [](Machine& m, const std::u16string& s) { return encode(m, s, true, "encodeURIComponent"); });
    global("decodeURI", [](Machine& m, const std::u16string& s) { return decode(m, s, false, "decodeURI"); });
    global("decodeURIComponent", [](Machine& m, const std::u16string& s) { return decode(m, s, true, "decodeURIComponent"); });
    global("escape", [](Machine&, const std::u16string& s) {
        std::u16string out;
        for (char16_t c : s) {
            if (isAlnum(c) || (c < 0x80 && std::string_view("@-_.*+/").find(static_cast<char>(c)) != std::string_view::npos)) {
                out += c;
            } else if (c < 0x100) {
                out += u'%';
                appendHex(out, c, 2);
            } else {
                out += u"%u";
                appendHex(out, c, 4);
            }
        }
        return out;
    });
    global("unescape", [](Machine&, const std::u16string& s) {
        std::u16string out;
        for (size_t i = 0; i < s.size(); ++i) {
            auto hexRun = [&](size_t from, size_t count, unsigned& value) {
                if (from + count > s.size()) return false;
                value = 0;
                for (size_t k = 0; k < count; ++k) {
                    int h = hexValue(s[from + k]);
                    if (h < 0) return false;
                    value = value * 16 + static_cast<unsigned>(h);
                }
                return true;
            };
            unsigned v = 0;
            if (s[i] == '%' && i + 1 < s.size() && s[i + 1] == 'u' && hexRun(i + 2, 4, v)) {
                out += static_cast<char16_t>(v);
                i += 5;
            } else if (s[i] == '%' && hexRun(i + 1, 2, v)) {
                out += static_cast<char16_t>(v);
                i += 2;
            } else {
                out += s[i];
            }
        }
        return out;
    });
}

}  // namespace swf::avm2
