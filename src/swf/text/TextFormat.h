#pragma once
// A text format as scripts see it (TextFormat objects, a field's format and its format for
// new text): every attribute may be unset, which getTextFormat reports as null.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "swf/text/TextLayout.h"

namespace swf {

// "left", "right", "center" or "justify", as scripts name them.
inline const char* alignName(TextAlign align) {
    switch (align) {
        case TextAlign::Right: return "right";
        case TextAlign::Center: return "center";
        case TextAlign::Justify: return "justify";
        default: return "left";
    }
}

struct TextFormat {
    std::optional<std::string> font;
    std::optional<double> size;  // points (pixels)
    std::optional<uint32_t> color;
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
    std::optional<std::string> url;
    std::optional<std::string> target;
    std::optional<TextAlign> align;
    std::optional<double> leftMargin;  // pixels
    std::optional<double> rightMargin;
    std::optional<double> indent;
    std::optional<double> leading;
    std::optional<double> blockIndent;
    std::optional<std::vector<double>> tabStops;
    std::optional<bool> bullet;
    std::optional<bool> kerning;
    std::optional<double> letterSpacing;
    std::string display = "block";

    // Takes every attribute `other` sets.
    void merge(const TextFormat& other) {
        auto take = [](auto& to, const auto& from) {
            if (from) to = from;
        };
        take(font, other.font);
        take(size, other.size);
        take(color, other.color);
        take(bold, other.bold);
        take(italic, other.italic);
        take(underline, other.underline);
        take(url, other.url);
        take(target, other.target);
        take(align, other.align);
        take(leftMargin, other.leftMargin);
        take(rightMargin, other.rightMargin);
        take(indent, other.indent);
        take(leading, other.leading);
        take(blockIndent, other.blockIndent);
        take(tabStops, other.tabStops);
        take(bullet, other.bullet);
        take(kerning, other.kerning);
        take(letterSpacing, other.letterSpacing);
        display = other.display;
    }

    bool operator==(const TextFormat&) const = default;
};

}  // namespace swf
