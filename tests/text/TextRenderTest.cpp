#include <gtest/gtest.h>

#include <array>

#include "support/EditText.h"
#include "support/FontBuilder.h"
#include "support/TextBuilder.h"
#include "swf/format/TagCode.h"
#include "swf/movie/Dictionary.h"
#include "swf/render/Canvas.h"
#include "swf/text/DeviceFontCache.h"
#include "swf/text/EditTextCharacter.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/GlyphPainter.h"
#include "swf/text/TextCharacter.h"
#include "swf/text/TextField.h"

using swftest::px;

namespace {

const swf::Matrix kTwipsToPixels = swf::Matrix::scale(1 / 20.0, 1 / 20.0);

// One glyph 'a': a square of half an em standing on the baseline, advance half an em.
std::shared_ptr<swf::FontCharacter> squareFont(uint16_t id) {
    swftest::FontBuilder font;
    font.name("Squares").layout(800, 224, 0);
    swftest::ShapeBuilder square;
    square.fill1(1).rectangle(0, -512, 512, 512);
    font.addGlyph('a', square, 512);
    return swf::FontCharacter::parse(static_cast<uint16_t>(swf::TagCode::DefineFont2),
                                     font.defineFont2Body(id, 2));
}

std::array<int, 4> pixel(const swf::Canvas& canvas, int x, int y) {
    const uint8_t* p = canvas.pixels() + (static_cast<size_t>(y) * canvas.width() + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

constexpr std::array<int, 4> kWhite = {255, 255, 255, 255};

}  // namespace

TEST(TextRenderTest, StaticTextDrawsGlyphsInTheRecordColour) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1));
    swftest::TextBuilder builder;
    // Height 20 px: each square is 10 x 10 px; two of them from x = 10 px, baseline y = 30 px.
    builder.add({.fontId = 1,
                 .height = static_cast<uint16_t>(px(20)),
                 .color = swftest::Rgba{255, 0, 0, 128},
                 .x = static_cast<int16_t>(px(10)),
                 .y = static_cast<int16_t>(px(30)),
                 .glyphs = {{0, px(15)}, {0, px(15)}}});
    auto text = swf::TextCharacter::parse(static_cast<uint16_t>(swf::TagCode::DefineText2),
                                          builder.defineTextBody(2, 2));
    ASSERT_TRUE(text);
    swf::Canvas canvas(60, 40);
    canvas.clear({255, 255, 255, 255});
    text->draw(canvas, kTwipsToPixels, {}, dictionary);
    // Half-transparent red over white.
    auto inside = pixel(canvas, 15, 25);
    EXPECT_EQ(inside[0], 255);
    EXPECT_NEAR(inside[1], 127, 2);
    EXPECT_NEAR(inside[2], 127, 2);
    EXPECT_NEAR(pixel(canvas, 30, 25)[1], 127, 2);  // second glyph, 15 px further
    EXPECT_EQ(pixel(canvas, 22, 25), kWhite);       // the gap between them
    EXPECT_EQ(pixel(canvas, 15, 32), kWhite);       // below the baseline

    // The caller's colour transform still applies on top of the glyph colour.
    swf::Canvas tinted(60, 40);
    tinted.clear({255, 255, 255, 255});
    swf::ColorTransform toBlue;
    toBlue.rMul = 0;
    toBlue.bAdd = 255;
    toBlue.aMul = 512;
    text->draw(tinted, kTwipsToPixels, toBlue, dictionary);
    EXPECT_EQ(pixel(tinted, 15, 25), (std::array<int, 4>{0, 0, 255, 255}));
}

