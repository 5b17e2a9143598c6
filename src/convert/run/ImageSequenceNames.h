#pragma once
// The file names of an image sequence: the output name with the frame's number, counted
// from 0, before its extension, zero-padded to as many digits as (end - start) has.
// movie.tga over frames 0 to 99 gives movie00.tga ... movie99.tga; a single frame movie0.tga.

#include <cstdint>
#include <string>

namespace convert {

class ImageSequenceNames {
  public:
    ImageSequenceNames(const std::string& outputPath, int32_t startFrame, int32_t endFrame);

    std::string Name(int32_t index) const;
    // The extension is ".tga", in any case: the frames are TGA files, else PNG files.
    bool IsTga() const;

  private:
    std::string stem_;       // the path up to the file name's last '.'
    std::string extension_;  // from that '.' on; empty without one
    int digits_ = 0;
};

}  // namespace convert
