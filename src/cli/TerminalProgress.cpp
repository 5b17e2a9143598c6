#include "cli/TerminalProgress.h"

#include <unistd.h>

namespace cli {

TerminalProgress::TerminalProgress(std::FILE* out)
    : out_(out), terminal_(isatty(fileno(out)) == 1) {}

void TerminalProgress::Show(const std::string& title) {
    title_ = title;
    status_.clear();
    shown_ = true;
    drawn_ = false;
    // The first line comes once there is a rate to show; a short run shows none.
    started_ = std::chrono::steady_clock::now();
    lastDrawn_ = started_;
}

void TerminalProgress::Hide() {
    if (!shown_) return;
    if (drawn_) {
        Draw();
        std::fputc('\n', out_);
    }
    shown_ = false;
}

void TerminalProgress::SetRange(int low, int high) {
    low_ = low;
    high_ = high;
}

void TerminalProgress::SetPos(int position) {
    position_ = position;
    const auto now = std::chrono::steady_clock::now();
    // A few redraws a second are enough to read, and cost nothing against the run.
    if (now - lastDrawn_ < std::chrono::milliseconds(200)) return;
    lastDrawn_ = now;
    Draw();
}

void TerminalProgress::Draw() {
    if (!terminal_ || !shown_) return;
    const long long total = static_cast<long long>(high_) - low_ + 1;
    const long long done = static_cast<long long>(position_) - low_ + 1;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const double rate = seconds > 0 && done > 0 ? done / seconds : 0;
    std::fprintf(out_, "\r\033[K%s: %s (%lld/%lld", title_.c_str(), status_.c_str(), done, total);
    if (rate > 0) std::fprintf(out_, ", %.1f/s, %.0f s left", rate, (total - done) / rate);
    std::fputc(')', out_);
    std::fflush(out_);
    drawn_ = true;
}

}  // namespace cli
