#include "swf/text/TextLayout.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace swf {
namespace {

struct Item {
    std::optional<uint32_t> glyph;
    double advance = 0;
    double measuredAdvance = 0;  // what the item adds to its line's width
    size_t run = 0;
    bool space = false;  // white space: hangs past the line's end
    bool breaks = false;  // a line may break after it
    bool tab = false;
};

bool isSpace(char32_t c) {
    return c == ' ' || c == '\t';
}

// Break opportunities: a space; a tab or a no-break space is not one.
bool isBreakOpportunity(char32_t c) {
    return c == ' ';
}

bool isBreak(char32_t c) {
    return c == '\r' || c == '\n';
}

class RunCursor {
  public:
    explicit RunCursor(std::span<const TextLayoutRun> runs) : runs_(runs) {}

    // The run of the character at `index`: indices only grow between calls.
    size_t runAt(size_t index) {
        while (current_ + 1 < runs_.size() && runs_[current_].end <= index) ++current_;
        return current_;
    }

  private:
    std::span<const TextLayoutRun> runs_;
    size_t current_ = 0;
};

std::vector<Item> measure(std::u32string_view text, size_t begin, size_t end,
                          std::span<const TextLayoutRun> runs, RunCursor& cursor,
                          const TextLayoutStyle& paragraph) {
    // A tab goes to the next tab stop; without any it is as wide as a space.
    const bool tabStops = !paragraph.tabStops.empty();
    std::vector<Item> items;
    items.reserve(end - begin);
    for (size_t i = begin; i < end; ++i) {
        const char32_t c = text[i];
        Item item;
        item.run = cursor.runAt(i);
        const TextLayoutRun& run = runs[item.run];
        item.space = isSpace(c);
        item.breaks = isBreakOpportunity(c);
        item.tab = c == '\t' && tabStops;
        if (run.font && !item.tab) item.glyph = run.font->glyphFor(c == '\t' ? U' ' : c);
        if (item.glyph) {
            double advance = TextLayout::scaled(run.font->advance(*item.glyph), *run.font,
                                                run.style);
            const double measured = run.style.wholePixelAdvances
                                        ? std::ceil(std::round(advance) / 20) * 20
                                        : advance;
            item.advance = advance + run.style.letterSpacing;
            item.measuredAdvance = measured + run.style.letterSpacing;
        }
        items.push_back(item);
    }
    return items;
}

// Where the pen is after `item` when it starts at `x`, moving by the drawn or the measured
// advance: a tab stops at the next stop past the pen, or stays put once they run out.
double advanced(const Item& item, double x, const TextLayoutStyle& style, bool measured = false) {
    if (!item.tab) return x + (measured ? item.measuredAdvance : item.advance);
    auto next = std::upper_bound(style.tabStops.begin(), style.tabStops.end(), x);
    return next == style.tabStops.end() ? x : *next;
}

// Where the line starting at `start` ends: before the first word that does not fit, or
// inside a word too long for a line of its own, by the measured advances. Always takes at
// least one item.
size_t lineEnd(const std::vector<Item>& items, size_t start, double startX,
               const TextLayoutStyle& style) {
    double x = startX;
    size_t wordStart = start;  // start of the last word that began on this line
    bool inGap = false;        // in white space holding a break opportunity
    for (size_t i = start; i < items.size(); ++i) {
        const double next = advanced(items[i], x, style, true);
        if (style.wordWrap && !items[i].space && i > start && next > style.width)
            return wordStart > start ? wordStart : i;
        x = next;
        inGap = items[i].breaks || (inGap && items[i].space);
        if (inGap && i + 1 < items.size() && !items[i + 1].space) wordStart = i + 1;
    }
    return items.size();
}

// Ascent and descent of a run's font at its size.
void growToRun(TextLine& line, const TextLayoutRun& run) {
    if (!run.font) return;
    const LineMetrics m = TextLayout::metrics(*run.font, run.style);
    line.ascent = std::max(line.ascent, m.ascent);
    line.descent = std::max(line.descent, m.descent);
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

double TextLayout::textHeight(std::span<const TextLine> lines) {
    double height = 0;
    for (const TextLine& line : lines) height += line.ascent + line.descent;
    // Leading between the lines; a single line counts its own.
    if (lines.size() == 1) return height + lines[0].leading;
    for (size_t i = 0; i + 1 < lines.size(); ++i) height += lines[i].leading;
    return height;
}

std::vector<TextLine> TextLayout::layOut(std::u32string_view text, const GlyphSource& font,
                                         const TextLayoutStyle& style) {
    const TextLayoutRun run{text.size(), &font, style};
    return layOut(text, std::span<const TextLayoutRun>(&run, 1));
}

std::vector<TextLine> TextLayout::layOut(std::u32string_view text,
                                         std::span<const TextLayoutRun> runs) {
    std::vector<TextLine> lines;
    if (runs.empty()) return lines;
    RunCursor cursor(runs);
    double top = 0;

    size_t paragraphStart = 0;
    while (paragraphStart <= text.size()) {
        size_t paragraphEnd = paragraphStart;
        while (paragraphEnd < text.size() && !isBreak(text[paragraphEnd])) ++paragraphEnd;
        const size_t firstRun = cursor.runAt(paragraphStart);
        const TextLayoutStyle& style = runs[firstRun].style;
        std::vector<Item> items =
            measure(text, paragraphStart, paragraphEnd, runs, cursor, style);
        const double bulletRoom = style.bullet ? kBulletIndent : 0;

        size_t start = 0;
        do {
            const double startX =
                style.blockIndent + bulletRoom + (start == 0 ? style.indent : 0);
            const size_t end = lineEnd(items, start, startX, style);
            TextLine line;
            line.begin = paragraphStart + start;
            line.end = paragraphStart + end;
            line.leading = style.leading;
            line.indent = startX;
            // An empty line is as tall as the font of its break.
            if (start == end) growToRun(line, runs[firstRun]);
            if (start == 0 && style.bullet && runs[firstRun].font) {
                const GlyphSource& font = *runs[firstRun].font;
                if (auto bullet = font.glyphFor(U'\u2022'))
                    line.glyphs.push_back({*bullet, style.blockIndent, 0, firstRun});
            }
            double x = startX, visibleEnd = startX;
            double measuredX = startX, measuredVisibleEnd = startX;
            for (size_t i = start; i < end; ++i) {
                growToRun(line, runs[items[i].run]);
                if (items[i].glyph)
                    line.glyphs.push_back({*items[i].glyph, x, items[i].advance, items[i].run, paragraphStart + i});
                x = advanced(items[i], x, style);
                measuredX = advanced(items[i], measuredX, style, true);
                if (!items[i].space) {
                    visibleEnd = x;
                    measuredVisibleEnd = measuredX;
                }
            }
            line.width =
                (style.align == TextAlign::Left ? measuredX : measuredVisibleEnd) - startX;
            line.baseline = top + line.ascent;
            top += line.ascent + line.descent + line.leading;
            double offset = style.leftMargin;
            if (style.align == TextAlign::Right)
                offset += style.width - visibleEnd;
            else if (style.align == TextAlign::Center)
                offset += std::floor((style.width - visibleEnd) / 2);
            for (PlacedGlyph& glyph : line.glyphs) glyph.x += offset;
            line.start = startX + offset;
            lines.push_back(std::move(line));
            start = end;
        } while (start < items.size());

        if (paragraphEnd >= text.size()) break;
        // "\r\n" is one break.
        paragraphStart = paragraphEnd + (text[paragraphEnd] == '\r' &&
                                                 paragraphEnd + 1 < text.size() &&
                                                 text[paragraphEnd + 1] == '\n'
                                             ? 2
                                             : 1);
        lines.back().end = paragraphStart;
    }
    return lines;
}

}  // namespace swf
