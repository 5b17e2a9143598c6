#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "cli/CommandLine.h"
#include "support/SwfWriter.h"

namespace {

namespace st = swftest;

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Width and height from a PNG's IHDR chunk, or {0, 0} when the file is no PNG.
std::pair<uint32_t, uint32_t> PngSize(const std::string& path) {
    std::vector<uint8_t> png = ReadAll(path);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 24 || !std::equal(std::begin(signature), std::end(signature), png.begin()))
        return {0, 0};
    auto be32 = [&](size_t at) {
        return static_cast<uint32_t>(png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 |
                                     png[at + 3]);
    };
    return {be32(16), be32(20)};
}

std::string TracingMovie(testfiles::ScratchDir& scratch, bool quitInFrameThree) {
    st::SwfWriter movie;
    movie.frameSizePixels(64, 32);
    for (int f = 0; f < 5; ++f) {
        st::ActionBuilder actions;
        actions.pushString("frame " + std::to_string(f + 1)).trace();
        if (quitInFrameThree && f == 2) actions.fsCommand("quit");
        movie.doAction(actions).showFrame();
    }
    std::string path = scratch.File(quitInFrameThree ? "quits.swf" : "plays.swf");
    movie.writeFile(path);
    return path;
}

class SnapshotCommand : public testing::Test {
  protected:
    int Run(const std::vector<std::string>& args) {
        testing::internal::CaptureStderr();
        int status = cli::RunSnapshotCommand(args);
        err_ = testing::internal::GetCapturedStderr();
        return status;
    }
    testfiles::ScratchDir scratch_;
    std::string err_;
};

TEST_F(SnapshotCommand, ShowsNFramesTracesThemAndCapturesTheAskedOnes) {
    std::string movie = TracingMovie(scratch_, false);
    std::string trace = scratch_.File("trace.txt");
    std::string second = scratch_.File("second.png");
    std::string last = scratch_.File("last.png");
    EXPECT_EQ(Run({movie, "--frames", "3", "--trace", trace, "--capture", "2=" + second,
                   "--capture", "last=" + last}),
              0)
        << err_;
    std::vector<uint8_t> lines = ReadAll(trace);
    EXPECT_EQ(std::string(lines.begin(), lines.end()), "frame 1\nframe 2\nframe 3\n");
    EXPECT_EQ(PngSize(second), (std::pair<uint32_t, uint32_t>{64, 32}));
    EXPECT_EQ(PngSize(last), (std::pair<uint32_t, uint32_t>{64, 32}));
}

// A capture of a frame after the quit cannot be taken: the run says so and fails.
TEST_F(SnapshotCommand, QuitEndsTheRunAndLastIsCapturedThere) {
    std::string movie = TracingMovie(scratch_, true);
    std::string trace = scratch_.File("trace.txt");
    std::string fifth = scratch_.File("fifth.png");
    std::string last = scratch_.File("last.png");
    EXPECT_EQ(Run({movie, "--frames", "5", "--trace", trace, "--capture", "5=" + fifth, "--capture",
                   "last=" + last}),
              1);
    EXPECT_EQ(err_, "kinetrope: the movie quit after frame 3; frame 5 was not shown, so " + fifth +
                        " was not written\n");
    std::vector<uint8_t> lines = ReadAll(trace);
    EXPECT_EQ(std::string(lines.begin(), lines.end()), "frame 1\nframe 2\nframe 3\n");
    EXPECT_FALSE(std::filesystem::exists(fifth));
    EXPECT_EQ(PngSize(last), (std::pair<uint32_t, uint32_t>{64, 32}));
}

TEST_F(SnapshotCommand, TraceFileIsMadeEvenWhenNothingIsTraced) {
    st::SwfWriter silent;
    silent.showFrame();
    std::string movie = scratch_.File("silent.swf");
    silent.writeFile(movie);
    std::string trace = scratch_.File("trace.txt");
    EXPECT_EQ(Run({movie, "--frames", "2", "--trace", trace}), 0);
    EXPECT_TRUE(std::filesystem::exists(trace));
    EXPECT_EQ(std::filesystem::file_size(trace), 0u);
}

TEST_F(SnapshotCommand, UnreadableMovieFailsWithTheReason) {
    std::string garbage = scratch_.File("garbage.swf");
    std::ofstream(garbage) << "this is not a movie";
    EXPECT_NE(Run({garbage, "--frames", "2"}), 0);
    EXPECT_NE(err_.find("not a Flash movie"), std::string::npos) << err_;
    EXPECT_NE(Run({scratch_.File("missing.swf"), "--frames", "2"}), 0);
    EXPECT_NE(err_.find("missing.swf"), std::string::npos) << err_;
}

