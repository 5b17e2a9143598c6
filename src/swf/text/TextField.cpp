#include "swf/text/TextField.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "swf/shape/BoxShape.h"
#include "swf/text/DeviceFontCache.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/GlyphPainter.h"
#include "swf/text/HtmlParser.h"
#include "swf/text/HtmlWriter.h"
#include "swf/text/TextDecoding.h"

namespace swf {
namespace {

const Rgba kWhite{255, 255, 255, 255};
constexpr int32_t kHalfPixel = 10;  // twips

// The part of the pixel at (x, y) twips a border's bottom-right corner covers: the triangle
// above and left of its diagonal, short of the pixel's centre.
Shape cornerShape(int32_t x, int32_t y, Rgba color) {
    constexpr double kLeg = 2 * kHalfPixel - 1;
    Shape shape;
    shape.bounds = Rect{x, x + 2 * kHalfPixel, y, y + 2 * kHalfPixel};
    FillStyle fill;
    fill.color = color;
    shape.fills.push_back(fill);
    ShapePath path;
    path.fill1 = 1;
    const Point corners[] = {{double(x), double(y)}, {x + kLeg, double(y)}, {double(x), y + kLeg}};
    for (size_t i = 0; i < 3; ++i)
        path.edges.push_back({corners[i], {}, corners[(i + 1) % 3], false});
    shape.paths.push_back(std::move(path));
    return shape;
}

// The original player draws the border through the centres of the pixels from the bounds'
// left/top edge to their right/bottom edge, so it covers one pixel more than the background
// on the right and at the bottom; under a plain scale and offset it is snapped to whole
// pixels. A field drawing with embedded outlines has its border's bottom-right corner pixel
// partly covered (anti-aliased, it shows grey; painted whole or not at all, it stays
// empty); a field of device text leaves that pixel out.
void drawBorder(Canvas& canvas, const Rect& bounds, const Matrix& toPixels,
                const ColorTransform& cxform, Rgba color, bool outlinedCorner) {
    if (toPixels.b != 0 || toPixels.c != 0) {
        const Rect outline{bounds.xMin + kHalfPixel, bounds.xMax + kHalfPixel,
                           bounds.yMin + kHalfPixel, bounds.yMax + kHalfPixel};
        canvas.drawShape(boxShape(outline, std::nullopt, color), toPixels, cxform, {});
        return;
    }
    const Point a = toPixels.apply({double(bounds.xMin), double(bounds.yMin)});
    const Point z = toPixels.apply({double(bounds.xMax), double(bounds.yMax)});
    // Halves round down: a field at x = 20.5 px has its border in column 20.
    auto pixelCentre = [](double pixel) {
        return static_cast<int32_t>(std::ceil(pixel - 0.5) * kTwipsPerPixel) + kHalfPixel;
    };
    // Whole pixels, filled: the top row and the left column in full, the right column and
    // the bottom row each one pixel short.
    const int32_t x0 = pixelCentre(std::min(a.x, z.x)) - kHalfPixel;
    const int32_t x1 = pixelCentre(std::max(a.x, z.x)) - kHalfPixel;
    const int32_t y0 = pixelCentre(std::min(a.y, z.y)) - kHalfPixel;
    const int32_t y1 = pixelCentre(std::max(a.y, z.y)) - kHalfPixel;
    const int32_t one = 2 * kHalfPixel;
    const Matrix twipsToPixels = Matrix::scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel);
    const Rect sides[] = {{x0, x1 + one, y0, y0 + one},
                          {x0, x1, y1, y1 + one},
                          {x0, x0 + one, y0 + one, y1},
                          {x1, x1 + one, y0 + one, y1}};
    for (const Rect& side : sides)
        if (side.xMin < side.xMax && side.yMin < side.yMax && (y1 > y0 || side.yMin == y0))
            canvas.drawShape(boxShape(side, color, std::nullopt), twipsToPixels, cxform, {});
    if (outlinedCorner && x1 > x0 && y1 > y0)
        canvas.drawShape(cornerShape(x1, y1, color), twipsToPixels, cxform, {});
}

// Under a plain scale and offset the background covers the pixels from the one its
// top-left corner falls in up to, not including, the one its bottom-right corner falls in.
void drawBackground(Canvas& canvas, const Rect& bounds, const Matrix& toPixels,
                    const ColorTransform& cxform, Rgba color) {
    if (toPixels.b != 0 || toPixels.c != 0) {
        canvas.drawShape(boxShape(bounds, color, std::nullopt), toPixels, cxform, {});
        return;
    }
    const Point a = toPixels.apply({double(bounds.xMin), double(bounds.yMin)});
    const Point z = toPixels.apply({double(bounds.xMax), double(bounds.yMax)});
    auto pixelEdge = [](double pixel) {
        return static_cast<int32_t>(std::clamp(std::floor(pixel), -1e7, 1e7) * kTwipsPerPixel);
    };
    const Rect snapped{pixelEdge(std::min(a.x, z.x)), pixelEdge(std::max(a.x, z.x)),
                       pixelEdge(std::min(a.y, z.y)), pixelEdge(std::max(a.y, z.y))};
    if (snapped.empty()) return;
    canvas.drawShape(boxShape(snapped, color, std::nullopt),
                     Matrix::scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel), cxform, {});
}

