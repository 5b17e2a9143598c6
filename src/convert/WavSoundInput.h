#pragma once
// A WAV file's sound as a writer reads it: its data chunk from the start.

#include <string>

#include "audio/WavFile.h"
#include "convert/SoundInput.h"

namespace convert {

class WavSoundInput : public SoundInput {
  public:
    // The file's failure code, or E_FAIL for a file without a format.
    int32_t Open(const std::string& path);

    const audio::WaveFormat& Format() const override { return *file_.Format(); }
    std::span<const uint8_t> FormatExtra() const override { return file_.FormatExtra(); }
    int32_t Read(uint8_t* data, uint32_t wanted, uint32_t& read) override;
    bool Growing() const override { return false; }

  private:
    audio::WavFile file_;
};

}  // namespace convert
