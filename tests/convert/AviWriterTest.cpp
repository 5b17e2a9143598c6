// The AVI run's writer: stream headers and formats, one frame and its sound at a time,
// splitting into numbered parts, and what failures and cancelling leave on disk.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <span>

#include "AviWriterTestSupport.h"
#include "audio/WavFile.h"
#include "convert/AviWriter.h"
#include "convert/SoundQueue.h"
#include "convert/WavSoundInput.h"
#include "resources/StringTable.h"

namespace convert {
namespace {

using avitest::Id;

constexpr int32_t kFps12 = 1200;
constexpr uint32_t kChunkAt12Fps = 14700;  // 3675 samples of 44.1 kHz 16-bit stereo

std::vector<uint8_t> Sound(size_t bytes) {
    std::vector<uint8_t> sound(bytes);
    for (size_t i = 0; i < bytes; ++i) sound[i] = static_cast<uint8_t>(i * 13 + i / 512);
    return sound;
}

// A WAV file of 44.1 kHz 16-bit stereo holding `sound`, opened for reading.
class WaveSource {
  public:
    WaveSource(const std::filesystem::path& path, const std::vector<uint8_t>& sound) {
        audio::WavFile writer;
        const audio::WaveFormat format;
        EXPECT_EQ(writer.Open(path.string(), audio::WavFile::WriteMode, &format), kResultOk);
        EXPECT_EQ(writer.Write(sound.data(), static_cast<uint32_t>(sound.size())), kResultOk);
        EXPECT_EQ(writer.Close(), kResultOk);
        EXPECT_EQ(file_.Open(path.string()), kResultOk);
    }
    SoundInput* Whole() { return &file_; }

