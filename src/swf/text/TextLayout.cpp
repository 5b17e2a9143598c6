#include "swf/text/TextLayout.h"

#include <optional>

namespace swf {
namespace {

struct Item {
    std::optional<uint32_t> glyph;
    double advance = 0;
    bool space = false;
};

// Break opportunities; a no-break space is not one.
bool isSpace(char32_t c) {
    return c == ' ' || c == '\t';
}

std::vector<Item> measure(std::u32string_view paragraph, const GlyphSource& font, double scale) {
    std::vector<Item> items;
    items.reserve(paragraph.size());
    for (char32_t c : paragraph) {
        Item item;
        item.space = isSpace(c);
        item.glyph = font.glyphFor(c == '\t' ? U' ' : c);
        if (item.glyph) item.advance = font.advance(*item.glyph) * scale;
        items.push_back(item);
    }
    return items;
}

// Where the line starting at `start` ends: before the first word that does not fit, or
// inside a word too long for a line of its own. Always takes at least one item.
size_t lineEnd(const std::vector<Item>& items, size_t start, double startX, double width,
               bool wrap) {
    double x = startX;
    size_t wordStart = start;  // start of the last word that began on this line
    for (size_t i = start; i < items.size(); ++i) {
        if (wrap && !items[i].space && i > start && x + items[i].advance > width)
            return wordStart > start ? wordStart : i;
        x += items[i].advance;
        if (items[i].space && i + 1 < items.size() && !items[i + 1].space) wordStart = i + 1;
    }
    return items.size();
}

}  // namespace

double TextLayout::lineHeight(const GlyphSource& font, const TextLayoutStyle& style) {
    const double scale = style.fontHeight / font.emSize();
    return (font.ascent() + font.descent()) * scale + style.leading;
}

std::vector<TextLine> TextLayout::layOut(std::u32string_view text, const GlyphSource& font,
                                         const TextLayoutStyle& style) {
    const double scale = style.fontHeight / font.emSize();
    const double ascent = font.ascent() * scale;
    const double step = lineHeight(font, style);
    std::vector<TextLine> lines;

    size_t paragraphStart = 0;
    while (paragraphStart <= text.size()) {
        size_t newline = text.find_first_of(U"\r\n", paragraphStart);
        size_t paragraphEnd = newline == std::u32string_view::npos ? text.size() : newline;
        std::vector<Item> items =
            measure(text.substr(paragraphStart, paragraphEnd - paragraphStart), font, scale);

        size_t start = 0;
        do {
            const double startX = start == 0 ? style.indent : 0;
            const size_t end = lineEnd(items, start, startX, style.width, style.wordWrap);
            TextLine line;
            line.baseline = ascent + static_cast<double>(lines.size()) * step;
            double x = startX;
            for (size_t i = start; i < end; ++i) {
                if (items[i].glyph) line.glyphs.push_back({*items[i].glyph, x});
                x += items[i].advance;
                if (!items[i].space) line.width = x;
            }
            double offset = style.leftMargin;
            if (style.align == TextAlign::Right)
                offset += style.width - line.width;
            else if (style.align == TextAlign::Center)
                offset += (style.width - line.width) / 2;
            for (PlacedGlyph& glyph : line.glyphs) glyph.x += offset;
            lines.push_back(std::move(line));
            start = end;
        } while (start < items.size());

        if (newline == std::u32string_view::npos) break;
        // "\r\n" is one break.
        paragraphStart =
            newline +
            (text[newline] == '\r' && newline + 1 < text.size() && text[newline + 1] == '\n' ? 2
                                                                                             : 1);
    }
    return lines;
}

}  // namespace swf
