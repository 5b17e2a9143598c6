#include "cli/StopSignals.h"

#include <atomic>

namespace cli {
namespace {

std::atomic<int> stopSignal{0};

void OnStopSignal(int signal) {
    stopSignal = signal;
}

}  // namespace

StopSignals::StopSignals() {
    stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &interrupt_);
    sigaction(SIGTERM, &action, &terminate_);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(SIGCHLD, &standard, &child_);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &interrupt_, nullptr);
    sigaction(SIGTERM, &terminate_, nullptr);
    sigaction(SIGCHLD, &child_, nullptr);
}

bool StopSignals::Stopped() {
    return stopSignal != 0;
}

}  // namespace cli
