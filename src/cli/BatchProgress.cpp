#include "cli/BatchProgress.h"

#include <unistd.h>

namespace cli {

BatchProgress::BatchProgress(std::FILE* out, size_t total)
    : out_(out),
      terminal_(isatty(fileno(out)) == 1),
      total_(total),
      started_(std::chrono::steady_clock::now()),
      lastDrawn_(started_) {}

std::string BatchProgress::Line() const {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::steady_clock::now() - started_)
                             .count();
    char running[80];
    if (byWorkers_)
        std::snprintf(running, sizeof running, "%zu worker%s running, %zu waiting", running_,
                      running_ == 1 ? "" : "s", workersWaiting_);
    else
        std::snprintf(running, sizeof running, "%zu running", running_);
    char line[200];
    std::snprintf(line, sizeof line, "batch: %zu/%zu tasks done, %s, %zu failed, %lld:%02lld",
                  done_, total_, running, failed_, static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return line;
}

void BatchProgress::Draw() {
    std::fprintf(out_, "\r\033[K%s", Line().c_str());
    std::fflush(out_);
    drawn_ = true;
    lastDrawn_ = std::chrono::steady_clock::now();
}

void BatchProgress::Update(size_t done, size_t running, size_t failed) {
    done_ = done;
    running_ = running;
    failed_ = failed;
    if (terminal_ &&
        std::chrono::steady_clock::now() - lastDrawn_ >= std::chrono::milliseconds(250))
        Draw();
}

void BatchProgress::TaskEnded(size_t done, size_t running, size_t failed) {
    done_ = done;
    running_ = running;
    failed_ = failed;
    if (terminal_)
        Draw();
    else
        std::fprintf(out_, "%s\n", Line().c_str());
}

void BatchProgress::CountWorkers(size_t waiting) {
    byWorkers_ = true;
    workersWaiting_ = waiting;
}

void BatchProgress::Note(const std::string& text) {
    if (terminal_ && drawn_) {
        // The line comes back with the next counts, at once.
        std::fprintf(out_, "\r\033[K%s\n", text.c_str());
        lastDrawn_ = started_;
    } else {
        std::fprintf(out_, "%s\n", text.c_str());
    }
}

void BatchProgress::Finish() {
    if (terminal_ && drawn_) {
        Draw();
        std::fputc('\n', out_);
    }
}

}  // namespace cli
