#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "convert/run/ConversionRunner.h"
#include "convert/run/ImageSequenceNames.h"
#include "convert/run/ParsedMovie.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"
#include "run/RunFixture.h"
#include "run/RunTestFiles.h"
#include "run/RunTestHost.h"

namespace {

using convert::ImageSequenceNames;
using settings::SequenceMode;

TEST(ImageSequenceNames, PadToTheDigitsOfTheFrameSpan) {
    const ImageSequenceNames hundred("out/movie.tga", 0, 99);
    EXPECT_EQ(hundred.Name(0), "out/movie00.tga");
    EXPECT_EQ(hundred.Name(7), "out/movie07.tga");
    EXPECT_EQ(hundred.Name(99), "out/movie99.tga");
    EXPECT_EQ(ImageSequenceNames("movie.tga", 5, 5).Name(0), "movie0.tga");
    EXPECT_EQ(ImageSequenceNames("movie.png", 3, 12).Name(9), "movie9.png");
    EXPECT_EQ(ImageSequenceNames("movie.png", 3, 13).Name(9), "movie09.png");
    EXPECT_EQ(ImageSequenceNames("movie.png", 0, 1000).Name(12), "movie0012.png");
}

TEST(ImageSequenceNames, TakeTheExtensionFromTheFileNameOnly) {
    EXPECT_EQ(ImageSequenceNames("shots.v2/movie", 0, 10).Name(3), "shots.v2/movie03");
    EXPECT_EQ(ImageSequenceNames("shots.v2/movie.final.tga", 0, 10).Name(3),
              "shots.v2/movie.final03.tga");
    EXPECT_TRUE(ImageSequenceNames("a/movie.TGA", 0, 1).IsTga());
    EXPECT_FALSE(ImageSequenceNames("a/movie.png", 0, 1).IsTga());
    EXPECT_FALSE(ImageSequenceNames("a.tga/movie", 0, 1).IsTga());
    EXPECT_FALSE(ImageSequenceNames("a/movie.tga.png", 0, 1).IsTga());
}

class ImageSequenceRun : public runtest::RunFixture {
  protected:
    void OpenMovie(const runtest::ColourMovie& movie) {
        ASSERT_NO_FATAL_FAILURE(OpenColourMovie(movie));
        width_ = movie.width;
        height_ = movie.height;
    }

    int32_t Run(int32_t start, int32_t end, SequenceMode mode = SequenceMode::Normal,
                const std::string& output = "", int32_t depth = 24) {
        settings::ImageSequenceSettings settings;
        settings.startFrame = start;
        settings.endFrame = end;
        settings.sequenceMode = mode;
        settings.colorDepth = depth;
        settings.width = width_;
        settings.height = height_;
        return runner_.RunImageSequence(settings, settings::OutputKind::Tga,
                                        output.empty() ? scratch_.File("out/movie.tga") : output);
    }

    // The frame each written image shows, in order of the names.
    std::vector<int> FramesWritten(int32_t start, int32_t end) {
        const ImageSequenceNames names(scratch_.File("out/movie.tga"), start, end);
        std::vector<int> frames;
        for (int32_t i = 0; i <= end - start; ++i)
            frames.push_back(runtest::FrameInTga(names.Name(i)));
        return frames;
    }

    std::vector<std::string> OutputFiles() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch_.File("out")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void SetUp() override { std::filesystem::create_directory(scratch_.File("out")); }