  private:
    WavSoundInput file_;
};

AviOutput Output(const std::filesystem::path& path, int width, int height, int fps100,
                 int depth = 24, int splitMB = 2000) {
    AviOutput output;
    output.path = path;
    output.width = width;
    output.height = height;
    output.colorDepth = depth;
    output.frameRate100 = fps100;
    output.splitSizeMB = splitMB;
    return output;
}

// Paints and writes frames `first` .. `first + count - 1`, adding each picture to `pixels`.
AviResult WriteFrames(AviWriter& writer, FrameBuffer& frame, int first, int count,
                      std::vector<uint8_t>* pixels = nullptr) {
    for (int number = first; number < first + count; ++number) {
        avitest::PaintFrame(frame, number);
        const AviResult result = writer.WriteFrame(frame);
        if (!result.ok()) return result;
        if (pixels) {
            const std::vector<uint8_t> picture = avitest::TopDownPixels(frame);
            pixels->insert(pixels->end(), picture.begin(), picture.end());
        }
    }
    return {};
}

// Writes a 16 x 16 clip of `frames` painted frames with `source`'s sound.
// `beforeFrame` (if any) runs before each frame is written, with its number.
void WriteClipWithSound(const std::filesystem::path& path, int fps100, SoundInput* source,
                        int frames, const std::function<void(int)>& beforeFrame = {}) {
    FrameBuffer frame;
    ASSERT_TRUE(frame.Create(16, 16, 24));
    AviWriter writer;
    ASSERT_TRUE(writer.Open(Output(path, 16, 16, fps100), DefaultCompressorSettings(), source).ok());
    for (int number = 0; number < frames; ++number) {
        if (beforeFrame) beforeFrame(number);
        ASSERT_TRUE(WriteFrames(writer, frame, number, 1).ok());
    }
    ASSERT_TRUE(writer.Close().ok());
}

void ExpectPictures(const std::filesystem::path& path, FrameBuffer& frame, int first, int count) {
    std::vector<uint8_t> expected;
    for (int number = first; number < first + count; ++number) {
        avitest::PaintFrame(frame, number);
        const std::vector<uint8_t> picture = avitest::TopDownPixels(frame);
        expected.insert(expected.end(), picture.begin(), picture.end());
    }
    EXPECT_EQ(avitest::DecodeFrames(path, frame.header().bitCount == 32 ? "bgra" : "bgr24"),
              expected)
        << path;
}

struct DepthCase {
    int depth;
    uint32_t imageSize;  // 33 pixels a row, padded to 4 bytes, times 17 rows
};

class AviWriterDepth : public testing::TestWithParam<DepthCase> {};

TEST_P(AviWriterDepth, UncompressedFramesReadBackExactlyAtTheirFrameRate) {
    const DepthCase param = GetParam();
    avitest::ScratchFolder folder;
    const auto path = folder / "clip.avi";
    FrameBuffer frame;
    ASSERT_TRUE(frame.Create(33, 17, static_cast<uint16_t>(param.depth)));
    AviWriter writer;
    ASSERT_TRUE(
        writer.Open(Output(path, 33, 17, 2997, param.depth), DefaultCompressorSettings(), nullptr)
            .ok());
    ASSERT_TRUE(WriteFrames(writer, frame, 0, 3).ok());
    ASSERT_TRUE(writer.Close().ok());

    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    ASSERT_EQ(layout.error, "");
    ASSERT_EQ(layout.streams.size(), 1u);
    EXPECT_EQ(layout.strhField(0, 0), Id("vids"));
    EXPECT_EQ(layout.strhField(0, 1), 0u) << "handler";
    EXPECT_EQ(layout.strhField(0, 5), 100u) << "scale";
    EXPECT_EQ(layout.strhField(0, 6), 2997u) << "rate";
    EXPECT_EQ(layout.strhField(0, 8), 3u) << "length";
    EXPECT_EQ(layout.strhField(0, 9), param.imageSize) << "suggested buffer size";
    EXPECT_EQ(layout.strhField(0, 12), 0u) << "frame left, top";
    EXPECT_EQ(layout.strhField(0, 13), 33u | 17u << 16) << "frame right, bottom";
    const std::vector<uint8_t>& strf = layout.streams[0].strf;
    ASSERT_EQ(strf.size(), 40u);
    const auto field = [&](size_t at) {
        return strf[at] | strf[at + 1] << 8 | strf[at + 2] << 16 | strf[at + 3] << 24;
    };
    EXPECT_EQ(field(0), 40);
    EXPECT_EQ(field(4), 33);
    EXPECT_EQ(field(8), 17) << "positive height: bottom-up rows";
    EXPECT_EQ(field(12), 1 | param.depth << 16) << "planes, bits per pixel";
    EXPECT_EQ(field(16), 0) << "uncompressed";
    EXPECT_EQ(field(20), static_cast<int>(param.imageSize));
    for (const avitest::AviChunk& chunk : layout.chunks) {
        EXPECT_EQ(chunk.id, Id("00db"));
        EXPECT_EQ(chunk.size, param.imageSize);
        EXPECT_TRUE(chunk.keyFrame && chunk.legacyKeyFrame);
    }

    const avitest::Probe probe = avitest::ProbeFile(path);
    ASSERT_TRUE(probe.ok);
    const auto video = avitest::StreamOfType(probe, "video");
    ASSERT_TRUE(video);
    EXPECT_EQ(video->at("codec_name"), "rawvideo");
    EXPECT_EQ(video->at("width"), "33");
    EXPECT_EQ(video->at("height"), "17");
    EXPECT_EQ(video->at("nb_read_frames"), "3");
    EXPECT_EQ(video->at("r_frame_rate"), "2997/100");
    EXPECT_EQ(video->at("avg_frame_rate"), "2997/100");
    EXPECT_FALSE(avitest::StreamOfType(probe, "audio"));
    ExpectPictures(path, frame, 0, 3);
    EXPECT_FALSE(std::filesystem::exists(AviWriter::PartName(path, 0))) << "no split, no number";
}

INSTANTIATE_TEST_SUITE_P(Depths, AviWriterDepth,
                         testing::Values(DepthCase{24, 100 * 17}, DepthCase{32, 132 * 17}));

TEST(AviWriter, AudioAtTwelveFramesPerSecondComesInFrameSizedChunks) {
    avitest::ScratchFolder folder;
    const std::vector<uint8_t> sound = Sound(10 * kChunkAt12Fps);
    WaveSource wave(folder / "sound.wav", sound);
    const auto path = folder / "clip.avi";
    ASSERT_NO_FATAL_FAILURE(WriteClipWithSound(path, kFps12, wave.Whole(), 4));

    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    ASSERT_EQ(layout.error, "");
    ASSERT_EQ(layout.streams.size(), 2u);
    EXPECT_EQ(layout.strhField(0, 6), 1200u);
    EXPECT_EQ(layout.strhField(0, 5), 100u);
    EXPECT_EQ(layout.strhField(1, 0), Id("auds"));
    EXPECT_EQ(layout.strhField(1, 4), 9u) << "initial frames: 0.75 s of 12 fps";
    EXPECT_EQ(layout.strhField(1, 5), 4u) << "scale: block align";
    EXPECT_EQ(layout.strhField(1, 6), 176400u) << "rate: bytes per second";
    EXPECT_EQ(layout.strhField(1, 10), 10000u) << "quality";
    EXPECT_EQ(layout.strhField(1, 11), 4u) << "sample size";
    // The header counts the samples the file holds, not the rest of the sound.
    EXPECT_EQ(layout.strhField(1, 8), 4u * 3675);
    ASSERT_EQ(layout.streams[1].strf.size(), 18u);
    // Each frame is followed by its sound.
    ASSERT_EQ(layout.chunks.size(), 8u);
    for (size_t i = 0; i < layout.chunks.size(); ++i) {
        EXPECT_EQ(layout.chunks[i].id, i % 2 == 0 ? Id("00db") : Id("01wb"));
        if (i % 2 == 1) {
            EXPECT_EQ(layout.chunks[i].size, kChunkAt12Fps);
        }
    }

    const avitest::Probe probe = avitest::ProbeFile(path);
    const auto audio = avitest::StreamOfType(probe, "audio");
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->at("codec_name"), "pcm_s16le");
    EXPECT_EQ(audio->at("sample_rate"), "44100");
    EXPECT_EQ(audio->at("channels"), "2");
    EXPECT_EQ(audio->at("nb_frames"), "14700") << "samples";
    EXPECT_EQ(avitest::DecodeAudio(path, "s16le"),
              std::vector<uint8_t>(sound.begin(), sound.begin() + 4 * kChunkAt12Fps));
}

TEST(AviWriter, AudioAtNtscRateComesInWholeSamplesRoundedUp) {
    avitest::ScratchFolder folder;
    const std::vector<uint8_t> sound = Sound(100000);
    WaveSource wave(folder / "sound.wav", sound);
    const auto path = folder / "clip.avi";
    ASSERT_NO_FATAL_FAILURE(WriteClipWithSound(path, 2997, wave.Whole(), 3));

    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    ASSERT_EQ(layout.error, "");
    EXPECT_EQ(layout.strhField(1, 4), 22u) << "initial frames: 2997 x 3 / 400, rounded";
    const auto sounds = layout.ChunksWithId(Id("01wb"));
    ASSERT_EQ(sounds.size(), 3u);
    for (const avitest::AviChunk& chunk : sounds) EXPECT_EQ(chunk.size, 5888u);
    EXPECT_EQ(avitest::DecodeAudio(path, "s16le"),
              std::vector<uint8_t>(sound.begin(), sound.begin() + 3 * 5888));
}

TEST(AviWriter, SoundEndsWithTheFile) {
    avitest::ScratchFolder folder;
    // Two and a half frames' worth, and a torn sample that is left out.
    const std::vector<uint8_t> sound = Sound(5 * kChunkAt12Fps / 2 + 3);
    WaveSource wave(folder / "sound.wav", sound);
    const auto path = folder / "clip.avi";
    ASSERT_NO_FATAL_FAILURE(WriteClipWithSound(path, kFps12, wave.Whole(), 5));
    const size_t whole = sound.size() - sound.size() % 4;
    EXPECT_EQ(avitest::DecodeAudio(path, "s16le"),
              std::vector<uint8_t>(sound.begin(), sound.begin() + static_cast<ptrdiff_t>(whole)));
    EXPECT_EQ(avitest::ReadAviLayout(path).ChunksWithId(Id("00db")).size(), 5u);
}

// The movie's sound arrives a frame at a time, a little more or less than a frame's chunk:
// each frame takes what has come, up to its chunk, and what is over waits for the next.
TEST(AviWriter, AGrowingSoundIsWrittenAsItComesAtMostAChunkAFrame) {
    avitest::ScratchFolder folder;
    const std::vector<uint8_t> sound = Sound(7 * kChunkAt12Fps);
    SoundQueue queue(audio::WaveFormat{});
    const size_t arriving[] = {kChunkAt12Fps - 400, kChunkAt12Fps + 800, kChunkAt12Fps,
                               0, 2 * kChunkAt12Fps, kChunkAt12Fps};
    size_t given = 0;
    const auto path = folder / "clip.avi";
    ASSERT_NO_FATAL_FAILURE(WriteClipWithSound(path, kFps12, &queue, 6, [&](int number) {
        queue.Append(std::span(sound).subspan(given, arriving[number]));
        given += arriving[number];
    }));
    const auto chunks = avitest::ReadAviLayout(path).ChunksWithId(Id("01wb"));
    std::vector<uint32_t> sizes;
    for (const avitest::AviChunk& chunk : chunks) sizes.push_back(chunk.size);
    EXPECT_EQ(sizes, (std::vector<uint32_t>{kChunkAt12Fps - 400, kChunkAt12Fps, kChunkAt12Fps,
                                            800, kChunkAt12Fps, kChunkAt12Fps}));
    // What did not fit into the frames' chunks is left out with the video's end.
    EXPECT_EQ(avitest::DecodeAudio(path, "s16le"),
              std::vector<uint8_t>(sound.begin(), sound.begin() + 5 * kChunkAt12Fps + 400));
}

TEST(AviWriter, AFormatWithExtraBytesKeepsThemInTheStreamFormat) {
    avitest::ScratchFolder folder;
    audio::WaveFormat adpcm;
    adpcm.formatTag = 2;
    adpcm.channels = 1;
    adpcm.samplesPerSec = 8000;
    adpcm.avgBytesPerSec = 4096;
    adpcm.blockAlign = 256;
    adpcm.bitsPerSample = 4;
    adpcm.extraSize = 4;
    const std::vector<uint8_t> extra = {0xF4, 0x01, 0x00, 0x00};
    const std::string wavePath = (folder / "adpcm.wav").string();
    {
        audio::WavFile writer;
        ASSERT_EQ(writer.Open(wavePath, audio::WavFile::WriteMode, &adpcm, extra), kResultOk);
        const std::vector<uint8_t> blocks(4096, 0);
        ASSERT_EQ(writer.Write(blocks.data(), static_cast<uint32_t>(blocks.size())), kResultOk);
        ASSERT_EQ(writer.Close(), kResultOk);
    }
    WavSoundInput wave;
    ASSERT_EQ(wave.Open(wavePath), kResultOk);
    const auto path = folder / "clip.avi";
    ASSERT_NO_FATAL_FAILURE(WriteClipWithSound(path, kFps12, &wave, 2));

    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    ASSERT_EQ(layout.error, "");
    const std::vector<uint8_t>& strf = layout.streams.at(1).strf;
    ASSERT_EQ(strf.size(), 22u);
    EXPECT_EQ(strf[16], 4) << "extra-bytes count";
    EXPECT_EQ(std::vector<uint8_t>(strf.begin() + 18, strf.end()), extra);
    EXPECT_EQ(layout.strhField(1, 5), 256u) << "scale: block align";
    // A frame's chunk would be 667 blocks; the 16 blocks there are go with the first frame.
    const std::vector<avitest::AviChunk> sound = layout.ChunksWithId(Id("01wb"));
    ASSERT_EQ(sound.size(), 1u);
    EXPECT_EQ(sound[0].size, 4096u);
    EXPECT_EQ(layout.strhField(1, 8), 16u) << "length in blocks";
}

// 320 x 240 uncompressed frames of 230,400 bytes with a 1 MB split: the fifth frame takes
// a file past 1,048,576 bytes.
TEST(AviWriter, SplitsIntoNumberedPartsAndLaterPartsLoseUsedUpSound) {
    avitest::ScratchFolder folder;
    const std::vector<uint8_t> sound = Sound(13 * kChunkAt12Fps / 2 + 2);  // six and a half frames
    WaveSource wave(folder / "sound.wav", sound);
    const auto path = folder / "clip.avi";
    FrameBuffer frame;
    ASSERT_TRUE(frame.Create(320, 240, 24));
    AviWriter writer;
    ASSERT_TRUE(
        writer.Open(Output(path, 320, 240, kFps12, 24, 1), DefaultCompressorSettings(), wave.Whole())
            .ok());
    ASSERT_TRUE(WriteFrames(writer, frame, 0, 12).ok());
    ASSERT_TRUE(writer.Close().ok());
    EXPECT_EQ(writer.partCounter(), 3);

    EXPECT_FALSE(std::filesystem::exists(path));
    const int framesInPart[] = {5, 5, 2};
    const size_t soundChunksInPart[] = {5, 2, 0};
    int first = 0;
    for (int part = 0; part < 3; ++part) {
        const auto name = AviWriter::PartName(path, part);
        const avitest::AviLayout layout = avitest::ReadAviLayout(name);
        ASSERT_EQ(layout.error, "") << name;
        EXPECT_EQ(layout.ChunksWithId(Id("00db")).size(), static_cast<size_t>(framesInPart[part]))
            << name;
        EXPECT_EQ(layout.ChunksWithId(Id("01wb")).size(), soundChunksInPart[part]) << name;
        EXPECT_EQ(layout.streams.size(), part < 2 ? 2u : 1u) << "no sound left for part 2";
        const avitest::Probe probe = avitest::ProbeFile(name);
        ASSERT_TRUE(probe.ok);
        EXPECT_EQ(avitest::StreamOfType(probe, "video")->at("nb_read_frames"),
                  std::to_string(framesInPart[part]));
        ExpectPictures(name, frame, first, framesInPart[part]);
        first += framesInPart[part];
    }
    EXPECT_FALSE(std::filesystem::exists(AviWriter::PartName(path, 3)));
    std::vector<uint8_t> decoded = avitest::DecodeAudio(AviWriter::PartName(path, 0), "s16le");
    const std::vector<uint8_t> rest = avitest::DecodeAudio(AviWriter::PartName(path, 1), "s16le");
    decoded.insert(decoded.end(), rest.begin(), rest.end());
    EXPECT_EQ(decoded, sound);
}

TEST(AviWriter, DeleteOutputRemovesEveryPartWritten) {
    avitest::ScratchFolder folder;
    const auto path = folder / "clip.avi";
    const auto neighbour = folder / "clip0003.avi";
    std::ofstream(neighbour) << "not written by the run";
    FrameBuffer frame;
    ASSERT_TRUE(frame.Create(320, 240, 24));
    AviWriter writer;
    ASSERT_TRUE(
        writer.Open(Output(path, 320, 240, kFps12, 24, 1), DefaultCompressorSettings(), nullptr)
            .ok());
    ASSERT_TRUE(WriteFrames(writer, frame, 0, 11).ok());
    for (int part = 0; part < 3; ++part)
        EXPECT_TRUE(std::filesystem::exists(AviWriter::PartName(path, part)));
    writer.DeleteOutput();
    for (int part = 0; part < 3; ++part)
        EXPECT_FALSE(std::filesystem::exists(AviWriter::PartName(path, part)));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::exists(neighbour));

