#pragma once
// The settings of one AVI export: frames, timeline walk, output size and depth, frame rate,
// audio source and split size. Copied whole between the main window and batch tasks.

#include <array>
#include <cstdint>
#include <string>

#include "audio/WaveFormat.h"
#include "settings/ColorDepth.h"
#include "settings/SequenceMode.h"

namespace settings {

// The audio source is not stored; it follows from audioEnabled and wavePath.
enum class AudioSource {
    None,             // no audio stream
    RecordFromMovie,  // the movie's own sound, recorded while it plays
    WaveFile,         // the sound of an external WAV file
};

struct AudioSourceChoice {
    AudioSource source;
    const char* label;
};

// In the order of the dialog's radio buttons.
inline constexpr std::array<AudioSourceChoice, 3> kAudioSourceChoices = {{
    {AudioSource::None, "None"},
    {AudioSource::RecordFromMovie, "Record from current SWF file"},
    {AudioSource::WaveFile, "From WAVE file"},
}};

inline constexpr int32_t kDefaultSplitSizeMB = 2000;

struct AviExportSettings {
    int32_t startFrame = 0;    // 0-based
    int32_t endFrame = 0;      // 0-based, inclusive
    int32_t frameRate100 = 0;  // hundredths of a frame per second
    SequenceMode sequenceMode = SequenceMode::Normal;
    int32_t colorDepth = kColorDepthRgb;
    int32_t width = 0;
    int32_t height = 0;
    int32_t splitSizeMB = kDefaultSplitSizeMB;
    int32_t keepAspectRatio = 1;  // show all of the movie with its own aspect; 0 = stretch
    int32_t useOriginalSize = 1;
    int32_t playAfterCreating = 0;
    int32_t audioEnabled = 1;
    std::string wavePath;

    AudioSource audioSource() const;
    // Sets audioEnabled and wavePath; the path is kept only for a WAV file source.
    void SetAudioSource(AudioSource source, std::string path = {});

    friend bool operator==(const AviExportSettings&, const AviExportSettings&) = default;
};

// The audio format of a new export: PCM, 44100 Hz, 16 bits, stereo.
audio::WaveFormat DefaultAudioFormat();

}  // namespace settings
