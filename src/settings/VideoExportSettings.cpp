#include "settings/VideoExportSettings.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "convert/VideoFileWriter.h"
#include "resources/StringTable.h"
#include "settings/ExportChecks.h"
#include "settings/OfferedSettings.h"

namespace settings {
namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// The codecs of the table that this FFmpeg has and the container holds.
std::string CodecsFor(VideoContainer container) {
    std::string list;
    for (const VideoCodecInfo& info : kVideoCodecs) {
        const std::string encoder = VideoEncoderName(info.codec);
        if (!encoder.empty() &&
            convert::VideoFileWriter::ContainerHolds(InfoOf(container).formatName, encoder))
            list += (list.empty() ? "" : ", ") + std::string(info.name);
    }
    return list.empty() ? "none" : list;
}

std::string AudioCodecsFor(VideoContainer container) {
    std::string list;
    for (const AudioCodecInfo& info : kAudioCodecs) {
        if (convert::VideoFileWriter::HasEncoder(info.encoder) &&
            convert::VideoFileWriter::ContainerHolds(InfoOf(container).formatName, info.encoder))
            list += (list.empty() ? "" : ", ") + std::string(info.name);
    }
    return list.empty() ? "none" : list;
}

}  // namespace

AudioSource VideoExportSettings::audioSource() const {
    if (!audioEnabled) return AudioSource::None;
    return wavePath.empty() ? AudioSource::RecordFromMovie : AudioSource::WaveFile;
}

void VideoExportSettings::SetAudioSource(AudioSource source, std::string path) {
    audioEnabled = source == AudioSource::None ? 0 : 1;
    wavePath = source == AudioSource::WaveFile ? std::move(path) : std::string();
}

const VideoContainerInfo& InfoOf(VideoContainer container) {
    for (const VideoContainerInfo& info : kVideoContainers)
        if (info.container == container) return info;
    return kVideoContainers[0];
}

const VideoCodecInfo& InfoOf(VideoCodec codec) {
    for (const VideoCodecInfo& info : kVideoCodecs)
        if (info.codec == codec) return info;
    return kVideoCodecs[0];
}

const AudioCodecInfo& InfoOf(AudioCodec codec) {
    for (const AudioCodecInfo& info : kAudioCodecs)
        if (info.codec == codec) return info;
    return kAudioCodecs[0];
}

std::optional<VideoContainer> ContainerForPath(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::nullopt;
    const std::string extension = Lower(path.substr(dot + 1));
    for (const VideoContainerInfo& info : kVideoContainers)
        if (extension == info.extension) return info.container;
    return std::nullopt;
}

std::optional<VideoCodec> ParseVideoCodec(std::string_view name) {
    for (const VideoCodecInfo& info : kVideoCodecs)
        if (Lower(name) == info.name) return info.codec;
    return std::nullopt;
}

std::optional<AudioCodec> ParseAudioCodec(std::string_view name) {
    for (const AudioCodecInfo& info : kAudioCodecs)
        if (Lower(name) == info.name) return info.codec;
    return std::nullopt;
}

void SetContainer(VideoExportSettings& settings, VideoContainer container) {
    const VideoContainerInfo& info = InfoOf(container);
    settings.container = container;
    settings.videoCodec = info.videoCodec;
    settings.audioCodec = info.audioCodec;
    settings.crf = -1;
    settings.preset.clear();
    settings.audioBitrateK = 0;
}

void SetFrameRangeFor(VideoExportSettings& settings, const convert::MovieHeader& movie) {
    settings.startFrame = 0;
    settings.endFrame = std::max<int32_t>(0, movie.frameCount - 1);
    settings.frameRate100 = FrameRate100(movie.frameRate);
}

std::string VideoEncoderName(VideoCodec codec) {
    const std::string_view encoders = InfoOf(codec).encoders;
    for (size_t begin = 0; begin < encoders.size();) {
        const size_t comma = std::min(encoders.find(',', begin), encoders.size());
        std::string name(encoders.substr(begin, comma - begin));
        if (convert::VideoFileWriter::HasEncoder(name.c_str())) return name;
        begin = comma + 1;
    }
    return {};
}

const char* PixelFormatName(const VideoExportSettings& settings) {
    const VideoCodecInfo& info = InfoOf(settings.videoCodec);
    return settings.colorDepth == kColorDepthRgba && info.alphaPixelFormat ? info.alphaPixelFormat
                                                                           : info.pixelFormat;
}

int32_t AudioBitrateK(const VideoExportSettings& settings) {
    const int32_t fallback = InfoOf(settings.audioCodec).defaultBitrateK;
    return fallback == 0 ? 0 : settings.audioBitrateK > 0 ? settings.audioBitrateK : fallback;
}

std::string CheckVideoExport(const VideoExportSettings& settings) {
    if (const int failed = CheckFrameRange(settings.startFrame, settings.endFrame))
        return resources::LoadString(failed);
    if (const int failed = CheckFrameRate(settings.frameRate100))
        return resources::LoadString(failed);
    const VideoContainerInfo& container = InfoOf(settings.container);
    const VideoCodecInfo& codec = InfoOf(settings.videoCodec);
    if (settings.colorDepth == kColorDepthRgba && !codec.alphaPixelFormat)
        return std::string(codec.name) +
               " has no transparency; use .webm or .mov for --depth 32 (or .mkv with "
               "--codec ffv1)";
    const std::string encoder = VideoEncoderName(settings.videoCodec);
    if (encoder.empty())
        return "this FFmpeg has no encoder for " + std::string(codec.name) + " (" + codec.encoders +
               "); " + container.label +
               " can be written here with: " + CodecsFor(settings.container);
    if (!convert::VideoFileWriter::ContainerHolds(container.formatName, encoder))
        return std::string(container.label) + " cannot hold " + codec.name +
               "; it takes: " + CodecsFor(settings.container);
    if (settings.crf >= 0 && settings.crf > codec.maxCrf)
        return codec.maxCrf == 0 ? std::string(codec.name) + " takes no --crf"
                                 : "--crf for " + std::string(codec.name) + " is 0 to " +
                                       std::to_string(codec.maxCrf);
    if (settings.container == VideoContainer::Gif) {
        if (settings.audioEnabled) return "a GIF holds no sound; use --audio none";
        return {};
    }
    if (settings.audioEnabled) {
        const AudioCodecInfo& audio = InfoOf(settings.audioCodec);
        if (!convert::VideoFileWriter::HasEncoder(audio.encoder))
            return "this FFmpeg has no encoder for " + std::string(audio.name) + " (" +
                   audio.encoder + "); " + container.label +
                   " can take here: " + AudioCodecsFor(settings.container);
        if (!convert::VideoFileWriter::ContainerHolds(container.formatName, audio.encoder))
            return std::string(container.label) + " cannot hold " + audio.name +
                   " sound; it takes: " + AudioCodecsFor(settings.container);
        if (settings.audioSource() == AudioSource::WaveFile)
            if (const int failed = CheckWaveFile(settings.wavePath))
                return std::string(resources::LoadString(failed)) + " (" + settings.wavePath + ")";
    }
    return {};
}

}  // namespace settings
