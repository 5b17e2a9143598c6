#include <gtest/gtest.h>

#include "support/BitWriter.h"
#include "support/FontBuilder.h"
#include "swf/format/TagCode.h"
#include "swf/movie/Dictionary.h"
#include "swf/text/FontCharacter.h"

using swf::FontCharacter;
using swf::TagCode;
using swftest::BitWriter;
using swftest::FontBuilder;
using swftest::ShapeBuilder;

namespace {

constexpr uint16_t code(TagCode tag) {
    return static_cast<uint16_t>(tag);
}

ShapeBuilder box(int32_t x, int32_t y, int32_t w, int32_t h) {
    ShapeBuilder shape;
    shape.fill1(1).rectangle(x, y, w, h);
    return shape;
}

// Two glyphs: 'I' a tall bar, 'L' a bar with a foot (two rectangles).
FontBuilder twoGlyphFont() {
    FontBuilder font;
    font.name("Blocky").bold().layout(900, 200, 50);
    font.addGlyph('I', box(100, -700, 200, 700), 400);
    ShapeBuilder l = box(100, -700, 150, 700);
    l.rectangle(100, -150, 400, 150);
    font.addGlyph('L', l, 600);
    return font;
}

}  // namespace

TEST(FontCharacterTest, DefineFont2GlyphsCodesAndLayout) {
    auto font =
        FontCharacter::parse(code(TagCode::DefineFont2), twoGlyphFont().defineFont2Body(5, 2));
    ASSERT_TRUE(font);
    EXPECT_EQ(font->id(), 5);
    EXPECT_EQ(font->name(), "Blocky");
    EXPECT_TRUE(font->bold());
    EXPECT_FALSE(font->italic());
    EXPECT_DOUBLE_EQ(font->emSize(), 1024);
    ASSERT_EQ(font->glyphCount(), 2u);
    EXPECT_EQ(font->codes(), (std::vector<uint16_t>{'I', 'L'}));
    EXPECT_EQ(font->glyphFor(U'L'), 1u);
    EXPECT_FALSE(font->glyphFor(U'X'));

    const swf::Shape* bar = font->glyphShape(0);
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->fills.size(), 1u);
    ASSERT_EQ(bar->paths.size(), 1u);
    EXPECT_EQ(bar->paths[0].fill1, 1u);
    EXPECT_EQ(bar->paths[0].fill0, 0u);
    EXPECT_EQ(bar->paths[0].edges.size(), 4u);
    EXPECT_EQ(bar->bounds, (swf::Rect{100, 300, -700, 0}));
    EXPECT_EQ(font->glyphShape(1)->bounds, (swf::Rect{100, 500, -700, 0}));
    EXPECT_EQ(font->glyphShape(2), nullptr);

    ASSERT_TRUE(font->layout());
    EXPECT_EQ(font->layout()->ascent, 900);
    EXPECT_EQ(font->layout()->descent, 200);
    EXPECT_EQ(font->layout()->leading, 50);
    EXPECT_EQ(font->layout()->advances, (std::vector<int16_t>{400, 600}));
    ASSERT_EQ(font->layout()->bounds.size(), 2u);
    EXPECT_EQ(font->layout()->bounds[1], (swf::Rect{100, 500, -700, 0}));
    EXPECT_DOUBLE_EQ(font->advance(1), 600);
    EXPECT_DOUBLE_EQ(font->ascent(), 900);
}

TEST(FontCharacterTest, DefineFont3UsesTwentyTimesFinerUnits) {
    FontBuilder font;
    font.name("Fine").layout(18000, 4000, 0);
    font.addGlyph('A', box(2000, -14000, 4000, 14000), 8000);
    auto parsed = FontCharacter::parse(code(TagCode::DefineFont3), font.defineFont2Body(2, 3));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->version(), 3);
    EXPECT_DOUBLE_EQ(parsed->emSize(), 20480);
    EXPECT_TRUE(parsed->wideCodes());
    EXPECT_EQ(parsed->glyphShape(0)->bounds, (swf::Rect{2000, 6000, -14000, 0}));
    EXPECT_DOUBLE_EQ(parsed->advance(0), 8000);
}

