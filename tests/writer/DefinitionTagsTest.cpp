// Bodies of definition, display-list, action and sound tags, checked against the format's
// field order and flags.
#include <gtest/gtest.h>

#include "support/SwfWriter.h"
#include "support/Zlib.h"
#include "writer/BitString.h"
#include "writer/TagReader.h"

namespace swftest {
namespace {

using testing::bits;
using testing::concat;
using testing::readTags;
using Bytes = std::vector<uint8_t>;

// The one tag a writer holds.
testing::ReadTag onlyTag(const SwfWriter& writer) {
    const auto tags = readTags(writer.tagStream());
    if (tags.size() != 1) throw std::runtime_error("expected exactly one tag");
    return tags.front();
}

Bytes slice(const Bytes& bytes, size_t from, size_t count = SIZE_MAX) {
    from = std::min(from, bytes.size());
    count = std::min(count, bytes.size() - from);
    return Bytes(bytes.begin() + static_cast<long>(from),
                 bytes.begin() + static_cast<long>(from + count));
}

TEST(LosslessBitmaps, Version2StoresPremultipliedArgb) {
    SwfWriter writer;
    const std::vector<Rgba> pixels{{200, 100, 50, 128}, {1, 2, 3, 255}};
    writer.defineBitsLossless(1, 2, 1, pixels, 2);
    const auto tag = onlyTag(writer);
    EXPECT_EQ(tag.code, kTagDefineBitsLossless2);
    EXPECT_EQ(slice(tag.body, 0, 7), (Bytes{1, 0, 5, 2, 0, 1, 0}));
    // 200 * 128 / 255 = 100.4, 100 * 128 / 255 = 50.2, 50 * 128 / 255 = 25.1
    EXPECT_EQ(Zlib::inflate(slice(tag.body, 7)), (Bytes{128, 100, 50, 25, 255, 1, 2, 3}));
}

TEST(LosslessBitmaps, Version1DropsAlphaBehindAReservedByte) {
    SwfWriter writer;
    const std::vector<Rgba> pixels{{200, 100, 50, 128}};
    writer.defineBitsLossless(1, 1, 1, pixels, 1);
    const auto tag = onlyTag(writer);
    EXPECT_EQ(tag.code, kTagDefineBitsLossless);
    EXPECT_EQ(Zlib::inflate(slice(tag.body, 7)), (Bytes{0, 200, 100, 50}));
}

TEST(LosslessBitmaps, ColorMappedRowsArePaddedToFourBytes) {
    SwfWriter writer;
    const std::vector<Rgba> palette{{10, 20, 30}, {40, 50, 60}};
    const Bytes indices{0, 1, 0, 1, 1, 1};
    writer.defineBitsLosslessColorMapped(4, 3, 2, palette, indices, 1);
    const auto tag = onlyTag(writer);
    EXPECT_EQ(slice(tag.body, 0, 8), (Bytes{4, 0, 3, 3, 0, 2, 0, 1}));
    EXPECT_EQ(Zlib::inflate(slice(tag.body, 8)),
              (Bytes{10, 20, 30, 40, 50, 60, 0, 1, 0, 0, 1, 1, 1, 0}));
}

TEST(LosslessBitmaps, SizeMismatchesAreRefused) {
    SwfWriter writer;
    const std::vector<Rgba> pixels(3);
    EXPECT_THROW(writer.defineBitsLossless(1, 2, 2, pixels), std::invalid_argument);
    const std::vector<Rgba> tooBigPalette(257);
    const Bytes index{0};
    EXPECT_THROW(writer.defineBitsLosslessColorMapped(1, 1, 1, tooBigPalette, index),
                 std::invalid_argument);
    EXPECT_TRUE(writer.tagStream().empty());
}

TEST(JpegBitmaps, Jpeg3CountsImageBytesBeforeTheCompressedAlpha) {
    SwfWriter writer;
    const Bytes image{0xFF, 0xD8, 0xFF, 0xD9};
    const Bytes alpha{0, 255};
    writer.defineBitsJpeg3(2, image, alpha);
    const auto tag = onlyTag(writer);
    EXPECT_EQ(slice(tag.body, 0, 10), (Bytes{2, 0, 4, 0, 0, 0, 0xFF, 0xD8, 0xFF, 0xD9}));
    EXPECT_EQ(Zlib::inflate(slice(tag.body, 10)), alpha);
}

TEST(StaticText, RecordFieldsAndGlyphEntries) {
    TextBuilder text;
    text.add({.fontId = 1,
              .height = 240,
              .color = Rgba{1, 2, 3},
              .y = 300,
              .glyphs = {{0, 100}, {3, -20}}});
    const auto expected = concat({
        {5, 0, 0x00, 0x00},  // id, empty bounds, identity matrix
        {2, 8},              // glyph index bits, advance bits
        {0x8E, 1, 0, 1, 2, 3, 0x2C, 0x01, 0xF0, 0x00, 2},
        bits("00 01100100 11 11101100"),
        {0},
    });
    EXPECT_EQ(text.defineTextBody(5, 1), expected);
    // DefineText2 colours carry alpha.
    EXPECT_EQ(text.defineTextBody(5, 2).size(), expected.size() + 1);
}

ShapeBuilder barGlyph() {
    ShapeBuilder glyph;
    glyph.fill1(1).lineTo(10, 0);
    return glyph;
}

const Bytes kBarGlyphShape = bits("0001 0000  0 0 0 1 0 0 1  1 1 0011 0 0 01010  000000");

TEST(Fonts, DefineFontOffsetsCountFromTheOffsetTable) {
    FontBuilder font;
    font.addGlyph('a', barGlyph(), 500);
    font.addGlyph('b', barGlyph(), 500);
    EXPECT_EQ(font.defineFontBody(3), concat({{3, 0, 4, 0, 9, 0}, kBarGlyphShape, kBarGlyphShape}));
}

TEST(Fonts, DefineFont2LayoutAndCodeTable) {
    FontBuilder font;
    font.name("Ab").bold().layout(900, 200, 10).addGlyph('A', barGlyph(), 600);
    const auto expected = concat({
        {7, 0, 0x85, 0, 2, 'A', 'b', 1,
         0},           // id, flags (layout, wide codes, bold), language, name, count
        {4, 0, 9, 0},  // glyph offset, code table offset
        kBarGlyphShape,
        {'A', 0},
        {0x84, 0x03, 0xC8, 0x00, 0x0A, 0x00, 0x58, 0x02},  // ascent, descent, leading, advance
        bits("00101 00000 01010 00000 00000"),             // glyph bounds
        {0, 0},                                            // no kerning
    });
    EXPECT_EQ(font.defineFont2Body(7, 2), expected);
}

TEST(Fonts, DeviceFontHasANameAndNoGlyphs) {
    FontBuilder font;
    font.name("_sans");
    EXPECT_EQ(font.defineFont2Body(2, 2),
              (Bytes{2, 0, 0x04, 0, 5, '_', 's', 'a', 'n', 's', 0, 0, 2, 0}));
}

TEST(EditTextFields, FlagsAndOptionalFieldsInOrder) {
    const EditText field{.text = "Hi",
                         .fontId = 2,
                         .color = Rgba{1, 2, 3, 4},
                         .align = TextAlign::Center,
                         .variableName = "v",
                         .border = true};
    EXPECT_EQ(field.defineEditTextBody(6),
              (Bytes{6, 0, 0x00, 0x8D, 0x28, 2, 0, 0xF0, 0,   1, 2,   3,   4, 2,
                     0, 0, 0,    0,    0,    0, 0, 0,    'v', 0, 'H', 'i', 0}));
}

TEST(EditTextFields, NoFontNoTextStillEndsWithTheVariableName) {
    const EditText field{.readOnly = false};
    EXPECT_EQ(field.defineEditTextBody(6), (Bytes{6, 0, 0x00, 0x00, 0x00, 0}));
}

TEST(Buttons, ActionOffsetAndConditionRecords) {
    ButtonBuilder button;
    button.add({.states = kButtonUp | kButtonHitTest, .character = 3})
        .addActions(kCondOverUpToOverDown, ActionBuilder().stop())
        .addActions(kCondOverDownToOverUp | buttonKeyCondition(13), ActionBuilder().play());
    EXPECT_EQ(button.defineButton2Body(4), (Bytes{4,    0, 0,    10,   0,                    //
                                                  0x09, 3, 0,    1,    0,    0x00, 0x00, 0,  //
                                                  6,    0, 0x04, 0x00, 0x07, 0,              //
                                                  0,    0, 0x08, 26,   0x06, 0}));
}

TEST(Buttons, WithoutActionsTheOffsetIsZero) {
    ButtonBuilder button;
    button.add({.character = 1});
    EXPECT_EQ(button.defineButton2Body(4), (Bytes{4, 0, 0, 0, 0, 0x01, 1, 0, 1, 0, 0x00, 0x00, 0}));
    EXPECT_THROW(button.add({.states = 0}), std::invalid_argument);
}

TEST(Sounds, DefineSoundPacksTheFormatAndCountsPcmSamples) {
    SwfWriter writer;
    const Bytes tenBytes(10, 0x80);
    writer.defineSound(1, {.rate = SoundRate::Hz22050, .sixteenBit = true, .stereo = false},
                       tenBytes);
    writer.defineSound(
        2, {.codec = SoundCodec::NativePcm, .rate = SoundRate::Hz11025, .sixteenBit = false},
        tenBytes);
    const auto tags = readTags(writer.tagStream());
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(slice(tags[0].body, 0, 7), (Bytes{1, 0, 0x3A, 5, 0, 0, 0}));
    EXPECT_EQ(slice(tags[1].body, 0, 7), (Bytes{2, 0, 0x05, 5, 0, 0, 0}));
    EXPECT_THROW(writer.defineSound(3, {.codec = SoundCodec::Mp3}, tenBytes),
                 std::invalid_argument);
}

TEST(Sounds, StartSoundInfoAndStreamHead) {
    SwfWriter writer;
    writer.startSound(1, {.syncStop = true, .loopCount = 3});
    writer.soundStreamHead(
        {}, {.codec = SoundCodec::Mp3, .rate = SoundRate::Hz22050, .stereo = false}, 1152, -2);
    const auto tags = readTags(writer.tagStream());
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].body, (Bytes{1, 0, 0x24, 3, 0}));
    EXPECT_EQ(tags[1].code, kTagSoundStreamHead);
    EXPECT_EQ(tags[1].body, (Bytes{0x0F, 0x2A, 0x80, 0x04, 0xFE, 0xFF}));
}

