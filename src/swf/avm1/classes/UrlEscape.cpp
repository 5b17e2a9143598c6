#include "swf/avm1/classes/UrlEscape.h"

namespace swf::avm1 {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::string urlEscape(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\0') break;  // the player's strings end at a zero byte
        if (isAlphanumeric(c)) {
            out += c;
        } else {
            auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::string urlUnescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '\0') break;
        if (c == '+') {
            out += ' ';
            ++pos;
        } else if (c != '%') {
            out += c;
            ++pos;
        } else {
            int high = pos + 1 < text.size() ? hexValue(text[pos + 1]) : -1;
            int low = high >= 0 && pos + 2 < text.size() ? hexValue(text[pos + 2]) : -1;
            if (high < 0) {
                pos += 2;
            } else if (low < 0) {
                pos += 3;
            } else {
                if (high == 0 && low == 0) break;
                out += char(high * 16 + low);
                pos += 3;
            }
        }
    }
    return out;
}

}  // namespace swf::avm1
