// Compressed AVI video: each compressor's samples read back by FFmpeg, exactly for the
// lossless ones, and the compression options (key frames, quality, data rate) in effect.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "AviWriterTestSupport.h"
#include "convert/AviWriter.h"
#include "convert/VideoEncoder.h"
#include "audio/WavFile.h"
#include "convert/WavSoundInput.h"

namespace convert {
namespace {

using avitest::Id;

constexpr int kWidth = 48;
constexpr int kHeight = 32;

TEST(VideoCompressors, ListStartsWithUncompressedAndNamesEachEncoderOnce) {
    const std::vector<VideoCompressorInfo> compressors = AvailableVideoCompressors();
    ASSERT_FALSE(compressors.empty());
    EXPECT_EQ(compressors[0].fourcc, kFourCCDib);
    EXPECT_EQ(compressors[0].name, "Uncompressed");
    for (const char* required : {"MJPG", "FFV1", "HFYU", "ZMBV", "MPNG"}) {
        const FourCC code = *ParseFourCC(required);
        EXPECT_EQ(std::ranges::count(compressors, code, &VideoCompressorInfo::fourcc), 1)
            << required;
    }
    // Other names for a listed encoder are understood but not offered twice.
    for (const char* alias : {"X264", "XVID"})
        EXPECT_EQ(
            std::ranges::count(compressors, *ParseFourCC(alias), &VideoCompressorInfo::fourcc), 0);
    for (const VideoCompressorInfo& compressor : compressors) {
        if (compressor.fourcc == kFourCCDib) continue;
        const auto found = OpenVideoCompressor(compressor.fourcc);
        ASSERT_NE(found, nullptr) << FourCCToString(compressor.fourcc);
        EXPECT_EQ(found->name, compressor.name);
    }
}

TEST(VideoCompressors, UncompressedAndUnknownHandlersHaveNoCompressor) {
    EXPECT_EQ(OpenVideoCompressor(kFourCCDib), nullptr);
    EXPECT_EQ(OpenVideoCompressor(MakeFourCC('Q', 'Q', 'Q', 'Q')), nullptr);
    CompressorSettings settings = DefaultCompressorSettings();
    EXPECT_EQ(VideoCompressorName(settings), "Uncompressed");
    settings.fccHandler = MakeFourCC('M', 'J', 'P', 'G');
    settings.hic = OpenVideoCompressor(settings.fccHandler);
    EXPECT_EQ(VideoCompressorName(settings), "Motion JPEG");
}

TEST(CompressionOptions, ComeFromTheSettingsWithTheDataRateInBytes) {
    const CompressionOptions defaults = MakeCompressionOptions(DefaultCompressorSettings());
    EXPECT_EQ(defaults.handler, kFourCCDib);
    EXPECT_EQ(defaults.keyFrameEvery, 15);
    EXPECT_EQ(defaults.bytesPerSecond, 300 * 1024);
    EXPECT_EQ(defaults.quality, -1);
    EXPECT_EQ(defaults.flags, kCompressValid | kCompressKeyFrames | kCompressDataRate);

    CompressorSettings plain = DefaultCompressorSettings();
    plain.lKey = 0;
    plain.lDataRate = 0;
    plain.lQ = 7500;
    const CompressionOptions options = MakeCompressionOptions(plain);
    EXPECT_EQ(options.flags, kCompressValid);
    EXPECT_EQ(options.quality, 7500);
    EXPECT_EQ(options.bytesPerSecond, 0);
}

struct RoundTrip {
    std::filesystem::path path;
    FrameBuffer frame;
};

CompressorSettings Settings(const char* fourcc, int32_t keyEvery = 15, int32_t dataRate = 300,
                            int32_t quality = kDefaultQuality) {
    CompressorSettings settings = DefaultCompressorSettings();
    settings.fccType = kFourCCVideoCompressor;
    settings.fccHandler = *ParseFourCC(fourcc);
    settings.hic = OpenVideoCompressor(settings.fccHandler);
    settings.lKey = keyEvery;
    settings.lDataRate = dataRate;
    settings.lQ = quality;
    return settings;
}

// Writes `frames` frames at 29.97 fps with 44.1 kHz sound.
void WriteClip(const std::filesystem::path& folder, const std::string& name,
               const CompressorSettings& settings, int depth, int frames, RoundTrip& trip) {
    trip.path = folder / (name + ".avi");
    audio::WavFile wave;
    const audio::WaveFormat format;
    const std::vector<uint8_t> sound(200000, 0x11);
    const std::string wavePath = (folder / (name + ".wav")).string();
    ASSERT_EQ(wave.Open(wavePath, audio::WavFile::WriteMode, &format), kResultOk);
    ASSERT_EQ(wave.Write(sound.data(), static_cast<uint32_t>(sound.size())), kResultOk);
    ASSERT_EQ(wave.Close(), kResultOk);
    WavSoundInput source;
    ASSERT_EQ(source.Open(wavePath), kResultOk);

    AviOutput output;
    output.path = trip.path;
    output.width = kWidth;
    output.height = kHeight;
    output.colorDepth = depth;
    output.frameRate100 = 2997;
    ASSERT_TRUE(trip.frame.Create(kWidth, kHeight, static_cast<uint16_t>(depth)));
    AviWriter writer;
    ASSERT_TRUE(writer.Open(output, settings, &source).ok());
    for (int number = 0; number < frames; ++number) {
        avitest::PaintFrame(trip.frame, number);
        ASSERT_TRUE(writer.WriteFrame(trip.frame).ok());
    }
    ASSERT_TRUE(writer.Close().ok());
}

std::vector<uint8_t> Expected(FrameBuffer& frame, int frames, bool dropAlpha) {
    std::vector<uint8_t> pixels;
    for (int number = 0; number < frames; ++number) {
        avitest::PaintFrame(frame, number);
        std::vector<uint8_t> picture = avitest::TopDownPixels(frame);
        if (dropAlpha)
            for (size_t i = 3; i < picture.size(); i += 4) picture[i] = 0xFF;
        pixels.insert(pixels.end(), picture.begin(), picture.end());
    }
    return pixels;
}

double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) return 1e9;
    uint64_t sum = 0;
    for (size_t i = 0; i < a.size(); ++i) sum += static_cast<uint64_t>(std::abs(a[i] - b[i]));
    return static_cast<double>(sum) / static_cast<double>(a.size());
}

