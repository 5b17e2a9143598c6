#include <gtest/gtest.h>

#include "support/EditText.h"
#include "support/FontBuilder.h"
#include "swf/format/TagCode.h"
#include "swf/movie/Dictionary.h"
#include "swf/render/Canvas.h"
#include "swf/text/DeviceFontCache.h"
#include "swf/text/EditTextCharacter.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/TextField.h"

using swf::EditTextCharacter;
using swf::TextField;
using swftest::px;

namespace {

// Glyphs 'a'..'c': squares of half an em on the baseline, advancing half an em. Ascent 768,
// descent 256: at a height of 20 px a line is exactly 20 px, in whole twips.
std::shared_ptr<swf::FontCharacter> squareFont(uint16_t id, const std::string& name = "Squares") {
    swftest::FontBuilder font;
    font.name(name).layout(768, 256, 0);
    for (char c : {'a', 'b', 'c'}) {
        swftest::ShapeBuilder square;
        square.fill1(1).rectangle(0, -512, 512, 512);
        font.addGlyph(static_cast<uint16_t>(c), square, 512);
    }
    return swf::FontCharacter::parse(static_cast<uint16_t>(swf::TagCode::DefineFont2),
                                     font.defineFont2Body(id, 2));
}

std::shared_ptr<const EditTextCharacter> parseField(const swftest::EditText& field) {
    auto parsed = EditTextCharacter::parse(field.defineEditTextBody(3));
    EXPECT_TRUE(parsed);
    return parsed;
}

}  // namespace

TEST(EditTextCharacterTest, EveryFieldIsRead) {
    swftest::EditText field{.bounds = swftest::Rect::fromPixels(1, 2, 100, 30),
                            .text = "Hi",
                            .fontId = 4,
                            .fontHeight = px(18),
                            .color = swftest::Rgba{10, 20, 30, 40},
                            .maxLength = 12,
                            .align = swftest::TextAlign::Center,
                            .leftMargin = 5,
                            .rightMargin = 6,
                            .indent = 7,
                            .leading = -8,
                            .variableName = "_root.score",
                            .wordWrap = true,
                            .multiline = true,
                            .password = true,
                            .readOnly = false,
                            .autoSize = true,
                            .noSelect = true,
                            .border = true,
                            .wasStatic = true,
                            .html = true,
                            .useOutlines = true};
    auto parsed = parseField(field);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->id(), 3);
    EXPECT_EQ(parsed->bounds, (swf::Rect{20, 2020, 40, 640}));
    EXPECT_EQ(parsed->initialText, "Hi");
    EXPECT_EQ(parsed->fontId, 4);
    EXPECT_EQ(parsed->fontHeight, 360);
    EXPECT_EQ(parsed->textColor, (swf::Rgba{10, 20, 30, 40}));
    EXPECT_EQ(parsed->maxLength, 12);
    ASSERT_TRUE(parsed->layout);
    EXPECT_EQ(parsed->layout->align, swf::TextAlign::Center);
    EXPECT_EQ(parsed->layout->leftMargin, 5);
    EXPECT_EQ(parsed->layout->rightMargin, 6);
    EXPECT_EQ(parsed->layout->indent, 7);
    EXPECT_EQ(parsed->layout->leading, -8);
    EXPECT_EQ(parsed->variableName, "_root.score");
    EXPECT_TRUE(parsed->wordWrap && parsed->multiline && parsed->password && parsed->autoSize &&
                parsed->noSelect && parsed->border && parsed->wasStatic && parsed->html &&
                parsed->useOutlines);
    EXPECT_FALSE(parsed->readOnly);

    // The player reads the indent as signed: 0x8000 is -1638.4 px.
    auto negativeIndent = parseField({.bounds = swftest::Rect::fromPixels(0, 0, 10, 10),
                                      .align = swftest::TextAlign::Left,
                                      .indent = 0x8000});
    ASSERT_TRUE(negativeIndent && negativeIndent->layout);
    EXPECT_EQ(negativeIndent->layout->indent, -32768);

    auto bare = parseField({.bounds = swftest::Rect::fromPixels(0, 0, 10, 10)});
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->fontId || bare->textColor || bare->maxLength || bare->layout ||
                 bare->initialText);
    EXPECT_TRUE(bare->readOnly);
}

TEST(EditTextCharacterTest, CutOffTagsAreRefused) {
    auto body =
        swftest::EditText{
            .bounds = swftest::Rect::fromPixels(0, 0, 50, 20), .fontId = 1, .variableName = "v"}
            .defineEditTextBody(3);
    for (size_t length = 0; length < body.size(); ++length)
        EXPECT_FALSE(EditTextCharacter::parse(std::span(body).first(length))) << length;
    EXPECT_TRUE(EditTextCharacter::parse(body));
}

