#pragma once
// A text field on the stage: the DefineEditText definition's settings as a script may change
// them (size, colours, border, format, ...) and the text it shows now. The text starts as the
// definition's initial text and changes through setText (scripts, variables). Layout is redone
// on the next use after a change. One format applies to the whole text.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "swf/character/Dictionary.h"
#include "swf/geom/Geometry.h"
#include "swf/render/Canvas.h"
#include "swf/text/EditTextCharacter.h"
#include "swf/text/GlyphSource.h"
#include "swf/text/TextFormat.h"
#include "swf/text/TextLayout.h"

namespace swf {

enum class AutoSize : uint8_t { None, Left, Center, Right };

// What a script may change of a field besides its text and format.
struct TextFieldSettings {
    Rect bounds;  // twips, in the field's own space
    bool border = false;
    bool background = false;
    uint32_t borderColor = 0x000000;
    uint32_t backgroundColor = 0xFFFFFF;
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool html = false;
    bool selectable = true;
    bool editable = false;
    bool embedFonts = false;
    bool condenseWhite = false;
    bool mouseWheelEnabled = true;
    AutoSize autoSize = AutoSize::None;
    uint32_t maxChars = 0;  // 0: no limit
    std::optional<std::string> restrict;
    std::string variable;
    std::string antiAliasType = "normal";
    std::string gridFitType = "pixel";
    double sharpness = 0;
    double thickness = 0;
};

class TextField {
  public:
    // Space between the field's bounds and its text on every side: 2 pixels.
    static constexpr double kGutter = 40;
    // Without a font of its own a field shows 12-point text.
    static constexpr uint16_t kDefaultFontHeight = 240;
    static constexpr const char* kDefaultFont = "Times New Roman";

    // `dictionary` names the definition's font for the field's format, when given.
    explicit TextField(std::shared_ptr<const EditTextCharacter> definition,
                       const Dictionary* dictionary = nullptr);

    const EditTextCharacter& definition() const { return *definition_; }
    TextFieldSettings& settings() { return settings_; }
    const TextFieldSettings& settings() const { return settings_; }
    // Call after changing settings or the format: the layout is redone.
    void changed() { lines_.reset(); }

    // `text` as a movie stores strings (UTF-8, or 8-bit in old movies). HTML is reduced to
    // its plain text.
    void setText(std::string_view text, bool html);
    void setPlainText(std::u32string text);
    // HTML text: the tags' formatting of the first character becomes the field's format;
    // paragraphs and <br> break lines in multiline fields only.
    void setHtml(std::u32string_view html);
    // What the field shows (before password masking).
    const std::u32string& text() const { return text_; }
    // The text as the player writes it back as HTML: a paragraph per line, its format in tags.
    std::u32string htmlText() const;

    // The format of all the text, and the one text typed or set later starts with.
    const TextFormat& format() const { return format_; }
    void applyFormat(const TextFormat& format);
    const TextFormat& newFormat() const { return newFormat_; }
    void setNewFormat(const TextFormat& format) { newFormat_.merge(format); }
    // Text that replaces all of the field's takes the format for new text.
    void useNewFormat() {
        format_ = newFormat_;
        lines_.reset();
    }

    // The embedded font when the field draws with its outlines, else the installed font that
    // stands in for the named one; null only when no font can be found at all.
    const GlyphSource* font(const Dictionary& dictionary) const;
    TextLayoutStyle layoutStyle() const;
    // Lines in the font's layout, positioned inside the gutter (see TextLayout).
    const std::vector<TextLine>& lines(const Dictionary& dictionary) const;
    // The box the field takes (twips): its bounds, or for a field that sizes itself the box
    // that fits its text.
    const Rect& box(const Dictionary& dictionary) const;
    // The extent of the laid-out text (twips) and the height of one line.
    double textWidth(const Dictionary& dictionary) const;
    double textHeight(const Dictionary& dictionary) const;
    // Lines that fit in the box at once (at least one).
    int visibleLines(const Dictionary& dictionary) const;
    int maxScroll(const Dictionary& dictionary) const;
    int scroll() const { return scroll_; }
    void setScroll(int line) { scroll_ = std::max(1, line); }
    int hscroll() const { return hscroll_; }
    void setHscroll(int pixels) { hscroll_ = std::max(0, pixels); }

    // Background and border (when the field has them), then the text clipped to the
    // field's box. While a clip layer's mask is drawn (`intoMask`) only the glyphs go in,
    // unclipped, since masks do not nest then.
    void draw(Canvas& canvas, const Matrix& toPixels, const ColorTransform& cxform,
              const Dictionary& dictionary, bool intoMask = false) const;

  private:
    // The movie's font of that name that has outlines, looked up once per name and style.
    const GlyphSource* embeddedFont(const Dictionary& dictionary, const std::string& name,
                                    bool bold, bool italic) const;

    std::shared_ptr<const EditTextCharacter> definition_;
    TextFieldSettings settings_;
    TextFormat format_;
    TextFormat newFormat_;
    std::string definitionFont_;  // the name the definition's font goes by
    std::u32string text_;
    int scroll_ = 1;
    int hscroll_ = 0;
    mutable const GlyphSource* layoutFont_ = nullptr;
    mutable std::string namedFontKey_;
    mutable const Dictionary* namedFontDictionary_ = nullptr;
    mutable const GlyphSource* namedFont_ = nullptr;
    mutable std::optional<std::vector<TextLine>> lines_;
    mutable Rect box_;
    mutable LineMetrics metrics_;
};

}  // namespace swf