struct CodecCase {
    const char* fourcc;
    const char* codecName;     // as ffprobe names it
    double maxMeanDifference;  // 0: lossless
};

void PrintTo(const CodecCase& codec, std::ostream* out) {
    *out << codec.fourcc;
}

class CompressedClip : public testing::TestWithParam<CodecCase> {};

TEST_P(CompressedClip, ReadsBackAsWrittenWithOneSampleBesideEachFramesSound) {
    const CodecCase codec = GetParam();
    if (!OpenVideoCompressor(*ParseFourCC(codec.fourcc)))
        GTEST_SKIP() << "no encoder in this build";
    avitest::ScratchFolder folder;
    RoundTrip trip;
    constexpr int kFrames = 6;
    WriteClip(folder.path(), codec.fourcc, Settings(codec.fourcc), 24, kFrames, trip);
    ASSERT_FALSE(HasFatalFailure());

    const avitest::AviLayout layout = avitest::ReadAviLayout(trip.path);
    ASSERT_EQ(layout.error, "");
    EXPECT_EQ(layout.strhField(0, 1), *ParseFourCC(codec.fourcc)) << "handler";
    const std::vector<uint8_t>& strf = layout.streams[0].strf;
    ASSERT_GE(strf.size(), 40u);
    EXPECT_EQ(strf[16] | strf[17] << 8 | strf[18] << 16 | strf[19] << 24,
              static_cast<int>(*ParseFourCC(codec.fourcc)))
        << "compression";
    EXPECT_EQ(strf[0] | strf[1] << 8, static_cast<int>(strf.size()))
        << "header size with codec data";
    // Every frame's sample is written as the frame comes, right before its sound.
    ASSERT_EQ(layout.chunks.size(), 2u * kFrames);
    for (size_t i = 0; i < layout.chunks.size(); ++i)
        EXPECT_EQ(layout.chunks[i].id, i % 2 == 0 ? Id("00dc") : Id("01wb")) << i;

    const avitest::Probe probe = avitest::ProbeFile(trip.path);
    ASSERT_TRUE(probe.ok);
    const auto video = avitest::StreamOfType(probe, "video");
    ASSERT_TRUE(video);
    EXPECT_EQ(video->at("codec_name"), codec.codecName);
    EXPECT_EQ(video->at("width"), std::to_string(kWidth));
    EXPECT_EQ(video->at("height"), std::to_string(kHeight));
    EXPECT_EQ(video->at("nb_read_frames"), std::to_string(kFrames));
    // The stream's own rate; readers may guess a nearby standard rate from the codec's timing.
    EXPECT_EQ(layout.strhField(0, 6), 2997u);
    EXPECT_TRUE(video->at("r_frame_rate") == "2997/100" ||
                video->at("avg_frame_rate") == "2997/100")
        << video->at("r_frame_rate") << " " << video->at("avg_frame_rate");

    const std::vector<uint8_t> decoded = avitest::DecodeFrames(trip.path, "bgr24");
    const std::vector<uint8_t> expected = Expected(trip.frame, kFrames, false);
    if (codec.maxMeanDifference == 0)
        EXPECT_EQ(decoded, expected);
    else
        EXPECT_LE(MeanDifference(decoded, expected), codec.maxMeanDifference);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, CompressedClip,
    testing::Values(CodecCase{"FFV1", "ffv1", 0}, CodecCase{"HFYU", "huffyuv", 0},
                    CodecCase{"ZMBV", "zmbv", 0}, CodecCase{"MPNG", "png", 0},
                    CodecCase{"MJPG", "mjpeg", 4}, CodecCase{"H264", "h264", 8},
                    CodecCase{"X264", "h264", 8}, CodecCase{"FMP4", "mpeg4", 8},
                    CodecCase{"XVID", "mpeg4", 8}),
    [](const testing::TestParamInfo<CodecCase>& info) { return std::string(info.param.fourcc); });

