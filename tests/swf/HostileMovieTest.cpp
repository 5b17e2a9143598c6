#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "TestMovie.h"
#include "swf/bitmap/BitmapCharacter.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/ShapeCharacter.h"
#include "swf/parse/MovieParser.h"
#include "swf/render/Canvas.h"

namespace {

namespace st = swftest;
using enginetest::Square;

st::SwfWriter BusyMovie() {
    st::SwfWriter sprite;
    sprite.place(1, 1).showFrame().move(1, st::Matrix::translation(40, 40)).showFrame();
    st::SwfWriter movie;
    movie.frameSizePixels(40, 30);
    st::MorphShapeBuilder morph;
    int fill = morph.addFill(st::FillStyle::solid({255, 0, 0}), st::FillStyle::solid({0, 0, 255}));
    morph.startEdges().fill1(fill).rectangle(0, 0, 200, 200);
    morph.endEdges().rectangle(0, 0, 400, 300);
    movie.defineShape(1, Square({9, 9, 9}, 300)).defineSprite(2, sprite).defineMorphShape(3, morph);
    movie.place(2, 1).placeObject2({.depth = 2, .character = 3, .ratio = 100}).showFrame();
    movie.placeObject2({.depth = 2, .move = true, .ratio = 60000})
        .doAction(st::ActionBuilder().gotoFrame(0).play())
        .showFrame();
    return movie;
}

// Loads whatever the bytes are and plays a few frames; returns whether it loaded.
bool PlayFew(std::span<const uint8_t> bytes, std::string* error = nullptr) {
    swf::Player player;
    if (!player.LoadMovieFromMemory(bytes)) {
        if (error) *error = player.LoadError();
        return false;
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(std::max(1, player.ViewWidth())) * 4 *
                                static_cast<size_t>(std::max(1, player.ViewHeight())));
    for (int i = 0; i < 3; ++i) {
        player.advanceFrame();
        player.Draw({pixels.data(), static_cast<size_t>(player.ViewWidth()) * 4, 32, false});
    }
    return true;
}

TEST(HostileMovies, NonMoviesAreRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(PlayFew({}, &error));
    EXPECT_EQ(error, "the file is empty");
    std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    EXPECT_FALSE(PlayFew(text, &error));
    EXPECT_NE(error.find("not a Flash movie"), std::string::npos);
    std::vector<uint8_t> lzma = {'Z', 'W', 'S', 13, 100, 0, 0, 0, 1, 2, 3, 4};
    EXPECT_FALSE(PlayFew(lzma, &error));
    EXPECT_NE(error.find("LZMA"), std::string::npos);
    std::vector<uint8_t> headerOnly = {'F', 'W', 'S', 6, 100, 0, 0, 0, 0x78};
    EXPECT_FALSE(PlayFew(headerOnly, &error));
    EXPECT_NE(error.find("cut short"), std::string::npos);
}

TEST(HostileMovies, DamagedCompressedDataIsRefused) {
    std::vector<uint8_t> bytes = {'C', 'W', 'S', 6, 100, 0, 0, 0, 0x12, 0x34, 0x56, 0x78, 0x9A};
    std::string error;
    EXPECT_FALSE(PlayFew(bytes, &error));
    EXPECT_NE(error.find("damaged"), std::string::npos);
}

enum class Packing { None, Zlib, Lzma };

std::vector<uint8_t> Packed(st::SwfWriter movie, Packing packing) {
    if (packing == Packing::Lzma) movie.version(13).lzmaCompressed();
    else movie.compressed(packing == Packing::Zlib);
    return movie.bytes();
}

TEST(HostileMovies, EveryTruncationOfAMovieLoadsOrFailsCleanly) {
    for (Packing packing : {Packing::None, Packing::Zlib, Packing::Lzma}) {
        std::vector<uint8_t> whole = Packed(BusyMovie(), packing);
        ASSERT_TRUE(PlayFew(whole));
        int loaded = 0;
        for (size_t keep = 0; keep < whole.size(); ++keep)
            loaded += PlayFew(std::span<const uint8_t>(whole.data(), keep));
        EXPECT_GT(loaded, 0);
    }
}

TEST(HostileMovies, LzmaMoviesReadAsTheirPlainFormWithinTheDeclaredLength) {
    std::string error;
    auto plain = swf::MovieParser::parse(Packed(BusyMovie(), Packing::None), error);
    std::vector<uint8_t> packed = Packed(BusyMovie(), Packing::Lzma);
    ASSERT_EQ(packed[0], 'Z');
    auto lzma = swf::MovieParser::parse(packed, error);
    ASSERT_TRUE(plain && lzma) << error;
    EXPECT_TRUE(lzma->header.compressed);
    EXPECT_FALSE(lzma->truncated);
    EXPECT_EQ(lzma->header.frameCount, plain->header.frameCount);
    EXPECT_EQ(lzma->timeline->playableFrames(), plain->timeline->playableFrames());
    EXPECT_NE(lzma->dictionary.find(3), nullptr);
    // A header that declares less than the stream holds cuts the movie there.
    auto cut = Packed(BusyMovie(), Packing::Lzma);
    cut[4] = 40;
    cut[5] = cut[6] = cut[7] = 0;
    auto shortened = swf::MovieParser::parse(cut, error);
    ASSERT_TRUE(shortened) << error;
    EXPECT_TRUE(shortened->truncated);
    // Data that stops partway is a movie cut short, as with zlib.
    auto half = swf::MovieParser::parse(std::span<const uint8_t>(packed).first(packed.size() / 2 + 20), error);
    ASSERT_TRUE(half) << error;
    EXPECT_TRUE(half->truncated);
}

TEST(HostileMovies, TruncatedTagStreamIsMarkedAndKeepsWhatCameBefore) {
    std::vector<uint8_t> whole = BusyMovie().bytes();
    std::string error;
    auto movie =
        swf::MovieParser::parse(std::span<const uint8_t>(whole.data(), whole.size() - 10), error);
    ASSERT_TRUE(movie) << error;
    EXPECT_TRUE(movie->truncated);
    EXPECT_NE(movie->dictionary.find(1), nullptr);
}

TEST(HostileMovies, BitmapsPastTheMovieBudgetAreLeftUndecoded) {
    // Each 256 x 256 bitmap decodes to 256 KiB from a few hundred bytes of zlib data.
    constexpr int kSide = 256;
    constexpr size_t kDecoded = size_t{kSide} * kSide * 4;
    std::vector<st::Rgba> pixels(size_t{kSide} * kSide, st::Rgba{10, 200, 30, 255});
    std::vector<st::Rgba> small(4, st::Rgba{1, 2, 3, 255});
    st::SwfWriter writer;
    for (uint16_t id = 1; id <= 6; ++id)
        writer.defineBitsLossless(id, kSide, kSide, pixels, id % 2 + 1);
    writer.defineBitsLossless(7, 2, 2, small).showFrame();
    std::vector<uint8_t> bytes = writer.compressed().bytes();

    swf::ParseBudget budget;
    budget.bitmapBytesLeft = 3 * kDecoded + 100;
    std::string error;
    auto movie = swf::MovieParser::parse(bytes, error, budget);
    ASSERT_TRUE(movie) << error;
    for (uint16_t id = 1; id <= 3; ++id) {
        const auto* bitmap = movie->dictionary.findAs<swf::BitmapCharacter>(id);
        ASSERT_NE(bitmap, nullptr) << "bitmap " << id;
        EXPECT_EQ(bitmap->bitmap().rgba.size(), kDecoded);
        EXPECT_EQ(bitmap->bitmap().rgba[1], 200);
    }
    for (uint16_t id = 4; id <= 6; ++id)
        EXPECT_EQ(movie->dictionary.find(id), nullptr) << "bitmap " << id;
    // What is left of the budget still takes a bitmap small enough for it.
    EXPECT_NE(movie->dictionary.findAs<swf::BitmapCharacter>(7), nullptr);

    // Every movie gets a budget of its own.
    auto again = swf::MovieParser::parse(bytes, error, budget);
    ASSERT_TRUE(again) << error;
    EXPECT_NE(again->dictionary.find(3), nullptr);
    EXPECT_EQ(again->dictionary.find(4), nullptr);
    auto unbounded = swf::MovieParser::parse(bytes, error);
    ASSERT_TRUE(unbounded) << error;
    EXPECT_NE(unbounded->dictionary.find(6), nullptr);
}

// The top-left pixel (RGBA) after drawing character 2 of the movie on a blue surface.
std::array<uint8_t, 4> DrawnCorner(const swf::SwfMovie& movie) {
    swf::Canvas canvas(4, 4);
    canvas.clear({0, 0, 255, 255});
    const auto* shape = movie.dictionary.findAs<swf::ShapeCharacter>(2);
    EXPECT_NE(shape, nullptr);
    if (!shape) return {};
    swf::BitmapLookup bitmaps = [&](uint16_t id) -> const swf::Bitmap* {
        const auto* bitmap = movie.dictionary.findAs<swf::BitmapCharacter>(id);
        return bitmap ? &bitmap->bitmap() : nullptr;
    };
    swf::Matrix toPixels{0.05, 0, 0, 0.05, 0, 0};
    canvas.drawShape(shape->shape(), toPixels, {}, bitmaps);
    const uint8_t* p = canvas.pixels();
    return {p[0], p[1], p[2], p[3]};
}

TEST(HostileMovies, ShapeFilledWithAnUndecodedBitmapPaintsNothing) {
    std::vector<st::Rgba> pixels(64 * 64, st::Rgba{255, 0, 0, 255});
    st::ShapeBuilder filled;
    filled.fill1(filled.addFill(st::FillStyle::bitmap(1, st::Matrix::scaling(20, 20))))
        .rectangle(0, 0, st::px(4), st::px(4));
    st::SwfWriter writer;
    writer.defineBitsLossless(1, 64, 64, pixels).defineShape(2, filled).showFrame();
    std::vector<uint8_t> bytes = writer.bytes();
    std::string error;
    auto whole = swf::MovieParser::parse(bytes, error);
    ASSERT_TRUE(whole) << error;
    EXPECT_EQ(DrawnCorner(*whole), (std::array<uint8_t, 4>{255, 0, 0, 255}));

    swf::ParseBudget budget;
    budget.bitmapBytesLeft = 64 * 64 * 4 - 1;
    auto starved = swf::MovieParser::parse(bytes, error, budget);
    ASSERT_TRUE(starved) << error;
    EXPECT_EQ(starved->dictionary.find(1), nullptr);
    EXPECT_EQ(DrawnCorner(*starved), (std::array<uint8_t, 4>{0, 0, 255, 255}));
}

TEST(HostileMovies, RandomBytesAfterAValidHeaderNeverCrash) {
    std::mt19937 random(1234);
    std::vector<uint8_t> header = st::SwfWriter().frameSizePixels(30, 20).omitEndTag().bytes();
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = header;
        size_t length = random() % 400;
        for (size_t i = 0; i < length; ++i) bytes.push_back(static_cast<uint8_t>(random()));
        EXPECT_TRUE(PlayFew(bytes)) << "round " << round;
    }
}

}  // namespace