TEST(TextRenderTest, DeviceFontGlyphsFillTheirOutlineAndLeaveHolesEmpty) {
    const swf::DeviceFont* sans = swf::DeviceFontCache::shared().find("_sans", false, false);
    ASSERT_TRUE(sans);
    auto o = sans->glyphFor(U'o');
    ASSERT_TRUE(o);
    swf::Canvas canvas(120, 120);
    canvas.clear({255, 255, 255, 255});
    // 100 px text: 'o' is about 50 px wide and tall, baseline at y = 100.
    const double scale = px(100) / sans->emSize();
    const swf::Matrix place =
        kTwipsToPixels * swf::Matrix::translate(px(10), px(100)) * swf::Matrix::scale(scale, scale);
    const swf::RunGlyph glyph{sans->glyphShape(*o), {0, 0}};
    swf::DrawGlyphRun(canvas, std::span(&glyph, 1), place, {0, 0, 0, 255}, {});
    const swf::Rect b = sans->glyphShape(*o)->bounds;
    const int centreX = 10 + static_cast<int>((b.xMin + b.xMax) / 2 * scale / 20);
    const int centreY = 100 + static_cast<int>((b.yMin + b.yMax) / 2 * scale / 20);
    EXPECT_EQ(pixel(canvas, centreX, centreY), kWhite);  // the hole
    const int ringX = 10 + static_cast<int>((b.xMin * scale / 20)) + 3;
    EXPECT_EQ(pixel(canvas, ringX, centreY),
              (std::array<int, 4>{0, 0, 0, 255}));  // the left stroke
    EXPECT_EQ(pixel(canvas, 5, centreY), kWhite);
}

TEST(TextRenderTest, TextFieldBorderBackgroundAndClipping) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1));
    // A 30 x 30 px field at (10, 10) with a border; its text runs far past the right edge.
    auto definition = swf::EditTextCharacter::parse(
        swftest::EditText{.bounds = swftest::Rect::fromPixels(10, 10, 30, 30),
                          .text = "aaaaaaaaaa",
                          .fontId = 1,
                          .fontHeight = static_cast<uint16_t>(px(20)),
                          .color = swftest::Rgba{0, 0, 255},
                          .border = true,
                          .useOutlines = true}
            .defineEditTextBody(5));
    ASSERT_TRUE(definition);
    swf::TextField field(definition);
    swf::Canvas canvas(60, 60);
    canvas.clear({0, 255, 0, 255});
    field.draw(canvas, kTwipsToPixels, {}, dictionary);

    EXPECT_EQ(pixel(canvas, 5, 5), (std::array<int, 4>{0, 255, 0, 255}));  // outside: untouched
    // The border runs through the pixels at both edges: one more than the background.
    EXPECT_EQ(pixel(canvas, 10, 25), (std::array<int, 4>{0, 0, 0, 255}));
    EXPECT_EQ(pixel(canvas, 40, 25), (std::array<int, 4>{0, 0, 0, 255}));
    EXPECT_EQ(pixel(canvas, 25, 40), (std::array<int, 4>{0, 0, 0, 255}));
    EXPECT_EQ(pixel(canvas, 39, 30), kWhite);
    EXPECT_EQ(pixel(canvas, 41, 25), (std::array<int, 4>{0, 255, 0, 255}));
    EXPECT_EQ(pixel(canvas, 25, 38), kWhite);  // background under the text
    // The bottom-right corner is partly covered: between the border's black and the green.
    const auto corner = pixel(canvas, 40, 40);
    EXPECT_GT(corner[1], 0);
    EXPECT_LT(corner[1], 255);
    // First glyph: 2 px gutter, baseline at 2 + 16 px from the top.
    EXPECT_EQ(pixel(canvas, 15, 25), (std::array<int, 4>{0, 0, 255, 255}));
    // The text stops at the gutter inside the border.
    EXPECT_EQ(pixel(canvas, 37, 25), (std::array<int, 4>{0, 0, 255, 255}));
    EXPECT_EQ(pixel(canvas, 38, 25), kWhite);
    EXPECT_EQ(pixel(canvas, 45, 25), (std::array<int, 4>{0, 255, 0, 255}));

    // Half a pixel off: the border still lands on whole pixels, halves rounding down.
    swf::Canvas shifted(60, 60);
    shifted.clear({0, 255, 0, 255});
    field.draw(shifted, swf::Matrix::translate(0.5, 0.5) * kTwipsToPixels, {}, dictionary);
    EXPECT_EQ(pixel(shifted, 10, 35), (std::array<int, 4>{0, 0, 0, 255}));
    EXPECT_EQ(pixel(shifted, 40, 35), (std::array<int, 4>{0, 0, 0, 255}));
    EXPECT_EQ(pixel(shifted, 41, 35), (std::array<int, 4>{0, 255, 0, 255}));

    // The background alone, at 10.4 to 40.4 px: whole pixels from the one each corner is in.
    field.settings().border = false;
    swf::Canvas background(60, 60);
    background.clear({0, 255, 0, 255});
    field.draw(background, swf::Matrix::translate(0.4, 0.4) * kTwipsToPixels, {}, dictionary);
    EXPECT_EQ(pixel(background, 10, 38), kWhite);
    EXPECT_EQ(pixel(background, 39, 38), kWhite);
    EXPECT_EQ(pixel(background, 40, 38), (std::array<int, 4>{0, 255, 0, 255}));

    // A caret before the second character: a pixel wide where that glyph starts, in the
    // text's colour, from the line's top (above the glyphs here) for its ascent and descent.
    field.settings().background = false;
    swf::Canvas caret(60, 60);
    caret.clear({0, 255, 0, 255});
    field.draw(caret, kTwipsToPixels, {}, dictionary, false, size_t{1});
    const int caretX = 12 + 10;
    EXPECT_EQ(pixel(caret, caretX, 13), (std::array<int, 4>{0, 0, 255, 255}));
    EXPECT_EQ(pixel(caret, caretX + 1, 13), (std::array<int, 4>{0, 255, 0, 255}));

    // The second character selected: black over the line's height, the glyph inverted.
    swf::Canvas selected(60, 60);
    selected.clear({0, 255, 0, 255});
    field.draw(selected, kTwipsToPixels, {}, dictionary, false, std::nullopt, {1, 2});
    EXPECT_EQ(pixel(selected, 25, 14), (std::array<int, 4>{0, 0, 0, 255}));
    EXPECT_EQ(pixel(selected, 25, 25), (std::array<int, 4>{255, 255, 0, 255}));
    EXPECT_EQ(pixel(selected, 15, 14), (std::array<int, 4>{0, 255, 0, 255}));
}

