#pragma once
// A text field on the stage: the DefineEditText definition plus the text it shows now.
// The text starts as the definition's initial text and changes through setText (scripts,
// variables). Layout is redone on the next draw after a change.

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
#include "swf/text/TextLayout.h"

namespace swf {

class TextField {
  public:
    // Space between the field's bounds and its text on every side: 2 pixels.
    static constexpr double kGutter = 40;
    // Without a font of its own a field shows 12-point text.
    static constexpr uint16_t kDefaultFontHeight = 240;

    explicit TextField(std::shared_ptr<const EditTextCharacter> definition);

    const EditTextCharacter& definition() const { return *definition_; }

    // `text` as a movie stores strings (UTF-8, or 8-bit in old movies). HTML is reduced to
    // its plain text.
    void setText(std::string_view text, bool html);
    // What the field shows (before password masking).
    const std::u32string& text() const { return text_; }

    // The embedded font when the field draws with its outlines, else the installed font that
    // stands in for the named one; null only when no font can be found at all.
    const GlyphSource* font(const Dictionary& dictionary) const;
    TextLayoutStyle layoutStyle() const;
    // Lines in the font's layout, positioned inside the gutter (see TextLayout).
    const std::vector<TextLine>& lines(const Dictionary& dictionary) const;
    // The box the field takes (twips): its bounds, or for a field that sizes itself the box
    // that fits its text, anchored at the top left (the width changes only without word wrap).
    const Rect& box(const Dictionary& dictionary) const;

    // Background and border (when the field has a border), then the text clipped to the
    // field's bounds. While a clip layer's mask is drawn (`intoMask`) only the glyphs go in,
    // unclipped, since masks do not nest then.
    void draw(Canvas& canvas, const Matrix& toPixels, const ColorTransform& cxform,
              const Dictionary& dictionary, bool intoMask = false) const;

  private:
    std::shared_ptr<const EditTextCharacter> definition_;
    std::u32string text_;
    mutable const GlyphSource* layoutFont_ = nullptr;
    mutable std::optional<std::vector<TextLine>> lines_;
    mutable Rect box_;
};

}  // namespace swf
