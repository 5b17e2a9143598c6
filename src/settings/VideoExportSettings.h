#pragma once
// The settings of one video export (MP4, MKV, WebM, MOV or GIF written through FFmpeg): the
// frames and picture as an AVI export has them, the container (from the output's extension),
// the video and audio codecs with their quality, and the sound source. A new container
// brings its own default codecs; CheckVideoExport says what this FFmpeg cannot write.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "convert/MovieHeader.h"
#include "settings/AviExportSettings.h"
#include "settings/ColorDepth.h"
#include "settings/SequenceMode.h"

namespace settings {

enum class VideoContainer { Mp4, Mkv, WebM, Mov, Gif };
enum class VideoCodec { H264, Hevc, Vp9, Av1, ProRes, Ffv1, Gif };
enum class AudioCodec { Aac, Opus, Mp3, Flac, Pcm };

struct VideoContainerInfo {
    VideoContainer container;
    const char* extension;   // without the dot, lower case
    const char* formatName;  // FFmpeg's muxer
    const char* label;       // for dialogs and messages
    VideoCodec videoCodec;   // the defaults
    AudioCodec audioCodec;
};

// In the order a dialog lists them.
inline constexpr std::array<VideoContainerInfo, 5> kVideoContainers = {{
    {VideoContainer::Mp4, "mp4", "mp4", "MP4", VideoCodec::H264, AudioCodec::Aac},
    {VideoContainer::Mkv, "mkv", "matroska", "Matroska", VideoCodec::H264, AudioCodec::Flac},
    {VideoContainer::WebM, "webm", "webm", "WebM", VideoCodec::Vp9, AudioCodec::Opus},
    {VideoContainer::Mov, "mov", "mov", "QuickTime", VideoCodec::ProRes, AudioCodec::Pcm},
    {VideoContainer::Gif, "gif", "gif", "GIF", VideoCodec::Gif, AudioCodec::Pcm},
}};

struct VideoCodecInfo {
    VideoCodec codec;
    const char* name;              // as --codec takes it
    const char* encoders;          // FFmpeg encoder names to try, comma-separated, best first
    const char* pixelFormat;       // FFmpeg's name of what the encoder gets at 24 bits
    const char* alphaPixelFormat;  // at 32 bits; null when the codec has no transparency
    int32_t maxCrf;                // --crf from 0 to this; 0 when the codec takes none
};

// ProRes is 422 HQ without transparency, 4444 with it. GIF pictures get a palette of their
// own file (pal8), FFV1 keeps the RGB(A) pixels as they are.
inline constexpr std::array<VideoCodecInfo, 7> kVideoCodecs = {{
    {VideoCodec::H264, "h264", "libx264", "yuv420p", nullptr, 51},
    {VideoCodec::Hevc, "hevc", "libx265", "yuv420p", nullptr, 51},
    {VideoCodec::Vp9, "vp9", "libvpx-vp9", "yuv420p", "yuva420p", 63},
    {VideoCodec::Av1, "av1", "libsvtav1,libaom-av1", "yuv420p", nullptr, 63},
    {VideoCodec::ProRes, "prores", "prores_ks", "yuv422p10le", "yuva444p10le", 0},
    {VideoCodec::Ffv1, "ffv1", "ffv1", "bgr0", "bgra", 0},
    {VideoCodec::Gif, "gif", "gif", "pal8", nullptr, 0},
}};

struct AudioCodecInfo {
    AudioCodec codec;
    const char* name;         // as --audio-codec takes it
    const char* encoder;      // FFmpeg's
    int32_t defaultBitrateK;  // 0 for the lossless ones, which take no bitrate
};

inline constexpr std::array<AudioCodecInfo, 5> kAudioCodecs = {{
    {AudioCodec::Aac, "aac", "aac", 192},
    {AudioCodec::Opus, "opus", "libopus", 128},
    {AudioCodec::Mp3, "mp3", "libmp3lame", 192},
    {AudioCodec::Flac, "flac", "flac", 0},
    {AudioCodec::Pcm, "pcm", "pcm_s16le", 0},
}};

struct VideoExportSettings {
    int32_t startFrame = 0;    // 0-based
    int32_t endFrame = 0;      // 0-based, inclusive
    int32_t frameRate100 = 0;  // hundredths of a frame per second
    SequenceMode sequenceMode = SequenceMode::Normal;
    int32_t colorDepth = kColorDepthRgb;  // 32: with transparency
    int32_t width = 0;
    int32_t height = 0;
    int32_t keepAspectRatio = 1;
    int32_t useOriginalSize = 1;
    int32_t audioEnabled = 1;
    std::string wavePath;

    VideoContainer container = VideoContainer::Mp4;
    VideoCodec videoCodec = VideoCodec::H264;
    int32_t crf = -1;    // -1: the encoder's own default
    std::string preset;  // empty: the encoder's own default
    AudioCodec audioCodec = AudioCodec::Aac;
    int32_t audioBitrateK = 0;  // 0: the codec's default

    AudioSource audioSource() const;
    // Sets audioEnabled and wavePath; the path is kept only for a WAV file source.
    void SetAudioSource(AudioSource source, std::string path = {});

    friend bool operator==(const VideoExportSettings&, const VideoExportSettings&) = default;
};

const VideoContainerInfo& InfoOf(VideoContainer container);
const VideoCodecInfo& InfoOf(VideoCodec codec);
const AudioCodecInfo& InfoOf(AudioCodec codec);

// The container an output name asks for by its extension (any case); nothing for others.
std::optional<VideoContainer> ContainerForPath(std::string_view path);
std::optional<VideoCodec> ParseVideoCodec(std::string_view name);
std::optional<AudioCodec> ParseAudioCodec(std::string_view name);

// The container with its default codecs; crf, preset and bitrate go back to the defaults.
void SetContainer(VideoExportSettings& settings, VideoContainer container);
// First frame to last frame of the movie, at its own frame rate.
void SetFrameRangeFor(VideoExportSettings& settings, const convert::MovieHeader& movie);

// The first encoder of the codec that this FFmpeg has; empty when it has none.
std::string VideoEncoderName(VideoCodec codec);
// FFmpeg's name of the pixel format the encoder is given.
const char* PixelFormatName(const VideoExportSettings& settings);
// The audio bitrate in kbit/s as it will be used: the setting, else the codec's default.
int32_t AudioBitrateK(const VideoExportSettings& settings);

// Why these settings cannot be written, with what would work instead; empty when they can.
// Checks in order: frame range, frame rate, transparency, the encoders this FFmpeg has, what
// the container can hold, --crf's range, sound in a GIF, the WAV file.
std::string CheckVideoExport(const VideoExportSettings& settings);

}  // namespace settings