TEST(TextRenderTest, TextFieldsShowTheirCurrentTextAndMaskWithGlyphsOnly) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1));
    auto definition = swf::EditTextCharacter::parse(
        swftest::EditText{.bounds = swftest::Rect::fromPixels(0, 0, 60, 30),
                          .text = "a",
                          .fontId = 1,
                          .fontHeight = static_cast<uint16_t>(px(20)),
                          .border = true,
                          .useOutlines = true}
            .defineEditTextBody(5));
    ASSERT_TRUE(definition);
    swf::TextField field(definition);
    field.setText("<p>aa</p>", true);
    swf::Canvas canvas(60, 30);
    canvas.clear({0, 255, 0, 255});
    field.draw(canvas, kTwipsToPixels, {}, dictionary);
    EXPECT_EQ(pixel(canvas, 17, 15), (std::array<int, 4>{0, 0, 0, 255}));  // the second 'a'

    // As a mask: the glyphs decide what shows through, not the background.
    swf::Canvas masked(60, 30);
    masked.clear({255, 255, 255, 255});
    masked.beginMask();
    field.draw(masked, kTwipsToPixels, {}, dictionary, true);
    masked.endMask();
    swf::Shape red;
    red.fills.push_back({});
    red.fills[0].color = {255, 0, 0, 255};
    swf::ShapePath square;
    square.fill1 = 1;
    const swf::Point corners[] = {{0, 0}, {1200, 0}, {1200, 600}, {0, 600}};
    for (int i = 0; i < 4; ++i)
        square.edges.push_back({corners[i], {}, corners[(i + 1) % 4], false});
    red.paths.push_back(square);
    masked.drawShape(red, kTwipsToPixels, {}, {});
    masked.popMask();
    EXPECT_EQ(pixel(masked, 7, 15), (std::array<int, 4>{255, 0, 0, 255}));
    EXPECT_EQ(pixel(masked, 40, 15), kWhite);
    EXPECT_EQ(pixel(masked, 7, 27), kWhite);
}