Rgba rgbOf(uint32_t color) {
    return Rgba{static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
                static_cast<uint8_t>(color), 255};
}

// Newlines are kept as carriage returns, as the player stores them; "\r\n" is two.
std::u32string normalizeBreaks(std::u32string text) {
    std::replace(text.begin(), text.end(), U'\n', U'\r');
    return text;
}

}  // namespace

void TextField::drawUnderlines(Canvas& canvas, const TextLine& line, double left, double top,
                               const Matrix& toPixels, const ColorTransform& cxform) const {
    // One pixel thick, a pixel under the baseline, across each run of underlined glyphs.
    const double y = std::round(top + line.baseline) + 20;
    for (size_t i = 0; i < line.glyphs.size();) {
        const size_t run = line.glyphs[i].run;
        size_t j = i + 1;
        while (j < line.glyphs.size() && line.glyphs[j].run == run) ++j;
        if (runLooks_[run].underline) {
            const double x0 = left + line.glyphs[i].x;
            const double x1 = left + line.glyphs[j - 1].x + line.glyphs[j - 1].advance;
            const Rect under{static_cast<int32_t>(std::lround(x0)),
                             static_cast<int32_t>(std::lround(x1)), static_cast<int32_t>(y),
                             static_cast<int32_t>(y) + 20};
            if (under.xMin < under.xMax)
                canvas.drawShape(boxShape(under, rgbOf(runLooks_[run].color), std::nullopt),
                                 toPixels, cxform, {});
        }
        i = j;
    }
}

const char* autoSizeName(AutoSize autoSize) {
    switch (autoSize) {
        case AutoSize::Left: return "left";
        case AutoSize::Center: return "center";
        case AutoSize::Right: return "right";
        default: return "none";
    }
}

void TextField::setAutoSize(AutoSize autoSize) {
    settings_.autoSize = autoSize;
    changed();
}

void TextField::setExtent(bool width, double twips, const Dictionary& dictionary) {
    // The size goes to the field's own box: a scaled field shows it scaled.
    twips = std::clamp(twips, -1e9, 1e9);
    Rect& bounds = settings_.bounds;
    bounds = box(dictionary);
    if (width)
        bounds.xMax = bounds.xMin + static_cast<int32_t>(twips);
    else
        bounds.yMax = bounds.yMin + static_cast<int32_t>(twips);
    // A field that sizes itself fits its text to the new box at once; any other keeps its
    // lines until it is laid out again.
    if (settings_.autoSize != AutoSize::None)
        changed();
    else
        layoutDue_ = true;
}

void TextField::layOutIfDue() const {
    if (!layoutDue_) return;
    lines_.reset();
    layoutDue_ = false;
}

void TextField::setTextColor(uint32_t rgb) {
    TextFormat color;
    color.color = rgb;
    applyFormat(color);
    setNewFormat(color);
}

