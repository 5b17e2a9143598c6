#pragma once
// Movies and files for the tests of the runs: movies whose every frame fills the stage with
// a colour of its own, so that a written image tells which frame it shows; reading TGA
// pixels back; and AVI files read back through ffprobe and ffmpeg.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "audio/WaveFormat.h"
#include "support/ActionBuilder.h"

namespace runtest {

struct ColourMovie {
    int frames = 4;
    double frameRate = 12;
    int width = 32;
    int height = 24;
    std::map<int, swftest::ActionBuilder> actions;  // by frame, run when it is entered
    bool compressed = false;
    // Each frame starts a short tone of its own (44.1 kHz mono PCM at a level that tells the
    // frame), so that the sound of a conversion tells which frames played.
    bool tones = false;
};
// `frames` frames of 32 x 24 pixels (or the size given) at 12 frames per second.
ColourMovie Movie(int frames, int width = 32, int height = 24);
void WriteColourMovie(const std::string& path, const ColourMovie& movie);

// The frame a colour (blue, green, red) belongs to, or -1.
int FrameOfColour(uint8_t blue, uint8_t green, uint8_t red);
// The frame shown by a written TGA file (its centre pixel), or -1.
int FrameInTga(const std::string& path);

// The entries of ffprobe's stream sections of a type ("video", "audio"), with frames counted.
std::optional<std::map<std::string, std::string>> ProbeStream(const std::string& path,
                                                              const std::string& type);
// One entry of that stream; empty when there is no such stream.
std::string ProbeField(const std::string& path, const std::string& type, const std::string& key);
// The frame each picture of the video stream shows (its centre pixel), decoded by ffmpeg.
std::vector<int> FramesInVideo(const std::string& path, int width, int height);
// The bytes of the first audio stream as stored, and how many.
std::vector<uint8_t> StoredSound(const std::string& path);
size_t AudioBytes(const std::string& path);
// The first audio stream decoded by ffmpeg to 48 kHz mono 16-bit samples; empty without one.
std::vector<int16_t> DecodedSound(const std::string& path);

// A PCM WAV file of `bytes` bytes of sound (none: an empty data chunk).
void WriteWavFile(const std::string& path, const audio::WaveFormat& format, size_t bytes);

}  // namespace runtest
