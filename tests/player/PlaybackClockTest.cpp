#include "player/PlaybackClock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <atomic>
#include <functional>
#include <map>
#include <vector>

#include "player/ClockOwner.h"
#include "player/ClockTickEvent.h"
#include "player/HostValueEvent.h"
#include "player/SeekControls.h"
#include "player/SystemTime.h"
#include "support/SwfWriter.h"
#include "swf/TestMovie.h"
#include "swf/player/Player.h"

namespace player {
namespace {

using settings::SequenceMode;

// A movie of empty frames; `jumps` maps a frame to the frame its script goes on playing at.
swftest::SwfWriter Movie(int frames, const std::map<int, int>& jumps = {}) {
    swftest::SwfWriter movie;
    for (int frame = 0; frame < frames; ++frame) {
        if (auto jump = jumps.find(frame); jump != jumps.end())
            movie.doAction(
                swftest::ActionBuilder().gotoFrame(static_cast<uint16_t>(jump->second)).play());
        movie.showFrame();
    }
    return movie;
}

// The engine's advised sink, seen from outside: passes every tick on and notes the main
// timeline's frame as the tick arrives (after any forcing) and the time it carried.
class TickLog : public swf::TimerSink {
  public:
    explicit TickLog(swf::Player& control) : control_(control) {}

    void OnTimer(uint32_t timeMs) override {
        framesAtTick.push_back(control_.TCurrentFrame());
        times.push_back(timeMs);
        control_.OnTimer(timeMs);
    }

    std::vector<int> framesAtTick;
    std::vector<uint32_t> times;

  private:
    swf::Player& control_;
};

class FakeSeekControls : public SeekControls {
  public:
    bool IsShown() const override { return shown; }
    bool IsPlaying() const override { return playing; }
    uint32_t EndFrame() const override { return endFrame; }
    SequenceMode Mode() const override { return mode; }
    void SetEndFrame(uint32_t n) override { endFrame = n; }
    void ShowFrame(uint32_t) override {}
    void Step() override { ++steps; }
    void ShowStoppedState() override {
        playing = false;
        ++stoppedStatesShown;
    }

    bool shown = false;
    bool playing = false;
    uint32_t endFrame = 100;
    SequenceMode mode = SequenceMode::Normal;
    int steps = 0;
    int stoppedStatesShown = 0;
};

class FakeOwner : public ClockOwner {
  public:
    bool RunInProgress() const override { return runInProgress; }
    bool BatchRunning() const override { return batchRunning; }
    void PostBatchNextTask() override { ++batchTasksPosted; }

    bool runInProgress = false;
    bool batchRunning = false;
    int batchTasksPosted = 0;
};

// Stands in for the main window: forwards its events to the clock and keeps the others.
class ClockWindow : public QObject {
  public:
    bool event(QEvent* event) override {
        if (clock && clock->HandleEvent(event)) return true;
        othersReceived.push_back(event->type());
        return QObject::event(event);
    }

    PlaybackClock* clock = nullptr;
    std::vector<QEvent::Type> othersReceived;
};

class PlaybackClockTest : public testing::Test {
  protected:
    PlaybackClockTest() { window.clock = &clock; }
    ~PlaybackClockTest() override { QCoreApplication::removePostedEvents(&window); }

    void Open(const swftest::SwfWriter& movie) { enginetest::Load(control, movie); }

    // As the main window opens a movie in seek mode: the control plays, the clock withholds
    // its ticks until the controller plays or seeks. One tick shows the clock the sink.
    void OpenInSeekMode(const swftest::SwfWriter& movie, SequenceMode mode) {
        Open(movie);
        control.Play();
        clock.ResetSteps();
        seek.shown = true;
        seek.playing = false;
        seek.mode = mode;
        Tick();
        sinkLog.framesAtTick.clear();
    }

    // Ticks as the clock thread posts them, then handled as the event loop would.
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            pendingTicks.fetch_add(1);
            QCoreApplication::postEvent(&window, new ClockTickEvent(&sinkSlot));
        }
        QCoreApplication::sendPostedEvents(&window);
    }

    void Post(QEvent::Type type, int64_t first, SequenceMode mode) {
        HostValueEvent::Post(&window, type, first, static_cast<int64_t>(mode));
    }
    void Seek(uint32_t target, SequenceMode mode = SequenceMode::FrameByFrame) {
        Post(SeekStep, target, mode);
        QCoreApplication::sendPostedEvents(&window);
    }

    swf::Player control;
    TickLog sinkLog{control};
    swf::TimerSink* sinkSlot = &sinkLog;
    FakeSeekControls seek;
    FakeOwner owner;
    std::atomic<int32_t> pendingTicks{0};
    ClockWindow window;
    PlaybackClock clock{&window, control, seek, owner, pendingTicks};
};

// Where a tick goes, in order of precedence.

TEST_F(PlaybackClockTest, ARunInProgressDropsTicksAndForgetsTheQueuedCount) {
    Open(Movie(10));
    clock.Play();
    owner.runInProgress = true;
    pendingTicks = 5;
    Tick();
    EXPECT_EQ(pendingTicks.load(), 0);
    EXPECT_TRUE(sinkLog.framesAtTick.empty());
    EXPECT_EQ(clock.LastSink(), nullptr);
}

