#pragma once
// What text layout needs from a font, whether it is embedded in the movie or installed on
// the system. Glyph shapes and metrics are in the font's own units: emSize() of them make
// one em, so a glyph drawn at a text height of h twips is scaled by h / emSize().

#include <cstdint>
#include <optional>

#include "swf/shape/Shape.h"

namespace swf {

class GlyphSource {
  public:
    virtual ~GlyphSource() = default;

    virtual double emSize() const = 0;
    virtual double ascent() const = 0;
    virtual double descent() const = 0;

    // The glyph that shows this character, if the font has one.
    virtual std::optional<uint32_t> glyphFor(char32_t character) const = 0;
    // The pen advance after the glyph.
    virtual double advance(uint32_t glyph) const = 0;
    // The outline, with fill style 1 inside; null for an unknown glyph.
    virtual const Shape* glyphShape(uint32_t glyph) const = 0;
    // Made to be shown small: laid out on whole pixels.
    virtual bool smallText() const { return false; }
};

}  // namespace swf
