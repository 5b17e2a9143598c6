#include "swf/avm1/machine/StringFunctions.h"
#include "swf/format/Utf8.h"

#include <algorithm>
#include <iterator>

namespace swf::avm1 {
namespace {

// The next character, a surrogate pair joined.
uint32_t nextCharacter(std::string_view text, size_t& i) {
    uint32_t c = nextCodePoint(text, i);
    if (c < 0xD800 || c >= 0xDC00 || i >= text.size()) return c;
    size_t after = i;
    uint32_t low = nextCodePoint(text, after);
    if (low < 0xDC00 || low >= 0xE000) return c;
    i = after;
    return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
}

// The surrogate written as three bytes at i, else 0.
uint32_t surrogateAt(std::string_view text, size_t i) {
    if (i + 2 >= text.size() || static_cast<uint8_t>(text[i]) != 0xED ||
        (static_cast<uint8_t>(text[i + 1]) & 0xE0) != 0xA0 ||
        (static_cast<uint8_t>(text[i + 2]) & 0xC0) != 0x80)
        return 0;
    return 0xD000u | (static_cast<uint8_t>(text[i + 1]) & 0x3Fu) << 6 |
           (static_cast<uint8_t>(text[i + 2]) & 0x3Fu);
}

uint32_t joinedPair(uint32_t high, uint32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace

void appendText(std::string& text, std::string_view more, int swfVersion) {
    // A high half ending the text and a low half starting the rest become the one character,
    // so the joined string equals the one written whole. Before SWF 6 text is bytes.
    if (swfVersion < 6) {
        text += more;
        return;
    }
    const size_t tail = text.size() >= 3 ? text.size() - 3 : 0;
    const uint32_t high = text.size() >= 3 ? surrogateAt(text, tail) : 0;
    const uint32_t low = high >= 0xD800 && high < 0xDC00 ? surrogateAt(more, 0) : 0;
    if (low < 0xDC00) {
        text += more;
        return;
    }
    text.resize(tail);
    appendUtf8(text, joinedPair(high, low));
    text += more.substr(3);
}

std::vector<uint32_t> decodeCharacters(std::string_view text, int swfVersion) {
    std::vector<uint32_t> out;
    out.reserve(text.size());
    if (swfVersion < 6) {
        for (char c : text) out.push_back(static_cast<uint8_t>(c));
        return out;
    }
    for (size_t i = 0; i < text.size();) out.push_back(nextCodePoint(text, i));
    return out;
}

std::string encodeCharacter(uint32_t c, int swfVersion) {
    std::string out;
    if (swfVersion < 6)
        out.push_back(static_cast<char>(c & 0xFF));
    else
        appendUtf8(out, c);
    return out;
}

std::string encodeCharacters(const std::vector<uint32_t>& characters, size_t from, size_t count,
                             int swfVersion) {
    std::string out;
    for (size_t i = from; i < characters.size() && i < from + count; ++i)
        out += encodeCharacter(characters[i], swfVersion);
    return out;
}

size_t stringLength(std::string_view text, int swfVersion) {
    if (swfVersion < 6 || isAscii(text)) return text.size();
    size_t length = 0;
    for (size_t i = 0; i < text.size();) length += nextCodePoint(text, i) >= 0x10000 ? 2 : 1;
    return length;
}

std::u16string toUnits(std::string_view text, int swfVersion) {
    std::u16string out;
    out.reserve(text.size());
    if (swfVersion < 6 || isAscii(text)) {
        for (char c : text) out.push_back(static_cast<uint8_t>(c));
        return out;
    }
    for (size_t i = 0; i < text.size();) {
        uint32_t c = std::min<uint32_t>(nextCodePoint(text, i), 0x10FFFF);
        if (c < 0x10000) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        }
    }
    return out;
}

int32_t unitAt(std::string_view text, size_t index, int swfVersion) {
    if (swfVersion < 6) return index < text.size() ? static_cast<uint8_t>(text[index]) : -1;
    size_t unit = 0;
    for (size_t i = 0; i < text.size();) {
        if ((text[i] & 0x80) == 0) {
            if (unit++ == index) return text[i];
            ++i;
            continue;
        }
        uint32_t c = std::min<uint32_t>(nextCodePoint(text, i), 0x10FFFF);
        if (c < 0x10000) {
            if (unit++ == index) return static_cast<int32_t>(c);
            continue;
        }
        c -= 0x10000;
        if (unit == index) return static_cast<int32_t>(0xD800 + (c >> 10));
        if (unit + 1 == index) return static_cast<int32_t>(0xDC00 + (c & 0x3FF));
        unit += 2;
    }
    return -1;
}

std::string fromUnits(std::u16string_view units, int swfVersion) {
    std::string out;
    out.reserve(units.size());
    if (swfVersion < 6) {
        for (char16_t u : units) out.push_back(static_cast<char>(u & 0xFF));
        return out;
    }
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t c = units[i];
        if (c >= 0xD800 && c < 0xE000) {
            bool pair = c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                        units[i + 1] < 0xE000;
            if (pair) {
                c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
                ++i;
            }
        }
        out += encodeCharacter(c, swfVersion);
    }
    return out;
}

std::string printable(std::string_view text) {
    // Every byte but a surrogate's, valid UTF-8 or not, is printed as it is.
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        uint32_t high = surrogateAt(text, i);
        if (!high) {
            out.push_back(text[i++]);
            continue;
        }
        uint32_t low = high < 0xDC00 ? surrogateAt(text, i + 3) : 0;
        if (low >= 0xDC00) {
            appendUtf8(out, joinedPair(high, low));
            i += 6;
        } else {
            appendUtf8(out, 0xFFFD);
            i += 3;
        }
    }
    return out;
}

bool sameText(std::string_view a, std::string_view b, int swfVersion) {
    if (a == b) return true;
    return swfVersion >= 6 && !isAscii(a) && !isAscii(b) && compareText(a, b, swfVersion) == 0;
}

int compareText(std::string_view a, std::string_view b, int swfVersion) {
    if (swfVersion < 6 || (isAscii(a) && isAscii(b))) return a.compare(b);
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        uint32_t x = nextCharacter(a, i), y = nextCharacter(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

}  // namespace swf::avm1
