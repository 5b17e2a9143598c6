#pragma once
// Writes the bytes of one AVI file: its header list with the stream headers and formats,
// the stream data in "movi" lists, and indexes that every reader understands: the legacy
// "idx1" for the first RIFF chunk, and the OpenDML (AVI 2.0) super index per stream with a
// standard index chunk per stream and RIFF chunk. Past the segment limit the data goes on
// in further "RIFF AVIX" chunks, so one file can grow past the 1 GB that old readers reach
// and the 4 GB that a RIFF chunk can describe.
//
// Sizes, lengths and frame counts are filled in by Close. When a write fails the file is
// still closed consistently if at all possible: it is cut back to the last whole data
// chunk, given what indexes still fit, and its headers say what it holds.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "convert/CompressorSettings.h"

namespace convert {

inline constexpr FourCC kStreamTypeVideo = MakeFourCC('v', 'i', 'd', 's');
inline constexpr FourCC kStreamTypeAudio = MakeFourCC('a', 'u', 'd', 's');

// AVISTREAMHEADER ("strh"). Length and suggested buffer size are the starting values;
// Close writes what the file holds.
struct AviStreamHeader {
    FourCC type = 0;
    FourCC handler = 0;
    uint32_t flags = 0;
    uint16_t priority = 0;
    uint16_t language = 0;
    uint32_t initialFrames = 0;
    uint32_t scale = 0;
    uint32_t rate = 0;
    uint32_t start = 0;
    uint32_t length = 0;
    uint32_t suggestedBufferSize = 0;
    uint32_t quality = 0;
    uint32_t sampleSize = 0;  // 0: every chunk is one sample; else bytes per sample
    int16_t frameLeft = 0;
    int16_t frameTop = 0;
    int16_t frameRight = 0;
    int16_t frameBottom = 0;
};

class AviFile {
  public:
    // Old readers stop at 1 GB, so each RIFF chunk stays below that.
    static constexpr uint64_t kDefaultSegmentLimit = uint64_t{1} << 30;
    // A data chunk larger than this cannot be written.
    static constexpr uint32_t kMaxChunkSize = uint32_t{1} << 30;
    static constexpr int kMaxStreams = 8;

    // `segmentLimit` bounds each RIFF chunk (clamped to what the indexes can address).
    explicit AviFile(uint64_t segmentLimit = kDefaultSegmentLimit);
    // Closes an open file.
    ~AviFile();
    AviFile(const AviFile&) = delete;
    AviFile& operator=(const AviFile&) = delete;

    // Creates the file (an existing one is emptied); only regular files.
    int32_t Create(const std::filesystem::path& path);
    bool IsOpen() const { return fd_ >= 0; }

    // Streams and their formats are set before the first chunk. CreateStream returns the
    // new stream's number.
    int32_t CreateStream(const AviStreamHeader& header);
    // "strf": a BITMAPINFOHEADER (with any codec data) or a WAVEFORMATEX.
    int32_t SetStreamFormat(int stream, std::span<const uint8_t> format);

    // Appends one data chunk; `keyFrame` marks a sample that decodes on its own.
    int32_t WriteChunk(int stream, std::span<const uint8_t> data, bool keyFrame);

    // Writes the indexes and the final headers and closes the file. Fails when any write
    // failed since Create, even if the file could then be closed consistently.
    int32_t Close();

  private:
    struct Stream {
        AviStreamHeader header;
        std::vector<uint8_t> format;
        FourCC chunkId = 0;  // "00db", "00dc", "01wb", ...
        uint64_t chunks = 0;
        uint64_t bytes = 0;
        uint32_t largestChunk = 0;
        uint64_t segmentChunks = 0;
        uint64_t segmentBytes = 0;
    };
    struct IndexEntry {
        uint64_t dataOffset;
        uint32_t size;
        uint8_t stream;
        bool keyFrame;
    };
    struct SuperIndexEntry {
        uint64_t offset;
        uint32_t size;
        uint32_t duration;
    };

    std::vector<uint8_t> BuildHeaderList() const;
    uint64_t Samples(const Stream& stream, uint64_t chunks, uint64_t bytes) const;
    // Index bytes the current RIFF chunk needs, with one more chunk of `extraStream`.
    uint64_t SegmentIndexSize(int extraStream) const;
    bool StartSegment();
    bool FinishSegment();
    void EndSegment(uint64_t end);
    void CloseSegmentWithoutIndex();
    bool WriteStandardIndex(int stream, uint64_t& position, std::vector<SuperIndexEntry>& added);
    bool WriteLegacyIndex(uint64_t& position);
    bool WriteFinalHeader();
    bool PatchSize(uint64_t sizeFieldOffset, uint64_t size);
    bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes);
    bool WriteChunkAt(uint64_t offset, FourCC id, std::span<const uint8_t> data);
    int32_t Finish();
    void Reset();

    uint64_t segmentLimit_;
    int fd_ = -1;
    bool failed_ = false;
    bool headerWritten_ = false;
    std::vector<Stream> streams_;
    std::vector<std::vector<SuperIndexEntry>> superIndexes_;

    // The RIFF chunk being filled: where it and its "movi" list start, and an entry for
    // every data chunk in it. `end_` is the end of the last whole chunk written.
    bool segmentOpen_ = false;
    int segmentNumber_ = 0;
    uint64_t segmentStart_ = 0;
    uint64_t moviStart_ = 0;
    uint64_t end_ = 0;
    std::vector<IndexEntry> segmentEntries_;
    uint64_t firstSegmentVideoFrames_ = 0;
    bool legacyIndexWritten_ = false;
};

}  // namespace convert
