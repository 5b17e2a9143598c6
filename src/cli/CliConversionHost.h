#pragma once
// The surroundings of a conversion run on the command line: the engine advanced one frame
// per tick with no waiting, the offscreen renderer, a
// progress line on the terminal, messages on stderr, and Ctrl+C as the Cancel button.

#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "cli/TerminalProgress.h"
#include "convert/run/ConversionHost.h"
#include "convert/run/FrameCapture.h"
#include "swf/input/InputEvent.h"
#include "swf/player/Player.h"
#include "swf/render/RenderQuality.h"

namespace cli {

class CliConversionHost : public convert::ConversionHost {
  public:
    // Takes over Ctrl+C until destroyed.
    CliConversionHost();
    ~CliConversionHost() override;
    CliConversionHost(const CliConversionHost&) = delete;
    CliConversionHost& operator=(const CliConversionHost&) = delete;

    // The output size and how the movie fills it.
    void Prepare(int width, int height, bool keepAspectRatio);
    // Scripted input, playing on past a movie that waits for a click, and the drawing
    // quality, for the control and every player a run makes beside it.
    void SetPlayOptions(std::vector<std::vector<swf::InputEvent>> input, bool autoplay,
                        swf::RenderQuality quality);

    swf::Player& Control() override { return player_; }
    void TickControl() override;
    convert::FrameCapture& Renderer() override { return renderer_; }
    convert::ProgressDialog& Progress() override { return progress_; }
    void PreparePlayer(swf::Player& player) override;
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
    swf::Player player_;
    convert::FrameCapture renderer_;
    TerminalProgress progress_;
    std::vector<std::vector<swf::InputEvent>> input_;
    bool autoplay_ = false;
    swf::RenderQuality quality_ = swf::RenderQuality::High;
    bool messageShown_ = false;
    std::optional<swf::MovieContext::ScriptStop> scriptStop_;
    struct sigaction previousInterrupt_ {};
};

}  // namespace cli
