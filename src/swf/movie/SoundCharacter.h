#pragma once
// An event sound (DefineSound), or a sound file a script loaded: its format and its encoded
// samples, kept for the mixer. Scripts see only its duration.

#include <cmath>
#include <cstdint>
#include <vector>

#include "swf/movie/Character.h"

namespace swf {

class SoundCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Sound;
    enum class Format : uint8_t {
        UncompressedNative = 0,
        Adpcm = 1,
        Mp3 = 2,
        UncompressedLittle = 3,
        Nellymoser16k = 4,
        Nellymoser8k = 5,
        Nellymoser = 6,
        Speex = 11,
    };

    SoundCharacter(uint16_t id, Format format, uint32_t rateHz, bool sixteenBit, bool stereo,
                   uint32_t sampleCount, std::vector<uint8_t> data, int seekSamples = 0)
        : Character(id, kKind),
          format_(format),
          rateHz_(rateHz),
          sixteenBit_(sixteenBit),
          stereo_(stereo),
          sampleCount_(sampleCount),
          data_(std::move(data)),
          seekSamples_(seekSamples) {}

    Format format() const { return format_; }
    uint32_t rateHz() const { return rateHz_; }
    bool sixteenBit() const { return sixteenBit_; }
    bool stereo() const { return stereo_; }
    uint32_t sampleCount() const { return sampleCount_; }
    // The encoded samples (for MP3 event sounds, after the seek-samples field).
    const std::vector<uint8_t>& data() const { return data_; }
    // MP3 only: the decoded samples to skip before the sound's first one (encoder latency).
    int seekSamples() const { return seekSamples_; }
    // Whole milliseconds, as scripts read Sound.duration.
    double durationMs() const {
        return rateHz_ == 0 ? 0 : std::round(sampleCount_ * 1000.0 / rateHz_);
    }

  private:
    Format format_;
    uint32_t rateHz_;
    bool sixteenBit_;
    bool stereo_;
    uint32_t sampleCount_;
    std::vector<uint8_t> data_;
    int seekSamples_;
};

}  // namespace swf
