#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "support/Matrix.h"
#include "support/Rect.h"
#include "support/Rgba.h"

namespace swftest {

struct TextGlyph {
    uint16_t index = 0;   // glyph index in the font
    int32_t advance = 0;  // twips to the next glyph
};

// One TEXTRECORD: each optional field that is set is written with its flag. The font and
// its height (twips) go together.
struct TextRecord {
    std::optional<uint16_t> fontId = std::nullopt;
    uint16_t height = 0;
    std::optional<Rgba> color = std::nullopt;
    std::optional<int16_t> x = std::nullopt;
    std::optional<int16_t> y = std::nullopt;  // the baseline
    std::vector<TextGlyph> glyphs = {};       // at most 255
};

// Builds DefineText (version 1, RGB colours) and DefineText2 (version 2, RGBA) bodies.
//   TextBuilder text;
//   text.setBounds(Rect::fromPixels(0, 0, 100, 20))
//       .add({.fontId = 1, .height = px(12), .color = Rgba{0, 0, 0}, .x = 0, .y = px(15),
//             .glyphs = {{0, px(8)}, {1, px(8)}}});
class TextBuilder {
  public:
    TextBuilder& setBounds(const Rect& bounds);
    TextBuilder& setMatrix(const Matrix& matrix);
    TextBuilder& add(TextRecord record);

    // GlyphBits and AdvanceBits are the fewest that hold every index and advance.
    std::vector<uint8_t> defineTextBody(uint16_t id, int textVersion) const;

  private:
    Rect bounds_;
    Matrix matrix_;
    std::vector<TextRecord> records_;
};

}  // namespace swftest