TEST_F(PlaybackClockTest, PlayingDeliversEveryTickWithTheSystemTime) {
    Open(Movie(10));
    clock.Play();
    const uint32_t before = SystemTimeMs();
    Tick(3);
    const uint32_t after = SystemTimeMs();
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(control.TCurrentFrame(), 3);
    for (uint32_t time : sinkLog.times) {
        EXPECT_GE(time, before);
        EXPECT_LE(time, after);
    }
    EXPECT_EQ(pendingTicks.load(), 0);
    // Only seek mode counts its steps.
    EXPECT_EQ(clock.TicksDelivered(), 0u);
}

TEST_F(PlaybackClockTest, StoppedWithholdsTicksUnlessSeekModePlays) {
    Open(Movie(10));
    clock.Play();
    Tick();
    clock.Stop();
    EXPECT_FALSE(control.IsPlaying());
    seek.playing = true;  // a controller that is hidden does not count
    Tick(2);
    seek.shown = true;
    seek.playing = false;
    Tick(2);
    EXPECT_EQ(sinkLog.framesAtTick.size(), 1u);
    EXPECT_EQ(control.TCurrentFrame(), 1);
    EXPECT_EQ(seek.steps, 0);
    EXPECT_EQ(pendingTicks.load(), 0);
}

TEST_F(PlaybackClockTest, ABatchWaitingBetweenTasksGetsOneNextTaskPerStoppedTick) {
    OpenInSeekMode(Movie(10), SequenceMode::Normal);
    seek.playing = true;
    owner.batchRunning = true;
    Tick(3);
    EXPECT_EQ(owner.batchTasksPosted, 3);
    EXPECT_TRUE(sinkLog.framesAtTick.empty());
    EXPECT_EQ(seek.steps, 0);

    clock.Play();
    Tick();
    EXPECT_EQ(owner.batchTasksPosted, 3);
    EXPECT_EQ(sinkLog.framesAtTick.size(), 1u);
}

TEST_F(PlaybackClockTest, ATickWithoutSinkIsOnlyCountedDown) {
    Open(Movie(10));
    clock.Play();
    sinkSlot = nullptr;
    Tick(2);
    EXPECT_EQ(pendingTicks.load(), 0);
    EXPECT_TRUE(sinkLog.framesAtTick.empty());
    EXPECT_EQ(clock.LastSink(), nullptr);
}

TEST_F(PlaybackClockTest, OtherEventsStayWithTheWindow) {
    Post(BatchNextTask, 0, SequenceMode::Normal);
    Post(SeekModeChanged, 0, SequenceMode::FrameByFrame);
    Post(SeekClosed, 0, SequenceMode::SkipBackward);
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(window.othersReceived,
              (std::vector<QEvent::Type>{BatchNextTask, SeekModeChanged, SeekClosed}));
}

// Seek play: one step per tick, the frame forced by the controller's sequence mode.

class SeekPlayTest : public PlaybackClockTest, public testing::WithParamInterface<SequenceMode> {};

TEST_P(SeekPlayTest, StepsGoOnPastTheMoviesBackwardJump) {
    // Frame 6 sends the movie back to frame 2, also when the clock goes to it.
    OpenInSeekMode(Movie(10, {{6, 2}}), GetParam());
    seek.playing = true;
    Tick(8);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{1, 2, 3, 4, 5, 2, 7, 8}));
    EXPECT_EQ(clock.TicksDelivered(), 8u);
    EXPECT_EQ(clock.LastGotoFrame(), 8);
    EXPECT_EQ(seek.steps, 8);
}

INSTANTIATE_TEST_SUITE_P(ForcingModes, SeekPlayTest,
                         testing::Values(SequenceMode::SkipBackward, SequenceMode::FrameByFrame));

TEST_F(PlaybackClockTest, NormalSeekPlayFollowsTheMovie) {
    OpenInSeekMode(Movie(10, {{6, 2}}), SequenceMode::Normal);
    seek.playing = true;
    Tick(8);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{0, 1, 2, 3, 4, 5, 2, 3}));
}

TEST_F(PlaybackClockTest, SkipBackwardKeepsForwardJumpsThatFrameByFrameUndoes) {
    // Frame 2 sends the movie on to frame 6.
    OpenInSeekMode(Movie(10, {{2, 6}}), SequenceMode::SkipBackward);
    seek.playing = true;
    Tick(4);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{1, 6, 7, 8}));

    // The same again frame by frame: frame 2 jumps as it is gone to, frame 3 follows.
    sinkLog.framesAtTick.clear();
    OpenInSeekMode(Movie(10, {{2, 6}}), SequenceMode::FrameByFrame);
    seek.playing = true;
    Tick(4);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{1, 6, 3, 4}));
}

