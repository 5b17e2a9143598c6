#include "convert/run/MovieCopies.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "convert/MovieFile.h"
#include "convert/TempFile.h"

namespace convert {

MovieCopies::~MovieCopies() {
    Discard();
}

void MovieCopies::Discard() {
    if (!silentPath_.empty()) std::remove(silentPath_.c_str());
    if (workingIsTemporary_) std::remove(workingPath_.c_str());
    silentPath_.clear();
    workingPath_.clear();
    baseFolder_.clear();
    workingIsTemporary_ = false;
    header_ = {};
    extent_ = {};
    announcedFrames_ = 0;
}

bool MovieCopies::Open(const std::string& sourcePath) {
    Discard();
    const std::string inflated = MakeTempFileName();
    if (inflated.empty()) return false;
    const int decompressed = DecompressSwf(sourcePath, inflated);
    if (decompressed == 1) {
        workingPath_ = inflated;
        workingIsTemporary_ = true;
    } else {
        std::remove(inflated.c_str());
        if (decompressed < 0) return false;
        workingPath_ = sourcePath;
    }
    if (ReadSwfHeader(workingPath_, header_) != 0 || SilentCopy().empty()) {
        Discard();
        return false;
    }
    // Only the frames the file holds are converted: a download cut short holds fewer than its
    // header announces, and some writers leave a placeholder count there.
    announcedFrames_ = header_.frameCount;
    if (extent_.completeFrames > 0)
        header_.frameCount = std::min(header_.frameCount, extent_.completeFrames);
    std::error_code ignored;
    baseFolder_ = std::filesystem::absolute(sourcePath, ignored).parent_path().string();
    return true;
}

const std::string& MovieCopies::SilentCopy() {
    if (!silentPath_.empty() && access(silentPath_.c_str(), R_OK) == 0) return silentPath_;
    if (!silentPath_.empty()) std::remove(silentPath_.c_str());
    silentPath_ = MakeTempFileName();
    if (!silentPath_.empty() && MakeSilentCopy(workingPath_, silentPath_, &extent_) != 0) {
        std::remove(silentPath_.c_str());
        silentPath_.clear();
    }
    return silentPath_;
}

}  // namespace convert
