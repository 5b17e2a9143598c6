#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "app/DesktopFixture.h"
#include "player/PlayerHost.h"
#include "swf/player/Player.h"

namespace apptest {
namespace {

// The codec and frame count of a video file's first video stream, as ffprobe reads them.
std::string Probe(const std::string& path) {
    FILE* pipe = popen(("ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                        "stream=codec_name,width,height,nb_read_frames -of csv=p=0 '" +
                        path + "'")
                           .c_str(),
                       "r");
    if (!pipe) return {};
    std::string output;
    char buffer[512];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
    pclose(pipe);
    while (!output.empty() && (output.back() == '\n' || output.back() == ',')) output.pop_back();
    return output;
}

class CreateVideoTest : public DesktopFixture {
  protected:
    void SetUp() override {
        movie_ = WriteMovie("movie.swf", 48, 36, 6);
        OpenThroughCommand(movie_);
    }
    void CreateVideo(const std::string& output,
                     std::function<void(settings::VideoExportSettings&)> edit) {
        dialogs_.saveAnswer = QString::fromStdString(output);
        dialogs_.editVideo = std::move(edit);
        window_->RunCommand(app::kCmdCreateVideo);
    }

    std::string movie_;
};

TEST_F(CreateVideoTest, TheCommandOffersTheMovieAndWritesTheFramesChosen) {
    EXPECT_EQ(window_->Action(app::kCmdCreateVideo)->text(), "Create &Video...");
    EXPECT_TRUE(window_->Action(app::kCmdCreateVideo)->isEnabled());

    settings::VideoExportSettings offered;
    const std::string output = scratch_.File("clip.mkv");
    CreateVideo(output, [&offered](settings::VideoExportSettings& settings) {
        offered = settings;
        settings.SetAudioSource(settings::AudioSource::None);
        settings.startFrame = 1;
        settings.endFrame = 4;
        settings.videoCodec = settings::VideoCodec::Ffv1;
    });

    const app::FileDialogRequest& request = dialogs_.requests.back();
    EXPECT_EQ(request.title, "Create Video File");
    EXPECT_EQ(request.filter,
              "MP4 (*.mp4);;Matroska (*.mkv);;WebM (*.webm);;QuickTime (*.mov);;GIF (*.gif)");
    EXPECT_EQ(request.defaultSuffix, "mp4");
    EXPECT_EQ(request.start, "movie");
    EXPECT_EQ(dialogs_.videoOutput, QString::fromStdString(output));
    // The whole movie at its own rate, at the player area's size.
    EXPECT_EQ(offered.startFrame, 0);
    EXPECT_EQ(offered.endFrame, 5);
    EXPECT_EQ(offered.frameRate100, 1200);
    EXPECT_EQ(offered.width, 48);
    EXPECT_EQ(offered.height, 36);
    EXPECT_EQ(offered.useOriginalSize, 1);

    EXPECT_TRUE(presenter_.texts.empty());
    EXPECT_EQ(Probe(output), "ffv1,48,36,4");
    EXPECT_FALSE(window_->InterfaceLocked());
    EXPECT_TRUE(window_->Stopped());
    // The next export starts from these settings, over the whole movie again.
    CreateVideo(scratch_.File("again.mkv"),
                [&offered](settings::VideoExportSettings& settings) { offered = settings; });
    EXPECT_EQ(offered.videoCodec, settings::VideoCodec::Ffv1);
    EXPECT_EQ(offered.startFrame, 0);
    EXPECT_EQ(offered.endFrame, 5);
}

TEST_F(CreateVideoTest, CancelledOrUnnamedContainersWriteNothing) {
    CreateVideo(scratch_.File("cancelled.mp4"), nullptr);
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("cancelled.mp4")));
    EXPECT_TRUE(presenter_.texts.empty());
    EXPECT_TRUE(window_->View().Control().HasMovie());

    bool opened = false;
    CreateVideo(scratch_.File("clip.avi"),
                [&opened](settings::VideoExportSettings&) { opened = true; });
    EXPECT_FALSE(opened);
    EXPECT_EQ(
        presenter_.texts,
        std::vector<QString>{"A video file's name must end in .mp4, .mkv, .webm, .mov or .gif."});
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("clip.avi")));

    // What FFmpeg refuses when the file is started (here a codec MP4 has no tag for) is
    // shown as it said it, and nothing is left.
    presenter_.texts.clear();
    CreateVideo(scratch_.File("refused.mp4"), [](settings::VideoExportSettings& settings) {
        settings.SetAudioSource(settings::AudioSource::None);
        settings.videoCodec = settings::VideoCodec::Ffv1;
    });
    ASSERT_EQ(presenter_.texts.size(), 1u);
    EXPECT_FALSE(presenter_.texts[0].isEmpty());
    EXPECT_NE(presenter_.texts[0], "File Open Error");
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("refused.mp4")));
    EXPECT_FALSE(window_->InterfaceLocked());
}

}  // namespace
}  // namespace apptest