TEST(Actions, RecordsWithAndWithoutPayload) {
    SwfWriter writer;
    writer.doAction(ActionBuilder()
                        .gotoFrame(4)
                        .gotoLabel("a")
                        .setTarget("/b")
                        .pushString("hi")
                        .trace()
                        .play()
                        .stop());
    EXPECT_EQ(onlyTag(writer).body, (Bytes{0x81, 2, 0, 4,   0,       //
                                           0x8C, 2, 0, 'a', 0,       //
                                           0x8B, 3, 0, '/', 'b', 0,  //
                                           0x96, 4, 0, 0,   'h', 'i', 0, 0x26, 0x06, 0x07, 0}));
}

TEST(Actions, FsCommandIsAGetUrlAndPayloadRulesAreKept) {
    ActionBuilder actions;
    actions.fsCommand("quit").pushInteger(-2);
    EXPECT_EQ(actions.records(),
              (Bytes{0x83, 16,  0,   'F', 'S', 'C',  'o', 'm', 'm', 'a',  'n',  'd',  ':', 'q',
                     'u',  'i', 't', 0,   0,   0x96, 5,   0,   7,   0xFE, 0xFF, 0xFF, 0xFF}));
    const Bytes payload{1};
    EXPECT_THROW(actions.action(0x05, payload), std::invalid_argument);
    EXPECT_THROW(actions.action(0x81), std::invalid_argument);
}

