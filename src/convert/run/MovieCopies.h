#pragma once
// The files a loaded movie is played from: the working movie (the chosen file itself, or a
// temporary uncompressed copy of a compressed one) and the silent copy that runs capture
// and step. The temporary files go with the object. A movie cut short (a download that
// stopped, compressed or not) is played up to its last complete frame: its header counts
// only those.

#include <cstdint>
#include <string>

#include "convert/MovieFile.h"
#include "convert/MovieHeader.h"

namespace convert {

class MovieCopies {
  public:
    MovieCopies() = default;
    ~MovieCopies();
    MovieCopies(const MovieCopies&) = delete;
    MovieCopies& operator=(const MovieCopies&) = delete;

    // Makes the working movie and its silent copy and reads the header. False when the movie
    // cannot be read or a copy cannot be written; nothing of it is kept then.
    bool Open(const std::string& sourcePath);

    const MovieHeader& header() const { return header_; }
    // Whether the movie ends inside a tag, and its last complete frame (from 0) if so.
    bool cutShort() const { return extent_.cutShort; }
    int32_t lastCompleteFrame() const { return extent_.completeFrames - 1; }
    // The frame count the movie's header announces; header() counts only the frames it holds.
    int32_t announcedFrames() const { return announcedFrames_; }
    const std::string& workingPath() const { return workingPath_; }
    // The folder of the movie as chosen: the copies are played from elsewhere, but the files
    // the movie loads (and the movies it imports from) are looked for here.
    const std::string& baseFolder() const { return baseFolder_; }
    // The silent copy, made again under a new name when its file has gone or cannot be read.
    // Empty when it cannot be made.
    const std::string& SilentCopy();

  private:
    void Discard();

    MovieHeader header_;
    MovieExtent extent_;
    int32_t announcedFrames_ = 0;
    std::string workingPath_;
    std::string baseFolder_;
    bool workingIsTemporary_ = false;
    std::string silentPath_;
};

}  // namespace convert