    convert::ConversionRunner runner_{host_, movie_};
    int width_ = 0;
    int height_ = 0;
};

TEST_F(ImageSequenceRun, WritesAHundredNumberedImagesAndRestoresTheMovie) {
    OpenMovie(runtest::Movie(4));
    EXPECT_EQ(Run(0, 99), kResultOk);
    const std::vector<std::string> files = OutputFiles();
    ASSERT_EQ(files.size(), 100u);
    EXPECT_EQ(files.front(), "movie00.tga");
    EXPECT_EQ(files.back(), "movie99.tga");
    EXPECT_EQ(runner_.lastFrameReached(), 99);
    EXPECT_EQ(host_.ticks, 100);
    EXPECT_EQ(host_.locks, (std::vector<bool>{false, true}));
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(host_.progress.title, "Converting to TGA");
    EXPECT_EQ(host_.progress.total,
              resources::FormatString(resources::kStrTotalFrames, 100, 0, 99));
    EXPECT_EQ(host_.progress.status,
              resources::FormatString(resources::kStrCreatingImageSequence, 100));
    EXPECT_EQ(host_.progress.closed, 1);
    EXPECT_FALSE(runner_.runInProgress());
    // The working movie is back, stopped at its first frame.
    EXPECT_TRUE(host_.player.HasMovie());
    EXPECT_FALSE(host_.player.IsPlaying());
    EXPECT_EQ(host_.player.TCurrentFrame(), 0);
}

TEST_F(ImageSequenceRun, ASingleFrameHasNoPadding) {
    OpenMovie(runtest::Movie(4));
    EXPECT_EQ(Run(2, 2), kResultOk);
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{"movie0.tga"});
    EXPECT_EQ(runtest::FrameInTga(scratch_.File("out/movie0.tga")), 2);
}

// Frame 1 jumps forward to 3 and frame 6 back to 4, playing on (gotoAndPlay).
runtest::ColourMovie JumpingMovie() {
    runtest::ColourMovie movie = runtest::Movie(10);
    movie.actions[1] = swftest::ActionBuilder().gotoFrame(3).play();
    movie.actions[6] = swftest::ActionBuilder().gotoFrame(4).play();
    return movie;
}

TEST_F(ImageSequenceRun, NormalModeFollowsTheMovieItsJumpsIncluded) {
    OpenMovie(JumpingMovie());
    ASSERT_EQ(Run(0, 9, SequenceMode::Normal), kResultOk);
    EXPECT_EQ(FramesWritten(0, 9), (std::vector<int>{0, 3, 4, 5, 4, 5, 4, 5, 4, 5}));
}

TEST_F(ImageSequenceRun, SkipBackwardKeepsForwardJumpsAndStepsOverBackwardOnes) {
    OpenMovie(JumpingMovie());
    ASSERT_EQ(Run(0, 9, SequenceMode::SkipBackward), kResultOk);
    // At output 4 the movie jumped back: the run goes to frame 6, whose own action jumps
    // back again. Past the last frame the movie loops to 0 and the run holds frame 9.
    EXPECT_EQ(FramesWritten(0, 9), (std::vector<int>{0, 3, 4, 5, 4, 7, 8, 9, 9, 9}));
}

TEST_F(ImageSequenceRun, FrameByFrameShowsFrameNAtStepN) {
    OpenMovie(JumpingMovie());
    ASSERT_EQ(Run(0, 9, SequenceMode::FrameByFrame), kResultOk);
    // Frames 1 and 6 run their jumps when they are gone to.
    EXPECT_EQ(FramesWritten(0, 9), (std::vector<int>{0, 3, 2, 3, 4, 5, 4, 7, 8, 9}));
}

