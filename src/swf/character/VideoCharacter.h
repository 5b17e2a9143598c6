#pragma once
// An embedded video stream (DefineVideoStream): its size and settings. The frames
// (VideoFrame tags) wait for a decoder.

#include <cstdint>

#include "swf/character/Character.h"

namespace swf {

class VideoCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Video;

    VideoCharacter(uint16_t id, uint16_t frameCount, uint16_t width, uint16_t height,
                   uint8_t deblocking, bool smoothing, uint8_t codec)
        : Character(id, kKind),
          frameCount_(frameCount),
          width_(width),
          height_(height),
          deblocking_(deblocking),
          smoothing_(smoothing),
          codec_(codec) {}

    uint16_t frameCount() const { return frameCount_; }
    uint16_t width() const { return width_; }
    uint16_t height() const { return height_; }
    uint8_t deblocking() const { return deblocking_; }
    bool smoothing() const { return smoothing_; }
    uint8_t codec() const { return codec_; }

  private:
    uint16_t frameCount_;
    uint16_t width_;
    uint16_t height_;
    uint8_t deblocking_;
    bool smoothing_;
    uint8_t codec_;
};

}  // namespace swf
