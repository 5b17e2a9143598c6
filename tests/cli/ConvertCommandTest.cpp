#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "cli/CommandLine.h"
#include "cli/RunKinetrope.h"
#include "resources/StringTable.h"
#include "support/SwfWriter.h"

namespace {

class ConvertCommand : public testing::Test {
  protected:
    void SetUp() override {
        // Four frames of 32 x 24 at 12 frames per second.
        swftest::SwfWriter movie;
        movie.frameSizePixels(32, 24).frameRate(12).setBackgroundColor({10, 20, 30});
        swftest::ShapeBuilder box;
        box.fill1(box.addFill(swftest::FillStyle::solid({200, 100, 50})))
            .rectangle(0, 0, swftest::px(8), swftest::px(8));
        movie.defineShape(1, box).place(1, 1).showFrame().showFrame().showFrame().showFrame();
        movie.writeFile(movie_);
    }

    testfiles::ScratchDir scratch_;
    const std::string movie_ = scratch_.File("movie.swf");
};

TEST_F(ConvertCommand, ArgumentErrorsSayWhatIsWrongAndWriteNothing) {
    const std::string out = scratch_.File("out.avi");
    const std::string broken = scratch_.File("broken.wav");
    testfiles::WriteBytes(broken, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '});
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"avi", movie_}, 2, "no output given (-o)"},
        {{"avi", "-o", out}, 2, "no movie given"},
        {{"avi", movie_, "-o", out, "--mode", "sideways"},
         2,
         "--mode needs normal, frame or skip, not 'sideways'"},
        {{"avi", movie_, "-o", out, "--size", "0x24"}, 2, "--size needs WIDTHxHEIGHT"},
        {{"avi", movie_, "-o", out, "--end"}, 2, "--end needs a value"},
        {{"avi", movie_, "-o", out, "--start", "-1"}, 2, "--start needs a frame number"},
        {{"avi", movie_, "-o", out, "--fps", "29.975"}, 2, "--fps needs frames per second"},
        {{"avi", movie_, "-o", out, "--fps", "0"},
         2,
         resources::LoadString(resources::kStrInvalidFrameRate)},
        {{"avi", movie_, "-o", out, "--start", "3", "--end", "2"},
         2,
         resources::LoadString(resources::kStrInvalidFrameRange)},
        {{"avi", movie_, "-o", out, "--audio", broken},
         2,
         resources::LoadString(resources::kStrInvalidWavFile)},
        {{"avi", movie_, "-o", out, "--audio", scratch_.File("none.wav")},
         2,
         resources::LoadString(resources::kStrFileNotExists)},
        {{"avi", movie_, "-o", out, "--codec", "QQQQ"}, 2, "no encoder for --codec QQQQ"},
        {{"avi", movie_, "-o", out, "--format", "44100:12:2"},
         2,
         "--format needs RATE:BITS:CHANNELS"},
        {{"avi", movie_, "-o", out, "--depth", "16"}, 2, "--depth needs 24 or 32"},
        {{"png", movie_, "-o", scratch_.File("f.png"), "--fps", "12"}, 2, "unknown option '--fps'"},
        {{"tga", movie_, movie_, "-o", scratch_.File("f.tga")}, 2, "more than one movie given"},
        {{"avi", scratch_.File("missing.swf"), "-o", out},
         1,
         std::string(resources::LoadString(resources::kStrFileOpenError)) + ": " +
             scratch_.File("missing.swf") + ": No such file or directory"},
        {{"avi", broken, "-o", out}, 1, "not a Flash movie"},
        {{"png", movie_, "-o", scratch_.File("absent/f.png")},
         2,
         "the output folder " + scratch_.File("absent") + " does not exist"},
        {{"avi", movie_, "-o", movie_}, 2, "would replace an input of the conversion"},
        {{"avi", movie_, "-o", broken, "--audio", broken},
         2,
         "would replace an input of the conversion"},
    };
    for (const Case& test : cases) {
        const CommandRun run = RunKinetrope(test.args);
        EXPECT_EQ(run.status, test.status) << test.says;
        EXPECT_NE(run.err.find(test.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(scratch_.Entries().size(), 2u);  // the movie and the broken WAV file
}

TEST_F(ConvertCommand, PngWritesTheWholeMovieAndSaysWhere) {
    const CommandRun run =
        RunKinetrope({"png", movie_, "-o", scratch_.File("frame.png"), "--size", "16x12"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "wrote 4 image(s): " + scratch_.File("frame0.png") + " ... " +
                           scratch_.File("frame3.png") + "\n");
    EXPECT_EQ(run.err, "");  // no progress line when stderr is not a terminal
    const std::string size =
        ReadCommand("ffprobe -v error -show_entries stream=width,height -of csv=p=0 '" +
                    scratch_.File("frame3.png") + "'");
    EXPECT_EQ(size, "16,12\n");
}

TEST_F(ConvertCommand, AviWithTheMoviesSoundHasSoundForEveryFrame) {
    const std::string out = scratch_.File("clip.avi");
    const CommandRun run =
        RunKinetrope({"avi", movie_, "-o", out, "--audio", "movie", "--fps", "12"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "wrote " + out + "\n");
    // Four frames of 1/12 s at 44100 Hz, 16-bit stereo.
    EXPECT_EQ(ReadCommand("ffmpeg -v error -i '" + out + "' -map 0:a:0 -c copy -f data -").size(),
              4u * 14700);
    EXPECT_EQ(ReadCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                          "stream=nb_read_frames,r_frame_rate -of csv=p=0 '" +
                          out + "'"),
              "12/1,4\n");
    // Only the movie and the AVI file: nothing else is written.
    EXPECT_EQ(scratch_.Entries().size(), 2u);
}

TEST_F(ConvertCommand, ASplitSizeAboveTheLimitIsHeldToItWithTheDialogsNote) {
    const std::string out = scratch_.File("clip.avi");
    const CommandRun run =
        RunKinetrope({"avi", movie_, "-o", out, "--audio", "none", "--split-mb", "2500"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "kinetrope avi: File size cannot exceed 2000 MB.\n");
    EXPECT_EQ(run.out, "wrote " + out + "\n");
}

TEST_F(ConvertCommand, AMovieWithoutAFrameRateCannotBeRecorded) {
    swftest::SwfWriter still;
    still.frameSizePixels(16, 16).frameRateFixed(0).showFrame();
    const std::string path = scratch_.File("still.swf");
    still.writeFile(path);
    const CommandRun run =
        RunKinetrope({"avi", path, "-o", scratch_.File("still.avi"), "--fps", "10"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("no frame rate to record its sound at"), std::string::npos) << run.err;
    EXPECT_EQ(RunKinetrope(
                  {"avi", path, "-o", scratch_.File("still.avi"), "--fps", "10", "--audio", "none"})
                  .status,
              0);
}

TEST_F(ConvertCommand, ControlCCancelsAndRemovesTheOutput) {
    const CommandRun run = RunKinetropeInterrupted(
        {"tga", movie_, "-o", scratch_.File("frame.tga"), "--end", "1000000"});
    EXPECT_EQ(run.status, 130);
    EXPECT_NE(run.err.find("cancelled"), std::string::npos) << run.err;
    EXPECT_EQ(scratch_.Entries(), std::vector<std::string>{"movie.swf"});
}

}  // namespace