TEST(Placements, PlaceObject2WritesEveryFlaggedField) {
    SwfWriter writer;
    writer.placeObject2({.depth = 3,
                         .move = true,
                         .character = 2,
                         .matrix = Matrix::identity(),
                         .colorTransform = ColorTransform::alpha(0.5),
                         .ratio = 7,
                         .name = "n",
                         .clipDepth = 9});
    EXPECT_EQ(onlyTag(writer).body,
              concat({{0x7F, 3, 0, 2, 0, 0x00},
                      bits("0 1 1010 0100000000 0100000000 0100000000 0010000000"),
                      {7, 0, 'n', 0, 9, 0}}));
}

TEST(Placements, ClipActionsUseThirtyTwoBitEventsFromSwf6) {
    SwfWriter writer;
    writer.version(6).placeObject2(
        {.depth = 1,
         .character = 2,
         .clipActions = {
             {.events = kClipLoad, .actions = ActionBuilder().stop()},
             {.events = kClipKeyPress, .keyCode = 13, .actions = ActionBuilder().play()}}});
    EXPECT_EQ(onlyTag(writer).body,
              (Bytes{0x82, 1,    0,    2,    0,           //
                     0,    0,    0x01, 0x00, 0x02, 0x00,  // reserved, all events
                     0x01, 0,    0,    0,    2,    0,    0, 0,  0x07, 0, 0,
                     0,    0x02, 0,    3,    0,    0,    0, 13, 0x06, 0,  //
                     0,    0,    0,    0}));
}

TEST(Placements, ClipActionsUseSixteenBitEventsInSwf5) {
    SwfWriter writer;
    writer.version(5).placeObject2(
        {.depth = 1,
         .character = 2,
         .clipActions = {{.events = kClipEnterFrame, .actions = ActionBuilder().stop()}}});
    EXPECT_EQ(onlyTag(writer).body,
              (Bytes{0x82, 1, 0, 2, 0, 0, 0, 0x02, 0x00, 0x02, 0x00, 2, 0, 0, 0, 0x07, 0, 0, 0}));
}

TEST(Placements, MoveOnlyAndPlaceObject3BlendMode) {
    SwfWriter writer;
    writer.move(5, Matrix::translation(20, -20));
    writer.placeObject3({.depth = 1, .character = 4, .blendMode = 3});
    const auto tags = readTags(writer.tagStream());
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].body, concat({{0x05, 5, 0}, bits("0 0 00110 010100 101100")}));
    EXPECT_EQ(tags[1].code, kTagPlaceObject3);
    EXPECT_EQ(tags[1].body, (Bytes{0x02, 0x02, 1, 0, 4, 0, 3}));
}

TEST(Placements, OriginalPlaceObjectAddsCxformOnlyWhenGiven) {
    SwfWriter writer;
    writer.placeObject(2, 1, Matrix::identity());
    writer.placeObject(2, 1, Matrix::identity(), ColorTransform::add(1, 0, 0));
    const auto tags = readTags(writer.tagStream());
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].body, (Bytes{2, 0, 1, 0, 0x00}));
    EXPECT_EQ(tags[1].body, concat({{2, 0, 1, 0, 0x00}, bits("1 0 0010 01 00 00")}));
}

}  // namespace
}  // namespace swftest
