#include "swf/text/TextLayout.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace swf {
namespace {

struct Item {
    std::optional<uint32_t> glyph;
    double advance = 0;
    bool space = false;
    bool tab = false;
};

// Break opportunities; a no-break space is not one.
bool isSpace(char32_t c) {
    return c == ' ' || c == '\t';
}

std::vector<Item> measure(std::u32string_view paragraph, const GlyphSource& font,
                          const TextLayoutStyle& style) {
    // A tab goes to the next tab stop; without any it is as wide as a space.
    const bool tabStops = !style.tabStops.empty();
    std::vector<Item> items;
    items.reserve(paragraph.size());
    for (char32_t c : paragraph) {
        Item item;
        item.space = isSpace(c);
        item.tab = c == '\t' && tabStops;
        item.glyph = font.glyphFor(c == '\t' ? U' ' : c);
        if (item.tab) item.glyph.reset();
        if (item.glyph)
            item.advance =
                TextLayout::scaled(font.advance(*item.glyph), font, style) + style.letterSpacing;
        items.push_back(item);
    }
    return items;
}

// Where the pen is after `item` when it starts at `x`: a tab stops at the next stop past
// the pen, or stays put once they run out.
double advanced(const Item& item, double x, const TextLayoutStyle& style) {
    if (!item.tab) return x + item.advance;
    auto next = std::upper_bound(style.tabStops.begin(), style.tabStops.end(), x);
    return next == style.tabStops.end() ? x : *next;
}

// Where the line starting at `start` ends: before the first word that does not fit, or
// inside a word too long for a line of its own. Always takes at least one item.
size_t lineEnd(const std::vector<Item>& items, size_t start, double startX,
               const TextLayoutStyle& style) {
    double x = startX;
    size_t wordStart = start;  // start of the last word that began on this line
    for (size_t i = start; i < items.size(); ++i) {
        const double next = advanced(items[i], x, style);
        if (style.wordWrap && !items[i].space && i > start && next > style.width)
            return wordStart > start ? wordStart : i;
        x = next;
        if (items[i].space && i + 1 < items.size() && !items[i + 1].space) wordStart = i + 1;
    }
    return items.size();
}

}  // namespace

double LineMetrics::textHeight(size_t lines) const {
    if (lines == 0) return 0;
    return static_cast<double>(lines) * (ascent + descent) +
           static_cast<double>(std::max<size_t>(1, lines - 1)) * leading;
}

double TextLayout::scaled(double fontUnits, const GlyphSource& font,
                          const TextLayoutStyle& style) {
    if (font.emSize() <= 0) return 0;
    return std::floor(fontUnits * style.fontHeight / font.emSize());
}

LineMetrics TextLayout::metrics(const GlyphSource& font, const TextLayoutStyle& style) {
    return LineMetrics{scaled(font.ascent(), font, style), scaled(font.descent(), font, style),
                       style.leading};
}

std::vector<TextLine> TextLayout::layOut(std::u32string_view text, const GlyphSource& font,
                                         const TextLayoutStyle& style) {
    const LineMetrics lineMetrics = metrics(font, style);
    const double step = lineMetrics.step();
    std::vector<TextLine> lines;

    size_t paragraphStart = 0;
    while (paragraphStart <= text.size()) {
        size_t newline = text.find_first_of(U"\r\n", paragraphStart);
        size_t paragraphEnd = newline == std::u32string_view::npos ? text.size() : newline;
        std::vector<Item> items =
            measure(text.substr(paragraphStart, paragraphEnd - paragraphStart), font, style);

        size_t start = 0;
        do {
            const double startX = style.blockIndent + (start == 0 ? style.indent : 0);
            const size_t end = lineEnd(items, start, startX, style);
            TextLine line;
            line.baseline = lineMetrics.ascent + static_cast<double>(lines.size()) * step;
            line.indent = startX;
            double x = startX, visibleEnd = startX;
            for (size_t i = start; i < end; ++i) {
                if (items[i].glyph) line.glyphs.push_back({*items[i].glyph, x});
                x = advanced(items[i], x, style);
                if (!items[i].space) visibleEnd = x;
            }
            line.width = (style.align == TextAlign::Left ? x : visibleEnd) - startX;
            double offset = style.leftMargin;
            if (style.align == TextAlign::Right)
                offset += style.width - visibleEnd;
            else if (style.align == TextAlign::Center)
                offset += std::floor((style.width - visibleEnd) / 2);
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