TEST(CompressedClip, LosslessCompressorsKeepTheAlphaOfThirtyTwoBitFrames) {
    avitest::ScratchFolder folder;
    for (const char* fourcc : {"FFV1", "HFYU", "MPNG"}) {
        RoundTrip trip;
        WriteClip(folder.path(), fourcc, Settings(fourcc), 32, 3, trip);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(avitest::DecodeFrames(trip.path, "bgra"), Expected(trip.frame, 3, false))
            << fourcc;
    }
    // ZMBV has no alpha; the colours still come back exactly.
    RoundTrip trip;
    WriteClip(folder.path(), "ZMBV", Settings("ZMBV"), 32, 3, trip);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(avitest::DecodeFrames(trip.path, "bgra"), Expected(trip.frame, 3, true));
}

std::vector<int> KeyFrameNumbers(const std::filesystem::path& path) {
    std::vector<int> keys;
    const std::vector<avitest::ProbedPacket> packets = avitest::ProbePackets(path, "v");
    for (size_t i = 0; i < packets.size(); ++i)
        if (packets[i].keyFrame) keys.push_back(static_cast<int>(i));
    return keys;
}

TEST(CompressedClip, KeyFramesFollowTheKeyFrameRateAndTheIndexesSayWhichTheyAre) {
    avitest::ScratchFolder folder;
    for (const char* fourcc : {"ZMBV", "FMP4", "FFV1", "H264"}) {
        if (!OpenVideoCompressor(*ParseFourCC(fourcc))) continue;
        RoundTrip trip;
        WriteClip(folder.path(), fourcc, Settings(fourcc, 4), 24, 10, trip);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(KeyFrameNumbers(trip.path), (std::vector<int>{0, 4, 8})) << fourcc;
        const avitest::AviLayout layout = avitest::ReadAviLayout(trip.path);
        const std::vector<avitest::AviChunk> video = layout.ChunksWithId(Id("00dc"));
        ASSERT_EQ(video.size(), 10u);
        for (size_t i = 0; i < video.size(); ++i) {
            EXPECT_EQ(video[i].keyFrame, i % 4 == 0) << fourcc << " frame " << i;
            EXPECT_EQ(video[i].legacyKeyFrame, i % 4 == 0) << fourcc << " frame " << i;
        }
    }
    // Samples of an intra-only compressor are all key frames, whatever the rate says.
    RoundTrip trip;
    WriteClip(folder.path(), "MJPG", Settings("MJPG", 4), 24, 6, trip);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(KeyFrameNumbers(trip.path), (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

// Bytes of all samples of 12 busy frames, which no setting compresses to nothing.
uint64_t EncodedBytes(const CompressorSettings& settings) {
    VideoEncoder encoder;
    EXPECT_EQ(encoder.Open({kWidth, kHeight, 24, 2997}, MakeCompressionOptions(settings)),
              kResultOk);
    std::vector<uint8_t> frame(encoder.ImageSize());
    uint64_t bytes = 0;
    const VideoEncoder::SampleSink add = [&](std::span<const uint8_t> sample, bool) {
        bytes += sample.size();
        return kResultOk;
    };
    for (int number = 0; number < 12; ++number) {
        for (size_t i = 0; i < frame.size(); ++i)
            frame[i] = static_cast<uint8_t>(i * 7 + number * 13 + i * i % 17);
        EXPECT_EQ(encoder.Encode(frame, add), kResultOk);
    }
    EXPECT_EQ(encoder.Flush(add), kResultOk);
    return bytes;
}

TEST(VideoEncoderTest, QualityAndDataRateReachTheEncoder) {
    EXPECT_GT(EncodedBytes(Settings("MJPG", 15, 0, 10000)),
              2 * EncodedBytes(Settings("MJPG", 15, 0, 0)));
    // Without a quality the data rate (in kilobytes per second) steers the encoder.
    EXPECT_GT(EncodedBytes(Settings("FMP4", 15, 4000)),
              3 * EncodedBytes(Settings("FMP4", 15, 4)) / 2);
    if (OpenVideoCompressor(*ParseFourCC("H264"))) {
        EXPECT_GT(EncodedBytes(Settings("H264", 15, 0, 10000)),
                  2 * EncodedBytes(Settings("H264", 15, 0, 0)));
    }
}

TEST(VideoEncoderTest, RefusesFramesOfAnotherSizeAndUnusableFormats) {
    VideoEncoder encoder;
    const VideoFrameFormat format{kWidth, kHeight, 24, 1200};
    EXPECT_EQ(encoder.Open({kWidth, kHeight, 16, 1200}, MakeCompressionOptions(Settings("FFV1"))),
              kResultFail);
    EXPECT_EQ(encoder.Open({kWidth, kHeight, 24, 0}, MakeCompressionOptions(Settings("FFV1"))),
              kResultFail);
    EXPECT_EQ(encoder.Open(format, MakeCompressionOptions(Settings("QQQQ"))), kResultFail);
    ASSERT_EQ(encoder.Open(format, MakeCompressionOptions(Settings("FFV1"))), kResultOk);
    EXPECT_EQ(encoder.ImageSize(), FrameImageSize(format));
    int samples = 0;
    const VideoEncoder::SampleSink count = [&](std::span<const uint8_t>, bool) {
        ++samples;
        return kResultOk;
    };
    const std::vector<uint8_t> frame(encoder.ImageSize(), 0x40);
    EXPECT_EQ(encoder.Encode(std::span(frame).first(frame.size() - 1), count), kResultFail);
    EXPECT_EQ(encoder.Encode(frame, count), kResultOk);
    EXPECT_EQ(encoder.Flush(count), kResultOk);
    EXPECT_EQ(samples, 1);
    // A sink's failure ends the encoding call with it.
    ASSERT_EQ(encoder.Open(format, MakeCompressionOptions(Settings("FFV1"))), kResultOk);
    EXPECT_EQ(
        encoder.Encode(frame, [](std::span<const uint8_t>, bool) { return kResultOutOfMemory; }),
        kResultOutOfMemory);
}

}  // namespace
}  // namespace convert
