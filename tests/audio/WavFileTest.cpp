#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/LittleEndian.h"
#include "audio/TestFiles.h"
#include "audio/WavFile.h"
#include "resources/ResultCode.h"

namespace audio {
namespace {

std::vector<uint8_t> Le16(uint16_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
}
std::vector<uint8_t> Le32(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}
std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// A chunk with its header and pad byte.
std::vector<uint8_t> Chunk(const std::string& id, const std::vector<uint8_t>& payload) {
    auto chunk = Bytes(id);
    Append(chunk, Le32(static_cast<uint32_t>(payload.size())));
    Append(chunk, payload);
    if (payload.size() % 2) chunk.push_back(0);
    return chunk;
}

std::vector<uint8_t> Riff(const std::string& form,
                          const std::vector<std::vector<uint8_t>>& chunks) {
    auto contents = Bytes(form);
    for (const auto& chunk : chunks) Append(contents, chunk);
    auto file = Bytes("RIFF");
    Append(file, Le32(static_cast<uint32_t>(contents.size())));
    Append(file, contents);
    return file;
}

// The 16 bytes every "fmt " chunk starts with.
std::vector<uint8_t> FormatFields(uint16_t tag, uint16_t channels, uint32_t rate,
                                  uint32_t bytesPerSec, uint16_t blockAlign, uint16_t bits) {
    auto fields = Le16(tag);
    Append(fields, Le16(channels));
    Append(fields, Le32(rate));
    Append(fields, Le32(bytesPerSec));
    Append(fields, Le16(blockAlign));
    Append(fields, Le16(bits));
    return fields;
}

std::vector<uint8_t> CdFormat() {
    return FormatFields(1, 2, 44100, 176400, 4, 16);
}

std::vector<uint8_t> Sound(size_t size) {
    std::vector<uint8_t> sound(size);
    for (size_t i = 0; i < size; ++i) sound[i] = static_cast<uint8_t>(i * 7 + 3);
    return sound;
}

class WavFileTest : public testing::Test {
  protected:
    // Writes `sound` as a new file with `format` and returns the file's bytes.
    std::vector<uint8_t> WriteWav(const WaveFormat& format, const std::vector<uint8_t>& sound,
                                  std::span<const uint8_t> extra = {}) {
        WavFile wav;
        EXPECT_EQ(wav.Open(path, WavFile::WriteMode, &format, extra), kResultOk);
        if (!sound.empty()) {
            EXPECT_EQ(wav.Write(sound.data(), static_cast<uint32_t>(sound.size())), kResultOk);
        }
        EXPECT_EQ(wav.Close(), kResultOk);
        EXPECT_EQ(wav.DataSize(), sound.size());
        return testfiles::ReadBytes(path);
    }

    // Opens `bytes` as a WAV file for reading.
    int32_t OpenBytes(WavFile& wav, const std::vector<uint8_t>& bytes) {
        testfiles::WriteBytes(path, bytes);
        return wav.Open(path, WavFile::ReadMode);
    }

    std::vector<uint8_t> ReadAll(WavFile& wav) {
        std::vector<uint8_t> all;
        uint8_t block[1000];
        uint32_t count = 0;
        while (wav.Read(block, sizeof block, &count) == kResultOk && count > 0)
            all.insert(all.end(), block, block + count);
        return all;
    }

    testfiles::ScratchDir dir;
    std::string path = dir.File("sound.wav");
};

TEST_F(WavFileTest, WrittenPcmFileHasTheChunkLayoutAndSizesFilledIn) {
    const auto sound = Sound(176400);
    const auto file = WriteWav(WaveFormat{}, sound);

    ASSERT_EQ(file.size(), 56u + sound.size());
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(LoadLe32(&file[4]), 48u + sound.size());
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(LoadLe32(&file[16]), 16u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 20, file.begin() + 36), CdFormat());
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "fact");
    EXPECT_EQ(LoadLe32(&file[40]), 4u);
    EXPECT_EQ(LoadLe32(&file[44]), 44100u);  // one second of samples
    EXPECT_EQ(std::string(file.begin() + 48, file.begin() + 52), "data");
    EXPECT_EQ(LoadLe32(&file[52]), sound.size());
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), file.begin() + 56));
}

