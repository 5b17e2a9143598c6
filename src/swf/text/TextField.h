#pragma once
// A text field on the stage: the DefineEditText definition's settings as a script may change
// them (size, colours, border, ...) and the text it shows now, each character with its format.
// The text starts as the definition's initial text and changes through setText (scripts,
// variables). Layout is redone on the next use after a change.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/movie/Dictionary.h"
#include "swf/render/Canvas.h"
#include "swf/text/EditTextCharacter.h"
#include "swf/text/GlyphSource.h"
#include "swf/text/StyleSheet.h"
#include "swf/text/TextFormat.h"
#include "swf/text/TextLayout.h"
#include "swf/text/TextRuns.h"

namespace swf {

enum class AutoSize : uint8_t { None, Left, Center, Right };
// "none", "left", "center" or "right", as scripts name them.
const char* autoSizeName(AutoSize autoSize);

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
    int32_t maxChars = 0;  // what typing may reach; 0 or less: no limit
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

    // `dictionary` names the definition's font for the field's format, when given;
    // `swfVersion` is the movie's, which decides how its HTML reads.
    explicit TextField(std::shared_ptr<const EditTextCharacter> definition,
                       const Dictionary* dictionary = nullptr, int swfVersion = 8);

    const EditTextCharacter& definition() const { return *definition_; }
    TextFieldSettings& settings() { return settings_; }
    const TextFieldSettings& settings() const { return settings_; }
    // Call after changing settings or the format: the layout is redone.
    void changed() {
        lines_.reset();
        layoutDue_ = false;
    }
    // Takes effect when the field is next laid out (see box).
    void setAutoSize(AutoSize autoSize);
    // Sets the width or height of the field's box (twips), from the box it takes now. Unless
    // the field sizes itself, its text stays laid out as it was (its width and height read
    // the same) until it is laid out again: on the next change, or once the frame's scripts
    // are done.
    void setExtent(bool width, double twips, const Dictionary& dictionary);
    // Lays the field out again where a size change left its old lines.
    void layOutIfDue() const;
    // The colour of all the text and of text to come.
    void setTextColor(uint32_t rgb);

    // The initial text of the field's definition, as a movie stores strings (UTF-8, or 8-bit in
    // old movies), as HTML or plain.
    void setText(std::string_view text, bool html);
    // Plain text: all of it in the format for new text.
    void setPlainText(std::u32string text);
    // HTML text: its tags format the characters, starting from the format for new text;
    // paragraphs and <br> break lines in multiline fields only. `definitionText` tells the
    // field's initial text from text a script sets.
    void setHtml(std::u32string_view html, bool definitionText = false);
    // Characters [begin, end) give way to `inserted`, in the format of the character before.
    void replaceText(size_t begin, size_t end, std::u32string inserted);
    // What the field shows (before password masking).
    const std::u32string& text() const { return text_; }
    // The text as the player writes it back as HTML (see HtmlWriter); with a style sheet, the
    // HTML as it was set.
    std::u32string htmlText() const;

    // The styles HTML set from now on takes (none: null).
    void setStyleSheet(std::optional<StyleSheet> sheet) { styleSheet_ = std::move(sheet); }
    // Whether the field keeps the HTML it was given (under a style sheet) to give it back.
    bool hasHtmlSource() const { return htmlSource_.has_value(); }
    bool hasStyleSheet() const { return styleSheet_.has_value(); }

    // The attributes the characters in [begin, end) share.
    TextFormat formatOf(size_t begin, size_t end) const { return runs_.common(begin, end); }
    const TextRuns& runs() const { return runs_; }
    // Sets what `format` sets on the characters in [begin, end).
    void applyFormat(const TextFormat& format, size_t begin = 0, size_t end = SIZE_MAX);
    // The format text typed or set later starts with.
    const TextFormat& newFormat() const { return newFormat_; }
    void setNewFormat(const TextFormat& format) { newFormat_.merge(format); }