TEST_F(ImageSequenceRun, PreRollBringsTheFirstOutputToTheStartFrame) {
    OpenMovie(runtest::Movie(8));
    ASSERT_EQ(Run(3, 6, SequenceMode::FrameByFrame), kResultOk);
    EXPECT_EQ(FramesWritten(3, 6), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(host_.ticks, 3 + 4);
    EXPECT_EQ(runner_.lastFrameReached(), 6);
}

TEST_F(ImageSequenceRun, CancelDeletesEveryImageWritten) {
    OpenMovie(runtest::Movie(8));
    testfiles::WriteBytes(scratch_.File("out/keep.txt"), {1, 2, 3});
    host_.cancelAt = 2;
    EXPECT_EQ(Run(0, 7), kResultAbort);
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(host_.progress.questions, std::vector<int>{resources::kStrConfirmCancel});
    EXPECT_EQ(runner_.lastFrameReached(), 3);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(host_.locks, (std::vector<bool>{false, true}));
}

TEST_F(ImageSequenceRun, CancelAnsweredNoChangesNothing) {
    OpenMovie(runtest::Movie(8));
    host_.progress.answer = false;
    host_.cancelAt = 2;
    EXPECT_EQ(Run(0, 7), kResultOk);
    EXPECT_EQ(OutputFiles().size(), 8u);
    EXPECT_FALSE(host_.progress.cancelled());
}

TEST_F(ImageSequenceRun, FinishKeepsWhatIsWrittenAndSucceeds) {
    OpenMovie(runtest::Movie(8));
    host_.finishAt = 2;
    EXPECT_EQ(Run(0, 7), kResultOk);
    EXPECT_EQ(OutputFiles(),
              (std::vector<std::string>{"movie0.tga", "movie1.tga", "movie2.tga", "movie3.tga"}));
    EXPECT_EQ(FramesWritten(0, 3), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(runner_.lastFrameReached(), 3);
    EXPECT_EQ(host_.progress.questions, std::vector<int>{resources::kStrConfirmFinish});
    EXPECT_FALSE(host_.progress.finishEnabled);
}

TEST_F(ImageSequenceRun, AMissingFolderFailsWithTheWriteMessage) {
    OpenMovie(runtest::Movie(4));
    EXPECT_EQ(Run(0, 3, SequenceMode::Normal, scratch_.File("missing/movie.tga")), kResultFail);
    EXPECT_EQ(host_.messages, std::vector<int>{resources::kStrFailedToWriteStream});
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("missing")));
    EXPECT_EQ(host_.locks, (std::vector<bool>{false, true}));
    EXPECT_TRUE(host_.player.HasMovie());
}

TEST_F(ImageSequenceRun, AFailedWriteKeepsTheImagesBeforeIt) {
    OpenMovie(runtest::Movie(8));
    // Something that no image can replace stands where the third image goes.
    std::filesystem::create_directory(scratch_.File("out/movie2.tga"));
    EXPECT_EQ(Run(0, 7), kResultFail);
    EXPECT_EQ(host_.messages, std::vector<int>{resources::kStrFailedToWriteStream});
    EXPECT_EQ(runtest::FrameInTga(scratch_.File("out/movie0.tga")), 0);
    EXPECT_EQ(runtest::FrameInTga(scratch_.File("out/movie1.tga")), 1);
    EXPECT_TRUE(std::filesystem::is_directory(scratch_.File("out/movie2.tga")));
    EXPECT_EQ(OutputFiles().size(), 3u);
    EXPECT_EQ(runner_.lastFrameReached(), 2);
}

TEST_F(ImageSequenceRun, AFullDiskIsRefusedBeforeAnythingIsWritten) {
    OpenMovie(runtest::Movie(4));
    const uint64_t needed = (3 * 32 * 24 + 40) * 4;
    runner_.SetFreeSpaceQuery([&](const std::filesystem::path&) { return needed; });
    EXPECT_EQ(Run(0, 3), kResultFail);
    EXPECT_EQ(host_.messages, std::vector<int>{resources::kStrDiskSpaceNotEnough});
    EXPECT_TRUE(OutputFiles().empty());
    EXPECT_TRUE(host_.locks.empty());

    runner_.SetFreeSpaceQuery([&](const std::filesystem::path&) { return needed + 1; });
    EXPECT_EQ(Run(0, 3), kResultOk);
    EXPECT_EQ(OutputFiles().size(), 4u);
}

TEST_F(ImageSequenceRun, ThirtyTwoBitsWritesAlphaAndClearsTheFlagAfterwards) {
    OpenMovie(runtest::Movie(2));
    EXPECT_EQ(Run(0, 1, SequenceMode::Normal, "", 32), kResultOk);
    const std::vector<uint8_t> image = testfiles::ReadBytes(scratch_.File("out/movie1.tga"));
    ASSERT_GE(image.size(), 18u + 4);
    EXPECT_EQ(image[16], 32);
    EXPECT_EQ(image[18 + image[0] + 3], 255);  // the stage is covered everywhere
    EXPECT_EQ(runtest::FrameInTga(scratch_.File("out/movie1.tga")), 1);
    EXPECT_FALSE(host_.renderer.alphaFlag);
}

}  // namespace
