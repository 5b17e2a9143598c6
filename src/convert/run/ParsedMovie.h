#pragma once
// The movie a conversion plays: its file read once and parsed by the engine, held in memory
// for every player that plays it (the one drawn, and one playing its sound beside it). A
// movie cut short (a download that stopped, compressed or not) is converted up to its last
// complete frame: its header counts only those.

#include <cstdint>
#include <memory>
#include <string>

#include "convert/MovieHeader.h"

namespace swf {
class Player;
class SwfMovie;
}  // namespace swf

namespace convert {

class ParsedMovie {
  public:
    // Reads and parses the movie at `path`. False when it cannot be read, is not a movie or
    // holds no complete frame; nothing of it is kept then.
    bool Open(const std::string& path);

    bool IsOpen() const { return movie_ != nullptr; }
    const MovieHeader& header() const { return header_; }
    // Whether the movie ends before its End tag, and its last complete frame (from 0) if so.
    bool cutShort() const { return cutShort_; }
    int32_t lastCompleteFrame() const { return completeFrames_ - 1; }
    // The frame count the movie's header announces; header() counts only the frames it holds.
    int32_t announcedFrames() const { return announcedFrames_; }
    const std::string& path() const { return path_; }

    // Starts the movie from its first frame in `player`, whose loads read beside the file.
    bool LoadInto(swf::Player& player) const;

  private:
    std::shared_ptr<const swf::SwfMovie> movie_;
    MovieHeader header_;
    bool cutShort_ = false;
    int32_t completeFrames_ = 0;
    int32_t announcedFrames_ = 0;
    std::string path_;
};

}  // namespace convert