TextField::TextField(std::shared_ptr<const EditTextCharacter> definition,
                     const Dictionary* dictionary, int swfVersion)
    : definition_(std::move(definition)), swfVersion_(swfVersion) {
    const EditTextCharacter& field = *definition_;
    settings_.bounds = field.bounds;
    settings_.border = field.border;
    settings_.background = field.border;
    settings_.wordWrap = field.wordWrap;
    settings_.multiline = field.multiline;
    settings_.password = field.password;
    settings_.html = field.html;
    settings_.selectable = !field.noSelect;
    settings_.editable = !field.readOnly;
    settings_.embedFonts = field.useOutlines;
    settings_.autoSize = field.autoSize ? AutoSize::Left : AutoSize::None;
    settings_.maxChars = field.maxLength.value_or(0);
    settings_.variable = field.variableName;
    settings_.antiAliasType = field.advancedAntiAlias ? "advanced" : "normal";
    settings_.gridFitType = field.gridFitType;
    settings_.thickness = field.thickness;
    settings_.sharpness = field.sharpness;

    const EditTextLayout layout = field.layout.value_or(EditTextLayout{});
    TextFormat& f = newFormat_;
    f.font = kDefaultFont;
    if (field.fontClass) f.font = *field.fontClass;
    f.bold = false;
    f.italic = false;
    if (field.fontId && dictionary) {
        if (const auto* font = dictionary->findAs<FontCharacter>(*field.fontId)) {
            f.font = font->name();
            // HTML text takes its style from its tags alone.
            f.bold = font->bold() && !field.html;
            f.italic = font->italic() && !field.html;
        }
    }
    definitionFont_ = *f.font;
    f.size = (field.fontHeight > 0 ? field.fontHeight : kDefaultFontHeight) / 20.0;
    uint32_t color = 0;
    if (field.textColor)
        color = uint32_t(field.textColor->r) << 16 | uint32_t(field.textColor->g) << 8 |
                field.textColor->b;
    f.color = color;
    f.underline = false;
    f.url = "";
    f.target = "";
    f.align = layout.align;
    f.leftMargin = layout.leftMargin / 20.0;
    f.rightMargin = layout.rightMargin / 20.0;
    // The player keeps the indent in whole pixels (leading stays exact: lines show it).
    f.indent = std::trunc(layout.indent / 20.0);
    f.leading = layout.leading / 20.0;
    f.blockIndent = 0.0;
    f.tabStops = std::vector<double>{};
    f.bullet = false;
    f.kerning = false;
    f.letterSpacing = 0.0;
    setText(field.initialText.value_or(""), field.html);
}

void TextField::setText(std::string_view text, bool html) {
    std::u32string decoded = DecodeMovieText(text);
    if (html)
        setHtml(decoded, true);
    else
        setPlainText(std::move(decoded));
}

void TextField::setHtml(std::u32string_view html, bool definitionText) {
    HtmlParser::Options options;
    options.multiline = settings_.multiline;
    options.condenseWhite = settings_.condenseWhite;
    options.styleSheet = styleSheet_ ? &*styleSheet_ : nullptr;
    options.swfVersion = swfVersion_;
    options.definitionText = definitionText;
    // Older players start HTML paragraphs from left alignment, the field's new text with them;
    // later ones keep a definition's alignment only when it brings HTML text to lay out.
    if (swfVersion_ < 8 || (definitionText && html.empty())) newFormat_.align = TextAlign::Left;
    FormattedText parsed = HtmlParser::parse(html, newFormat_, options);
    text_ = std::move(parsed.text);
    runs_ = std::move(parsed.runs);
    htmlSource_.reset();
    if (styleSheet_) htmlSource_ = std::u32string(html);
    lines_.reset();
}

void TextField::setPlainText(std::u32string text) {
    text_ = normalizeBreaks(std::move(text));
    runs_.clear();
    runs_.append(text_.size(), newFormat_);
    htmlSource_.reset();
    lines_.reset();
}

void TextField::replaceText(size_t begin, size_t end, std::u32string inserted) {
    begin = std::min(begin, text_.size());
    end = std::clamp(end, begin, text_.size());
    const TextFormat* before = runs_.at(begin > 0 ? begin - 1 : 0);
    const TextFormat format = before ? *before : newFormat_;
    inserted = normalizeBreaks(std::move(inserted));
    runs_.replace(begin, end, inserted.size(), format);
    text_.replace(begin, end - begin, inserted);
    htmlSource_.reset();
    lines_.reset();
}

void TextField::applyFormat(const TextFormat& format, size_t begin, size_t end) {
    runs_.apply(begin, end, format);
    htmlSource_.reset();
    lines_.reset();
}

std::u32string TextField::htmlText() const {
    if (htmlSource_) return *htmlSource_;
    return HtmlWriter::write(text_, runs_, newFormat_);
}

const TextFormat& TextField::leadingFormat() const {
    const TextFormat* first = runs_.at(0);
    return first ? *first : newFormat_;
}