TEST_F(WavFileTest, ReadingGivesBackTheFormatAndTheSoundWritten) {
    const WaveFormat format{1, 1, 22050, 44100, 2, 16, 0};
    const auto sound = Sound(5000);
    WriteWav(format, sound);

    WavFile wav;
    ASSERT_EQ(wav.Open(path, WavFile::ReadMode), kResultOk);
    ASSERT_NE(wav.Format(), nullptr);
    EXPECT_EQ(*wav.Format(), format);
    EXPECT_EQ(wav.DataSize(), 5000u);
    EXPECT_EQ(wav.Seek(0, SEEK_CUR), 56);
    EXPECT_EQ(ReadAll(wav), sound);

    // Seeking back relative to the current position reads the same sound again.
    EXPECT_EQ(wav.Seek(-1000, SEEK_CUR), 56 + 4000);
    uint8_t tail[1000];
    uint32_t count = 0;
    ASSERT_EQ(wav.Read(tail, sizeof tail, &count), kResultOk);
    EXPECT_EQ(count, 1000u);
    EXPECT_TRUE(std::equal(tail, tail + count, sound.begin() + 4000));
    EXPECT_EQ(wav.Seek(-100, SEEK_SET), -1);
    EXPECT_EQ(wav.Close(), kResultOk);
}

TEST_F(WavFileTest, OddSoundIsPaddedAndTheFactCountTruncates) {
    const WaveFormat format{1, 1, 8000, 8000, 1, 8, 0};
    const auto sound = Sound(3);
    const auto file = WriteWav(format, sound);
    ASSERT_EQ(file.size(), 60u);
    EXPECT_EQ(LoadLe32(&file[4]), 52u);  // 48 + 3 + pad
    EXPECT_EQ(LoadLe32(&file[52]), 3u);
    EXPECT_EQ(file[59], 0);
    EXPECT_EQ(LoadLe32(&file[44]), 3u);

    // Stereo 16-bit at 44100 Hz: 1001 bytes are 250.25 blocks, truncated.
    const auto stereo = WriteWav(WaveFormat{}, Sound(1001));
    EXPECT_EQ(LoadLe32(&stereo[44]), 250u);

    WavFile wav;
    ASSERT_EQ(wav.Open(path, WavFile::ReadMode), kResultOk);
    EXPECT_EQ(ReadAll(wav).size(), 1001u);  // the pad byte is not sound
}

TEST_F(WavFileTest, AFileClosedWithoutSoundHasZeroSizes) {
    const auto file = WriteWav(WaveFormat{}, {});
    ASSERT_EQ(file.size(), 56u);
    EXPECT_EQ(LoadLe32(&file[4]), 48u);
    EXPECT_EQ(LoadLe32(&file[44]), 0u);
    EXPECT_EQ(LoadLe32(&file[52]), 0u);
}

TEST_F(WavFileTest, PcmFormatsAreNormalisedWhenWritten) {
    const WaveFormat sloppy{1, 2, 48000, 1, 1, 16, 22};
    const auto file = WriteWav(sloppy, Sound(8));
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 20, file.begin() + 36),
              FormatFields(1, 2, 48000, 192000, 4, 16));
    WavFile wav;
    ASSERT_EQ(wav.Open(path, WavFile::ReadMode), kResultOk);
    EXPECT_EQ(*wav.Format(), NormalizePcm(sloppy));
}

TEST_F(WavFileTest, NonPcmFormatsKeepTheirExtraBytes) {
    const WaveFormat adpcm{2, 1, 22050, 11155, 512, 4, 3};
    const std::vector<uint8_t> extra{0xF4, 0x01, 0x07};
    const auto file = WriteWav(adpcm, Sound(1024), extra);
    EXPECT_EQ(LoadLe32(&file[16]), 21u);
    EXPECT_EQ(LoadLe16(&file[36]), 3u);                                    // the extra-bytes count
    EXPECT_EQ(std::string(file.begin() + 42, file.begin() + 46), "fact");  // after the pad byte

    WavFile wav;
    ASSERT_EQ(wav.Open(path, WavFile::ReadMode), kResultOk);
    EXPECT_EQ(*wav.Format(), adpcm);
    EXPECT_EQ(std::vector<uint8_t>(wav.FormatExtra().begin(), wav.FormatExtra().end()), extra);
    EXPECT_EQ(wav.DataSize(), 1024u);
}

