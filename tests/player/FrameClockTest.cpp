#include "player/FrameClock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <functional>
#include <thread>

#include "player/HostEvents.h"
#include "player/PlayerHost.h"
#include "support/SwfWriter.h"

namespace player {
namespace {

// Stands in for the main window's tick handler: counts the ticks it handles and counts them
// down.
class TickReceiver : public QObject {
  public:
    explicit TickReceiver(std::atomic<int32_t>& pendingTicks) : pendingTicks_(pendingTicks) {}

    bool event(QEvent* event) override {
        if (event->type() != ClockTick) return QObject::event(event);
        ++handled;
        pendingTicks_.fetch_sub(1);
        return true;
    }

    int handled = 0;

  private:
    std::atomic<int32_t>& pendingTicks_;
};

// Processes events until `done` holds or two seconds pass; whether it held.
bool WaitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(2000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Sleeps, handling nothing, until at least `count` ticks are pending or two seconds pass.
void WaitUnhandledTicks(const std::atomic<int32_t>& pendingTicks, int32_t count) {
    QDeadlineTimer deadline(2000);
    while (pendingTicks.load() < count && !deadline.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

class FrameClockTest : public testing::Test {
  protected:
    std::atomic<int32_t> pendingTicks{0};
    TickReceiver receiver{pendingTicks};
};

TEST_F(FrameClockTest, StartClampsTheIntervalToTheLimits) {
    FrameClock clock(&receiver, pendingTicks, PeriodLimits{20, 400});
    EXPECT_EQ(clock.PeriodMs(), 0u);
    ASSERT_TRUE(clock.Start(5));
    EXPECT_EQ(clock.PeriodMs(), 20u);
    ASSERT_TRUE(clock.Start(100000));
    EXPECT_EQ(clock.PeriodMs(), 400u);
    ASSERT_TRUE(clock.Start(83));
    EXPECT_EQ(clock.PeriodMs(), 83u);
}

TEST_F(FrameClockTest, AZeroIntervalRunsAtTheDeviceMinimum) {
    FrameClock clock(&receiver, pendingTicks);
    ASSERT_TRUE(clock.Start(0));
    EXPECT_EQ(clock.PeriodMs(), FrameClock::kDeviceLimits.minMs);
}

TEST_F(FrameClockTest, WithoutATickReceiverNoClockStarts) {
    FrameClock clock(nullptr, pendingTicks);
    EXPECT_FALSE(clock.Start(10));
    EXPECT_EQ(clock.PeriodMs(), 0u);
}

TEST_F(FrameClockTest, TicksArePostedAsEventsAndCountedUntilHandled) {
    FrameClock clock(&receiver, pendingTicks);
    ASSERT_TRUE(clock.Start(2));

    // While the main thread is busy the ticks wait in its queue and the count grows.
    WaitUnhandledTicks(pendingTicks, 2);
    ASSERT_GE(pendingTicks.load(), 2);
    EXPECT_EQ(receiver.handled, 0);

    ASSERT_TRUE(WaitFor([&] { return receiver.handled >= 3; }));
    // A restart at the longest period stops the fast clock: every tick it posted was counted
    // once and is handled once.
    ASSERT_TRUE(clock.Start(FrameClock::kDeviceLimits.maxMs));
    QCoreApplication::sendPostedEvents(&receiver, ClockTick);
    EXPECT_EQ(pendingTicks.load(), 0);
}

TEST_F(FrameClockTest, DestroyingTheClockDropsItsQueuedTicks) {
    {
        FrameClock clock(&receiver, pendingTicks);
        ASSERT_TRUE(clock.Start(1));
        WaitUnhandledTicks(pendingTicks, 1);
        ASSERT_GT(pendingTicks.load(), 0);
    }
    QCoreApplication::sendPostedEvents(&receiver, ClockTick);
    EXPECT_EQ(receiver.handled, 0);
}

TEST_F(FrameClockTest, TheViewStartsItsClockAtTheIntervalOfEachMovieLoaded) {
    PlayerHost view(&receiver, pendingTicks);
    EXPECT_EQ(view.Clock().PeriodMs(), 0u);
    for (uint8_t rate : {10, 25}) {
        swftest::SwfWriter movie;
        movie.frameRate(rate).showFrame();
        std::vector<uint8_t> bytes = movie.bytes();
        ASSERT_TRUE(view.Control().LoadMovieFromMemory(bytes));
        EXPECT_EQ(view.Clock().PeriodMs(), 1000u / rate);
    }
}

}  // namespace
}  // namespace player
