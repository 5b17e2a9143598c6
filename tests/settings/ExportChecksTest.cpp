#include "settings/ExportChecks.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "audio/TestFiles.h"
#include "audio/WavFile.h"
#include "resources/StringTable.h"
#include "settings/NumberText.h"

namespace {

using namespace settings;

class ExportChecks : public testing::Test {
  protected:
    std::string WriteWav(const std::string& name) {
        const std::string path = scratch_.File(name);
        audio::WavFile wav;
        const audio::WaveFormat format = DefaultAudioFormat();
        EXPECT_EQ(wav.Open(path, audio::WavFile::WriteMode, &format), 0);
        const std::vector<uint8_t> sound(4410 * 4, 0x11);
        EXPECT_EQ(wav.Write(sound.data(), static_cast<uint32_t>(sound.size())), 0);
        EXPECT_EQ(wav.Close(), 0);
        return path;
    }
    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = scratch_.File(name);
        testfiles::WriteBytes(path, bytes);
        return path;
    }
    // Settings that fail every AVI check at once.
    AviExportSettings FailingEverything() {
        AviExportSettings avi;
        avi.SetAudioSource(AudioSource::WaveFile, scratch_.File("missing.wav"));
        avi.startFrame = 5;
        avi.endFrame = 4;
        avi.frameRate100 = 0;
        return avi;
    }

    testfiles::ScratchDir scratch_;
};

TEST_F(ExportChecks, AviChecksRunInOrderAndTheFirstFailureWins) {
    AviExportSettings avi = FailingEverything();
    EXPECT_EQ(CheckAviExport(avi, "", true), 131);
    // A refused compressor leaves the WAV path alone, even without a WAV source.
    EXPECT_EQ(CheckAviExport(avi, "", false), 131);
    EXPECT_EQ(avi.wavePath, scratch_.File("missing.wav"));

    EXPECT_EQ(CheckAviExport(avi, " Uncompressed", true), 130);
    avi.wavePath = WriteFile("text.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v'});
    EXPECT_EQ(CheckAviExport(avi, " Uncompressed", true), 125);
    avi.wavePath = WriteWav("sound.wav");
    EXPECT_EQ(CheckAviExport(avi, " Uncompressed", true), 135);
    avi.startFrame = 4;
    EXPECT_EQ(CheckAviExport(avi, " Uncompressed", true), 136);
    avi.frameRate100 = 1200;
    EXPECT_EQ(CheckAviExport(avi, " Uncompressed", true), 0);
    EXPECT_EQ(avi.wavePath, scratch_.File("sound.wav"));
}

TEST_F(ExportChecks, WithoutAWavSourceThePathIsEmptiedAndNotChecked) {
    AviExportSettings avi = FailingEverything();
    EXPECT_EQ(CheckAviExport(avi, " Uncompressed", false), 135);
    EXPECT_EQ(avi.wavePath, "");
}

TEST_F(ExportChecks, WavSourceWithAnEmptyPathIsAMissingFile) {
    AviExportSettings avi;
    avi.frameRate100 = 1200;
    EXPECT_EQ(CheckAviExport(avi, " Uncompressed", true), 130);
}

TEST_F(ExportChecks, WaveFileMustBeAReadableWavFile) {
    EXPECT_EQ(CheckWaveFile(WriteWav("good.wav")), 0);
    EXPECT_EQ(CheckWaveFile(scratch_.File("absent.wav")), 130);
    std::filesystem::create_directory(scratch_.File("folder.wav"));
    EXPECT_EQ(CheckWaveFile(scratch_.File("folder.wav")), 130);
    EXPECT_EQ(CheckWaveFile(WriteFile("empty.wav", {})), 125);
    // A RIFF file of another form.
    EXPECT_EQ(
        CheckWaveFile(WriteFile("clip.wav", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '})),
        125);
    // A WAV file cut inside its format chunk.
    std::vector<uint8_t> cut = testfiles::ReadBytes(WriteWav("whole.wav"));
    cut.resize(30);
    EXPECT_EQ(CheckWaveFile(WriteFile("cut.wav", cut)), 125);
}

TEST_F(ExportChecks, UnreadableWaveFileIsAMissingFile) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    const std::string path = WriteWav("locked.wav");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    EXPECT_EQ(CheckWaveFile(path), 130);
}

TEST(FrameChecks, RangeMustRunForwardFromZero) {
    EXPECT_EQ(CheckFrameRange(0, 0), 0);
    EXPECT_EQ(CheckFrameRange(3, 3), 0);
    EXPECT_EQ(CheckFrameRange(0, 65534), 0);
    EXPECT_EQ(CheckFrameRange(5, 4), 135);
    EXPECT_EQ(CheckFrameRange(3, 2), 135);
    EXPECT_EQ(CheckFrameRange(-1, 0), 135);
    EXPECT_EQ(CheckFrameRange(0, -1), 135);
}

TEST(FrameChecks, FrameRateMustBeAboveZero) {
    EXPECT_EQ(CheckFrameRate(0), 136);
    EXPECT_EQ(CheckFrameRate(-1200), 136);
    EXPECT_EQ(CheckFrameRate(ReadSignedNumber("")), 136);
    EXPECT_EQ(CheckFrameRate(ReadSignedNumber("12 fps")), 136);
    EXPECT_EQ(CheckFrameRate(1), 0);
    EXPECT_EQ(CheckFrameRate(ReadSignedNumber("2997")), 0);
}

TEST(FrameChecks, ImageSequenceChecksOnlyTheFrameRange) {
    ImageSequenceSettings image;
    EXPECT_EQ(CheckImageSequenceExport(image), 0);
    image.width = 0;
    image.height = 0;
    image.colorDepth = 7;
    EXPECT_EQ(CheckImageSequenceExport(image), 0);
    image.startFrame = 3;
    image.endFrame = 2;
    EXPECT_EQ(CheckImageSequenceExport(image), 135);
}

TEST(SplitSize, SizesAboveTheLimitBecomeTheLimitWithAMessage) {
    const SplitSizeLimit tooLarge = LimitSplitSize(2500);
    EXPECT_EQ(tooLarge.splitSizeMB, 2000);
    EXPECT_EQ(tooLarge.messageId, 143);
    EXPECT_EQ(resources::FormatString(tooLarge.messageId, kMaxSplitSizeMB),
              "File size cannot exceed 2000 MB.");
    EXPECT_EQ(LimitSplitSize(2001).splitSizeMB, 2000);

    for (int32_t allowed : {2000, 1, 0}) {
        const SplitSizeLimit limit = LimitSplitSize(allowed);
        EXPECT_EQ(limit.splitSizeMB, allowed);
        EXPECT_EQ(limit.messageId, 0);
    }
}

TEST(SplitSize, PassingAviChecksHoldsTheSplitSizeToTheLimit) {
    // OK can be pressed with Return while the split-size box still has the focus; a size
    // past 2047 MB would overflow the writer's byte limit.
    AviExportSettings avi;
    avi.frameRate100 = 1200;
    avi.splitSizeMB = 5000;
    EXPECT_EQ(CheckAviExport(avi, " Uncompressed", false), 0);
    EXPECT_EQ(avi.splitSizeMB, 2000);
}

}  // namespace