const GlyphSource* TextField::fontFor(const TextFormat& format,
                                     const Dictionary& dictionary) const {
    const EditTextCharacter& field = *definition_;
    DeviceFontCache& installed = DeviceFontCache::shared();
    const std::string name = format.font.value_or(kDefaultFont);
    const bool bold = format.bold.value_or(false), italic = format.italic.value_or(false);
    if (field.fontId && name == definitionFont_) {
        const auto* embedded = dictionary.findAs<FontCharacter>(*field.fontId);
        if (embedded && settings_.embedFonts && embedded->hasOutlines()) return embedded;
        if (embedded) return installed.find(embedded->name(), bold, italic);
    }
    // Embedded fonts only: text in a font the movie does not embed shows nothing and takes
    // no room.
    if (settings_.embedFonts) return embeddedFont(dictionary, name, bold, italic);
    if (name == kDefaultFont && !field.fontClass && !field.fontId)
        return installed.find("", bold, italic);
    return installed.find(name, bold, italic);
}

const GlyphSource* TextField::embeddedFont(const Dictionary& dictionary, const std::string& name,
                                           bool bold, bool italic) const {
    std::string key = name + (bold ? "/b" : "/") + (italic ? "i" : "");
    if (namedFontDictionary_ != &dictionary) namedFonts_.clear();
    namedFontDictionary_ = &dictionary;
    for (const auto& [known, font] : namedFonts_)
        if (known == key) return font;
    // The lowest id wins among fonts of the name, one of the asked style before any other.
    const FontCharacter* best = nullptr;
    auto rank = [&](const FontCharacter& font) {
        return std::make_pair(font.bold() != bold || font.italic() != italic, font.id());
    };
    dictionary.forEach([&](const Character& character) {
        if (character.kind() != FontCharacter::kKind) return;
        const auto& font = static_cast<const FontCharacter&>(character);
        if (font.name() != name || !font.hasOutlines()) return;
        if (!best || rank(font) < rank(*best)) best = &font;
    });
    // A script may name any number of fonts; the list only remembers the first few.
    if (namedFonts_.size() < 64) namedFonts_.emplace_back(std::move(key), best);
    return best;
}

TextLayoutStyle TextField::layoutStyle(const TextFormat& f) const {
    TextLayoutStyle style;
    auto twips = [](std::optional<double> pixels) {
        return std::clamp(std::round(pixels.value_or(0) * 20), -1e6, 1e6);
    };
    style.fontHeight = std::clamp(f.size.value_or(12) * 20, 0.0, 2000.0 * 20);
    style.leftMargin = std::max(0.0, twips(f.leftMargin));
    const double rightMargin = std::max(0.0, twips(f.rightMargin));
    style.width = std::max(0.0, settings_.bounds.width() - 2 * kGutter - style.leftMargin -
                                    rightMargin);
    style.indent = twips(f.indent);
    style.blockIndent = std::max(0.0, twips(f.blockIndent));
    style.leading = twips(f.leading);
    style.letterSpacing = twips(f.letterSpacing);
    if (f.tabStops)
        for (double stop : *f.tabStops) style.tabStops.push_back(twips(stop));
    std::sort(style.tabStops.begin(), style.tabStops.end());
    style.align = f.align.value_or(TextAlign::Left);
    style.bullet = f.bullet.value_or(false);
    // Word wrap does not need multiline: that only lets typed and HTML breaks in.
    style.wordWrap = settings_.wordWrap;
    return style;
}

