#pragma once
// A conversion host for the tests: a player advanced on demand, the real offscreen
// renderer, a progress dialog whose buttons are pressed at chosen positions, and a record of
// the messages, questions, locks, reloads and opened documents.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "convert/run/ConversionHost.h"
#include "convert/run/ParsedMovie.h"
#include "convert/run/FrameCapture.h"
#include "convert/run/ProgressDialog.h"
#include "swf/player/Player.h"

namespace runtest {

class ScriptedProgress : public convert::ProgressDialog {
  public:
    void SetRange(int low, int high) override { range = {low, high}; }
    void SetPos(int position) override { positions.push_back(position); }
    void SetStatusText(const std::string& text) override { status = text; }
    void SetTotalText(const std::string& text) override { total = text; }
    void EnableButton(convert::ProgressButton button, bool enable) override;

    std::string title;
    std::pair<int, int> range;
    std::vector<int> positions;
    std::string status;
    std::string total;
    bool finishEnabled = true;
    int opened = 0;
    int closed = 0;
    std::vector<int> questions;
    bool answer = true;
    // Runs while a confirmation question is open, as ticks that arrive meanwhile would.
    std::function<void()> whileAsking;

  protected:
    void Show(const std::string& text) override;
    void Hide() override { ++closed; }
    bool Confirm(int stringId) override;
};

class RunTestHost : public convert::ConversionHost {
  public:
    swf::Player& Control() override { return player; }
    void TickControl() override;
    convert::FrameCapture& Renderer() override { return renderer; }
    convert::ProgressDialog& Progress() override { return progress; }
    // Loads the movie back, as the desktop does.
    void ReloadMovie(const convert::ParsedMovie& movie) override;
    double RecordingVolume() const override { return volume; }
    bool InBatch() const override { return inBatch; }
    void SetInterfaceEnabled(bool enabled) override { locks.push_back(enabled); }
    void ShowErrorMessage(int stringId) override { messages.push_back(stringId); }
    void ShowWarning(const std::string& text) override { warnings.push_back(text); }
    bool AskYesNo(int stringId) override;
    // Presses Cancel or Finish once the bar has reached the chosen position.
    void PumpMessages() override;
    void OpenDocument(const std::string& path) override { opened.push_back(path); }

    swf::Player player;
    convert::FrameCapture renderer;
    ScriptedProgress progress;
    double volume = 1.0;
    bool inBatch = false;
    int reloads = 0;
    std::vector<bool> locks;
    std::vector<int> messages;
    std::vector<std::string> warnings;
    std::vector<int> questions;
    std::vector<std::string> opened;
    std::optional<int> cancelAt;
    std::optional<int> finishAt;
    int ticks = 0;
};

}  // namespace runtest
