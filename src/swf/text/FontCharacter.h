#pragma once
// An embedded font: DefineFont (glyph shapes only; codes come from DefineFontInfo),
// DefineFont2 and DefineFont3 (name, style flags, glyphs, code table and optional layout).
//
// DefineFont and DefineFont2 glyphs are drawn in an em square of 1024 units; DefineFont3's
// are 20 times finer (20480 to the em).

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/movie/Character.h"
#include "swf/movie/Dictionary.h"
#include "swf/shape/Shape.h"
#include "swf/text/GlyphSource.h"

namespace swf {

struct KerningPair {
    uint16_t left = 0;  // character codes
    uint16_t right = 0;
    int16_t adjustment = 0;  // em units
};

// DefineFont2/3's optional layout block, in em units.
struct FontLayout {
    uint16_t ascent = 0;
    uint16_t descent = 0;
    int16_t leading = 0;
    std::vector<int16_t> advances;  // one per glyph
    std::vector<Rect> bounds;       // one per glyph
    std::vector<KerningPair> kerning;
};

class FontCharacter : public Character, public GlyphSource {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Font;

    // DefineFont (10), DefineFont2 (48) or DefineFont3 (75), the body starting with the id.
    // Null when the tag is too short for its header or its tables.
    static std::shared_ptr<FontCharacter> parse(uint16_t tagCode, std::span<const uint8_t> body);

    // DefineFontInfo (13) or DefineFontInfo2 (62): name, style and code table for a font
    // already in the dictionary. Returns false when the font is unknown or the tag malformed.
    static bool applyFontInfo(uint16_t tagCode, std::span<const uint8_t> body,
                              Dictionary& dictionary);

    FontCharacter(uint16_t id, int version) : Character(id, kKind), version_(version) {}

    int version() const { return version_; }
    const std::string& name() const { return name_; }
    bool bold() const { return bold_; }
    bool italic() const { return italic_; }
    bool smallText() const override { return smallText_; }
    bool shiftJis() const { return shiftJis_; }
    bool ansi() const { return ansi_; }
    bool wideCodes() const { return wideCodes_; }
    uint8_t languageCode() const { return languageCode_; }
    size_t glyphCount() const { return glyphs_.size(); }
    // False for a font that only names a device font: no glyph has an outline.
    bool hasOutlines() const;
    const std::vector<uint16_t>& codes() const { return codes_; }
    const std::optional<FontLayout>& layout() const { return layout_; }
    // The tag's flag for a layout block, which embedded fonts carry (the block itself may be
    // cut off or misplaced).
    bool flagsLayout() const { return flagsLayout_; }

    // GlyphSource
    double emSize() const override { return version_ >= 3 ? 20480.0 : 1024.0; }
    double ascent() const override;
    double descent() const override;
    std::optional<uint32_t> glyphFor(char32_t character) const override;
    double advance(uint32_t glyph) const override;
    const Shape* glyphShape(uint32_t glyph) const override;

  private:
    void parseGlyphTable(std::span<const uint8_t> table, std::span<const uint32_t> offsets,
                         size_t tableEnd);
    void setCodes(std::vector<uint16_t> codes);

    int version_;
    std::string name_;
    bool bold_ = false;
    bool italic_ = false;
    bool smallText_ = false;
    bool shiftJis_ = false;
    bool ansi_ = false;
    bool wideCodes_ = false;
    bool flagsLayout_ = false;
    uint8_t languageCode_ = 0;
    std::vector<Shape> glyphs_;
    std::vector<uint16_t> codes_;
    std::unordered_map<uint16_t, uint32_t> glyphByCode_;
    std::optional<FontLayout> layout_;
};

}  // namespace swf
