#include "swf/text/HtmlWriter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

namespace swf {
namespace {

// The attributes a <FONT> tag carries.
struct FontAttributes {
    std::string face;
    double size = 0;
    uint32_t color = 0;
    double letterSpacing = 0;
    bool kerning = false;

    bool operator==(const FontAttributes&) const = default;
};

FontAttributes fontOf(const TextFormat& f) {
    return {f.font.value_or(""), f.size.value_or(12), f.color.value_or(0) & 0xFFFFFF,
            f.letterSpacing.value_or(0), f.kerning.value_or(false)};
}

// What makes characters of a paragraph write differently.
bool sameLook(const TextFormat& a, const TextFormat& b) {
    return fontOf(a) == fontOf(b) && a.url.value_or("") == b.url.value_or("") &&
           a.target.value_or("") == b.target.value_or("") &&
           a.bold.value_or(false) == b.bold.value_or(false) &&
           a.italic.value_or(false) == b.italic.value_or(false) &&
           a.underline.value_or(false) == b.underline.value_or(false);
}

std::string numberText(double value) {
    if (value == std::floor(value) && std::abs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

class Writer {
  public:
    explicit Writer(std::u32string& out) : out_(out) {}

    void ascii(std::string_view text) {
        for (unsigned char c : text) out_.push_back(c);
    }

    // A string attribute's value as written: quotes and brackets escaped.
    void escaped(std::u32string_view text) {
        for (char32_t c : text) {
            if (c == '<') ascii("&lt;");
            else if (c == '>') ascii("&gt;");
            else if (c == '&') ascii("&amp;");
            else if (c == '"') ascii("&quot;");
            else out_.push_back(c);
        }
    }

    void escapedUtf8(const std::string& text) {
        // Attribute strings are UTF-8; written back character by character.
        std::u32string wide;
        for (size_t i = 0; i < text.size();) {
            const unsigned char lead = static_cast<unsigned char>(text[i]);
            const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
            char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
            size_t j = 1;
            for (; j <= static_cast<size_t>(extra) && i + j < text.size(); ++j)
                c = (c << 6) | (static_cast<unsigned char>(text[i + j]) & 0x3F);
            wide.push_back(c);
            i += j;
        }
        escaped(wide);
    }

    void attribute(std::string_view name, const std::string& value) {
        ascii(" ");
        ascii(name);
        ascii("=\"");
        escapedUtf8(value);
        ascii("\"");
    }

    // <FONT> with the attributes that differ from `outer` (all of them without one).
    void openFont(const FontAttributes& font, const FontAttributes* outer) {
        ascii("<FONT");
        if (!outer || font.face != outer->face) attribute("FACE", font.face);
        if (!outer || font.size != outer->size) attribute("SIZE", numberText(font.size));
        if (!outer || font.color != outer->color) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "#%06X", font.color);
            attribute("COLOR", hex);
        }
        if (!outer || font.letterSpacing != outer->letterSpacing)
            attribute("LETTERSPACING", numberText(font.letterSpacing));
        if (!outer || font.kerning != outer->kerning)
            attribute("KERNING", font.kerning ? "1" : "0");
        ascii(">");
    }

  private:
    std::u32string& out_;
};

void writeTextFormatOpening(Writer& w, const TextFormat& f, bool& opened) {
    std::string attributes;
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on chained concatenation.
    auto add = [&](std::string_view name, const std::string& value) {
        attributes.append(" ").append(name).append("=\"").append(value).append("\"");
    };
    auto number = [&](std::string_view name, std::optional<double> value) {
        if (value && *value != 0) add(name, numberText(*value));
    };
    number("LEFTMARGIN", f.leftMargin);
    number("RIGHTMARGIN", f.rightMargin);
    number("INDENT", f.indent);
    number("BLOCKINDENT", f.blockIndent);
    number("LEADING", f.leading);
    if (f.tabStops && !f.tabStops->empty()) {
        std::string stops;
        for (double stop : *f.tabStops) {
            if (!stops.empty()) stops.push_back(',');
            stops.append(numberText(stop));
        }
        add("TABSTOPS", stops);
    }
    opened = !attributes.empty();
    if (opened) w.ascii("<TEXTFORMAT" + attributes + ">");
}

std::string upperAlignName(TextAlign align) {
    std::string name = alignName(align);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

// One paragraph: [begin, end) holds its characters, its break (if any) at end - 1.
void writeParagraph(Writer& w, std::u32string_view text, const TextRuns& runs,
                    const TextFormat& fallback, size_t begin, size_t end) {
    auto formatAt = [&](size_t i) -> const TextFormat& {
        const TextFormat* f = runs.at(i);
        return f ? *f : fallback;
    };
    const TextFormat& first = formatAt(begin);
    bool textFormat = false;
    writeTextFormatOpening(w, first, textFormat);
    const bool bullet = first.bullet.value_or(false);
    if (bullet)
        w.ascii("<LI>");
    else
        w.ascii("<P ALIGN=\"" + upperAlignName(first.align.value_or(TextAlign::Left)) +
                "\">");
    std::vector<FontAttributes> fonts{fontOf(first)};
    w.openFont(fonts.back(), nullptr);

    for (size_t runBegin = begin; runBegin < end;) {
        const TextFormat& f = formatAt(runBegin);
        size_t runEnd = runBegin + 1;
        while (runEnd < end && sameLook(formatAt(runEnd), f)) ++runEnd;
        // A run back in an outer <FONT>'s attributes closes the ones inside it.
        const FontAttributes font = fontOf(f);
        auto outer = std::find(fonts.rbegin(), fonts.rend(), font);
        if (outer != fonts.rend()) {
            const size_t keep = fonts.size() - static_cast<size_t>(outer - fonts.rbegin());
            for (; fonts.size() > keep; fonts.pop_back()) w.ascii("</FONT>");
        } else {
            w.openFont(font, &fonts.back());
            fonts.push_back(font);
        }
        const bool link = !f.url.value_or("").empty();
        if (link) {
            w.ascii("<A");
            w.attribute("HREF", *f.url);
            w.attribute("TARGET", f.target.value_or(""));
            w.ascii(">");
        }
        if (f.bold.value_or(false)) w.ascii("<B>");
        if (f.italic.value_or(false)) w.ascii("<I>");
        if (f.underline.value_or(false)) w.ascii("<U>");
        // The paragraph's break is not written; its format is.
        const size_t shownEnd = runEnd == end && text[end - 1] == '\r' ? end - 1 : runEnd;
        w.escaped(text.substr(runBegin, shownEnd - runBegin));
        if (f.underline.value_or(false)) w.ascii("</U>");
        if (f.italic.value_or(false)) w.ascii("</I>");
        if (f.bold.value_or(false)) w.ascii("</B>");
        if (link) w.ascii("</A>");
        runBegin = runEnd;
    }
    for (; !fonts.empty(); fonts.pop_back()) w.ascii("</FONT>");
    w.ascii(bullet ? "</LI>" : "</P>");
    if (textFormat) w.ascii("</TEXTFORMAT>");
}

}  // namespace

std::u32string HtmlWriter::write(std::u32string_view text, const TextRuns& runs,
                                 const TextFormat& fallback) {
    std::u32string out;
    Writer w(out);
    size_t begin = 0;
    while (begin < text.size()) {
        const size_t brk = text.find(U'\r', begin);
        const size_t end = brk == std::u32string_view::npos ? text.size() : brk + 1;
        writeParagraph(w, text, runs, fallback, begin, end);
        begin = end;
    }
    return out;
}

}  // namespace swf
