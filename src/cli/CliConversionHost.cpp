#include "cli/CliConversionHost.h"

#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdio>

#include "resources/StringTable.h"

extern char** environ;

namespace cli {
namespace {

std::atomic<bool> interrupted{false};

void OnInterrupt(int) {
    interrupted = true;
}

}  // namespace

CliConversionHost::CliConversionHost() : progress_(stderr) {
    interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterrupt_);
}

CliConversionHost::~CliConversionHost() {
    sigaction(SIGINT, &previousInterrupt_, nullptr);
}

void CliConversionHost::Prepare(int width, int height, bool keepAspectRatio) {
    player_.SetViewSize(width, height);
    player_.SetScaleMode(keepAspectRatio ? swf::Player::ShowAll : swf::Player::ExactFit);
}

void CliConversionHost::SetPlayOptions(std::vector<std::vector<swf::InputEvent>> input,
                                       bool autoplay, swf::RenderQuality quality) {
    input_ = std::move(input);
    autoplay_ = autoplay;
    quality_ = quality;
    PreparePlayer(player_);
}

void CliConversionHost::PreparePlayer(swf::Player& player) {
    player.SetAutoplay(autoplay_);
    player.SetRenderQuality(quality_);
    player.SetScriptedInput(input_);
}

void CliConversionHost::TickControl() {
    player_.advanceFrame();
    // Kept here: loading the movie again forgets it.
    if (!scriptStop_)
        if (const auto* stop = player_.FirstScriptStop()) scriptStop_ = *stop;
}

void CliConversionHost::ShowErrorMessage(int stringId) {
    std::fprintf(stderr, "kinetrope: %s\n", resources::LoadString(stringId));
    messageShown_ = true;
}

void CliConversionHost::ShowWarning(const std::string& text) {
    std::fprintf(stderr, "kinetrope: warning: %s\n", text.c_str());
}

void CliConversionHost::PumpMessages() {
    if (interrupted.exchange(false)) progress_.OnCancel();
}

void CliConversionHost::OpenDocument(const std::string& path) {
    char program[] = "xdg-open";
    std::string argument = path;
    char* argv[] = {program, argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program, nullptr, nullptr, argv, environ) == 0)
        waitpid(child, nullptr, 0);
}

}  // namespace cli
