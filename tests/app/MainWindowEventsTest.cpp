#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <functional>

#include "app/DesktopFixture.h"
#include "convert/MovieFile.h"
#include "player/HostEvents.h"
#include "player/HostValueEvent.h"
#include "player/PlaybackClock.h"
#include "player/PlayerHost.h"
#include "player/SeekController.h"
#include "run/RunTestFiles.h"
#include "settings/ImageSequenceTask.h"
#include "swf/player/Player.h"

namespace apptest {
namespace {

// Handles events, the clock's ticks among them, until `done` or the time is up.
bool ProcessUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class MainWindowEventsTest : public DesktopFixture {
  protected:
    swf::Player& Control() { return window_->View().Control(); }
    void Post(QEvent::Type type, int64_t first, int64_t second) {
        player::HostValueEvent::Post(window_.get(), type, first, second);
        QApplication::processEvents();
    }
};

TEST_F(MainWindowEventsTest, ClockTicksMoveAPlayingMovieAndNotAStoppedOne) {
    OpenThroughCommand(WriteMovie("movie.swf", 48, 36, 12));
    window_->RunCommand(app::kCmdPlay);
    EXPECT_TRUE(ProcessUntil([&] { return Control().TCurrentFrame() >= 2; }));
    EXPECT_TRUE(window_->Clock().Ticking());

    window_->RunCommand(app::kCmdStop);
    const int frame = Control().TCurrentFrame();
    // Several of the clock's periods pass without moving it.
    ProcessUntil([] { return false; }, 400);
    EXPECT_EQ(Control().TCurrentFrame(), frame);
}

TEST_F(MainWindowEventsTest, TheSeekControllersEventsStepChangeModeAndLeaveSeekMode) {
    OpenThroughCommand(WriteMovie("movie.swf", 48, 36, 8));
    window_->RunCommand(app::kCmdSeekMode);
    ASSERT_TRUE(window_->Seek().IsShown());
    // Seeks wait for the first tick of the engine's clock.
    ASSERT_TRUE(ProcessUntil([&] { return window_->Clock().Ticking(); }));

    Post(player::SeekStep, 3, static_cast<int64_t>(settings::SequenceMode::FrameByFrame));
    EXPECT_EQ(window_->Clock().TicksDelivered(), 3u);
    EXPECT_EQ(window_->Clock().LastGotoFrame(), 3);

    Post(player::SeekModeChanged, 0, static_cast<int64_t>(settings::SequenceMode::Normal));
    EXPECT_EQ(window_->Clock().TicksDelivered(), 0u);
    EXPECT_EQ(Control().TCurrentFrame(), 0);

    Post(player::SeekClosed, 0, 0);
    EXPECT_FALSE(window_->Seek().IsShown());
    EXPECT_TRUE(window_->Stopped());
    EXPECT_FALSE(Control().IsPlaying());
}

TEST_F(MainWindowEventsTest, AnAviWithTheMoviesSoundIsMadeInOneRunWithoutWaiting) {
    OpenThroughCommand(WriteMovie("movie.swf", 48, 36, 6));
    const std::string output = scratch_.File("recorded.avi");
    dialogs_.saveAnswer = QString::fromStdString(output);
    dialogs_.editAvi = [](settings::AviExportSettings& settings) {
        settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    };
    window_->RunCommand(app::kCmdCreateAvi);
    EXPECT_FALSE(window_->InterfaceLocked());
    EXPECT_TRUE(presenter_.texts.empty());
    EXPECT_EQ(runtest::FramesInVideo(output, 48, 36), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_GT(runtest::AudioBytes(output), 0u);
    EXPECT_EQ(ViewSize().width, 48);
}

TEST_F(MainWindowEventsTest, ABatchRunsItsTasksOneAfterAnotherFromTheEventLoop) {
    const std::string first = WriteMovie("first.swf", 40, 30, 3);
    const std::string second = WriteMovie("second.swf", 24, 20, 2);
    dialogs_.editBatch = [&](batch::BatchTaskList& tasks, const batch::ExportRecords& records) {
        for (const auto& [movie, output] : {std::pair{first, scratch_.File("a.png")},
                                            std::pair{second, scratch_.File("b.tga")}}) {
            convert::MovieHeader header;
            ASSERT_EQ(convert::ReadSwfHeader(movie, header), 0);
            tasks.Append(tasks.NewTask(batch::BatchTaskList::KindForOutput(output), header, movie,
                                       output, records));
        }
    };
    window_->RunCommand(app::kCmdBatchCreate);
    ASSERT_TRUE(ProcessUntil([&] { return !window_->BatchRunning(); }));

    ASSERT_EQ(dialogs_.batchLogs.size(), 1u);
    EXPECT_EQ(dialogs_.batchLogs[0], (std::vector<std::pair<int32_t, int32_t>>{{0, 2}, {0, 1}}));
    EXPECT_TRUE(std::filesystem::exists(scratch_.File("a0.png")));
    EXPECT_TRUE(std::filesystem::exists(scratch_.File("a2.png")));
    EXPECT_EQ(runtest::FrameInTga(scratch_.File("b1.tga")), 1);
    EXPECT_EQ(window_->windowTitle(),
              QString::fromStdString("Quillmoth Kinetrope Pro - [" + second + "]"));
    EXPECT_EQ(window_->Seek().EndFrame(), 1u);
    EXPECT_FALSE(window_->InterfaceLocked());
}

}  // namespace
}  // namespace apptest
