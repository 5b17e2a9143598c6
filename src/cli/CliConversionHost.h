#pragma once
// The surroundings of a conversion run on the command line: the engine ticked by a clock
// that advances one frame interval per tick with no waiting, the offscreen renderer, a
// progress line on the terminal, messages on stderr, and Ctrl+C as the Cancel button.

#include <csignal>
#include <optional>
#include <string>

#include "audio/EngineMixSource.h"
#include "cli/ManualClock.h"
#include "cli/TerminalProgress.h"
#include "convert/MovieHeader.h"
#include "convert/run/ConversionHost.h"
#include "convert/run/FrameCapture.h"
#include "swf/player/Player.h"

namespace cli {

class CliConversionHost : public convert::ConversionHost {
  public:
    // Takes over Ctrl+C until destroyed.
    CliConversionHost();
    ~CliConversionHost() override;
    CliConversionHost(const CliConversionHost&) = delete;
    CliConversionHost& operator=(const CliConversionHost&) = delete;

    // The output size and how the movie fills it, and the movie's rate for its sound.
    void Prepare(const convert::MovieHeader& movie, int width, int height, bool keepAspectRatio);

    swf::Player& Control() override { return player_; }
    // The engine's sound is mixed along, one frame interval per tick.
    void TickControl() override;
    convert::FrameCapture& Renderer() override { return renderer_; }
    convert::ProgressDialog& Progress() override { return progress_; }
    audio::CaptureSource& SoundSource() override { return mix_; }
    // Nothing to lock: there is no interface to use meanwhile.
    void SetInterfaceEnabled(bool) override {}
    void ShowErrorMessage(int stringId) override;
    void ShowWarning(const std::string& text) override;
    // Nobody is there to answer: the command line takes Yes.
    bool AskYesNo(int) override { return true; }
    // Turns a Ctrl+C into the progress dialog's Cancel.
    void PumpMessages() override;
    void OpenDocument(const std::string& path) override;

    // Whether the run has said itself why it failed.
    bool messageShown() const { return messageShown_; }
    // The first time in the run that the movie's scripts were stopped as runaways, or null.
    const swf::MovieContext::ScriptStop* scriptStop() const {
        return scriptStop_ ? &*scriptStop_ : nullptr;
    }

  private:
    ManualClock clock_;
    swf::Player player_;
    convert::FrameCapture renderer_;
    TerminalProgress progress_;
    audio::EngineMixSource mix_;
    bool messageShown_ = false;
    std::optional<swf::MovieContext::ScriptStop> scriptStop_;
    struct sigaction previousInterrupt_ {};
};

}  // namespace cli
