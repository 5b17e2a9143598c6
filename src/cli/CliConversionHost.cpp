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
    player_.SetServiceProvider(&clock_);
    mix_.SetEngine([this](uint32_t rate, int channels) { player_.SetSoundOutput(rate, channels); },
                   [this](std::span<int16_t> samples) { player_.TakeSound(samples); });
    interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterrupt_);
}

CliConversionHost::~CliConversionHost() {
    sigaction(SIGINT, &previousInterrupt_, nullptr);
}

void CliConversionHost::Prepare(const convert::MovieHeader& movie, int width, int height,
                                bool keepAspectRatio) {
    player_.SetViewSize(width, height);
    player_.SetScaleMode(keepAspectRatio ? swf::Player::ShowAll : swf::Player::ExactFit);
    mix_.SetFrameRate(movie.frameRate);
}

void CliConversionHost::TickControl() {
    clock_.tick();
    mix_.MixFrame();
    // Kept here: the run reloads the movie at its end, which forgets it.
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