const std::vector<TextLine>& TextField::lines(const Dictionary& dictionary) const {
    if (lines_ && layoutDictionary_ == &dictionary) return *lines_;
    layoutDictionary_ = &dictionary;
    metrics_ = {};
    layoutRuns_.clear();
    runLooks_.clear();
    auto addRun = [&](size_t end, const TextFormat& format) {
        const GlyphSource* font = fontFor(format, dictionary);
        TextLayoutStyle style = layoutStyle(format);
        // Before SWF 8 a font made for small sizes is measured on whole pixels.
        style.wholePixelAdvances = swfVersion_ < 8 && font && font->smallText();
        layoutRuns_.push_back({end, font, std::move(style)});
        runLooks_.push_back({format.color.value_or(0), format.underline.value_or(false)});
    };
    if (runs_.runs().empty())
        addRun(text_.size(), newFormat_);
    for (const FormatRun& run : runs_.runs()) addRun(run.end, run.format);
    const TextLayoutRun& first = layoutRuns_.front();
    if (first.font) metrics_ = TextLayout::metrics(*first.font, first.style);

    std::u32string shown = settings_.password ? std::u32string(text_.size(), U'*') : text_;
    const bool autoSize = settings_.autoSize != AutoSize::None;
    const bool growsSideways = autoSize && !first.style.wordWrap;
    if (growsSideways) {
        // The text's own width is the width to align in.
        double widest = 0;
        for (const TextLine& line : TextLayout::layOut(shown, layoutRuns_))
            widest = std::max(widest, line.indent + line.width);
        for (TextLayoutRun& run : layoutRuns_) run.style.width = widest;
    }
    lines_ = TextLayout::layOut(shown, layoutRuns_);
    if (autoSize) {
        // The box fitted to the text stays the field's own: it is what wrapping, a later
        // _width or a field that stops sizing itself starts from.
        Rect& box = settings_.bounds;
        // Without text the field shrinks to its gutter.
        const double textHeight = text_.empty() ? 0 : TextLayout::textHeight(*lines_);
        box.yMax = box.yMin + static_cast<int32_t>(std::lround(textHeight + 2 * kGutter));
        if (growsSideways) {
            const TextFormat& format = leadingFormat();
            const double margins = std::max(0.0, format.leftMargin.value_or(0) * 20) +
                                   std::max(0.0, format.rightMargin.value_or(0) * 20);
            const int32_t width =
                static_cast<int32_t>(std::lround(first.style.width + 2 * kGutter + margins));
            if (settings_.autoSize == AutoSize::Right) {
                box.xMin = box.xMax - width;
            } else if (settings_.autoSize == AutoSize::Center) {
                box.xMin += (box.width() - width) / 2;
                box.xMax = box.xMin + width;
            } else {
                box.xMax = box.xMin + width;
            }
        }
    }
    return *lines_;
}

const Rect& TextField::box(const Dictionary& dictionary) const {
    lines(dictionary);
    return settings_.bounds;
}

double TextField::textWidth(const Dictionary& dictionary) const {
    double widest = 0;
    for (const TextLine& line : lines(dictionary)) widest = std::max(widest, line.width);
    return widest;
}

double TextField::textHeight(const Dictionary& dictionary) const {
    // An empty field has no text height unless it can be typed in.
    if (text_.empty() && !settings_.editable) return 0;
    return TextLayout::textHeight(textLines(dictionary));
}

std::span<const TextLine> TextField::textLines(const Dictionary& dictionary) const {
    std::span<const TextLine> laidOut(lines(dictionary));
    // The empty line after a final break is text only where it can be typed on.
    if (endsInEmptyLine() && !settings_.editable) return laidOut.first(laidOut.size() - 1);
    return laidOut;
}

bool TextField::endsInEmptyLine() const {
    return lines_ && lines_->size() > 1 && lines_->back().begin == text_.size();
}

Point TextField::textOrigin(const std::vector<TextLine>& laidOut, size_t& first) const {
    first = std::min<size_t>(laidOut.size(), static_cast<size_t>(scroll_ - 1));
    const double scrolled = first < laidOut.size() && first > 0 ? laidOut[first].top() : 0;
    const Rect& box = settings_.bounds;
    return {box.xMin + kGutter - hscroll_ * 20.0, box.yMin + kGutter - scrolled};
}

namespace {

// The line shown at `y` (from the text area's top): the last for points below the text.
size_t lineAt(const std::vector<TextLine>& laidOut, size_t first, double y) {
    size_t index = first;
    while (index + 1 < laidOut.size() &&
           y >= laidOut[index].bottom() + laidOut[index].leading)
        ++index;
    return index;
}

}  // namespace

size_t TextField::caretIndexAt(Point point, const Dictionary& dictionary) const {
    const std::vector<TextLine>& laidOut = lines(dictionary);
    size_t first = 0;
    const Point origin = textOrigin(laidOut, first);
    if (first >= laidOut.size()) return text_.size();
    const double x = point.x - origin.x;
    const TextLine& line = laidOut[lineAt(laidOut, first, point.y - origin.y)];
    for (const PlacedGlyph& placed : line.glyphs)
        if (placed.character != SIZE_MAX && x < placed.x + placed.advance / 2)
            return placed.character;
    // Past the last character: before the paragraph's break, if the line has it.
    const bool endsInBreak = line.end > line.begin && line.end <= text_.size() &&
                             (text_[line.end - 1] == '\r' || text_[line.end - 1] == '\n');
    return std::min(line.end - (endsInBreak ? 1 : 0), text_.size());
}

