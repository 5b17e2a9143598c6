#include "run/RunTestHost.h"

namespace runtest {

bool TestClock::Advise(uint32_t intervalMs, swf::TimerSink* sink, uint32_t& cookie) {
    sink_ = sink;
    interval_ = intervalMs;
    cookie = ++cookie_;
    return true;
}

void TestClock::Unadvise(uint32_t cookie) {
    if (cookie == cookie_) sink_ = nullptr;
}

void TestClock::Tick() {
    time_ += interval_;
    if (sink_) sink_->OnTimer(time_);
}

void ScriptedProgress::EnableButton(convert::ProgressButton button, bool enable) {
    if (button == convert::ProgressButton::Finish) finishEnabled = enable;
}

void ScriptedProgress::Show(const std::string& text) {
    title = text;
    positions.clear();
    finishEnabled = true;
    ++opened;
}

bool ScriptedProgress::Confirm(int stringId) {
    questions.push_back(stringId);
    if (whileAsking) whileAsking();
    return answer;
}

RunTestHost::RunTestHost() {
    player.SetServiceProvider(&clock);
}

void RunTestHost::TickControl() {
    ++ticks;
    clock.Tick();
}

void RunTestHost::ReloadMovie(const convert::ParsedMovie& movie) {
    ++reloads;
    movie.LoadInto(player);
}

bool RunTestHost::AskYesNo(int stringId) {
    questions.push_back(stringId);
    return true;
}

void RunTestHost::PumpMessages() {
    if (progress.positions.empty()) return;
    const int position = progress.positions.back();
    if (cancelAt && position >= *cancelAt) {
        cancelAt.reset();
        progress.OnCancel();
    }
    if (finishAt && position >= *finishAt) {
        finishAt.reset();
        progress.OnFinish();
    }
}

}  // namespace runtest
