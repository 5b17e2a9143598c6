#include "swf/sound/SoundDecoder.h"

#include <algorithm>

#include "swf/sound/AdpcmDecoder.h"
#include "swf/sound/CodecDecoder.h"

namespace swf {

using Format = SoundCharacter::Format;

SoundDecoder::SoundDecoder(const SoundFormat& format, size_t maxFrames)
    : format_(format), maxFrames_(maxFrames) {
    pcm_.rate = format.rateHz;
    pcm_.channels = format.stereo ? 2 : 1;
    switch (format.codec) {
        case Format::UncompressedNative:
        case Format::UncompressedLittle:
        case Format::Adpcm:
            break;
        default:
            // The codec sets the rate and channels from what it decodes.
            pcm_.rate = 0;
            codec_ = std::make_unique<CodecDecoder>(format);
            if (!codec_->error().empty()) error_ = codec_->error();
    }
}

SoundDecoder::~SoundDecoder() = default;

bool SoundDecoder::feed(std::span<const uint8_t> data) {
    if (!error_.empty()) return false;
    if (codec_) {
        if (codec_->feed(data, maxFrames_, pcm_)) return true;
        error_ = codec_->error();
        return false;
    }
    if (format_.codec == Format::Adpcm) {
        AdpcmDecoder::decode(data, pcm_.channels, maxFrames_ - std::min(maxFrames_, pcm_.frames()),
                             pcm_.samples);
        return true;
    }
    if (format_.codec != Format::UncompressedNative &&
        format_.codec != Format::UncompressedLittle) {
        error_ = "unknown codec " + std::to_string(static_cast<int>(format_.codec));
        return false;
    }
    // Uncompressed: 8-bit samples are unsigned, 16-bit little-endian (the authoring tools
    // ran on little-endian machines, so the "native" order is that too).
    const size_t bytesPerSample = format_.sixteenBit ? 2 : 1;
    const size_t frameBytes = bytesPerSample * static_cast<size_t>(pcm_.channels);
    const size_t frames =
        std::min(data.size() / frameBytes, maxFrames_ - std::min(maxFrames_, pcm_.frames()));
    const size_t count = frames * static_cast<size_t>(pcm_.channels);
    for (size_t i = 0; i < count; ++i)
        pcm_.samples.push_back(format_.sixteenBit
                                   ? static_cast<int16_t>(data[2 * i] | data[2 * i + 1] << 8)
                                   : static_cast<int16_t>((static_cast<int>(data[i]) - 128) << 8));
    return true;
}

bool SoundDecoder::finish() {
    if (!error_.empty()) return false;
    if (!codec_ || codec_->finish(maxFrames_, pcm_)) return true;
    error_ = codec_->error();
    return false;
}

}  // namespace swf
