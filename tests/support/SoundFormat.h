#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace swftest {

enum class SoundCodec : uint8_t {
    NativePcm = 0,  // uncompressed, in the byte order of the machine that wrote it
    Adpcm = 1,
    Mp3 = 2,
    LittleEndianPcm = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11,
};

enum class SoundRate : uint8_t { Hz5512 = 0, Hz11025 = 1, Hz22050 = 2, Hz44100 = 3 };

// The codec/rate/size/channels fields shared by DefineSound and SoundStreamHead.
struct SoundFormat {
    SoundCodec codec = SoundCodec::LittleEndianPcm;
    SoundRate rate = SoundRate::Hz44100;
    bool sixteenBit = true;  // 8-bit PCM samples are unsigned, 16-bit signed
    bool stereo = true;

    // codec (4 bits), rate (2), size (1), channels (1).
    uint8_t packed() const;
    bool isPcm() const {
        return codec == SoundCodec::NativePcm || codec == SoundCodec::LittleEndianPcm;
    }
    // Bytes per sample frame (all channels) of PCM data.
    int pcmFrameBytes() const { return (sixteenBit ? 2 : 1) * (stereo ? 2 : 1); }

    // 16-bit samples as little-endian bytes (channels interleaved as given).
    static std::vector<uint8_t> littleEndian(std::span<const int16_t> samples);
};

}  // namespace swftest