TEST_F(WavFileTest, FormatChunksOfEveryLengthReadAsWaveFormats) {
    WavFile wav;
    auto pcm18 = CdFormat();
    Append(pcm18, Le16(0));
    ASSERT_EQ(OpenBytes(wav, Riff("WAVE", {Chunk("fmt ", pcm18), Chunk("data", Sound(8))})),
              kResultOk);
    EXPECT_EQ(*wav.Format(), WaveFormat{});
    EXPECT_EQ(ReadAll(wav), Sound(8));

    // A non-PCM chunk of 16 bytes has no extra bytes.
    ASSERT_EQ(OpenBytes(wav, Riff("WAVE", {Chunk("fmt ", FormatFields(3, 1, 8000, 32000, 4, 32)),
                                           Chunk("data", Sound(8))})),
              kResultOk);
    EXPECT_EQ(wav.Format()->formatTag, 3);
    EXPECT_EQ(wav.Format()->extraSize, 0);
}

TEST_F(WavFileTest, DataBeforeFormatStillOpens) {
    WavFile wav;
    ASSERT_EQ(OpenBytes(wav, Riff("WAVE", {Chunk("data", Sound(10)), Chunk("fmt ", CdFormat())})),
              kResultOk);
    EXPECT_EQ(wav.DataSize(), 10u);
    EXPECT_EQ(wav.Seek(0, SEEK_CUR), 20);
    EXPECT_EQ(ReadAll(wav), Sound(10));
}

TEST_F(WavFileTest, ReadingStopsAtTheEndOfTheDataChunk) {
    WavFile wav;
    ASSERT_EQ(OpenBytes(wav, Riff("WAVE", {Chunk("fmt ", CdFormat()), Chunk("data", Sound(12)),
                                           Chunk("LIST", Bytes("INFOnot sound at all"))})),
              kResultOk);
    EXPECT_EQ(ReadAll(wav), Sound(12));
}

TEST_F(WavFileTest, FilesThatAreNotWaveFilesAreRefused) {
    WavFile wav;
    const auto fmt = Chunk("fmt ", CdFormat());
    const auto data = Chunk("data", Sound(4));
    EXPECT_EQ(OpenBytes(wav, Riff("AVI ", {fmt, data})), kResultFail);
    auto notRiff = Riff("WAVE", {fmt, data});
    std::memcpy(notRiff.data(), "RIFX", 4);
    EXPECT_EQ(OpenBytes(wav, notRiff), kResultFail);
    EXPECT_EQ(OpenBytes(wav, Riff("WAVE", {data})), kResultFail);
    EXPECT_EQ(OpenBytes(wav, Riff("WAVE", {fmt})), kResultFail);
    EXPECT_EQ(OpenBytes(wav, {}), kResultFail);
    EXPECT_EQ(wav.Open(dir.File("missing.wav"), WavFile::ReadMode), kResultFail);
    EXPECT_EQ(wav.Format(), nullptr);
}

TEST_F(WavFileTest, ImpossibleFormatChunksAreRefused) {
    WavFile wav;
    const auto data = Chunk("data", Sound(4));
    const auto cd = CdFormat();
    const std::vector<std::vector<uint8_t>> bad = {
        FormatFields(1, 0, 44100, 176400, 4, 16),           // no channels
        FormatFields(1, 2, 44100, 176400, 0, 16),           // no block
        FormatFields(1, 2, 0, 176400, 4, 16),               // no sample rate
        FormatFields(1, 2, 44100, 0, 4, 16),                // no bytes per second
        std::vector<uint8_t>(cd.begin(), cd.begin() + 14),  // too short
    };
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_EQ(OpenBytes(wav, Riff("WAVE", {Chunk("fmt ", bad[i]), data})), kResultFail) << i;

    // An extra-bytes count that runs past the end of its chunk.
    auto overlong = FormatFields(2, 1, 22050, 11155, 512, 4);
    Append(overlong, Le16(40));
    Append(overlong, {1, 2});
    EXPECT_EQ(OpenBytes(wav, Riff("WAVE", {Chunk("fmt ", overlong), data})), kResultFail);
}

TEST_F(WavFileTest, TruncatedFilesAreRefused) {
    const auto whole = WriteWav(WaveFormat{}, Sound(40));
    WavFile wav;
    for (size_t length = 0; length < whole.size(); ++length)
        EXPECT_EQ(OpenBytes(wav, std::vector<uint8_t>(whole.begin(), whole.begin() + length)),
                  kResultFail)
            << length;
    EXPECT_EQ(OpenBytes(wav, whole), kResultOk);
}

