#include "swf/text/TextDecoding.h"

namespace swf {
namespace {

// Length of the UTF-8 sequence starting at `i` and its code point, or 0 when invalid.
size_t decodeSequence(std::string_view bytes, size_t i, char32_t& out) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(i);
    size_t length = lead < 0x80             ? 1
                    : (lead & 0xE0) == 0xC0 ? 2
                    : (lead & 0xF0) == 0xE0 ? 3
                    : (lead & 0xF8) == 0xF0 ? 4
                                            : 0;
    if (length == 0 || i + length > bytes.size()) return 0;
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    out = value;
    return length;
}

}  // namespace

std::u32string DecodeMovieText(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        size_t length = decodeSequence(bytes, i, c);
        if (length == 0) {
            c = static_cast<unsigned char>(bytes[i]);
            length = 1;
        }
        text.push_back(c);
        i += length;
    }
    return text;
}

}  // namespace swf
