#include "run/RunTestHost.h"

namespace runtest {

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

void RunTestHost::TickControl() {
    ++ticks;
    player.advanceFrame();
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