std::optional<size_t> TextField::characterAt(Point point, const Dictionary& dictionary) const {
    const std::vector<TextLine>& laidOut = lines(dictionary);
    size_t first = 0;
    const Point origin = textOrigin(laidOut, first);
    if (first >= laidOut.size()) return std::nullopt;
    const double x = point.x - origin.x, y = point.y - origin.y;
    const TextLine& line = laidOut[lineAt(laidOut, first, y)];
    if (y < line.top() || y >= line.bottom() + line.leading)
        return std::nullopt;
    for (const PlacedGlyph& placed : line.glyphs)
        if (placed.character != SIZE_MAX && x >= placed.x && x < placed.x + placed.advance)
            return placed.character;
    return std::nullopt;
}

bool TextField::hasLinks() const {
    return std::any_of(runs_.runs().begin(), runs_.runs().end(), [](const FormatRun& run) {
        return run.format.url && !run.format.url->empty();
    });
}

int TextField::visibleLines(const Dictionary& dictionary) const {
    const std::vector<TextLine>& laidOut = lines(dictionary);
    const double room = box(dictionary).height() - 2 * kGutter;
    const size_t first = static_cast<size_t>(scroll_ - 1);
    if (first >= laidOut.size()) return uniformLinesIn(room);
    // Lines differ in height where sizes mix: a line shows when its bottom is in the box.
    const double top = laidOut[first].top();
    size_t last = first + 1;
    while (last < laidOut.size() && laidOut[last].bottom() - top <= room)
        ++last;
    return static_cast<int>(last - first);
}

int TextField::maxScroll(const Dictionary& dictionary) const {
    const std::span<const TextLine> laidOut = textLines(dictionary);
    if (laidOut.empty()) return 1;
    const double room = box(dictionary).height() - 2 * kGutter;
    // The first line from which the last one still shows whole.
    const double bottom = laidOut.back().bottom();
    size_t first = laidOut.size() - 1;
    while (first > 0 && bottom - laidOut[first - 1].top() <= room)
        --first;
    return static_cast<int>(first) + 1;
}

int TextField::uniformLinesIn(double room) const {
    if (metrics_.step() <= 0) return 1;
    return std::max(1, static_cast<int>((room + metrics_.leading) / metrics_.step()));
}

// The caret: a pixel wide, on a whole pixel of the field, as tall as its line's ascent and
// descent, in the colour of the text before it (or of the line's first run).
void TextField::drawCaret(Canvas& canvas, const std::vector<TextLine>& laidOut, size_t caret,
                          Point origin, const Matrix& toPixels,
                          const ColorTransform& cxform) const {
    if (laidOut.empty()) return;
    size_t index = laidOut.size() - 1;
    for (size_t i = 0; i < laidOut.size(); ++i)
        if (caret < laidOut[i].end) {
            index = i;
            break;
        }
    const TextLine& line = laidOut[index];
    double x = line.start;
    size_t run = 0;
    bool found = false;
    for (const PlacedGlyph& placed : line.glyphs) {
        if (placed.character == SIZE_MAX || placed.character > caret) continue;
        x = placed.character == caret ? placed.x : placed.x + placed.advance;
        run = placed.run;
        found = true;
    }
    if (!found) {
        for (size_t i = 0; i < layoutRuns_.size(); ++i)
            if (line.begin < layoutRuns_[i].end || i + 1 == layoutRuns_.size()) {
                run = i;
                break;
            }
    }
    const double pixel = 2 * kHalfPixel;
    const double left = std::floor((origin.x + x) / pixel) * pixel;
    const double top = origin.y + line.top();
    const Rect bar{static_cast<int32_t>(left), static_cast<int32_t>(left + pixel),
                   static_cast<int32_t>(std::lround(top)),
                   static_cast<int32_t>(std::lround(top + line.ascent + line.descent))};
    if (bar.empty() || run >= runLooks_.size()) return;
    canvas.drawShape(boxShape(bar, rgbOf(runLooks_[run].color), std::nullopt), toPixels, cxform,
                     {});
}

