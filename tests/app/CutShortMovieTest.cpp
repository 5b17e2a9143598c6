// A movie cut short in its fifth frame, as a download that stopped leaves it: every export
// writes the four complete frames and tells the user where the movie stops, in a warning box
// for an export of its own, in the batch log beside its task for a batch, which no box holds up.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>

#include "app/DesktopFixture.h"
#include "convert/MovieFile.h"
#include "run/RunTestFiles.h"

namespace apptest {
namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 36;
const std::vector<int> kCompleteFrames = {0, 1, 2, 3};

class CutShortMovieTest : public DesktopFixture {
  protected:
    void SetUp() override {
        // The bytes of six frames up to a few bytes into the fifth's first tag.
        const std::string whole = WriteMovie("whole.swf", kWidth, kHeight, 6);
        const std::string four = WriteMovie("four.swf", kWidth, kHeight, 4);
        std::vector<uint8_t> bytes = testfiles::ReadBytes(whole);
        bytes.resize(std::filesystem::file_size(four) - 2 + 3);
        testfiles::WriteBytes(movie_, bytes);
        OpenThroughCommand(movie_);
    }

    // The frames an output shows: a video's pictures, or the images NAME0.tga, NAME1.tga...
    std::vector<int> FramesWritten(const std::string& output) {
        const std::string path = scratch_.File(output);
        if (!output.ends_with(".tga")) return runtest::FramesInVideo(path, kWidth, kHeight);
        std::vector<int> frames;
        const std::string stem = path.substr(0, path.size() - 4);
        for (int i = 0; std::filesystem::exists(stem + std::to_string(i) + ".tga"); ++i)
            frames.push_back(runtest::FrameInTga(stem + std::to_string(i) + ".tga"));
        return frames;
    }

    // Handles events until the window has no run or batch going on.
    bool ProcessUntilIdle() {
        QElapsedTimer timer;
        timer.start();
        while (window_->BatchRunning()) {
            if (timer.elapsed() > 20000) return false;
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }

    const std::string movie_ = scratch_.File("movie.swf");
};

TEST_F(CutShortMovieTest, ExportsWriteTheCompleteFramesAndWarnOfTheCut) {
    const QString box =
        "The movie is cut short: frame 3 (counted from 0) is its last complete frame.";
    const std::string logLine =
        "Warning    : the movie is cut short: frame 3 (counted from 0) is its last complete "
        "frame\r\n";
    struct Case {
        std::string name;
        app::Command command;
        std::string output;  // a batch's are those of its tasks
        settings::AudioSource aviSound;
    };
    const std::vector<Case> cases = {
        {"AVI", app::kCmdCreateAvi, "plain.avi", settings::AudioSource::None},
        // Warned once, with the movie's sound as without it.
        {"AVI with the movie's sound", app::kCmdCreateAvi, "sound.avi",
         settings::AudioSource::RecordFromMovie},
        {"TGA images", app::kCmdCreateTga, "image.tga", settings::AudioSource::None},
        {"video file", app::kCmdCreateVideo, "clip.mkv", settings::AudioSource::None},
        {"batch", app::kCmdBatchCreate, "", settings::AudioSource::None},
    };
    const std::vector<std::string> batchOutputs = {"batch.avi", "batch.tga", "batch.mkv"};
    dialogs_.editImage = [](settings::ImageSequenceSettings&) {};
    dialogs_.editVideo = [](settings::VideoExportSettings& s) {
        s.SetAudioSource(settings::AudioSource::None);
        s.videoCodec = settings::VideoCodec::Ffv1;
    };
    dialogs_.editBatch = [&](batch::BatchTaskList& tasks, const batch::ExportRecords& records) {
        convert::MovieHeader header;
        ASSERT_EQ(convert::ReadSwfHeader(movie_, header), 0);
        for (const std::string& output : batchOutputs)
            tasks.Append(tasks.NewTask(batch::BatchTaskList::KindForOutput(output), header, movie_,
                                       scratch_.File(output), records));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        presenter_.texts.clear();
        presenter_.flags.clear();
        dialogs_.saveAnswer = QString::fromStdString(scratch_.File(c.output));
        dialogs_.editAvi = [&c](settings::AviExportSettings& s) { s.SetAudioSource(c.aviSound); };
        window_->RunCommand(c.command);
        ASSERT_TRUE(ProcessUntilIdle());
        EXPECT_FALSE(window_->InterfaceLocked());
        if (c.output.empty()) {
            // No box holds the batch up: the log tells below each task's status line.
            EXPECT_TRUE(presenter_.texts.empty());
            ASSERT_EQ(dialogs_.batchLogs.size(), 1u);
            EXPECT_EQ(dialogs_.batchLogs[0],
                      (std::vector<std::pair<int32_t, int32_t>>{{0, 3}, {0, 3}, {0, 3}}));
            for (int task = 1; task <= 3; ++task)
                EXPECT_NE(dialogs_.batchLogTexts[0].find(
                              "task " + std::to_string(task) +
                              " --  0 ~ 3 frames created successfully\r\n" + logLine),
                          std::string::npos)
                    << dialogs_.batchLogTexts[0];
            for (const std::string& output : batchOutputs)
                EXPECT_EQ(FramesWritten(output), kCompleteFrames) << output;
        } else {
            EXPECT_EQ(presenter_.texts, std::vector<QString>{box});
            EXPECT_EQ(presenter_.flags, std::vector<unsigned>{app::kMbOk | app::kMbIconWarning});
            EXPECT_EQ(FramesWritten(c.output), kCompleteFrames);
        }
    }
}

}  // namespace
}  // namespace apptest
