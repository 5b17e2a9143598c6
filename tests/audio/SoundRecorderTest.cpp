#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "audio/EngineMixSource.h"
#include "audio/SoundRecorder.h"
#include "audio/TestFiles.h"
#include "audio/WavFile.h"
#include "resources/ResultCode.h"

namespace {

using audio::SoundRecorder;

audio::WaveFormat Pcm(uint16_t channels, uint16_t bits, uint32_t rate = 44100) {
    audio::WaveFormat format;
    format.channels = channels;
    format.bitsPerSample = bits;
    format.samplesPerSec = rate;
    return audio::NormalizePcm(format);
}

class SoundRecording : public testing::Test {
  protected:
    SoundRecording() { mix_.SetFrameRate(12); }

    // Mixes frames until the recorder has counted `bytes`, or gives up.
    bool RecordUntil(uint64_t bytes, int maxFrames = 1000) {
        // Each mixed frame returns once the buffers it filled have been appended.
        for (int frame = 0; frame < maxFrames && recorder_.BytesRecorded() < bytes; ++frame)
            mix_.MixFrame();
        return recorder_.BytesRecorded() == bytes;
    }

    uint32_t DataSizeOf(const std::string& path) {
        audio::WavFile file;
        EXPECT_GE(file.Open(path, audio::WavFile::ReadMode), 0);
        return file.DataSize();
    }

