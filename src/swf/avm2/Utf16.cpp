#include "swf/avm2/Utf16.h"

#include "swf/format/Utf8.h"

namespace swf::avm2 {
namespace {

// Decodes one sequence at `i`, advancing it; a byte that starts no valid sequence stands
// for itself (as Latin-1).
char32_t decodeAt(std::string_view s, size_t& i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b = byte(i);
    size_t need = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : 0;
    if (need == 0 || i + need >= s.size()) {
        ++i;
        return b;
    }
    char32_t c = b & (need == 3 ? 0x07 : need == 2 ? 0x0F : 0x1F);
    for (size_t k = 1; k <= need; ++k) {
        unsigned char t = byte(i + k);
        if ((t & 0xC0) != 0x80) {
            ++i;
            return b;
        }
        c = (c << 6) | (t & 0x3F);
    }
    i += need + 1;
    return c;
}

}  // namespace

std::u16string toUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t c = decodeAt(text, i);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

void appendUtf16Unit(std::string& out, char16_t unit) {
    appendUtf8(out, unit);
}

std::string fromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

std::string printableText(std::string_view text) {
    // Surrogates are held as three-byte sequences starting 0xED 0xA0 to 0xBF.
    bool surrogates = false;
    for (size_t i = 0; i + 1 < text.size() && !surrogates; ++i)
        surrogates = static_cast<unsigned char>(text[i]) == 0xED && static_cast<unsigned char>(text[i + 1]) >= 0xA0;
    if (!surrogates) return std::string(text);
    std::u16string units = toUtf16(text);
    for (size_t i = 0; i < units.size(); ++i) {
        bool high = units[i] >= 0xD800 && units[i] < 0xDC00;
        bool low = units[i] >= 0xDC00 && units[i] < 0xE000;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            ++i;
        } else if (high || low) {
            units[i] = 0xFFFD;
        }
    }
    return fromUtf16(units);
}

int compareUnits(std::string_view a, std::string_view b) {
    if (isAscii(a) && isAscii(b)) return a.compare(b);
    return toUtf16(a).compare(toUtf16(b));
}

size_t utf16Length(std::string_view text) {
    if (isAscii(text)) return text.size();
    size_t n = 0;
    for (size_t i = 0; i < text.size();) n += decodeAt(text, i) >= 0x10000 ? 2 : 1;
    return n;
}

}  // namespace swf::avm2
