#include <gtest/gtest.h>

#include "support/FontBuilder.h"
#include "support/TextBuilder.h"
#include "swf/format/TagCode.h"
#include "swf/movie/Dictionary.h"
#include "swf/text/DeviceFontCache.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/TextCharacter.h"

using swf::TagCode;
using swf::TextCharacter;
using swftest::FontBuilder;
using swftest::ShapeBuilder;
using swftest::TextBuilder;
using swftest::TextRecord;

namespace {

constexpr uint16_t code(TagCode tag) {
    return static_cast<uint16_t>(tag);
}

// A font of `glyphs` square glyphs in an em of `em` units.
std::shared_ptr<swf::FontCharacter> squareFont(uint16_t id, int version, int glyphs) {
    FontBuilder font;
    const int em = version == 3 ? 20480 : 1024;
    for (int i = 0; i < glyphs; ++i) {
        ShapeBuilder square;
        square.fill1(1).rectangle(0, -em / 2, em / 2, em / 2);
        font.addGlyph(static_cast<uint16_t>('a' + i), square, static_cast<int16_t>(em / 2));
    }
    auto body = version == 1 ? font.defineFontBody(id) : font.defineFont2Body(id, version);
    return swf::FontCharacter::parse(code(version == 1   ? TagCode::DefineFont
                                          : version == 2 ? TagCode::DefineFont2
                                                         : TagCode::DefineFont3),
                                     body);
}

void expectMatrix(const swf::Matrix& m, double scale, double tx, double ty) {
    EXPECT_DOUBLE_EQ(m.a, scale);
    EXPECT_DOUBLE_EQ(m.d, scale);
    EXPECT_DOUBLE_EQ(m.b, 0);
    EXPECT_DOUBLE_EQ(m.c, 0);
    EXPECT_DOUBLE_EQ(m.tx, tx);
    EXPECT_DOUBLE_EQ(m.ty, ty);
}

}  // namespace

TEST(TextCharacterTest, GlyphsAreScaledByHeightOverEmAndAdvancesAccumulate) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1, 2, 3));
    TextBuilder builder;
    builder.setBounds(swftest::Rect::fromPixels(0, 0, 100, 30))
        .setMatrix(swftest::Matrix::translation(1000, 2000))
        .add({.fontId = 1,
              .height = 480,
              .color = swftest::Rgba{255, 0, 0},
              .x = 100,
              .y = 400,
              .glyphs = {{2, 300}, {0, 250}, {1, 0}}});
    auto text = TextCharacter::parse(code(TagCode::DefineText), builder.defineTextBody(9, 1));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->id(), 9);
    EXPECT_EQ(text->bounds(), (swf::Rect{0, 2000, 0, 600}));

    auto draws = text->glyphDraws(dictionary);
    ASSERT_EQ(draws.size(), 3u);
    const double scale = 480.0 / 1024.0;
    expectMatrix(draws[0].matrix, scale, 1100, 2400);
    expectMatrix(draws[1].matrix, scale, 1400, 2400);
    expectMatrix(draws[2].matrix, scale, 1650, 2400);
    auto* font = dictionary.findAs<swf::FontCharacter>(1);
    EXPECT_EQ(draws[0].shape, font->glyphShape(2));
    EXPECT_EQ(draws[1].shape, font->glyphShape(0));
    EXPECT_EQ(draws[0].color, (swf::Rgba{255, 0, 0, 255}));
}

TEST(TextCharacterTest, DefineFont3GlyphsScaleByHeightOver20480) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(4, 3, 1));
    TextBuilder builder;
    builder.add({.fontId = 4, .height = 400, .x = 0, .y = 0, .glyphs = {{0, 100}}});
    auto text = TextCharacter::parse(code(TagCode::DefineText), builder.defineTextBody(1, 1));
    auto draws = text->glyphDraws(dictionary);
    ASSERT_EQ(draws.size(), 1u);
    expectMatrix(draws[0].matrix, 400.0 / 20480.0, 0, 0);
    // The glyph's em-sized box maps to the text height.
    swf::Point corner = draws[0].matrix.apply({20480, 0});
    EXPECT_DOUBLE_EQ(corner.x, 400);
}