    testfiles::ScratchDir scratch_;
    const std::string path_ = scratch_.File("recording.wav");
    audio::EngineMixSource mix_;
    SoundRecorder recorder_{mix_};
};

TEST_F(SoundRecording, BuffersHoldWholeSampleBlocks) {
    const audio::WaveFormat threeChannels = Pcm(3, 16);
    ASSERT_EQ(recorder_.Open(path_, &threeChannels), kResultOk);
    EXPECT_EQ(recorder_.BufferLength(), 63996u);
    ASSERT_EQ(recorder_.Close(), kResultOk);

    const audio::WaveFormat stereo = Pcm(2, 16);
    ASSERT_EQ(recorder_.Open(path_, &stereo), kResultOk);
    EXPECT_EQ(recorder_.BufferLength(), 64000u);
}

TEST_F(SoundRecording, ALimitOffTheBlockGridStillGivesExactlyThatLength) {
    const audio::WaveFormat stereo = Pcm(2, 16);
    std::atomic<int> reached{0};
    ASSERT_EQ(recorder_.Open(path_, &stereo), kResultOk);
    ASSERT_EQ(recorder_.StartCapture(100001, [&] { ++reached; }), kResultOk);
    EXPECT_TRUE(RecordUntil(100001));
    // Sound past the limit is neither counted nor written, and the mix does not wait for it.
    for (int frame = 0; frame < 50; ++frame) mix_.MixFrame();
    EXPECT_EQ(recorder_.BytesRecorded(), 100001u);
    ASSERT_EQ(recorder_.StopCapture(), kResultOk);
    ASSERT_EQ(recorder_.Close(), kResultOk);
    EXPECT_EQ(reached, 1);
    EXPECT_EQ(DataSizeOf(path_), 100001u);
}

TEST_F(SoundRecording, StoppingAppendsWhatTheQueuedBuffersHold) {
    const audio::WaveFormat stereo = Pcm(2, 16);
    ASSERT_EQ(recorder_.Open(path_, &stereo), kResultOk);
    ASSERT_EQ(recorder_.StartCapture(1000000), kResultOk);
    mix_.MixFrame();
    EXPECT_EQ(recorder_.BytesRecorded(), 0u);  // the first buffer is not full yet
    ASSERT_EQ(recorder_.StopCapture(), kResultOk);
    EXPECT_EQ(recorder_.BytesRecorded(), 14700u);
    // Nothing is queued any more: sound mixed now goes nowhere.
    mix_.MixFrame();
    EXPECT_EQ(recorder_.BytesRecorded(), 14700u);
    ASSERT_EQ(recorder_.Close(), kResultOk);
    EXPECT_EQ(DataSizeOf(path_), 14700u);
}

TEST_F(SoundRecording, TheMixAddsUpToTheFramesAtAFractionalRate) {
    mix_.SetFrameRate(29.96875);
    const audio::WaveFormat stereo = Pcm(2, 16);
    ASSERT_EQ(recorder_.Open(path_, &stereo), kResultOk);
    ASSERT_EQ(recorder_.StartCapture(10000000), kResultOk);
    for (int frame = 0; frame < 100; ++frame) mix_.MixFrame();
    ASSERT_EQ(recorder_.StopCapture(), kResultOk);
    // 100 frames of 1/29.96875 s: 147153 whole samples.
    EXPECT_EQ(recorder_.BytesRecorded(), 147153u * 4);
    ASSERT_EQ(recorder_.Close(), kResultOk);
    EXPECT_EQ(DataSizeOf(path_), 147153u * 4);
}

TEST_F(SoundRecording, NoLimitRecordsUntilTheFreeSpaceIsUsedUp) {
    recorder_.SetFreeSpaceQuery([](const std::filesystem::path&) { return uint64_t{200000}; });
    const audio::WaveFormat stereo = Pcm(2, 16);
    ASSERT_EQ(recorder_.Open(path_, &stereo), kResultOk);
    ASSERT_EQ(recorder_.StartCapture(0), kResultOk);
    EXPECT_TRUE(RecordUntil(200000));
    ASSERT_EQ(recorder_.Close(), kResultOk);
    EXPECT_EQ(DataSizeOf(path_), 200000u);
}

TEST_F(SoundRecording, TheLimitMustBeBelowTheFreeSpace) {
    uint64_t free = 300000;
    recorder_.SetFreeSpaceQuery([&](const std::filesystem::path&) { return free; });
    const audio::WaveFormat stereo = Pcm(2, 16);
    ASSERT_EQ(recorder_.Open(path_, &stereo), kResultOk);
    EXPECT_EQ(recorder_.StartCapture(300000), kResultFail);
    EXPECT_EQ(recorder_.StartCapture(299999), kResultOk);
    EXPECT_EQ(recorder_.StartCapture(5), kResultOk);  // already recording: nothing changes
    ASSERT_EQ(recorder_.StopCapture(), kResultOk);

    free = SoundRecorder::kMinFreeSpace - 1;
    EXPECT_EQ(recorder_.AvailableSpace(), 0u);
    EXPECT_EQ(recorder_.StartCapture(10), kResultFail);
    free = SoundRecorder::kMinFreeSpace;
    EXPECT_EQ(recorder_.AvailableSpace(), SoundRecorder::kMinFreeSpace);
}

TEST_F(SoundRecording, AnInconsistentPcmFormatIsCorrectedBeforeTheFileIsWritten) {
    audio::WaveFormat wrong = Pcm(2, 16);
    wrong.blockAlign = 3;
    wrong.avgBytesPerSec = 1234;
    wrong.extraSize = 7;
    ASSERT_EQ(recorder_.Open(path_, &wrong), kResultOk);
    ASSERT_EQ(recorder_.Close(), kResultOk);
    audio::WavFile file;
    ASSERT_EQ(file.Open(path_, audio::WavFile::ReadMode), kResultOk);
    ASSERT_NE(file.Format(), nullptr);
    EXPECT_EQ(*file.Format(), Pcm(2, 16));
}

TEST_F(SoundRecording, RefusesMissingArgumentsAndASecondOpen) {
    const audio::WaveFormat stereo = Pcm(2, 16);
    EXPECT_EQ(recorder_.Open("", &stereo), audio::kResultInvalidArgument);
    EXPECT_EQ(recorder_.Open(path_, nullptr), audio::kResultInvalidArgument);
    ASSERT_EQ(recorder_.Open(path_, &stereo), kResultOk);
    EXPECT_EQ(recorder_.Open(path_, &stereo), kResultFail);
    EXPECT_EQ(recorder_.Close(), kResultOk);
    EXPECT_EQ(recorder_.Close(), kResultOk);
}

TEST_F(SoundRecording, AFileThatCannotBeCreatedLeavesTheSourceClosed) {
    const audio::WaveFormat stereo = Pcm(2, 16);
    EXPECT_LT(recorder_.Open(scratch_.File("missing/recording.wav"), &stereo), 0);
    // The source is free again for the next recorder.
    SoundRecorder next(mix_);
    EXPECT_EQ(next.Open(path_, &stereo), kResultOk);
}

}  // namespace