TEST_F(PlaybackClockTest, SkipBackwardDoesNotFollowTheLoopBackToTheFirstFrame) {
    OpenInSeekMode(Movie(4), SequenceMode::SkipBackward);
    seek.playing = true;
    Tick(6);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{1, 2, 3, 3, 3, 3}));
}

TEST_F(PlaybackClockTest, ReachingTheEndFrameStopsSeekPlayInsteadOfDelivering) {
    OpenInSeekMode(Movie(10), SequenceMode::FrameByFrame);
    seek.playing = true;
    seek.endFrame = 3;
    Tick(5);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(seek.steps, 3);
    EXPECT_EQ(seek.stoppedStatesShown, 1);
    EXPECT_FALSE(seek.playing);
    EXPECT_EQ(clock.TicksDelivered(), 3u);
    EXPECT_EQ(pendingTicks.load(), 0);
}

TEST_F(PlaybackClockTest, ResetStepsStartsSeekPlayAgainAtTheFirstFrame) {
    OpenInSeekMode(Movie(10), SequenceMode::FrameByFrame);
    seek.playing = true;
    Tick(3);
    control.Rewind();
    clock.ResetSteps();
    sinkLog.framesAtTick.clear();
    Tick(2);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{1, 2}));
    EXPECT_EQ(clock.TicksDelivered(), 2u);
}

// Seeks.

TEST_F(PlaybackClockTest, SeekingBackRewindsAndReplaysSeekingOnGivesTheDifference) {
    OpenInSeekMode(Movie(20), SequenceMode::FrameByFrame);
    Seek(10);
    EXPECT_EQ(sinkLog.framesAtTick.size(), 10u);

    sinkLog.framesAtTick.clear();
    Seek(4);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(clock.TicksDelivered(), 4u);

    sinkLog.framesAtTick.clear();
    Seek(10);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(clock.TicksDelivered(), 10u);
}

TEST_F(PlaybackClockTest, SeekingBackInNormalModeReplaysFromTheFirstFrame) {
    OpenInSeekMode(Movie(20), SequenceMode::Normal);
    Seek(6, SequenceMode::Normal);
    sinkLog.framesAtTick.clear();
    Seek(2, SequenceMode::Normal);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{0, 1}));
    EXPECT_EQ(control.TCurrentFrame(), 2);
}

TEST_F(PlaybackClockTest, SeekingToTheCurrentCountDoesNothing) {
    OpenInSeekMode(Movie(20), SequenceMode::FrameByFrame);
    Seek(5);
    const int frame = control.TCurrentFrame();
    sinkLog.framesAtTick.clear();
    Seek(5);
    EXPECT_TRUE(sinkLog.framesAtTick.empty());
    EXPECT_EQ(control.TCurrentFrame(), frame);
    EXPECT_EQ(clock.LastGotoFrame(), 5);
}

TEST_F(PlaybackClockTest, SeeksAreIgnoredWhilePlayingOrBeforeTheEngineHasASink) {
    Open(Movie(20));
    seek.shown = true;
    Seek(5);  // no tick has shown the clock the sink yet
    EXPECT_TRUE(sinkLog.framesAtTick.empty());

    clock.Play();
    Tick();
    sinkLog.framesAtTick.clear();
    Seek(5);
    EXPECT_TRUE(sinkLog.framesAtTick.empty());
    EXPECT_EQ(clock.TicksDelivered(), 0u);
}

TEST_F(PlaybackClockTest, SeeksQueuedBehindTheHandledOneAreDroppedButTicksAreNot) {
    OpenInSeekMode(Movie(20), SequenceMode::FrameByFrame);
    Post(SeekStep, 3, SequenceMode::FrameByFrame);
    Post(SeekStep, 7, SequenceMode::FrameByFrame);
    pendingTicks.fetch_add(1);
    QCoreApplication::postEvent(&window, new ClockTickEvent(&sinkSlot));
    Post(SeekStep, 9, SequenceMode::FrameByFrame);
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(sinkLog.framesAtTick, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(clock.TicksDelivered(), 3u);
    EXPECT_EQ(pendingTicks.load(), 0);
}

TEST_F(PlaybackClockTest, ASeekPlaysTheControlTheControllerPaused) {
    OpenInSeekMode(Movie(20), SequenceMode::Normal);
    Post(SeekPlayState, 0, SequenceMode::Normal);
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_FALSE(control.IsPlaying());
    Seek(3, SequenceMode::Normal);
    EXPECT_TRUE(control.IsPlaying());
    EXPECT_EQ(control.TCurrentFrame(), 3);
}

TEST_F(PlaybackClockTest, SeekPlayStatePlaysAndStopsTheControlOnlyWhileStopped) {
    OpenInSeekMode(Movie(20), SequenceMode::Normal);
    Post(SeekPlayState, 0, SequenceMode::Normal);
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_FALSE(control.IsPlaying());
    Post(SeekPlayState, 1, SequenceMode::Normal);
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_TRUE(control.IsPlaying());

    clock.Play();
    Post(SeekPlayState, 0, SequenceMode::Normal);
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_TRUE(control.IsPlaying());
}

}  // namespace
}  // namespace player