TEST_F(WavFileTest, ADataSizePastTheEndOfTheFileIsRefused) {
    auto file = Riff("WAVE", {Chunk("fmt ", CdFormat()), Chunk("data", Sound(16))});
    const size_t dataSizeField = file.size() - 16 - 4;
    ASSERT_EQ(LoadLe32(&file[dataSizeField]), 16u);
    StoreLe32(&file[dataSizeField], 0xFFFFFFF0u);
    WavFile wav;
    EXPECT_EQ(OpenBytes(wav, file), kResultFail);
    StoreLe32(&file[dataSizeField], 18);
    EXPECT_EQ(OpenBytes(wav, file), kResultFail);
}

TEST_F(WavFileTest, MisuseGetsTheDocumentedResults) {
    WavFile wav;
    const WaveFormat format;
    uint8_t buffer[4] = {};
    EXPECT_EQ(wav.Open("a.w", WavFile::ReadMode), kResultInvalidArgument);
    EXPECT_EQ(wav.Open(path, WavFile::WriteMode, nullptr), kResultInvalidArgument);
    EXPECT_EQ(wav.Open(path, 3, &format), kResultInvalidArgument);
    EXPECT_EQ(wav.Write(buffer, 4), kResultNotInitialized);
    EXPECT_EQ(wav.Read(buffer, 4), kResultFail);
    EXPECT_EQ(wav.Seek(0, SEEK_SET), -1);
    EXPECT_EQ(wav.Close(), kResultOk);

    ASSERT_EQ(wav.Open(path, WavFile::WriteMode, &format), kResultOk);
    EXPECT_EQ(wav.Write(nullptr, 4), kResultInvalidArgument);
    EXPECT_EQ(wav.Read(buffer, 4), kResultFail);
    EXPECT_EQ(wav.Close(), kResultOk);
    ASSERT_EQ(wav.Open(path, WavFile::ReadMode), kResultOk);
    EXPECT_EQ(wav.Read(nullptr, 4), kResultInvalidArgument);
    EXPECT_EQ(wav.Read(buffer, 0), kResultInvalidArgument);
    EXPECT_EQ(wav.Write(buffer, 4), kResultNotInitialized);
}

TEST_F(WavFileTest, AnUnusableFormatLeavesAnExistingFileAlone) {
    testfiles::WriteBytes(path, Bytes("precious"));
    const WaveFormat silentChannels{1, 0, 44100, 0, 0, 16, 0};
    const WaveFormat adpcmWithoutItsExtras{2, 1, 22050, 11155, 512, 4, 32};
    WavFile wav;
    EXPECT_EQ(wav.Open(path, WavFile::WriteMode, &silentChannels), kResultInvalidArgument);
    EXPECT_EQ(wav.Open(path, WavFile::WriteMode, &adpcmWithoutItsExtras), kResultInvalidArgument);
    EXPECT_EQ(testfiles::ReadBytes(path), Bytes("precious"));
}

TEST_F(WavFileTest, AFullDiskFailsTheRecordingAndRemovesTheFile) {
    const WaveFormat format;
    WavFile wav;
    ASSERT_EQ(wav.Open(path, WavFile::WriteMode, &format), kResultOk);
    {
        testfiles::FileSizeLimit limit(32 * 1024);
        const auto block = Sound(16 * 1024);
        bool failed = false;
        for (int i = 0; i < 8 && !failed; ++i)
            failed = wav.Write(block.data(), static_cast<uint32_t>(block.size())) != kResultOk;
        EXPECT_EQ(wav.Close(), kResultFail);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(wav.DataSize(), 0u);
}

TEST_F(WavFileTest, WritingToADeviceIsRefusedAndLeavesItInPlace) {
    const WaveFormat format;
    WavFile wav;
    EXPECT_EQ(wav.Open("/dev/null", WavFile::WriteMode, &format), kResultFail);
    struct stat info {};
    ASSERT_EQ(stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_EQ(wav.Open(dir.File("no-folder/sound.wav"), WavFile::WriteMode, &format), kResultFail);
}

TEST_F(WavFileTest, OneObjectWritesThenReadsAgain) {
    const WaveFormat format;
    WavFile wav;
    ASSERT_EQ(wav.Open(path, WavFile::WriteMode, &format), kResultOk);
    const auto sound = Sound(400);
    ASSERT_EQ(wav.Write(sound.data(), 200), kResultOk);
    ASSERT_EQ(wav.Write(sound.data() + 200, 200), kResultOk);
    ASSERT_EQ(wav.Open(path, WavFile::ReadMode), kResultOk);  // closes the written file first
    EXPECT_EQ(wav.DataSize(), 400u);
    EXPECT_EQ(ReadAll(wav), sound);
}

}  // namespace
}  // namespace audio