TEST(TextFieldTest, LaysOutWithTheEmbeddedFontInsideTheGutter) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1));
    auto definition = parseField({.bounds = swftest::Rect::fromPixels(0, 0, 104, 100),
                                  .text = "ab<br>c&amp;",
                                  .fontId = 1,
                                  .fontHeight = px(20),
                                  .align = swftest::TextAlign::Right,
                                  .multiline = true,
                                  .html = true,
                                  .useOutlines = true});
    TextField field(definition);
    // Line breaks are kept as carriage returns, as the player's text property gives them.
    EXPECT_EQ(field.text(), U"ab\rc&");
    EXPECT_EQ(field.fontFor(field.formatOf(0, 1), dictionary),
              dictionary.findAs<swf::FontCharacter>(1));
    const auto& lines = field.lines(dictionary);
    ASSERT_EQ(lines.size(), 2u);
    // 100 px inside the gutters; each glyph 10 px; right-aligned.
    ASSERT_EQ(lines[0].glyphs.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0].glyphs[0].x, px(80));
    EXPECT_DOUBLE_EQ(lines[0].baseline, 768 * 400 / 1024.0);
    ASSERT_EQ(lines[1].glyphs.size(), 1u);  // the font has no '&'
    EXPECT_DOUBLE_EQ(lines[1].glyphs[0].x, px(90));
    EXPECT_DOUBLE_EQ(lines[1].baseline - lines[0].baseline, px(20));

    field.setText("abc abc", false);
    EXPECT_EQ(field.text(), U"abc abc");
    EXPECT_EQ(field.lines(dictionary).size(), 1u);
}

TEST(TextFieldTest, WrapsWhetherMultilineOrNot) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1));
    // 50 px for text: "abc abc" does not fit (the font has no space glyph, so spaces take no room).
    swftest::EditText layout{.bounds = swftest::Rect::fromPixels(0, 0, 54, 100),
                             .text = "abc abc abc",
                             .fontId = 1,
                             .fontHeight = px(20),
                             .wordWrap = true,
                             .multiline = true,
                             .useOutlines = true};
    EXPECT_EQ(TextField(parseField(layout)).lines(dictionary).size(), 3u);
    layout.multiline = false;
    EXPECT_EQ(TextField(parseField(layout)).lines(dictionary).size(), 3u);
    layout.wordWrap = false;
    EXPECT_EQ(TextField(parseField(layout)).lines(dictionary).size(), 1u);
    // Every newline breaks the line, even in a single-line field; "\r\n" is two.
    layout.text = "a\r\nb\nc";
    EXPECT_EQ(TextField(parseField(layout)).lines(dictionary).size(), 4u);
}

TEST(TextFieldTest, DeviceFontsStandInWithoutOutlines) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1, "_typewriter"));
    auto& cache = swf::DeviceFontCache::shared();
    TextField named(parseField(
        {.bounds = swftest::Rect::fromPixels(0, 0, 50, 20), .text = "abc", .fontId = 1}));
    EXPECT_EQ(named.fontFor(named.formatOf(0, 1), dictionary),
              cache.find("_typewriter", false, false));
    TextField plain(parseField({.bounds = swftest::Rect::fromPixels(0, 0, 50, 20), .text = "abc"}));
    const auto* stand = plain.fontFor(plain.formatOf(0, 1), dictionary);
    ASSERT_TRUE(stand);
    EXPECT_EQ(static_cast<const swf::DeviceFont*>(stand)->family(), "Liberation Serif");
    EXPECT_EQ(plain.lines(dictionary).front().glyphs.size(), 3u);
}

TEST(TextFieldTest, SelfSizingFieldsFitTheirText) {
    swf::Dictionary dictionary;
    dictionary.add(squareFont(1));
    // 10 px glyphs, 20 px lines; the field is drawn 10 x 10 px.
    swftest::EditText sizing{.bounds = swftest::Rect::fromPixels(5, 5, 10, 10),
                             .text = "abc\nab",
                             .fontId = 1,
                             .fontHeight = px(20),
                             .align = swftest::TextAlign::Right,
                             .multiline = true,
                             .autoSize = true,
                             .useOutlines = true};
    auto grows = parseField(sizing);
    TextField field(grows);
    EXPECT_EQ(field.box(dictionary), (swf::Rect{px(5), px(5 + 30 + 4), px(5), px(5 + 40 + 4)}));
    // Right-aligned within the widest line.
    ASSERT_EQ(field.lines(dictionary).size(), 2u);
    EXPECT_DOUBLE_EQ(field.lines(dictionary)[1].glyphs[0].x, px(10));
    field.setText("a", false);
    EXPECT_EQ(field.box(dictionary), (swf::Rect{px(5), px(5 + 10 + 4), px(5), px(5 + 20 + 4)}));

    // With word wrap only the height follows the text.
    sizing.wordWrap = true;
    sizing.bounds = swftest::Rect::fromPixels(0, 0, 34, 10);
    sizing.text = "abc abc";  // two lines of 30 px
    TextField wrapped(parseField(sizing));
    EXPECT_EQ(wrapped.box(dictionary), (swf::Rect{0, px(34), 0, px(44)}));

    // A fixed field keeps its bounds.
    sizing.autoSize = false;
    TextField fixed(parseField(sizing));
    EXPECT_EQ(fixed.box(dictionary), (swf::Rect{0, px(34), 0, px(10)}));
}

// The alignment a centred definition leaves for new text: older movies start every HTML text
// from the left; later ones keep the definition's unless an HTML field brings no text.
TEST(TextFieldTest, HtmlFieldsStartFromTheirDefinitionsAlignment) {
    using enum swf::TextAlign;
    for (auto [version, text, align] :
         {std::tuple{7, "ab", Left}, {7, "", Left}, {8, "ab", Center}, {8, "", Left}}) {
        swftest::EditText field{.text = *text ? std::optional<std::string>(text) : std::nullopt,
                                .align = swftest::TextAlign::Center,
                                .html = true};
        EXPECT_EQ(TextField(parseField(field), nullptr, version).newFormat().align, align);
    }
}