TEST(TextRenderTest, HtmlRunsOfTwoSizesAndColoursShareTheBaseline) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1));
    auto definition = swf::EditTextCharacter::parse(
        swftest::EditText{.bounds = swftest::Rect::fromPixels(0, 0, 60, 30),
                          .text = "<font color='#FF0000' size='20'>a</font>"
                                  "<font color='#0000FF' size='10'>a</font>",
                          .fontId = 1,
                          .fontHeight = static_cast<uint16_t>(px(20)),
                          .html = true,
                          .useOutlines = true}
            .defineEditTextBody(5));
    ASSERT_TRUE(definition);
    swf::TextField field(definition, &dictionary);
    swf::Canvas canvas(60, 30);
    canvas.clear({255, 255, 255, 255});
    field.draw(canvas, kTwipsToPixels, {}, dictionary);
    // The line's ascent is the 20 px run's (800 / 1024 of 20 px, down to whole twips): the
    // baseline is at 2 + 15.6 px. The red square is 10 px from x = 2, the blue one 5 px
    // from x = 12, both standing on that baseline.
    EXPECT_EQ(pixel(canvas, 7, 10), (std::array<int, 4>{255, 0, 0, 255}));
    EXPECT_EQ(pixel(canvas, 14, 15), (std::array<int, 4>{0, 0, 255, 255}));
    EXPECT_EQ(pixel(canvas, 14, 10), kWhite);  // above the small square
    EXPECT_EQ(pixel(canvas, 18, 15), kWhite);  // past it
    EXPECT_EQ(pixel(canvas, 7, 19), kWhite);   // below the baseline
}

TEST(TextRenderTest, GlyphsOfARunMeetWithoutASeam) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1));
    // 21 px squares, 10.5 px wide and as far apart: the two meet halfway through pixel 12.
    auto definition = swf::EditTextCharacter::parse(
        swftest::EditText{.bounds = swftest::Rect::fromPixels(0, 0, 60, 30),
                          .text = "aa",
                          .fontId = 1,
                          .fontHeight = static_cast<uint16_t>(px(21)),
                          .color = swftest::Rgba{0, 0, 255},
                          .useOutlines = true}
            .defineEditTextBody(5));
    ASSERT_TRUE(definition);
    swf::TextField field(definition);
    swf::Canvas canvas(60, 30);
    canvas.clear({255, 255, 255, 255});
    field.draw(canvas, kTwipsToPixels, {}, dictionary);
    EXPECT_EQ(pixel(canvas, 12, 14), (std::array<int, 4>{0, 0, 255, 255}));
    EXPECT_EQ(pixel(canvas, 23, 14), kWhite);  // past the second, at 23 px

    // Runs of their own that look alike are filled together too.
    field.setText("<p>a<u>a</u></p>", true);
    canvas.clear({255, 255, 255, 255});
    field.draw(canvas, kTwipsToPixels, {}, dictionary);
    EXPECT_EQ(pixel(canvas, 12, 14), (std::array<int, 4>{0, 0, 255, 255}));

    // Where glyphs overlap, both still fill: no hole where the outlines cross twice.
    field.setText("<p><font letterSpacing=\"-5\">aa</font></p>", true);
    canvas.clear({255, 255, 255, 255});
    field.draw(canvas, kTwipsToPixels, {}, dictionary);
    EXPECT_EQ(pixel(canvas, 8, 14), (std::array<int, 4>{0, 0, 255, 255}));
}
