#pragma once
// Names for what an export task records: its audio format as a tag name ("PCM") and a
// format name ("44.100 kHz, 16 Bit, Stereo"), and its video compressor. The settings dialog
// shows them, the batch list summarises a task with them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/WaveFormat.h"

namespace audio {

struct AudioFormatDescription {
    std::string tagName;
    std::string formatName;
    bool known = false;  // false: the names are "unknown tag" and "unknown format"
};

// Describes the PCM formats this program records and writes (whole bytes per sample,
// consistent block alignment and byte rate); any other format is unknown.
AudioFormatDescription DescribeAudioFormat(const WaveFormat& format);

// The PCM formats the movie's sound can be taken in: the usual rates at 8 and 16 bits, mono
// and stereo, in the order a format chooser lists them.
std::vector<WaveFormat> RecordingFormats();

// The name of a video compressor: the encoder's own description, or "Uncompressed" when
// frames are written without one.
std::string CompressorName(std::optional<std::string_view> encoderDescription);

}  // namespace audio
