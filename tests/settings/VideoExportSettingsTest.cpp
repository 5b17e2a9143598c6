#include "settings/VideoExportSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/VideoFileWriter.h"
#include "resources/StringTable.h"

namespace {

using namespace settings;

TEST(VideoExportSettings, ExtensionsChooseTheContainerAndItsCodecs) {
    struct Case {
        std::string path;
        std::optional<VideoContainer> container;
        VideoCodec video;
        AudioCodec audio;
        std::string opaque, transparent;  // pixel formats at 24 and 32 bits
    };
    const std::vector<Case> cases = {
        {"clip.mp4", VideoContainer::Mp4, VideoCodec::H264, AudioCodec::Aac, "yuv420p", "yuv420p"},
        {"dir.v/CLIP.MKV", VideoContainer::Mkv, VideoCodec::H264, AudioCodec::Flac, "yuv420p",
         "yuv420p"},
        {"clip.webm", VideoContainer::WebM, VideoCodec::Vp9, AudioCodec::Opus, "yuv420p",
         "yuva420p"},
        {"clip.Mov", VideoContainer::Mov, VideoCodec::ProRes, AudioCodec::Pcm, "yuv422p10le",
         "yuva444p10le"},
        {"clip.gif", VideoContainer::Gif, VideoCodec::Gif, AudioCodec::Pcm, "pal8", "pal8"},
        {"clip.avi", std::nullopt, {}, {}, "", ""},
        {"mp4", std::nullopt, {}, {}, "", ""},
        {"folder.mp4/clip", std::nullopt, {}, {}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto container = ContainerForPath(c.path);
        EXPECT_EQ(container, c.container);
        if (!container) continue;
        VideoExportSettings settings;
        settings.crf = 12;
        settings.preset = "slow";
        settings.audioBitrateK = 64;
        SetContainer(settings, *container);
        EXPECT_EQ(settings.videoCodec, c.video);
        EXPECT_EQ(settings.audioCodec, c.audio);
        EXPECT_EQ(settings.crf, -1);
        EXPECT_TRUE(settings.preset.empty());
        EXPECT_EQ(settings.audioBitrateK, 0);
        EXPECT_EQ(PixelFormatName(settings), c.opaque);
        settings.colorDepth = kColorDepthRgba;
        EXPECT_EQ(PixelFormatName(settings), c.transparent);
    }
}

TEST(VideoExportSettings, NamesAndBitratesRoundTrip) {
    for (const VideoCodecInfo& info : kVideoCodecs) {
        EXPECT_EQ(ParseVideoCodec(info.name), info.codec) << info.name;
        EXPECT_EQ(&InfoOf(info.codec), &info);
    }
    for (const AudioCodecInfo& info : kAudioCodecs) {
        EXPECT_EQ(ParseAudioCodec(info.name), info.codec) << info.name;
        VideoExportSettings settings;
        settings.audioCodec = info.codec;
        EXPECT_EQ(AudioBitrateK(settings), info.defaultBitrateK);
        settings.audioBitrateK = 96;
        // Lossless sound has no bitrate to set.
        EXPECT_EQ(AudioBitrateK(settings), info.defaultBitrateK == 0 ? 0 : 96);
    }
    EXPECT_EQ(ParseVideoCodec("H264"), VideoCodec::H264);
    EXPECT_FALSE(ParseVideoCodec("mpeg2"));
    EXPECT_FALSE(ParseAudioCodec("vorbis"));
}

TEST(VideoExportSettings, ChecksSayWhatWouldWork) {
    const auto make = [](VideoContainer container) {
        VideoExportSettings settings;
        SetContainer(settings, container);
        settings.endFrame = 9;
        settings.frameRate100 = 2400;
        settings.SetAudioSource(AudioSource::None);
        return settings;
    };
    struct Case {
        std::string name;
        VideoExportSettings settings;
        std::string says;  // empty: accepted
    };
    std::vector<Case> cases;
    cases.push_back({"mp4 as it comes", make(VideoContainer::Mp4), ""});
    cases.push_back({"webm with alpha", make(VideoContainer::WebM), ""});
    cases.back().settings.colorDepth = kColorDepthRgba;
    cases.push_back({"mov with alpha and movie sound", make(VideoContainer::Mov), ""});
    cases.back().settings.colorDepth = kColorDepthRgba;
    cases.back().settings.SetAudioSource(AudioSource::RecordFromMovie);
    cases.push_back({"range", make(VideoContainer::Mp4),
                     resources::LoadString(resources::kStrInvalidFrameRange)});
    cases.back().settings.startFrame = 10;
    cases.push_back({"rate", make(VideoContainer::Mp4),
                     resources::LoadString(resources::kStrInvalidFrameRate)});
    cases.back().settings.frameRate100 = 0;
    cases.push_back({"mp4 with alpha", make(VideoContainer::Mp4),
                     "h264 has no transparency; use .webm or .mov for --depth 32"});
    cases.back().settings.colorDepth = kColorDepthRgba;
    cases.push_back({"gif with alpha", make(VideoContainer::Gif), "gif has no transparency"});
    cases.back().settings.colorDepth = kColorDepthRgba;
    cases.push_back({"ffv1 in mp4", make(VideoContainer::Mp4), "MP4 cannot hold ffv1"});
    cases.back().settings.videoCodec = VideoCodec::Ffv1;
    cases.push_back({"prores in webm", make(VideoContainer::WebM), "WebM cannot hold prores"});
    cases.back().settings.videoCodec = VideoCodec::ProRes;
    cases.push_back(
        {"gif in mkv", make(VideoContainer::Mkv), "Matroska cannot hold gif; it takes: h264"});
    cases.back().settings.videoCodec = VideoCodec::Gif;
    cases.push_back({"crf too high", make(VideoContainer::WebM), "--crf for vp9 is 0 to 63"});
    cases.back().settings.crf = 64;
    cases.push_back(
        {"gif with sound", make(VideoContainer::Gif), "a GIF holds no sound; use --audio none"});
    cases.back().settings.SetAudioSource(AudioSource::RecordFromMovie);
    cases.push_back({"flac in webm", make(VideoContainer::WebM),
                     "WebM cannot hold flac sound; it takes: opus"});
    cases.back().settings.SetAudioSource(AudioSource::RecordFromMovie);
    cases.back().settings.audioCodec = AudioCodec::Flac;
    cases.push_back({"missing wav", make(VideoContainer::Mp4),
                     std::string(resources::LoadString(resources::kStrFileNotExists)) +
                         " (/nonexistent/sound.wav)"});
    cases.back().settings.SetAudioSource(AudioSource::WaveFile, "/nonexistent/sound.wav");

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string encoder = VideoEncoderName(c.settings.videoCodec);
        if (encoder.empty()) {
            // The check must then name the missing encoder and what the container can take.
            EXPECT_NE(CheckVideoExport(c.settings).find("this FFmpeg has no encoder"),
                      std::string::npos);
            continue;
        }
        const std::string said = CheckVideoExport(c.settings);
        if (c.says.empty())
            EXPECT_EQ(said, "");
        else
            EXPECT_EQ(said.substr(0, c.says.size()), c.says) << said;
    }
}

TEST(VideoExportSettings, EvenSidesOnlyWhereThePixelFormatNeedsThem) {
    struct Case {
        std::string pixelFormat;
        int width, height, codedWidth, codedHeight;
    };
    const std::vector<Case> cases = {
        {"yuv420p", 33, 25, 34, 26},     {"yuv420p", 32, 24, 32, 24},      {"yuva420p", 1, 1, 2, 2},
        {"yuv422p10le", 33, 25, 34, 25}, {"yuva444p10le", 33, 25, 33, 25}, {"bgra", 33, 25, 33, 25},
        {"pal8", 33, 25, 33, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pixelFormat);
        EXPECT_EQ(convert::VideoFileWriter::CodedSize(c.pixelFormat, c.width, c.height),
                  std::make_pair(c.codedWidth, c.codedHeight));
    }
}

}  // namespace
