// The byte layout of AVI files: headers, RIFF extension chunks, the three kinds of index,
// and what a failed write leaves behind.

#include <gtest/gtest.h>

#include "AviWriterTestSupport.h"
#include "convert/AviFile.h"
#include "resources/ResultCode.h"

namespace convert {
namespace {

using avitest::Id;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr size_t kFrameBytes = kWidth * 3 * kHeight;

std::vector<uint8_t> BitmapHeader() {
    std::vector<uint8_t> header(40, 0);
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    put32(0, 40);
    put32(4, kWidth);
    put32(8, kHeight);
    header[12] = 1;
    header[14] = 24;
    put32(20, kFrameBytes);
    return header;
}

std::vector<uint8_t> FramePixels(int number) {
    std::vector<uint8_t> pixels(kFrameBytes);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 7 + number * 31);
    return pixels;
}

// A stream of uncompressed frames at 25 fps and, when `withAudio`, 8 kHz 8-bit mono sound.
void AddStreams(AviFile& file, bool withAudio) {
    AviStreamHeader video;
    video.type = kStreamTypeVideo;
    video.scale = 100;
    video.rate = 2500;
    video.frameRight = kWidth;
    video.frameBottom = kHeight;
    ASSERT_EQ(file.CreateStream(video), 0);
    ASSERT_EQ(file.SetStreamFormat(0, BitmapHeader()), kResultOk);
    if (!withAudio) return;
    AviStreamHeader audio;
    audio.type = kStreamTypeAudio;
    audio.scale = 1;
    audio.rate = 8000;
    audio.sampleSize = 1;
    ASSERT_EQ(file.CreateStream(audio), 1);
    const std::vector<uint8_t> wave = {1,    0, 1, 0, 0x40, 0x1F, 0, 0, 0x40,
                                       0x1F, 0, 0, 1, 0,    8,    0, 0, 0};
    ASSERT_EQ(file.SetStreamFormat(1, wave), kResultOk);
}

// Writes `frames` frames, each followed by an odd-sized piece of sound when `withAudio`.
bool WriteFrames(AviFile& file, int frames, bool withAudio) {
    for (int i = 0; i < frames; ++i) {
        if (Failed(file.WriteChunk(0, FramePixels(i), true))) return false;
        const std::vector<uint8_t> sound(321, static_cast<uint8_t>(i));
        if (withAudio && Failed(file.WriteChunk(1, sound, true))) return false;
    }
    return true;
}

void ExpectEveryChunkIndexed(const avitest::AviLayout& layout) {
    for (const avitest::AviChunk& chunk : layout.chunks) {
        EXPECT_TRUE(chunk.indexed) << "chunk at " << chunk.dataOffset;
        EXPECT_TRUE(chunk.keyFrame);
        EXPECT_EQ(chunk.legacyIndexed, chunk.riff == 0);
    }
}

std::vector<uint8_t> AllFramePixelsTopDown(int frames) {
    std::vector<uint8_t> expected;
    for (int i = 0; i < frames; ++i) {
        const std::vector<uint8_t> pixels = FramePixels(i);
        for (int y = kHeight - 1; y >= 0; --y)
            expected.insert(expected.end(), pixels.begin() + y * kWidth * 3,
                            pixels.begin() + (y + 1) * kWidth * 3);
    }
    return expected;
}

TEST(AviFileLayout, OneRiffChunkWithEveryIndexAndFinalCounts) {
    avitest::ScratchFolder folder;
    const auto path = folder / "small.avi";
    AviFile file;
    ASSERT_EQ(file.Create(path), kResultOk);
    AddStreams(file, true);
    ASSERT_TRUE(WriteFrames(file, 3, true));
    ASSERT_EQ(file.Close(), kResultOk);

    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    ASSERT_EQ(layout.error, "");
    ASSERT_EQ(layout.riffForms, std::vector<uint32_t>{Id("AVI ")});
    EXPECT_EQ(layout.riffSizes[0], std::filesystem::file_size(path));
    EXPECT_TRUE(layout.hasLegacyIndex);
    EXPECT_EQ(layout.avihField(0), 40000u);  // microseconds per frame at 25 fps
    EXPECT_EQ(layout.avihField(3) & 0x10, 0x10u) << "AVIF_HASINDEX";
    EXPECT_EQ(layout.avihField(4), 3u);  // frames
    EXPECT_EQ(layout.avihField(6), 2u);  // streams
    EXPECT_EQ(layout.avihField(8), static_cast<uint32_t>(kWidth));
    EXPECT_EQ(layout.avihField(9), static_cast<uint32_t>(kHeight));
    EXPECT_EQ(layout.openDmlFrames, 3u);
    ASSERT_EQ(layout.streams.size(), 2u);
    EXPECT_EQ(layout.strhField(0, 8), 3u);           // video length in frames
    EXPECT_EQ(layout.strhField(1, 8), 963u);         // audio length in samples
    EXPECT_EQ(layout.strhField(0, 9), kFrameBytes);  // suggested buffer: the largest chunk
    EXPECT_EQ(layout.streams[0].superIndexEntries, 1u);
    EXPECT_EQ(layout.streams[0].superIndexDuration, 3u);
    EXPECT_EQ(layout.streams[1].superIndexDuration, 963u);
    EXPECT_EQ(layout.ChunksWithId(Id("00db")).size(), 3u);
    EXPECT_EQ(layout.ChunksWithId(Id("01wb")).size(), 3u);
    ExpectEveryChunkIndexed(layout);

    const avitest::Probe probe = avitest::ProbeFile(path);
    ASSERT_TRUE(probe.ok);
    const auto video = avitest::StreamOfType(probe, "video");
    ASSERT_TRUE(video);
    EXPECT_EQ(video->at("nb_read_frames"), "3");
    EXPECT_EQ(avitest::DecodeFrames(path, "bgr24"), AllFramePixelsTopDown(3));
    EXPECT_EQ(avitest::DecodeAudio(path, "u8").size(), 963u);
}

TEST(AviFileLayout, DataPastTheSegmentLimitGoesOnInExtensionChunks) {
    avitest::ScratchFolder folder;
    const auto path = folder / "long.avi";
    constexpr uint64_t kLimit = 40000;
    constexpr int kFrames = 20;
    AviFile file(kLimit);
    ASSERT_EQ(file.Create(path), kResultOk);
    AddStreams(file, true);
    ASSERT_TRUE(WriteFrames(file, kFrames, true));
    ASSERT_EQ(file.Close(), kResultOk);

    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    ASSERT_EQ(layout.error, "");
    ASSERT_GE(layout.riffForms.size(), 4u);
    EXPECT_EQ(layout.riffForms[0], Id("AVI "));
    for (size_t i = 1; i < layout.riffForms.size(); ++i) EXPECT_EQ(layout.riffForms[i], Id("AVIX"));
    // The first chunk also holds the headers, so only its data counts against the limit.
    for (size_t i = 1; i < layout.riffSizes.size(); ++i) EXPECT_LE(layout.riffSizes[i], kLimit);
    const size_t firstFrames = layout.ChunksWithId(Id("00db"), 0).size();
    EXPECT_GT(firstFrames, 0u);
    EXPECT_LT(firstFrames, static_cast<size_t>(kFrames));
    EXPECT_EQ(layout.avihField(4), firstFrames) << "AVI 1.0 readers see the first RIFF chunk";
    EXPECT_EQ(layout.openDmlFrames, static_cast<uint32_t>(kFrames));
    EXPECT_EQ(layout.strhField(0, 8), static_cast<uint32_t>(kFrames));
    EXPECT_EQ(layout.streams[0].superIndexEntries, layout.riffForms.size());
    EXPECT_EQ(layout.streams[0].superIndexDuration, static_cast<uint64_t>(kFrames));
    EXPECT_EQ(layout.streams[1].superIndexDuration, kFrames * 321u);
    ExpectEveryChunkIndexed(layout);

    const avitest::Probe probe = avitest::ProbeFile(path);
    ASSERT_TRUE(probe.ok);
    EXPECT_EQ(avitest::StreamOfType(probe, "video")->at("nb_read_frames"), std::to_string(kFrames));
    EXPECT_EQ(avitest::DecodeFrames(path, "bgr24"), AllFramePixelsTopDown(kFrames));
    EXPECT_EQ(avitest::DecodeAudio(path, "u8").size(), kFrames * 321u);
}

TEST(AviFileLayout, FileWithoutChunksStillHasItsHeaders) {
    avitest::ScratchFolder folder;
    const auto path = folder / "empty.avi";
    AviFile file;
    ASSERT_EQ(file.Create(path), kResultOk);
    AddStreams(file, false);
    ASSERT_EQ(file.Close(), kResultOk);
    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    ASSERT_EQ(layout.error, "");
    EXPECT_EQ(layout.streams.size(), 1u);
    EXPECT_TRUE(layout.chunks.empty());
    EXPECT_EQ(layout.strhField(0, 8), 0u);
}

TEST(AviFileLayout, StreamsAreSetBeforeTheFirstChunkOnly) {
    avitest::ScratchFolder folder;
    AviFile file;
    ASSERT_EQ(file.Create(folder / "streams.avi"), kResultOk);
    AviStreamHeader text;
    text.type = Id("txts");
    EXPECT_LT(file.CreateStream(text), 0);
    AddStreams(file, false);
    EXPECT_EQ(file.SetStreamFormat(0, std::vector<uint8_t>(12, 0)), kResultFail) << "too short";
    EXPECT_EQ(file.SetStreamFormat(3, BitmapHeader()), kResultFail);
    ASSERT_EQ(file.WriteChunk(0, FramePixels(0), true), kResultOk);
    AviStreamHeader late;
    late.type = kStreamTypeAudio;
    EXPECT_LT(file.CreateStream(late), 0);
    EXPECT_EQ(file.SetStreamFormat(0, BitmapHeader()), kResultFail);
    EXPECT_EQ(file.WriteChunk(1, FramePixels(0), true), kResultFail);
    EXPECT_EQ(file.Close(), kResultOk);
}

TEST(AviFileLayout, OnlyRegularFilesAreWritten) {
    avitest::ScratchFolder folder;
    AviFile file;
    EXPECT_EQ(file.Create(folder.path()), kResultFail);
    EXPECT_EQ(file.Create(folder / "missing" / "x.avi"), kResultFail);
    EXPECT_FALSE(file.IsOpen());
}

// Where the data of `frames` whole frames ends, learnt from a file written without limit.
uint64_t DataEndAfter(const std::filesystem::path& path, int frames) {
    AviFile file;
    EXPECT_EQ(file.Create(path), kResultOk);
    AddStreams(file, false);
    EXPECT_TRUE(WriteFrames(file, frames, false));
    EXPECT_EQ(file.Close(), kResultOk);
    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    const avitest::AviChunk& last = layout.chunks.at(frames - 1);
    return last.dataOffset + last.size;
}

struct FailedRun {
    int framesWritten = 0;
    int32_t closeResult = kResultOk;
};

// Writes up to `frames` frames while files cannot grow past `limit` bytes.
FailedRun WriteWithSizeLimit(const std::filesystem::path& path, uint64_t limit, int frames) {
    FailedRun run;
    AviFile file;
    EXPECT_EQ(file.Create(path), kResultOk);
    AddStreams(file, false);
    {
        avitest::FileSizeLimit full(limit);
        for (; run.framesWritten < frames; ++run.framesWritten)
            if (Failed(file.WriteChunk(0, FramePixels(run.framesWritten), true))) break;
        run.closeResult = file.Close();
    }
    return run;
}

TEST(AviFileLayout, WriteFailureLeavesAConsistentIndexedFile) {
    avitest::ScratchFolder folder;
    const uint64_t end = DataEndAfter(folder / "probe.avi", 4);
    // The fifth frame does not fit, but once its torn bytes are cut off the indexes do.
    const auto path = folder / "full.avi";
    const FailedRun run = WriteWithSizeLimit(path, end + kFrameBytes / 2, 8);
    EXPECT_EQ(run.framesWritten, 4);
    EXPECT_EQ(run.closeResult, kResultFail) << "a failed write is never reported as success";

    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    ASSERT_EQ(layout.error, "");
    EXPECT_TRUE(layout.hasLegacyIndex);
    EXPECT_EQ(layout.chunks.size(), 4u);
    ExpectEveryChunkIndexed(layout);
    EXPECT_EQ(layout.strhField(0, 8), 4u);
    EXPECT_EQ(avitest::DecodeFrames(path, "bgr24"), AllFramePixelsTopDown(4));
}

TEST(AviFileLayout, WriteFailureWithNoRoomForIndexesKeepsTheWholeChunks) {
    avitest::ScratchFolder folder;
    const uint64_t end = DataEndAfter(folder / "probe.avi", 4);
    const auto path = folder / "full.avi";
    // Not even the indexes of four frames fit after them.
    const FailedRun run = WriteWithSizeLimit(path, end + 10, 8);
    EXPECT_EQ(run.framesWritten, 4);
    EXPECT_EQ(run.closeResult, kResultFail);

    const avitest::AviLayout layout = avitest::ReadAviLayout(path);
    ASSERT_EQ(layout.error, "");
    EXPECT_EQ(std::filesystem::file_size(path), end);
    EXPECT_FALSE(layout.hasLegacyIndex);
    EXPECT_EQ(layout.avihField(3) & 0x10, 0u) << "no AVIF_HASINDEX without idx1";
    EXPECT_EQ(layout.chunks.size(), 4u);
    EXPECT_EQ(layout.strhField(0, 8), 4u);
    EXPECT_EQ(avitest::DecodeFrames(path, "bgr24"), AllFramePixelsTopDown(4));
}

TEST(AviFileLayout, WriteFailureInTheHeadersLeavesNoHalfHeader) {
    avitest::ScratchFolder folder;
    const auto path = folder / "full.avi";
    const FailedRun run = WriteWithSizeLimit(path, 100, 2);
    EXPECT_EQ(run.framesWritten, 0);
    EXPECT_EQ(run.closeResult, kResultFail);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

}  // namespace
}  // namespace convert