TEST(FontCharacterTest, DefineFontTakesItsCodesFromFontInfo) {
    FontBuilder builder = twoGlyphFont();
    swf::Dictionary dictionary;
    auto font = FontCharacter::parse(code(TagCode::DefineFont), builder.defineFontBody(3));
    ASSERT_TRUE(font);
    ASSERT_EQ(font->glyphCount(), 2u);
    EXPECT_EQ(font->glyphShape(1)->paths.size(), 2u);
    EXPECT_FALSE(font->glyphFor(U'I'));
    dictionary.add(font);

    BitWriter info;  // DefineFontInfo, 8-bit codes
    info.u16(3)
        .u8(5)
        .raw(std::vector<uint8_t>{'A', 'r', 'i', 'a', 'l'})
        .u8(0x04 /* italic */)
        .u8('x')
        .u8('y');
    ASSERT_TRUE(
        FontCharacter::applyFontInfo(code(TagCode::DefineFontInfo), info.bytes(), dictionary));
    EXPECT_EQ(font->name(), "Arial");
    EXPECT_TRUE(font->italic());
    EXPECT_EQ(font->glyphFor(U'y'), 1u);

    BitWriter info2;  // DefineFontInfo2: language code, 16-bit codes
    info2.u16(3).u8(0).u8(0x01).u8(1).u16(0x3042).u16('z');
    ASSERT_TRUE(
        FontCharacter::applyFontInfo(code(TagCode::DefineFontInfo2), info2.bytes(), dictionary));
    EXPECT_EQ(font->glyphFor(U'\u3042'), 0u);
    EXPECT_EQ(font->languageCode(), 1);

    // Unknown font, or too few codes for the glyphs.
    BitWriter unknown;
    unknown.u16(99).u8(0).u8(0).u8('a').u8('b');
    EXPECT_FALSE(
        FontCharacter::applyFontInfo(code(TagCode::DefineFontInfo), unknown.bytes(), dictionary));
    BitWriter shortCodes;
    shortCodes.u16(3).u8(0).u8(0).u8('a');
    EXPECT_FALSE(FontCharacter::applyFontInfo(code(TagCode::DefineFontInfo), shortCodes.bytes(),
                                              dictionary));
    EXPECT_EQ(font->glyphFor(U'z'), 1u);
}

TEST(FontCharacterTest, EveryTruncationIsSafe) {
    for (int version : {2, 3}) {
        std::vector<uint8_t> body = twoGlyphFont().defineFont2Body(1, version);
        const uint16_t tag = version == 2 ? code(TagCode::DefineFont2) : code(TagCode::DefineFont3);
        for (size_t length = 0; length < body.size(); ++length) {
            auto font = FontCharacter::parse(tag, std::span(body).first(length));
            if (!font) continue;
            // Whatever survives is self-consistent.
            for (size_t g = 0; g < font->glyphCount(); ++g)
                ASSERT_TRUE(font->glyphShape(static_cast<uint32_t>(g)));
            if (font->layout()) {
                EXPECT_EQ(font->layout()->advances.size(), font->glyphCount());
            }
        }
        // The whole body keeps the layout; one byte less drops it.
        EXPECT_TRUE(FontCharacter::parse(tag, body)->layout());
        EXPECT_FALSE(FontCharacter::parse(tag, std::span(body).first(body.size() - 1))->layout());
    }
    std::vector<uint8_t> v1 = twoGlyphFont().defineFontBody(1);
    for (size_t length = 0; length < v1.size(); ++length)
        FontCharacter::parse(code(TagCode::DefineFont), std::span(v1).first(length));
}

TEST(FontCharacterTest, OffsetsOutsideTheGlyphTableLeaveGlyphsEmpty) {
    BitWriter body;
    body.u16(1).u8(0).u8(0).u8(0).u16(2);  // no flags, no name, two glyphs
    body.u16(0xFFF0).u16(6).u16(6);  // first offset far outside, second empty, code table at 6
    body.u8('a').u8('b');
    auto font = FontCharacter::parse(code(TagCode::DefineFont2), body.bytes());
    ASSERT_TRUE(font);
    ASSERT_EQ(font->glyphCount(), 2u);
    EXPECT_TRUE(font->glyphShape(0)->paths.empty());
    EXPECT_TRUE(font->glyphShape(1)->paths.empty());
    EXPECT_EQ(font->glyphFor(U'b'), 1u);
}

TEST(FontCharacterTest, FontsWithoutGlyphsHaveNoCodeTableOffset) {
    // As authoring tools write a font that only names a device font: the glyph count 0 is
    // the last field.
    BitWriter body;
    body.u16(8).u8(0x04).u8(1).u8(6).string("_sans").u16(0);
    auto font = FontCharacter::parse(code(TagCode::DefineFont3), body.bytes());
    ASSERT_TRUE(font);
    EXPECT_EQ(font->name(), "_sans");
    EXPECT_EQ(font->glyphCount(), 0u);
    EXPECT_FALSE(font->hasOutlines());
}

TEST(FontCharacterTest, WrongTagsAreNotFonts) {
    auto body = twoGlyphFont().defineFont2Body(1, 2);
    EXPECT_FALSE(FontCharacter::parse(code(TagCode::DefineText), body));
    swf::Dictionary dictionary;
    EXPECT_FALSE(FontCharacter::applyFontInfo(code(TagCode::DefineFont), body, dictionary));
}
