#pragma once
// The movie's own sound on its way to a writer: each frame's sound is appended as the frame
// reaches the writer, and the writer reads it at its own pace. Used by the writer's thread
// alone.

#include <cstdint>
#include <deque>
#include <span>

#include "convert/SoundInput.h"

namespace convert {

class SoundQueue : public SoundInput {
  public:
    explicit SoundQueue(const audio::WaveFormat& format) : format_(format) {}

    void Append(std::span<const uint8_t> sound) { bytes_.insert(bytes_.end(), sound.begin(), sound.end()); }

    const audio::WaveFormat& Format() const override { return format_; }
    std::span<const uint8_t> FormatExtra() const override { return {}; }
    int32_t Read(uint8_t* data, uint32_t wanted, uint32_t& read) override;
    bool Growing() const override { return true; }

  private:
    audio::WaveFormat format_;
    std::deque<uint8_t> bytes_;
};

}  // namespace convert