TEST(TextCharacterTest, StyleAndPenCarryOverBetweenRecords) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1, 2, 2));
    dictionary.add(squareFont(2, 1, 2));
    TextBuilder builder;
    builder
        .add({.fontId = 1,
              .height = 1024,
              .color = swftest::Rgba{0, 0, 255, 128},
              .x = 10,
              .y = 20,
              .glyphs = {{0, 50}, {1, 60}}})
        .add({.y = 500, .glyphs = {{1, 5}}})  // same font, colour and height; pen x continues
        .add({.fontId = 2, .height = 2048, .x = 0, .glyphs = {{0, 0}}});
    auto text = TextCharacter::parse(code(TagCode::DefineText2), builder.defineTextBody(1, 2));
    ASSERT_TRUE(text);
    ASSERT_EQ(text->runs().size(), 3u);
    auto draws = text->glyphDraws(dictionary);
    ASSERT_EQ(draws.size(), 4u);
    expectMatrix(draws[2].matrix, 1, 120, 500);
    EXPECT_EQ(draws[2].color, (swf::Rgba{0, 0, 255, 128}));
    expectMatrix(draws[3].matrix, 2, 0, 500);
    EXPECT_EQ(draws[3].shape, dictionary.findAs<swf::FontCharacter>(2)->glyphShape(0));
}

TEST(TextCharacterTest, MissingFontsAndGlyphsDrawNothing) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1, 2, 1));
    TextBuilder builder;
    builder.add({.fontId = 7, .height = 240, .x = 0, .y = 0, .glyphs = {{0, 10}}})
        .add({.fontId = 1, .height = 240, .glyphs = {{5, 10}, {0, 10}}});
    auto text = TextCharacter::parse(code(TagCode::DefineText), builder.defineTextBody(1, 1));
    auto draws = text->glyphDraws(dictionary);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_DOUBLE_EQ(draws[0].matrix.tx, 20);
}

TEST(TextCharacterTest, TruncatedRecordsAreDroppedWholeAndNothingCrashes) {
    TextBuilder builder;
    builder.add({.fontId = 1, .height = 240, .x = 0, .y = 0, .glyphs = {{0, 10}, {1, 10}}})
        .add({.glyphs = {{0, 10}, {0, 10}, {0, 10}}});
    auto body = builder.defineTextBody(1, 1);
    auto whole = TextCharacter::parse(code(TagCode::DefineText), body);
    ASSERT_TRUE(whole);
    ASSERT_EQ(whole->runs().size(), 2u);
    auto cut =
        TextCharacter::parse(code(TagCode::DefineText), std::span(body).first(body.size() - 3));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->runs().size(), 1u);
    for (size_t length = 0; length < body.size(); ++length)
        TextCharacter::parse(code(TagCode::DefineText), std::span(body).first(length));
    EXPECT_FALSE(TextCharacter::parse(code(TagCode::DefineText), std::span(body).first(3)));
}

TEST(TextCharacterTest, FontsWithoutOutlinesDrawTheInstalledFont) {
    FontBuilder names;
    names.name("_sans");
    names.addGlyph('o', ShapeBuilder{}, 0);
    names.addGlyph('x', ShapeBuilder{}, 0);
    swf::Dictionary dictionary;
    auto font = swf::FontCharacter::parse(code(TagCode::DefineFont2), names.defineFont2Body(1, 2));
    ASSERT_TRUE(font);
    EXPECT_FALSE(font->hasOutlines());
    dictionary.add(font);
    TextBuilder builder;
    builder.add({.fontId = 1, .height = 512, .x = 0, .y = 0, .glyphs = {{1, 100}, {0, 0}}});
    auto draws = TextCharacter::parse(code(TagCode::DefineText), builder.defineTextBody(1, 1))
                     ->glyphDraws(dictionary);
    ASSERT_EQ(draws.size(), 2u);
    const swf::DeviceFont* sans = swf::DeviceFontCache::shared().find("_sans", false, false);
    EXPECT_EQ(draws[1].shape, sans->glyphShape(*sans->glyphFor(U'o')));
    EXPECT_FALSE(draws[1].shape->paths.empty());
    expectMatrix(draws[1].matrix, 0.5, 100, 0);
}
