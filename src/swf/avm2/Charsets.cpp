#include "swf/avm2/Charsets.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>

#include "swf/avm2/ByteArrayObject.h"
#include "swf/avm2/Utf16.h"

namespace swf::avm2 {
namespace {

enum class Form { Utf8, Utf16Le, Utf16Be, Other };

Form formOf(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    if (name == "utf-8" || name == "utf8" || name.empty()) return Form::Utf8;
    if (name == "unicode" || name == "utf-16" || name == "utf-16le") return Form::Utf16Le;
    if (name == "utf-16be" || name == "unicodefffe") return Form::Utf16Be;
    return Form::Other;
}

// Converts with iconv; false when the conversion is unknown.
bool convert(const char* to, const char* from, const char* data, size_t size, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::unique_ptr<void, int (*)(iconv_t)> closer(cd, iconv_close);
    out.assign(size * 4 + 4, '\0');
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    char* dst = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        ++in;  // an unconvertible byte is skipped
        --inLeft;
    }
    out.resize(out.size() - outLeft);
    return true;
}

std::string untilNul(std::string text) {
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

}  // namespace

std::string decodeCharset(const uint8_t* data, size_t size, const std::string& charset) {
    Form form = formOf(charset);
    if (form == Form::Utf16Le || form == Form::Utf16Be) {
        std::u16string units;
        for (size_t i = 0; i + 1 < size; i += 2) {
            auto unit = static_cast<char16_t>(form == Form::Utf16Le ? data[i] | data[i + 1] << 8 : data[i] << 8 | data[i + 1]);
            if (unit == 0) break;
            units.push_back(unit);
        }
        return fromUtf16(units);
    }
    std::string converted;
    if (form == Form::Other &&
        convert("UTF-8", charset.c_str(), reinterpret_cast<const char*>(data), size, converted))
        return untilNul(converted);
    return untilNul(decodeUtf8(data, size));
}

std::vector<uint8_t> encodeCharset(const std::string& text, const std::string& charset) {
    Form form = formOf(charset);
    if (form == Form::Utf16Le || form == Form::Utf16Be) {
        std::vector<uint8_t> out;
        for (char16_t unit : toUtf16(text)) {
            uint8_t low = static_cast<uint8_t>(unit & 0xFF), high = static_cast<uint8_t>(unit >> 8);
            out.push_back(form == Form::Utf16Le ? low : high);
            out.push_back(form == Form::Utf16Le ? high : low);
        }
        return out;
    }
    std::string converted;
    if (form == Form::Other && convert(charset.c_str(), "UTF-8", text.data(), text.size(), converted))
        return std::vector<uint8_t>(converted.begin(), converted.end());
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace swf::avm2
