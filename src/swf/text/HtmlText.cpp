#include "swf/text/HtmlText.h"

#include <array>
#include <cctype>
#include <optional>
#include <utility>

namespace swf {
namespace {

// Entity names are short; anything longer after '&' is text, not an entity.
constexpr size_t kMaxEntityLength = 10;

std::string lowerAscii(std::u32string_view text) {
    std::string out;
    for (char32_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(std::tolower(static_cast<int>(c))) : '?');
    return out;
}

// The tag's name, lower case, with a leading '/' for closing tags.
std::string tagName(std::u32string_view tag) {
    size_t end = 0;
    if (end < tag.size() && tag[end] == '/') ++end;
    while (end < tag.size() && tag[end] != ' ' && tag[end] != '/' && tag[end] != '\t' &&
           tag[end] != '\n' && tag[end] != '\r')
        ++end;
    return lowerAscii(tag.substr(0, end));
}

std::optional<char32_t> decodeEntity(std::u32string_view name) {
    if (name.size() > 1 && name[0] == '#') {
        bool hex = name[1] == 'x' || name[1] == 'X';
        std::u32string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8) return std::nullopt;
        char32_t value = 0;
        for (char32_t d : digits) {
            int digit = d >= '0' && d <= '9'          ? static_cast<int>(d - '0')
                        : hex && d >= 'a' && d <= 'f' ? static_cast<int>(d - 'a' + 10)
                        : hex && d >= 'A' && d <= 'F' ? static_cast<int>(d - 'A' + 10)
                                                      : -1;
            if (digit < 0) return std::nullopt;
            value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        }
        if (value == 0 || value > 0x10FFFF) return std::nullopt;
        return value;
    }
    static constexpr std::array<std::pair<std::string_view, char32_t>, 6> kNamed = {{
        {"lt", U'<'},
        {"gt", U'>'},
        {"amp", U'&'},
        {"quot", U'"'},
        {"apos", U'\''},
        {"nbsp", U'\u00A0'},
    }};
    std::string lower = lowerAscii(name);
    for (const auto& [entity, value] : kNamed)
        if (lower == entity) return value;
    return std::nullopt;
}

}  // namespace

std::u32string PlainTextFromHtml(std::u32string_view html) {
    std::u32string text;
    // A paragraph's end breaks the line only when more text follows it.
    bool paragraphEnded = false;
    auto emit = [&](char32_t c) {
        if (paragraphEnded) text.push_back('\n');
        paragraphEnded = false;
        text.push_back(c);
    };
    for (size_t i = 0; i < html.size();) {
        char32_t c = html[i];
        if (c == '<') {
            size_t close = html.find('>', i + 1);
            if (close == std::u32string_view::npos) break;  // an unfinished tag shows nothing
            std::string name = tagName(html.substr(i + 1, close - i - 1));
            if (name == "br")
                emit('\n');
            else if (name == "/p" || (name == "p" && !text.empty() && text.back() != '\n'))
                paragraphEnded = true;
            i = close + 1;
            continue;
        }
        if (c == '&') {
            size_t semicolon = html.find(';', i + 1);
            if (semicolon != std::u32string_view::npos && semicolon - i - 1 <= kMaxEntityLength) {
                if (auto value = decodeEntity(html.substr(i + 1, semicolon - i - 1))) {
                    emit(*value);
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        emit(c);
        ++i;
    }
    return text;
}

}  // namespace swf