void TextField::draw(Canvas& canvas, const Matrix& toPixels, const ColorTransform& cxform,
                     const Dictionary& dictionary, bool intoMask, std::optional<size_t> caret,
                     std::pair<size_t, size_t> selected) const {
    layOutIfDue();
    const std::vector<TextLine>& laidOut = lines(dictionary);
    const Rect& bounds = settings_.bounds;
    if (!intoMask && (settings_.background || settings_.border)) {
        if (settings_.background)
            drawBackground(canvas, bounds, toPixels, cxform, rgbOf(settings_.backgroundColor));
        if (settings_.border)
            drawBorder(canvas, bounds, toPixels, cxform, rgbOf(settings_.borderColor),
                       settings_.embedFonts);
    }

    if (layoutRuns_.empty() || bounds.empty()) return;

    // The text shows inside the gutter only: what scrolls past it is cut there. The caret
    // may stand in the gutter.
    const auto gutter = static_cast<int32_t>(kGutter);
    Rect inside = bounds;
    if (inside.width() > 2 * gutter && inside.height() > 2 * gutter)
        inside = Rect{bounds.xMin + gutter, bounds.xMax - gutter, bounds.yMin + gutter,
                      bounds.yMax - gutter};
    auto beginClip = [&](const Rect& clip) {
        canvas.beginMask();
        canvas.drawShape(boxShape(clip, kWhite, std::nullopt), toPixels, {}, {});
        canvas.endMask();
    };
    if (!intoMask) beginClip(inside);
    auto isSelected = [&](const PlacedGlyph& placed) {
        return !intoMask && placed.character >= selected.first &&
               placed.character < selected.second;
    };
    size_t first = 0;
    const auto [left, top] = textOrigin(laidOut, first);
    for (size_t i = first; i < laidOut.size(); ++i) {
        const TextLine& line = laidOut[i];
        for (const PlacedGlyph& placed : line.glyphs) {
            if (!isSelected(placed)) continue;
            const Rect box{static_cast<int32_t>(std::lround(left + placed.x)),
                           static_cast<int32_t>(std::lround(left + placed.x + placed.advance)),
                           static_cast<int32_t>(std::lround(top + line.top())),
                           static_cast<int32_t>(std::lround(top + line.bottom()))};
            if (!box.empty())
                canvas.drawShape(boxShape(box, rgbOf(0), std::nullopt), toPixels, cxform, {});
        }
        // Neighbours drawn alike (colour, size in the font's units, selected or not) are
        // filled together, whatever run they come from.
        auto scaleOf = [this](const PlacedGlyph& placed) {
            const TextLayoutRun& run = layoutRuns_[placed.run];
            return run.font && run.font->emSize() > 0 ? run.style.fontHeight / run.font->emSize()
                                                      : 0.0;
        };
        auto colorOf = [&](const PlacedGlyph& placed) {
            const uint32_t color = runLooks_[placed.run].color;
            return isSelected(placed) ? ~color & 0xFFFFFFu : color;
        };
        std::vector<RunGlyph> together;
        for (size_t g = 0; g < line.glyphs.size();) {
            const PlacedGlyph& first = line.glyphs[g];
            const double scale = scaleOf(first);
            const uint32_t color = colorOf(first);
            together.clear();
            size_t end = g;
            for (; end < line.glyphs.size() && scaleOf(line.glyphs[end]) == scale &&
                   colorOf(line.glyphs[end]) == color;
                 ++end) {
                const PlacedGlyph& placed = line.glyphs[end];
                if (scale > 0)
                    together.push_back(
                        {layoutRuns_[placed.run].font->glyphShape(placed.glyph),
                         {(placed.x - first.x) / scale, 0}});
            }
            if (scale > 0)
                DrawGlyphRun(canvas, together,
                             toPixels * Matrix::translate(left + first.x, top + line.baseline) *
                                 Matrix::scale(scale, scale),
                             rgbOf(color), cxform);
            g = end;
        }
        if (!intoMask) drawUnderlines(canvas, line, left, top, toPixels, cxform);
    }
    if (intoMask) return;
    canvas.popMask();
    if (!caret) return;
    beginClip(bounds);
    drawCaret(canvas, laidOut, *caret, {left, top}, toPixels, cxform);
    canvas.popMask();
}

}  // namespace swf
