#include "player/PlaybackClock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <atomic>
#include <functional>
#include <map>
#include <vector>

#include "player/ClockOwner.h"
#include "player/HostEvents.h"
#include "player/HostValueEvent.h"
#include "player/SeekControls.h"
#include "support/SwfWriter.h"
#include "swf/TestMovie.h"
#include "swf/player/Player.h"

namespace player {
namespace {

using settings::SequenceMode;

// A movie of empty frames; `jumps` maps a frame to the frame its script goes on playing at.
// Each frame the engine advances traces the main timeline's frame it entered (0-based), before
// that frame's own script runs.
swftest::SwfWriter Movie(int frames, const std::map<int, int>& jumps = {}) {
    swftest::SwfWriter movie;
    movie.doAction(swftest::ActionBuilder::assemble(
        "push \"onEnterFrame\"\nfunction () { push \"this\"; getVariable; "
        "push \"_currentframe\"; getMember; push 1; subtract; trace }; setVariable\n"));
    for (int frame = 0; frame < frames; ++frame) {
        if (auto jump = jumps.find(frame); jump != jumps.end())
            movie.doAction(
                swftest::ActionBuilder().gotoFrame(static_cast<uint16_t>(jump->second)).play());
        movie.showFrame();
    }
    return movie;
}

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
    PlaybackClockTest() {
        window.clock = &clock;
        control.SetTraceSink(
            [this](const std::string& line) { entered.push_back(std::stoi(line)); });
    }
    ~PlaybackClockTest() override { QCoreApplication::removePostedEvents(&window); }

    void Open(const swftest::SwfWriter& movie) { enginetest::Load(control, movie); }

    // As the main window opens a movie in seek mode: the control plays, the clock withholds
    // its ticks until the controller plays or seeks. One tick shows the clock the engine
    // ticks.
    void OpenInSeekMode(const swftest::SwfWriter& movie, SequenceMode mode) {
        Open(movie);
        control.Play();
        clock.ResetSteps();
        seek.shown = true;
        seek.playing = false;
        seek.mode = mode;
        Tick();
        entered.clear();
    }

    // Ticks as the clock thread posts them, then handled as the event loop would.
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            pendingTicks.fetch_add(1);
            QCoreApplication::postEvent(&window, new QEvent(ClockTick));
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
    // The frames the engine advanced into, in order.
    std::vector<int> entered;
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
    EXPECT_TRUE(entered.empty());
    EXPECT_FALSE(clock.Ticking());
}

TEST_F(PlaybackClockTest, PlayingAdvancesAFrameEachTick) {
    Open(Movie(10));
    clock.Play();
    Tick(3);
    EXPECT_EQ(entered, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(control.TCurrentFrame(), 3);
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
    EXPECT_EQ(entered.size(), 1u);
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
    EXPECT_TRUE(entered.empty());
    EXPECT_EQ(seek.steps, 0);

    clock.Play();
    Tick();
    EXPECT_EQ(owner.batchTasksPosted, 3);
    EXPECT_EQ(entered.size(), 1u);
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
    EXPECT_EQ(entered, (std::vector<int>{2, 3, 4, 5, 6, 3, 8, 9}));
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
    EXPECT_EQ(entered, (std::vector<int>{1, 2, 3, 4, 5, 6, 3, 4}));
}

TEST_F(PlaybackClockTest, SkipBackwardKeepsForwardJumpsThatFrameByFrameUndoes) {
    // Frame 2 sends the movie on to frame 6.
    OpenInSeekMode(Movie(10, {{2, 6}}), SequenceMode::SkipBackward);
    seek.playing = true;
    Tick(4);
    EXPECT_EQ(entered, (std::vector<int>{2, 7, 8, 9}));

    // The same again frame by frame: frame 2 jumps as it is gone to, frame 3 follows.
    entered.clear();
    OpenInSeekMode(Movie(10, {{2, 6}}), SequenceMode::FrameByFrame);
    seek.playing = true;
    Tick(4);
    EXPECT_EQ(entered, (std::vector<int>{2, 7, 4, 5}));
}

TEST_F(PlaybackClockTest, SkipBackwardDoesNotFollowTheLoopBackToTheFirstFrame) {
    OpenInSeekMode(Movie(4), SequenceMode::SkipBackward);
    seek.playing = true;
    Tick(6);
    // Each step past the end forces the last frame again, from which the tick loops.
    EXPECT_EQ(entered, (std::vector<int>{2, 3, 0, 0, 0, 0}));
}

TEST_F(PlaybackClockTest, ReachingTheEndFrameStopsSeekPlayInsteadOfDelivering) {
    OpenInSeekMode(Movie(10), SequenceMode::FrameByFrame);
    seek.playing = true;
    seek.endFrame = 3;
    Tick(5);
    EXPECT_EQ(entered, (std::vector<int>{2, 3, 4}));
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
    entered.clear();
    Tick(2);
    EXPECT_EQ(entered, (std::vector<int>{2, 3}));
    EXPECT_EQ(clock.TicksDelivered(), 2u);
}

// Seeks.

TEST_F(PlaybackClockTest, SeekingBackRewindsAndReplaysSeekingOnGivesTheDifference) {
    OpenInSeekMode(Movie(20), SequenceMode::FrameByFrame);
    Seek(10);
    EXPECT_EQ(entered.size(), 10u);

    entered.clear();
    Seek(4);
    EXPECT_EQ(entered, (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(clock.TicksDelivered(), 4u);

    entered.clear();
    Seek(10);
    EXPECT_EQ(entered, (std::vector<int>{6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(clock.TicksDelivered(), 10u);
}

TEST_F(PlaybackClockTest, SeekingBackInNormalModeReplaysFromTheFirstFrame) {
    OpenInSeekMode(Movie(20), SequenceMode::Normal);
    Seek(6, SequenceMode::Normal);
    entered.clear();
    Seek(2, SequenceMode::Normal);
    EXPECT_EQ(entered, (std::vector<int>{1, 2}));
    EXPECT_EQ(control.TCurrentFrame(), 2);
}

TEST_F(PlaybackClockTest, SeekingToTheCurrentCountDoesNothing) {
    OpenInSeekMode(Movie(20), SequenceMode::FrameByFrame);
    Seek(5);
    const int frame = control.TCurrentFrame();
    entered.clear();
    Seek(5);
    EXPECT_TRUE(entered.empty());
    EXPECT_EQ(control.TCurrentFrame(), frame);
    EXPECT_EQ(clock.LastGotoFrame(), 5);
}

TEST_F(PlaybackClockTest, SeeksAreIgnoredWhilePlayingOrBeforeTheEngineTicks) {
    Open(Movie(20));
    seek.shown = true;
    Seek(5);  // no tick has come yet
    EXPECT_TRUE(entered.empty());

    clock.Play();
    Tick();
    entered.clear();
    Seek(5);
    EXPECT_TRUE(entered.empty());
    EXPECT_EQ(clock.TicksDelivered(), 0u);
}

TEST_F(PlaybackClockTest, SeeksQueuedBehindTheHandledOneAreDroppedButTicksAreNot) {
    OpenInSeekMode(Movie(20), SequenceMode::FrameByFrame);
    Post(SeekStep, 3, SequenceMode::FrameByFrame);
    Post(SeekStep, 7, SequenceMode::FrameByFrame);
    pendingTicks.fetch_add(1);
    QCoreApplication::postEvent(&window, new QEvent(ClockTick));
    Post(SeekStep, 9, SequenceMode::FrameByFrame);
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(entered, (std::vector<int>{2, 3, 4}));
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
