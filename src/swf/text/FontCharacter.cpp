#include "swf/text/FontCharacter.h"

#include <algorithm>

#include "swf/format/BitReader.h"
#include "swf/format/TagCode.h"
#include "swf/shape/ShapeParser.h"

namespace swf {
namespace {

// Used when a font has no layout block (DefineFont, or DefineFont2 without layout): the
// usual proportions of a Latin font.
constexpr double kDefaultAscent = 0.8;
constexpr double kDefaultDescent = 0.2;

std::string readName(BitReader& in) {
    std::span<const uint8_t> bytes = in.bytes(in.u8());
    std::string name(bytes.begin(), bytes.end());
    // Some authoring tools count a terminating NUL in the length.
    while (!name.empty() && name.back() == '\0') name.pop_back();
    return name;
}

std::vector<uint16_t> readCodes(BitReader& in, size_t count, bool wide) {
    std::vector<uint16_t> codes;
    codes.reserve(std::min(count, in.remaining()));
    for (size_t i = 0; i < count && !in.overrun(); ++i) codes.push_back(wide ? in.u16() : in.u8());
    if (in.overrun()) codes.clear();
    return codes;
}

}  // namespace

std::shared_ptr<FontCharacter> FontCharacter::parse(uint16_t tagCode,
                                                    std::span<const uint8_t> body) {
    const auto code = static_cast<TagCode>(tagCode);
    if (code != TagCode::DefineFont && code != TagCode::DefineFont2 && code != TagCode::DefineFont3)
        return nullptr;
    BitReader in(body);
    const uint16_t id = in.u16();
    const int version = code == TagCode::DefineFont ? 1 : code == TagCode::DefineFont2 ? 2 : 3;
    auto font = std::make_shared<FontCharacter>(id, version);

    if (version == 1) {
        // The first offset tells how many offsets there are.
        const size_t tableStart = in.position();
        const uint16_t first = in.u16();
        if (in.overrun()) return nullptr;
        const size_t count = first / 2;
        if (count * 2 > in.remaining() + 2) return nullptr;
        std::vector<uint32_t> offsets(count);
        for (size_t i = 0; i < count; ++i) offsets[i] = i == 0 ? first : in.u16();
        font->parseGlyphTable(body.subspan(tableStart), offsets, body.size() - tableStart);
        return font;
    }

    const uint8_t flags = in.u8();
    const bool hasLayout = flags & 0x80;
    font->flagsLayout_ = hasLayout;
    font->shiftJis_ = flags & 0x40;
    font->smallText_ = flags & 0x20;
    font->ansi_ = flags & 0x10;
    const bool wideOffsets = flags & 0x08;
    // DefineFont3 fonts should have 16-bit codes, but the player goes by the flag.
    font->wideCodes_ = flags & 0x04;
    font->italic_ = flags & 0x02;
    font->bold_ = flags & 0x01;
    font->languageCode_ = in.u8();
    font->name_ = readName(in);
    const uint16_t glyphCount = in.u16();
    if (in.overrun()) return nullptr;

    // A font without glyphs (one that names a device font) has no offset or code table at
    // all, not even the code table offset.
    if (glyphCount > 0) {
        const size_t tableStart = in.position();
        const size_t offsetSize = wideOffsets ? 4 : 2;
        if ((static_cast<size_t>(glyphCount) + 1) * offsetSize > in.remaining()) return nullptr;
        std::vector<uint32_t> offsets(glyphCount);
        for (auto& offset : offsets) offset = wideOffsets ? in.u32() : in.u16();
        const uint32_t codeTableOffset = wideOffsets ? in.u32() : in.u16();
        const std::span<const uint8_t> table = body.subspan(tableStart);
        if (codeTableOffset > table.size()) return nullptr;
        font->parseGlyphTable(table, offsets, codeTableOffset);
        in.seek(tableStart + codeTableOffset);
        font->setCodes(readCodes(in, glyphCount, font->wideCodes_));
    }
    if (hasLayout && !in.overrun()) {
        FontLayout layout;
        layout.ascent = in.u16();
        layout.descent = in.u16();
        layout.leading = in.s16();
        // Every count is at most 65535, so the tables stay small even when the data is short.
        layout.advances.resize(glyphCount);
        for (auto& advance : layout.advances) advance = in.s16();
        layout.bounds.resize(glyphCount);
        for (auto& bounds : layout.bounds) bounds = in.rect();
        layout.kerning.resize(in.u16());
        for (auto& pair : layout.kerning) {
            pair.left = font->wideCodes_ ? in.u16() : in.u8();
            pair.right = font->wideCodes_ ? in.u16() : in.u8();
            pair.adjustment = in.s16();
        }
        // A cut-off layout block is dropped whole rather than kept half-read.
        if (!in.overrun()) font->layout_ = std::move(layout);
    }
    return font;
}

void FontCharacter::parseGlyphTable(std::span<const uint8_t> table,
                                    std::span<const uint32_t> offsets, size_t tableEnd) {
    tableEnd = std::min(tableEnd, table.size());
    glyphs_.assign(offsets.size(), Shape{});
    for (size_t i = 0; i < offsets.size(); ++i) {
        const size_t start = offsets[i];
        const size_t end = i + 1 < offsets.size() ? offsets[i + 1] : tableEnd;
        // A glyph whose offsets point outside its table stays empty.
        if (start > end || end > tableEnd) continue;
        BitReader in(table.subspan(start, end - start));
        if (!ShapeParser::parseGlyph(in, glyphs_[i])) glyphs_[i] = Shape{};
    }
}

void FontCharacter::setCodes(std::vector<uint16_t> codes) {
    codes_ = std::move(codes);
    glyphByCode_.clear();
    for (size_t i = 0; i < codes_.size(); ++i)
        glyphByCode_.emplace(codes_[i], static_cast<uint32_t>(i));
}

bool FontCharacter::applyFontInfo(uint16_t tagCode, std::span<const uint8_t> body,
                                  Dictionary& dictionary) {
    const auto code = static_cast<TagCode>(tagCode);
    if (code != TagCode::DefineFontInfo && code != TagCode::DefineFontInfo2) return false;
    BitReader in(body);
    const uint16_t fontId = in.u16();
    std::shared_ptr<Character> character = dictionary.share(fontId);
    if (in.overrun() || !character || character->kind() != kKind) return false;
    auto* font = static_cast<FontCharacter*>(character.get());

    std::string name = readName(in);
    const uint8_t flags = in.u8();
    const uint8_t language = code == TagCode::DefineFontInfo2 ? in.u8() : 0;
    const bool wide = (flags & 0x01) || code == TagCode::DefineFontInfo2;
    std::vector<uint16_t> codes = readCodes(in, font->glyphs_.size(), wide);
    if (in.overrun()) return false;
    font->name_ = std::move(name);
    font->smallText_ = flags & 0x20;
    font->shiftJis_ = flags & 0x10;
    font->ansi_ = flags & 0x08;
    font->italic_ = flags & 0x04;
    font->bold_ = flags & 0x02;
    font->wideCodes_ = wide;
    font->languageCode_ = language;
    font->setCodes(std::move(codes));
    return true;
}

bool FontCharacter::hasOutlines() const {
    return std::any_of(glyphs_.begin(), glyphs_.end(),
                       [](const Shape& glyph) { return !glyph.paths.empty(); });
}

double FontCharacter::ascent() const {
    return layout_ ? layout_->ascent : emSize() * kDefaultAscent;
}

double FontCharacter::descent() const {
    return layout_ ? layout_->descent : emSize() * kDefaultDescent;
}

std::optional<uint32_t> FontCharacter::glyphFor(char32_t character) const {
    if (character > 0xFFFF) return std::nullopt;
    auto it = glyphByCode_.find(static_cast<uint16_t>(character));
    if (it == glyphByCode_.end()) return std::nullopt;
    return it->second;
}

double FontCharacter::advance(uint32_t glyph) const {
    if (layout_ && glyph < layout_->advances.size()) return layout_->advances[glyph];
    // Without a layout block the outline's right edge is the best guess.
    if (glyph < glyphs_.size() && !glyphs_[glyph].bounds.empty()) return glyphs_[glyph].bounds.xMax;
    return emSize() / 2;
}

const Shape* FontCharacter::glyphShape(uint32_t glyph) const {
    return glyph < glyphs_.size() ? &glyphs_[glyph] : nullptr;
}

}  // namespace swf
