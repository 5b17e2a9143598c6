#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "convert/run/ConversionRunner.h"
#include "convert/run/ImageSequenceNames.h"
#include "convert/run/ParsedMovie.h"
#include "resources/ResultCode.h"
#include "run/RunTestFiles.h"
#include "run/RunTestHost.h"

namespace {

struct CutCase {
    bool compressed;
    double keptShare;  // of the file's bytes
    bool holdsAFrame = true;
};

// A download that stopped: the first part of a movie of eight frames, compressed or not.
// The run converts the frames it holds whole, each showing its own picture, and warns once.
TEST(CutMovieRun, ConvertsTheCompleteFramesAndNamesTheLast) {
    const CutCase cases[] = {
        {false, 0.3},
        {false, 0.55},
        {false, 0.8},
        {false, 0.92},
        {true, 0.6},
        {true, 0.75},
        {true, 0.9},
        // Cut before its first frame is whole, a movie has nothing to convert.
        {false, 0.08, false},
        {true, 0.2, false},
    };
    for (const CutCase& test : cases) {
        SCOPED_TRACE(testing::Message()
                     << (test.compressed ? "compressed, " : "plain, ") << test.keptShare);
        testfiles::ScratchDir scratch;
        runtest::ColourMovie movie = runtest::Movie(8);
        movie.compressed = test.compressed;
        const std::string path = scratch.File("movie.swf");
        runtest::WriteColourMovie(path, movie);
        std::vector<uint8_t> bytes = testfiles::ReadBytes(path);
        bytes.resize(static_cast<size_t>(static_cast<double>(bytes.size()) * test.keptShare));
        testfiles::WriteBytes(path, bytes);

        convert::ParsedMovie parsed;
        ASSERT_EQ(parsed.Open(path), test.holdsAFrame);
        if (!test.holdsAFrame) continue;
        ASSERT_TRUE(parsed.cutShort());
        const int32_t last = parsed.lastCompleteFrame();
        EXPECT_GE(last, 0);
        EXPECT_LT(last, 7);
        EXPECT_EQ(parsed.header().frameCount, last + 1);

        runtest::RunTestHost host;
        host.player.SetViewSize(movie.width, movie.height);
        convert::ConversionRunner runner(host, parsed);
        settings::ImageSequenceSettings settings;
        settings.endFrame = parsed.header().frameCount - 1;
        settings.width = movie.width;
        settings.height = movie.height;
        std::filesystem::create_directory(scratch.File("out"));
        const std::string output = scratch.File("out/frame.tga");
        ASSERT_EQ(runner.RunImageSequence(settings, settings::OutputKind::Tga, output), kResultOk);
        const convert::ImageSequenceNames names(output, 0, settings.endFrame);
        for (int32_t frame = 0; frame <= last; ++frame)
            EXPECT_EQ(runtest::FrameInTga(names.Name(frame)), frame);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.File("out")),
                                std::filesystem::directory_iterator()),
                  last + 1);
        EXPECT_EQ(host.warnings,
                  std::vector<std::string>{"the movie is cut short: frame " + std::to_string(last) +
                                           " (counted from 0) is its last complete frame"});
        EXPECT_TRUE(host.messages.empty());
    }
}

// A whole movie converts its frames without a word, unless its header announces more frames
// than it holds (FFmpeg's muxer leaves a placeholder count): then only those are converted.
TEST(CutMovieRun, AWholeMovieConvertsTheFramesItHolds) {
    struct Case {
        uint16_t announced;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {3, {}},
        {6000, {"the movie holds 3 frames, fewer than the 6000 its header announces"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.announced);
        testfiles::ScratchDir scratch;
        const std::string path = scratch.File("movie.swf");
        runtest::WriteColourMovie(path, runtest::Movie(3));
        std::vector<uint8_t> bytes = testfiles::ReadBytes(path);
        // The frame count follows the stage rectangle and the frame rate.
        const size_t rectBytes = (5 + 4 * (bytes.at(8) >> 3) + 7) / 8;
        bytes.at(8 + rectBytes + 2) = static_cast<uint8_t>(test.announced);
        bytes.at(8 + rectBytes + 3) = static_cast<uint8_t>(test.announced >> 8);
        testfiles::WriteBytes(path, bytes);

        convert::ParsedMovie parsed;
        ASSERT_TRUE(parsed.Open(path));
        EXPECT_FALSE(parsed.cutShort());
        EXPECT_EQ(parsed.header().frameCount, 3);
        EXPECT_EQ(parsed.announcedFrames(), test.announced);
        runtest::RunTestHost host;
        host.player.SetViewSize(32, 24);
        convert::ConversionRunner runner(host, parsed);
        settings::ImageSequenceSettings settings;
        settings.endFrame = parsed.header().frameCount - 1;
        settings.width = 32;
        settings.height = 24;
        std::filesystem::create_directory(scratch.File("out"));
        ASSERT_EQ(runner.RunImageSequence(settings, settings::OutputKind::Tga,
                                          scratch.File("out/f.tga")),
                  kResultOk);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.File("out")),
                                std::filesystem::directory_iterator()),
                  3);
        EXPECT_EQ(host.warnings, test.warnings);
    }
}

}  // namespace