TEST(HostileMovies, CharactersPlacingThemselvesTwiceAtOneDepthStayBounded) {
    // Each level replaces the subtree it has just built at that depth, which frees its room
    // under the live-object bound: without a bound on the objects one step makes, building
    // them would take two to the power of the nesting limit.
    st::ButtonBuilder button;
    button.add({.character = 1, .depth = 1}).add({.character = 1, .depth = 1});
    st::SwfWriter buttonMovie;
    buttonMovie.frameSizePixels(40, 30).defineButton2(1, button).place(1, 1).showFrame();

    st::SwfWriter sprite;
    sprite.place(2, 1).place(2, 1).showFrame();
    st::SwfWriter spriteMovie;
    spriteMovie.frameSizePixels(40, 30).defineSprite(2, sprite).place(2, 1).showFrame();

    for (const st::SwfWriter* movie : {&buttonMovie, &spriteMovie}) {
        swf::Player player;
        std::vector<uint8_t> bytes = movie->bytes();
        ASSERT_TRUE(player.LoadMovieFromMemory(bytes));
        EXPECT_LE(player.DisplayObjectCount(), swf::MovieContext::kMaxObjects);
        player.advanceFrame();
        player.GotoFrame(0);
        EXPECT_LE(player.DisplayObjectCount(), swf::MovieContext::kMaxObjects);
    }
}
