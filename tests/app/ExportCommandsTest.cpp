#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "app/DesktopFixture.h"
#include "cli/CommandLine.h"
#include "convert/run/ConversionRunner.h"
#include "player/PlayerHost.h"
#include "resources/ResultCode.h"
#include "run/RunTestFiles.h"
#include "swf/player/Player.h"

namespace apptest {
namespace {

// The MD5 of every decoded video frame of an AVI file, in order, as ffmpeg reports them.
std::vector<std::string> VideoFrameDigests(const std::string& path) {
    std::vector<std::string> digests;
    FILE* pipe = popen(("ffmpeg -v error -i '" + path + "' -map 0:v:0 -f framemd5 -").c_str(), "r");
    if (!pipe) return digests;
    std::string output;
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
    pclose(pipe);
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != '#') digests.push_back(line.substr(line.rfind(',') + 1));
    return digests;
}

class ExportCommandsTest : public DesktopFixture {
  protected:
    void SetUp() override {
        movie_ = WriteMovie("movie.swf", 48, 36, 6);
        OpenThroughCommand(movie_);
    }

    // Runs an AVI export of the open movie through the Create AVI command.
    void CreateAvi(const std::string& output,
                   const std::function<void(settings::AviExportSettings&)>& edit) {
        dialogs_.saveAnswer = QString::fromStdString(output);
        dialogs_.editAvi = [edit](settings::AviExportSettings& settings) {
            settings.SetAudioSource(settings::AudioSource::None);
            edit(settings);
        };
        window_->RunCommand(app::kCmdCreateAvi);
    }

    std::string movie_;
};

TEST_F(ExportCommandsTest, AnImageSequenceIsWrittenAndTheWindowComesBackUnlocked) {
    const std::string output = scratch_.File("frames.tga");
    dialogs_.saveAnswer = QString::fromStdString(output);
    dialogs_.editImage = [](settings::ImageSequenceSettings& settings) {
        settings.sequenceMode = settings::SequenceMode::FrameByFrame;
        settings.startFrame = 1;
        settings.endFrame = 4;
    };
    window_->RunCommand(app::kCmdCreateTga);

    const app::FileDialogRequest& request = dialogs_.requests.back();
    EXPECT_EQ(request.title, "Create Image Sequence Files");
    EXPECT_EQ(request.filter, "TGA (*.tga)");
    EXPECT_EQ(request.defaultSuffix, "tga");
    EXPECT_EQ(request.start, "movie");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(runtest::FrameInTga(scratch_.File("frames" + std::to_string(i) + ".tga")), i + 1)
            << i;
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("frames4.tga")));
    EXPECT_TRUE(presenter_.texts.empty());
    EXPECT_FALSE(window_->InterfaceLocked());
    EXPECT_TRUE(window_->Popup(app::kMenuFile)->menuAction()->isEnabled());
    EXPECT_TRUE(window_->Stopped());
    EXPECT_EQ(window_->View().Control().TCurrentFrame(), 0);
    EXPECT_EQ(settings_.saveDir, QString::fromStdString(scratch_.File("")).chopped(1));

    // The next export proposes the last output's name.
    window_->RunCommand(app::kCmdCreatePng);
    EXPECT_EQ(dialogs_.requests.back().start, QString::fromStdString(scratch_.File("frames")));
    EXPECT_EQ(dialogs_.requests.back().filter, "PNG (*.png)");
}

TEST_F(ExportCommandsTest, CancellingTheSettingsWritesNothing) {
    dialogs_.saveAnswer = QString::fromStdString(scratch_.File("frames.png"));
    window_->RunCommand(app::kCmdCreatePng);
    dialogs_.saveAnswer = QString::fromStdString(scratch_.File("movie.avi"));
    window_->RunCommand(app::kCmdCreateAvi);
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("frames0.png")));
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("movie.avi")));
    EXPECT_FALSE(window_->InterfaceLocked());
    // The working movie is back in the player after the AVI settings were cancelled.
    EXPECT_EQ(window_->View().Control().TCurrentFrame(), 0);
    EXPECT_TRUE(window_->Stopped());
}

TEST_F(ExportCommandsTest, TheOutputSizeIsThePlayerAreaOfTheRun) {
    const std::string output = scratch_.File("big.avi");
    CreateAvi(output, [](settings::AviExportSettings& settings) {
        settings.width = 96;
        settings.height = 60;
        settings.keepAspectRatio = 0;
    });
    EXPECT_EQ(runtest::ProbeField(output, "video", "width"), "96");
    EXPECT_EQ(runtest::ProbeField(output, "video", "height"), "60");
    EXPECT_EQ(ViewSize().width, 96);
    EXPECT_EQ(ViewSize().height, 60);
    EXPECT_FALSE(window_->Action(app::kCmdKeepAspectRatio)->isChecked());
}

TEST_F(ExportCommandsTest, TheDesktopWritesTheSameVideoFramesAsTheCommandLine) {
    struct Case {
        std::vector<std::string> options;
        std::function<void(settings::AviExportSettings&)> edit;
        std::vector<int> frames;
    };
    const std::vector<Case> cases = {
        {{}, [](settings::AviExportSettings&) {}, {0, 1, 2, 3, 4, 5}},
        {{"--mode", "frame", "--start", "2", "--end", "4"},
         [](settings::AviExportSettings& settings) {
             settings.sequenceMode = settings::SequenceMode::FrameByFrame;
             settings.startFrame = 2;
             settings.endFrame = 4;
         },
         {2, 3, 4}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string desktop = scratch_.File("desktop" + std::to_string(i) + ".avi");
        const std::string command = scratch_.File("command" + std::to_string(i) + ".avi");
        CreateAvi(desktop, cases[i].edit);

        std::vector<std::string> args = {movie_, "-o", command, "--audio", "none"};
        args.insert(args.end(), cases[i].options.begin(), cases[i].options.end());
        testing::internal::CaptureStdout();
        const int status = cli::RunAviCommand(args);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(status, 0);

        EXPECT_EQ(runtest::FramesInVideo(desktop, 48, 36), cases[i].frames);
        const std::vector<std::string> digests = VideoFrameDigests(desktop);
        EXPECT_EQ(digests.size(), cases[i].frames.size());
        EXPECT_EQ(digests, VideoFrameDigests(command));
        EXPECT_EQ(runtest::ProbeField(desktop, "video", "codec_tag_string"),
                  runtest::ProbeField(command, "video", "codec_tag_string"));
        EXPECT_EQ(runtest::ProbeField(desktop, "video", "r_frame_rate"),
                  runtest::ProbeField(command, "video", "r_frame_rate"));
    }
}

}  // namespace
}  // namespace apptest