    // Before any split the output path is the only file.
    ASSERT_TRUE(
        writer.Open(Output(path, 320, 240, kFps12, 24, 1), DefaultCompressorSettings(), nullptr)
            .ok());
    ASSERT_TRUE(WriteFrames(writer, frame, 0, 2).ok());
    writer.DeleteOutput();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(AviWriter, PartNamesReplaceOnlyTheFileNamesExtension) {
    EXPECT_EQ(AviWriter::PartName("/videos/clip.avi", 0), "/videos/clip0000.avi");
    EXPECT_EQ(AviWriter::PartName("/videos/clip.avi", 12), "/videos/clip0012.avi");
    EXPECT_EQ(AviWriter::PartName("/videos/clip.final.AVI", 1), "/videos/clip.final0001.avi");
    EXPECT_EQ(AviWriter::PartName("/my.videos/clip", 2), "/my.videos/clip0002.avi");
    EXPECT_EQ(AviWriter::PartName("clip", 3), "clip0003.avi");
}

TEST(AviWriter, OpenFailuresNameTheStepThatFailed) {
    avitest::ScratchFolder folder;
    const auto path = folder / "clip.avi";
    AviWriter writer;

    AviResult result = writer.Open(Output(folder / "missing" / "clip.avi", 16, 16, kFps12),
                                   DefaultCompressorSettings(), nullptr);
    EXPECT_EQ(result.code, kResultFail);
    EXPECT_EQ(result.messageId, resources::kStrFailedToOpenAviFile);

    CompressorSettings unknown = DefaultCompressorSettings();
    unknown.fccHandler = MakeFourCC('Q', 'Q', 'Q', 'Q');
    result = writer.Open(Output(path, 16, 16, kFps12), unknown, nullptr);
    EXPECT_EQ(result.messageId, resources::kStrFailedToCreateCompressedStream);
    EXPECT_FALSE(std::filesystem::exists(path)) << "no file without its streams";

    result = writer.Open(Output(path, 16, 16, 0), DefaultCompressorSettings(), nullptr);
    EXPECT_EQ(result.messageId, resources::kStrFailedToCreateAviStream);
    result = writer.Open(Output(path, 16, 16, kFps12, 16), DefaultCompressorSettings(), nullptr);
    EXPECT_EQ(result.messageId, resources::kStrFailedToSetStreamFormat);
    result = writer.Open(Output(path, 0, 16, kFps12), DefaultCompressorSettings(), nullptr);
    EXPECT_EQ(result.messageId, resources::kStrFailedToSetStreamFormat);
    EXPECT_FALSE(writer.WriteFrame(FrameBuffer{}).ok());
}

TEST(AviWriter, OpenReplacesAnExistingFileAndRefusesFramesOfAnotherSize) {
    avitest::ScratchFolder folder;
    const auto path = folder / "clip.avi";
    std::ofstream(path) << "an older file";
    AviWriter writer;
    ASSERT_TRUE(
        writer.Open(Output(path, 16, 16, kFps12), DefaultCompressorSettings(), nullptr).ok());
    FrameBuffer other;
    ASSERT_TRUE(other.Create(16, 8, 24));
    const AviResult result = writer.WriteFrame(other);
    EXPECT_EQ(result.code, kResultFail);
    EXPECT_EQ(result.messageId, resources::kStrFailedToWriteStream);
    ASSERT_TRUE(writer.Close().ok());
    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    EXPECT_EQ(layout.error, "");
    EXPECT_TRUE(layout.chunks.empty());
}

TEST(AviWriter, FullDiskFailsTheFrameAndKeepsEarlierParts) {
    avitest::ScratchFolder folder;
    const auto path = folder / "clip.avi";
    FrameBuffer frame;
    ASSERT_TRUE(frame.Create(320, 240, 24));
    AviWriter writer;
    ASSERT_TRUE(
        writer.Open(Output(path, 320, 240, kFps12, 24, 1), DefaultCompressorSettings(), nullptr)
            .ok());
    ASSERT_TRUE(WriteFrames(writer, frame, 0, 5).ok());  // the fifth frame starts part 1
    AviResult failed;
    AviResult closed;
    {
        avitest::FileSizeLimit full(300000);  // room for one more frame
        failed = WriteFrames(writer, frame, 5, 3);
        closed = writer.Close();
    }
    EXPECT_EQ(failed.code, kResultFail);
    EXPECT_EQ(failed.messageId, resources::kStrFailedToWriteStream);
    EXPECT_EQ(closed.messageId, resources::kStrFailedToWriteStream) << "the open part lost a frame";

    const auto part0 = AviWriter::PartName(path, 0);
    ASSERT_EQ(avitest::ReadAviLayout(part0).error, "");
    ExpectPictures(part0, frame, 0, 5);
    const auto part1 = AviWriter::PartName(path, 1);
    const avitest::AviLayout layout = avitest::ReadAviLayout(part1);
    ASSERT_EQ(layout.error, "");
    EXPECT_EQ(layout.chunks.size(), 1u);
    ExpectPictures(part1, frame, 5, 1);
}

TEST(AviWriter, IndexesThatDoNotFitFailTheClose) {
    avitest::ScratchFolder folder;
    FrameBuffer frame;
    ASSERT_TRUE(frame.Create(64, 64, 24));
    const auto probePath = folder / "probe.avi";
    AviWriter writer;
    ASSERT_TRUE(
        writer.Open(Output(probePath, 64, 64, kFps12), DefaultCompressorSettings(), nullptr).ok());
    ASSERT_TRUE(WriteFrames(writer, frame, 0, 3).ok());
    ASSERT_TRUE(writer.Close().ok());
    const avitest::AviChunk last = avitest::ReadAviLayout(probePath).chunks.back();

    const auto path = folder / "clip.avi";
    ASSERT_TRUE(
        writer.Open(Output(path, 64, 64, kFps12), DefaultCompressorSettings(), nullptr).ok());
    AviResult written;
    AviResult closed;
    {
        avitest::FileSizeLimit full(last.dataOffset + last.size + 4);
        written = WriteFrames(writer, frame, 0, 3);
        closed = writer.Close();
    }
    EXPECT_TRUE(written.ok());
    EXPECT_EQ(closed.code, kResultFail);
    EXPECT_EQ(closed.messageId, resources::kStrFailedToWriteStream);
    EXPECT_EQ(avitest::ReadAviLayout(path).error, "");
    ExpectPictures(path, frame, 0, 3);
}

}  // namespace
}  // namespace convert