    // The embedded font when the field draws with its outlines, else the installed font that
    // stands in for the named one; null only when no font can be found at all.
    const GlyphSource* fontFor(const TextFormat& format, const Dictionary& dictionary) const;
    TextLayoutStyle layoutStyle(const TextFormat& format) const;
    // Lines in the font's layout, positioned inside the gutter (see TextLayout).
    const std::vector<TextLine>& lines(const Dictionary& dictionary) const;
    // The box the field takes (twips): its bounds, which laying out a field that sizes itself
    // fits to its text.
    const Rect& box(const Dictionary& dictionary) const;
    // The extent of the laid-out text (twips) and the height of one line.
    double textWidth(const Dictionary& dictionary) const;
    double textHeight(const Dictionary& dictionary) const;
    // Lines that show whole from the scrolled-to line on (at least one).
    int visibleLines(const Dictionary& dictionary) const;
    int maxScroll(const Dictionary& dictionary) const;
    // Where a click at `point` (the field's coordinates, twips) puts the caret: at the
    // nearer edge of the character under it, or at the end of the line beside or below it.
    size_t caretIndexAt(Point point, const Dictionary& dictionary) const;
    // The character under `point` (the field's coordinates, twips), if there is one.
    std::optional<size_t> characterAt(Point point, const Dictionary& dictionary) const;
    // Whether some of the text links somewhere (<a href>).
    bool hasLinks() const;
    int scroll() const { return scroll_; }
    void setScroll(int line) { scroll_ = std::max(1, line); }
    int hscroll() const { return hscroll_; }
    void setHscroll(int pixels) { hscroll_ = std::max(0, pixels); }

    // Background and border (when the field has them), then the text clipped to the
    // field's box, and the caret before character `caret` when there is one. The characters
    // from `selected.first` up to `selected.second` show selected: in their colour's inverse
    // on black. While a clip layer's mask is drawn (`intoMask`) only the glyphs go in,
    // unclipped, since masks do not nest then.
    void draw(Canvas& canvas, const Matrix& toPixels, const ColorTransform& cxform,
              const Dictionary& dictionary, bool intoMask = false,
              std::optional<size_t> caret = std::nullopt,
              std::pair<size_t, size_t> selected = {}) const;

  private:
    // The movie's font of that name that has outlines, looked up once per name and style.
    const GlyphSource* embeddedFont(const Dictionary& dictionary, const std::string& name,
                                    bool bold, bool italic) const;
    // The first character's format, or the format for new text in an empty field.
    const TextFormat& leadingFormat() const;
    // Where the scrolled text's area starts (twips, the field's coordinates) and its first
    // line shown.
    Point textOrigin(const std::vector<TextLine>& laidOut, size_t& first) const;
    // Lines of the field's own format that fit in `room` twips: for a scroll past the text.
    int uniformLinesIn(double room) const;
    // The laid-out lines that hold text: what the text's height and the scroll measure.
    std::span<const TextLine> textLines(const Dictionary& dictionary) const;
    // True when the laid-out text ends with the empty line a final break starts.
    bool endsInEmptyLine() const;
    void drawUnderlines(Canvas& canvas, const TextLine& line, double left, double top,
                        const Matrix& toPixels, const ColorTransform& cxform) const;
    void drawCaret(Canvas& canvas, const std::vector<TextLine>& laidOut, size_t caret,
                   Point origin, const Matrix& toPixels, const ColorTransform& cxform) const;

    // How a layout run is drawn.
    struct RunLook {
        uint32_t color = 0;
        bool underline = false;
    };

    std::shared_ptr<const EditTextCharacter> definition_;
    mutable TextFieldSettings settings_;  // laying out fits a self-sizing field's bounds
    TextFormat newFormat_;
    std::string definitionFont_;  // the name the definition's font goes by
    std::u32string text_;
    TextRuns runs_;
    std::optional<StyleSheet> styleSheet_;
    std::optional<std::u32string> htmlSource_;  // set with a style sheet
    int swfVersion_ = 8;
    int scroll_ = 1;
    int hscroll_ = 0;
    mutable const Dictionary* layoutDictionary_ = nullptr;
    mutable std::vector<std::pair<std::string, const GlyphSource*>> namedFonts_;
    mutable const Dictionary* namedFontDictionary_ = nullptr;
    mutable std::vector<TextLayoutRun> layoutRuns_;
    mutable std::vector<RunLook> runLooks_;
    mutable std::optional<std::vector<TextLine>> lines_;
    mutable bool layoutDue_ = false;  // the lines predate the box
    mutable LineMetrics metrics_;
};

}  // namespace swf
