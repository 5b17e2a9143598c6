#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "FakeHost.h"
#include "TestMovie.h"
#include "swf/parse/MovieParser.h"

namespace {

namespace st = swftest;
using enginetest::FakeHost;
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
    FakeHost host;
    swf::Player player;
    player.SetServiceProvider(&host);
    if (!player.LoadMovieFromMemory(bytes)) {
        if (error) *error = player.LoadError();
        return false;
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(std::max(1, player.ViewWidth())) * 4 *
                                static_cast<size_t>(std::max(1, player.ViewHeight())));
    for (int i = 0; i < 3; ++i) {
        host.tick();
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

TEST(HostileMovies, EveryTruncationOfAMovieLoadsOrFailsCleanly) {
    for (bool zlib : {false, true}) {
        std::vector<uint8_t> whole = BusyMovie().compressed(zlib).bytes();
        ASSERT_TRUE(PlayFew(whole));
        int loaded = 0;
        for (size_t keep = 0; keep < whole.size(); ++keep)
            loaded += PlayFew(std::span<const uint8_t>(whole.data(), keep));
        EXPECT_GT(loaded, 0);
    }
}

TEST(HostileMovies, TruncatedTagStreamIsMarkedAndKeepsWhatCameBefore) {
    std::vector<uint8_t> whole = BusyMovie().bytes();
    std::string error;
    auto movie = swf::MovieParser::parse(std::span<const uint8_t>(whole.data(), whole.size() - 10), error);
    ASSERT_TRUE(movie) << error;
    EXPECT_TRUE(movie->truncated);
    EXPECT_NE(movie->dictionary.find(1), nullptr);
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
