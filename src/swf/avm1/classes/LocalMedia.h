#pragma once
// What the player learns of a media file a script loaded before decoding it: an MP3 file's
// frames (for its duration) and where they start.

#include <cstdint>
#include <optional>
#include <span>

namespace swf::avm1 {

class LocalMedia {
  public:
    struct Mp3Info {
        uint32_t rateHz = 0;
        bool stereo = false;
        uint32_t sampleCount = 0;
        size_t audioStart = 0;  // the first byte after an ID3v2 tag
    };
    // Walks the MPEG audio frames; nothing when there is no frame at all.
    static std::optional<Mp3Info> scanMp3(std::span<const uint8_t> data);
};

}  // namespace swf::avm1
