#pragma once
// An embedded video stream (DefineVideoStream) and its frames (the VideoFrame tags naming it),
// kept by frame number. The frames are filled in while the movie is parsed and never change
// after; decoding state lives with each placed instance.

#include <cstdint>
#include <map>
#include <vector>

#include "swf/movie/Character.h"

namespace swf {

class VideoCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Video;

    enum Codec : uint8_t { H263 = 2, ScreenVideo = 3, Vp6 = 4, Vp6Alpha = 5, ScreenVideo2 = 6 };

    struct Frame {
        std::vector<uint8_t> data;
        bool key = false;  // decodable without the frames before it
    };

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
    uint8_t codec() const { return codec_; }
    // The flag as the tag states it.
    bool smoothing() const { return smoothing_; }
    // Whether the player smooths the picture when the quality allows: VP6 always follows
    // the flag; H.263 and Screen Video only in a stream of a single frame.
    bool smoothed() const;

    // Takes a frame (VideoPacket::frame makes it of a VideoFrame's data). Refused (false): a
    // number the stream does not declare, or one already taken.
    bool addFrame(uint16_t number, Frame frame);
    const std::map<uint16_t, Frame>& frames() const { return frames_; }
    // The last frame at or before `number`, or end() when there is none.
    std::map<uint16_t, Frame>::const_iterator frameAtOrBefore(uint16_t number) const;
    // The last key frame at or before `number`; the first frame when none is a key frame
    // (a stream that starts without one still shows what its decoder makes of it).
    std::map<uint16_t, Frame>::const_iterator keyFrameAtOrBefore(uint16_t number) const;

  private:
    uint16_t frameCount_;
    uint16_t width_;
    uint16_t height_;
    uint8_t deblocking_;
    bool smoothing_;
    uint8_t codec_;
    std::map<uint16_t, Frame> frames_;
};

}  // namespace swf
