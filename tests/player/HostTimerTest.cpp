#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <functional>
#include <thread>
#include <vector>

#include "player/ClockTickEvent.h"
#include "player/HostServiceProvider.h"
#include "player/HostTimer.h"
#include "player/HostTimerService.h"

namespace player {
namespace {

class NullSink : public swf::TimerSink {
  public:
    void OnTimer(uint32_t) override {}
};

// Stands in for the main window's tick handler: records each tick's sink and counts it down.
class TickReceiver : public QObject {
  public:
    explicit TickReceiver(std::atomic<int32_t>& pendingTicks) : pendingTicks_(pendingTicks) {}

    bool event(QEvent* event) override {
        if (event->type() != ClockTick) return QObject::event(event);
        sinks.push_back(static_cast<ClockTickEvent*>(event)->Sink());
        pendingTicks_.fetch_sub(1);
        return true;
    }

    std::vector<swf::TimerSink*> sinks;

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

class HostTimerTest : public testing::Test {
  protected:
    std::atomic<int32_t> pendingTicks{0};
    TickReceiver receiver{pendingTicks};
    NullSink sink;
};

TEST_F(HostTimerTest, TheSiteOffersTheHostTimerUnlessGivenAReferenceTimer) {
    HostTimer timer(&receiver, pendingTicks);
    HostTimerService service(timer);
    HostServiceProvider site(service);

    ASSERT_EQ(site.QueryTimerService(), &service);
    EXPECT_EQ(service.CreateTimer(nullptr), &timer);
    HostTimer reference(&receiver, pendingTicks);
    EXPECT_EQ(service.CreateTimer(&reference), &reference);
}

TEST_F(HostTimerTest, AdviseClampsTheIntervalToTheLimits) {
    HostTimer timer(&receiver, pendingTicks, PeriodLimits{20, 400});
    uint32_t cookie = 0;

    ASSERT_TRUE(timer.Advise(5, &sink, cookie));
    EXPECT_EQ(timer.PeriodMs(), 20u);
    ASSERT_TRUE(timer.Advise(100000, &sink, cookie));
    EXPECT_EQ(timer.PeriodMs(), 400u);
    ASSERT_TRUE(timer.Advise(83, &sink, cookie));
    EXPECT_EQ(timer.PeriodMs(), 83u);
}

TEST_F(HostTimerTest, AZeroIntervalRunsAtTheDeviceMinimum) {
    HostTimer timer(&receiver, pendingTicks);
    uint32_t cookie = 0;
    ASSERT_TRUE(timer.Advise(0, &sink, cookie));
    EXPECT_EQ(timer.PeriodMs(), HostTimer::kDeviceLimits.minMs);
}

TEST_F(HostTimerTest, WithoutATickReceiverNoClockStarts) {
    HostTimer timer(nullptr, pendingTicks);
    uint32_t cookie = 0;
    EXPECT_FALSE(timer.Advise(10, &sink, cookie));
    EXPECT_EQ(timer.PeriodMs(), 0u);
}

TEST_F(HostTimerTest, EachAdviceHasItsOwnCookieAndOnlyTheLatestStopsTheClock) {
    HostTimer timer(&receiver, pendingTicks);
    uint32_t first = 0;
    uint32_t second = 0;
    ASSERT_TRUE(timer.Advise(50, &sink, first));
    ASSERT_TRUE(timer.Advise(60, &sink, second));
    EXPECT_NE(first, second);

    timer.Unadvise(first);
    EXPECT_EQ(timer.PeriodMs(), 60u);
    EXPECT_EQ(timer.Sink(), &sink);

    timer.Unadvise(second);
    EXPECT_EQ(timer.PeriodMs(), 0u);
    EXPECT_EQ(timer.Sink(), nullptr);
}

TEST_F(HostTimerTest, TicksArePostedAsEventsAndCountedUntilHandled) {
    HostTimer timer(&receiver, pendingTicks);
    uint32_t cookie = 0;
    ASSERT_TRUE(timer.Advise(2, &sink, cookie));

    // While the main thread is busy the ticks wait in its queue and the count grows.
    WaitUnhandledTicks(pendingTicks, 2);
    ASSERT_GE(pendingTicks.load(), 2);
    EXPECT_TRUE(receiver.sinks.empty());

    ASSERT_TRUE(WaitFor([&] { return receiver.sinks.size() >= 3; }));
    for (swf::TimerSink* tickSink : receiver.sinks) EXPECT_EQ(tickSink, &sink);

    timer.Unadvise(cookie);
    QCoreApplication::sendPostedEvents(&receiver, ClockTick);
    // Every posted tick was counted once and handled once.
    EXPECT_EQ(pendingTicks.load(), 0);
}

TEST_F(HostTimerTest, TicksStillQueuedAfterUnadviseCarryNoSink) {
    HostTimer timer(&receiver, pendingTicks);
    uint32_t cookie = 0;
    ASSERT_TRUE(timer.Advise(1, &sink, cookie));
    WaitUnhandledTicks(pendingTicks, 1);
    ASSERT_GT(pendingTicks.load(), 0);

    timer.Unadvise(cookie);
    QCoreApplication::sendPostedEvents(&receiver, ClockTick);
    ASSERT_FALSE(receiver.sinks.empty());
    for (swf::TimerSink* tickSink : receiver.sinks) EXPECT_EQ(tickSink, nullptr);
}

TEST_F(HostTimerTest, DestroyingTheTimerDropsItsQueuedTicks) {
    {
        HostTimer timer(&receiver, pendingTicks);
        uint32_t cookie = 0;
        ASSERT_TRUE(timer.Advise(1, &sink, cookie));
        WaitUnhandledTicks(pendingTicks, 1);
        ASSERT_GT(pendingTicks.load(), 0);
    }
    QCoreApplication::sendPostedEvents(&receiver, ClockTick);
    EXPECT_TRUE(receiver.sinks.empty());
}

TEST_F(HostTimerTest, AFrozenTimeStandsStillAndThawsToTheLiveClock) {
    HostTimer timer(&receiver, pendingTicks);
    timer.Freeze(true);
    const uint32_t frozen = timer.GetTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    EXPECT_EQ(timer.GetTime(), frozen);

    timer.Freeze(false);
    EXPECT_TRUE(WaitFor([&] { return timer.GetTime() != frozen; }));
    // Freezing again takes the time anew.
    timer.Freeze(true);
    EXPECT_NE(timer.GetTime(), frozen);
}

TEST_F(HostTimerTest, TheTimeNeverGoesBackAndAdvances) {
    HostTimer timer(&receiver, pendingTicks);
    const uint32_t start = timer.GetTime();
    uint32_t previous = start;
    bool advanced = WaitFor([&] {
        const uint32_t now = timer.GetTime();
        EXPECT_GE(static_cast<int32_t>(now - previous), 0);
        previous = now;
        return now - start >= 5;
    });
    EXPECT_TRUE(advanced);
}

}  // namespace
}  // namespace player