// A movie that stops on its first frame with a Key listener: scripted keys reach it after the
// frame they follow, and autoplay moves it on once it has stood still for a second (4 ticks).
TEST_F(SnapshotCommand, ScriptedInputAndAutoplay) {
    st::SwfWriter movie;
    movie.frameSizePixels(64, 32).frameRate(4);
    movie.doAction(st::ActionBuilder::assemble(
        "push \"l\"; push 0; initObject; setVariable;"
        "push \"l\"; getVariable; push \"onKeyDown\"; function () {"
        "  push \"key \"; push 0, \"Key\"; getVariable; push \"getCode\"; callMethod; add2; trace"
        "}; setMember;"
        "push \"l\"; getVariable; push 1, \"Key\"; getVariable; push \"addListener\"; callMethod;"
        "pop; stop"));
    movie.showFrame();
    for (int f = 2; f <= 3; ++f) {
        st::ActionBuilder actions;
        actions.pushString("frame " + std::to_string(f)).trace();
        movie.doAction(actions).showFrame();
    }
    std::string path = scratch_.File("waits.swf");
    movie.writeFile(path);
    std::string input = scratch_.File("input.json");
    std::ofstream(input) << R"([{"type": "Wait"}, {"type": "KeyDown", "key": {"Char": "a"}},
                               {"type": "KeyUp", "key": {"Char": "a"}}, {"type": "Wait"},
                               {"type": "KeyDown", "key": "Escape"}])";
    std::string trace = scratch_.File("trace.txt");
    ASSERT_EQ(Run({path, "--frames", "8", "--trace", trace, "--input", input, "--autoplay"}), 0)
        << err_;
    std::vector<uint8_t> lines = ReadAll(trace);
    EXPECT_EQ(std::string(lines.begin(), lines.end()), "key 65\nkey 27\nframe 2\nframe 3\n");
    // Without autoplay the movie waits for ever.
    ASSERT_EQ(Run({path, "--frames", "8", "--trace", trace, "--input", input}), 0) << err_;
    lines = ReadAll(trace);
    EXPECT_EQ(std::string(lines.begin(), lines.end()), "key 65\nkey 27\n");

    for (const char* bad : {R"([{"type": "MouseMove"}])", R"({"type": "Wait"})", R"([{"type":)",
                            R"([{"type": "Wait"}] trailing)"}) {
        std::ofstream(input, std::ios::trunc) << bad;
        EXPECT_EQ(Run({path, "--frames", "2", "--input", input}), 1) << bad;
        EXPECT_NE(err_.find("input.json"), std::string::npos) << err_;
    }
}

TEST_F(SnapshotCommand, BadArgumentsAreUsageErrors) {
    std::string movie = TracingMovie(scratch_, false);
    EXPECT_EQ(Run({movie}), 2);
    EXPECT_EQ(Run({movie, "--frames", "0"}), 2);
    EXPECT_EQ(Run({movie, "--frames", "2", "--capture", "first=x.png"}), 2);
    EXPECT_EQ(Run({"--frames", "2"}), 2);
}

// The option reaches the player: the movie reads it back as _quality.
TEST_F(SnapshotCommand, RenderQualityIsThePlayersQuality) {
    st::SwfWriter movie;
    movie.frameSizePixels(16, 16);
    movie.doAction(st::ActionBuilder().pushString("").pushInteger(19).getProperty().trace())
        .showFrame();
    std::string path = scratch_.File("quality.swf");
    movie.writeFile(path);
    std::string trace = scratch_.File("quality.txt");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"low", "LOW\n"}, {"medium", "MEDIUM\n"}, {"best", "BEST\n"}};
    for (const auto& [option, traced] : cases) {
        ASSERT_EQ(Run({path, "--frames", "1", "--trace", trace, "--render-quality", option}), 0)
            << err_;
        std::vector<uint8_t> text = ReadAll(trace);
        EXPECT_EQ(std::string(text.begin(), text.end()), traced);
    }
    EXPECT_EQ(Run({path, "--frames", "1", "--render-quality", "ultra"}), 2);
    EXPECT_NE(err_.find("--render-quality needs low, medium, high or best"), std::string::npos);
    testing::internal::CaptureStdout();
    EXPECT_EQ(cli::RunSnapshotCommand({"--help"}), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("--render-quality low|medium|high|best"),
              std::string::npos);
}

// --size draws a view of that size (the stage fitted in it by the player); the movie's own
// size without it. Sizes that are not WIDTHxHEIGHT from 1 to 16384 are usage errors.
TEST_F(SnapshotCommand, SizeSetsTheView) {
    std::string movie = TracingMovie(scratch_, false);
    std::string png = scratch_.File("view.png");
    const std::vector<std::pair<std::vector<std::string>, std::pair<uint32_t, uint32_t>>> cases =
        {{{}, {64, 32}}, {{"--size", "128x128"}, {128, 128}}, {{"--size", "20x30"}, {20, 30}}};
    for (const auto& [extra, size] : cases) {
        std::vector<std::string> args = {movie, "--frames", "1", "--capture", "last=" + png};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_EQ(Run(args), 0) << err_;
        EXPECT_EQ(PngSize(png), size);
    }
    for (const char* bad : {"128", "0x10", "10x", "x10", "16385x10", "10x-1", "axb"}) {
        EXPECT_EQ(Run({movie, "--frames", "1", "--size", bad}), 2) << bad;
        EXPECT_NE(err_.find("--size needs WIDTHxHEIGHT"), std::string::npos) << err_;
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(cli::RunSnapshotCommand({"--help"}), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("--size WxH"), std::string::npos);
}

}  // namespace
