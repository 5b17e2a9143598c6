#include "convert/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

namespace convert {
namespace {

// Distinguishes the scratch files of one process; the process id the others.
std::atomic<unsigned> scratchCounter{0};
constexpr int kScratchNameAttempts = 100;

}  // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {}

OutputFile::~OutputFile() {
    Discard();
}

bool OutputFile::Open() {
    Discard();
    struct stat info {};
    if (stat(path_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        stream_ = std::fopen(path_.c_str(), "wb");
        return stream_ != nullptr;
    }
    for (int attempt = 0; attempt < kScratchNameAttempts; ++attempt) {
        std::string scratch = path_ + ".ktp" + std::to_string(getpid()) + "-" +
                              std::to_string(scratchCounter.fetch_add(1));
        const int fd = open(scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        stream_ = fdopen(fd, "wb");
        if (!stream_) {
            close(fd);
            unlink(scratch.c_str());
            return false;
        }
        scratchPath_ = std::move(scratch);
        return true;
    }
    return false;
}

bool OutputFile::Write(const void* data, size_t size) {
    return stream_ && std::fwrite(data, 1, size, stream_) == size;
}

bool OutputFile::Commit() {
    if (!stream_) return false;
    const bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!written || !closed ||
        (!scratchPath_.empty() && std::rename(scratchPath_.c_str(), path_.c_str()) != 0)) {
        Discard();
        return false;
    }
    scratchPath_.clear();
    return true;
}

void OutputFile::Discard() {
    if (stream_) std::fclose(stream_);
    stream_ = nullptr;
    if (!scratchPath_.empty()) unlink(scratchPath_.c_str());
    scratchPath_.clear();
}

}  // namespace convert
