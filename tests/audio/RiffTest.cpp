#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/RiffReader.h"
#include "audio/RiffWriter.h"
#include "audio/TestFiles.h"

namespace audio {
namespace {

std::vector<uint8_t> Le32(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A file of two chunks, "abcd" of odd size with its pad byte, then "efgh".
std::vector<uint8_t> PaddedFileBytes() {
    return Concat({Bytes("RIFF"),
                   Le32(26),
                   Bytes("TEST"),
                   Bytes("abcd"),
                   Le32(3),
                   Bytes("xyz"),
                   {0},
                   Bytes("efgh"),
                   Le32(2),
                   Bytes("pq")});
}

class RiffTest : public testing::Test {
  protected:
    testfiles::ScratchDir dir;
    std::string path = dir.File("chunks.riff");
};

TEST_F(RiffTest, WriterPadsOddChunksAndWritesTrueSizesOnAscend) {
    RiffWriter writer;
    ASSERT_TRUE(writer.Create(path));
    RiffChunk riff, odd, even;
    ASSERT_TRUE(writer.CreateChunk(riff, kRiffId, FourCC("TEST")));
    ASSERT_TRUE(writer.CreateChunk(odd, FourCC("abcd")));
    ASSERT_TRUE(writer.Write("xyz", 3));
    ASSERT_TRUE(writer.Ascend(odd));
    ASSERT_TRUE(writer.CreateChunk(even, FourCC("efgh")));
    ASSERT_TRUE(writer.Write("pq", 2));
    ASSERT_TRUE(writer.Ascend(even));
    ASSERT_TRUE(writer.Ascend(riff));
    ASSERT_TRUE(writer.Close());

    EXPECT_EQ(odd.size, 3u);
    EXPECT_EQ(riff.size, 26u);
    EXPECT_EQ(testfiles::ReadBytes(path), PaddedFileBytes());
}

TEST_F(RiffTest, ReaderFindsChunksByIdPastPaddedOnes) {
    testfiles::WriteBytes(path, PaddedFileBytes());
    RiffReader reader;
    ASSERT_TRUE(reader.Open(path));
    RiffChunk riff, chunk;
    ASSERT_TRUE(reader.Descend(riff, nullptr));
    EXPECT_EQ(riff.id, kRiffId);
    EXPECT_EQ(riff.formType, FourCC("TEST"));
    EXPECT_EQ(reader.Position(), 12);

    ASSERT_TRUE(reader.Descend(chunk, &riff, FourCC("efgh")));
    EXPECT_EQ(chunk.size, 2u);
    EXPECT_EQ(chunk.dataOffset, 32u);
    char data[2];
    ASSERT_TRUE(reader.ReadExactly(data, 2));
    EXPECT_EQ(std::string(data, 2), "pq");

    // Searching again from the start of the contents finds the first chunk; stepping
    // over it lands on the next one, after the pad byte.
    ASSERT_EQ(reader.Seek(12, SEEK_SET), 12);
    ASSERT_TRUE(reader.Descend(chunk, &riff));
    EXPECT_EQ(chunk.id, FourCC("abcd"));
    ASSERT_TRUE(reader.Ascend(chunk));
    EXPECT_EQ(reader.Position(), 24);
    EXPECT_FALSE(reader.Descend(chunk, &riff, FourCC("none")));
}

TEST_F(RiffTest, ReaderRefusesChunksThatClaimMoreThanTheirParent) {
    // The inner chunk claims 100 bytes of a RIFF chunk that holds 12.
    testfiles::WriteBytes(path, Concat({Bytes("RIFF"), Le32(16), Bytes("TEST"), Bytes("abcd"),
                                        Le32(100), Bytes("wxyz"), Bytes("padding-after-riff")}));
    RiffReader reader;
    ASSERT_TRUE(reader.Open(path));
    RiffChunk riff, chunk;
    ASSERT_TRUE(reader.Descend(riff, nullptr));
    EXPECT_FALSE(reader.Descend(chunk, &riff, FourCC("abcd")));
    EXPECT_FALSE(reader.Descend(chunk, &riff, FourCC("zzzz")));

    // The RIFF chunk itself claims more than the file holds.
    testfiles::WriteBytes(path, Concat({Bytes("RIFF"), Le32(1000), Bytes("TEST")}));
    ASSERT_TRUE(reader.Open(path));
    EXPECT_FALSE(reader.Descend(riff, nullptr));

    // A RIFF chunk too small for its form type.
    testfiles::WriteBytes(path, Concat({Bytes("RIFF"), Le32(2), Bytes("TE")}));
    ASSERT_TRUE(reader.Open(path));
    EXPECT_FALSE(reader.Descend(riff, nullptr));
}

TEST_F(RiffTest, ReaderAcceptsAFinalOddChunkWithoutItsPadByte) {
    testfiles::WriteBytes(path, Concat({Bytes("RIFF"), Le32(15), Bytes("TEST"), Bytes("abcd"),
                                        Le32(3), Bytes("xyz")}));
    RiffReader reader;
    ASSERT_TRUE(reader.Open(path));
    RiffChunk riff, chunk;
    ASSERT_TRUE(reader.Descend(riff, nullptr));
    ASSERT_TRUE(reader.Descend(chunk, &riff, FourCC("abcd")));
    ASSERT_TRUE(reader.Ascend(chunk));
    EXPECT_FALSE(reader.Descend(chunk, &riff));
}

TEST_F(RiffTest, WriterRefusesWhatIsNotARegularFile) {
    RiffWriter writer;
    EXPECT_FALSE(writer.Create(dir.File("missing-folder/out.riff")));
    EXPECT_FALSE(writer.Create("/dev/null"));
    EXPECT_FALSE(writer.IsOpen());
    RiffChunk chunk;
    EXPECT_FALSE(writer.CreateChunk(chunk, kRiffId, FourCC("TEST")));
}

TEST_F(RiffTest, AFailedWriteFailsEveryLaterCallAndTheClose) {
    RiffWriter writer;
    ASSERT_TRUE(writer.Create(path));
    RiffChunk riff;
    ASSERT_TRUE(writer.CreateChunk(riff, kRiffId, FourCC("TEST")));
    {
        const std::vector<uint8_t> block(64 * 1024, 7);
        testfiles::FileSizeLimit limit(4096);
        bool failed = false;
        for (int i = 0; i < 4 && !failed; ++i) failed = !writer.Write(block.data(), block.size());
        EXPECT_TRUE(failed);
    }
    EXPECT_FALSE(writer.Write("x", 1));
    EXPECT_FALSE(writer.Ascend(riff));
    EXPECT_FALSE(writer.Close());
}

}  // namespace
}  // namespace audio
