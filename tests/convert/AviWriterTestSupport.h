#pragma once
// Reading written AVI files back for the tests: through FFmpeg's own reader (ffprobe for the
// streams, ffmpeg for decoded pixels and sound), and through a walk of the RIFF structure
// that checks every size, index entry and offset against the bytes of the file.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "convert/FrameBuffer.h"

namespace avitest {

// The fields of one ffprobe section ("streams" entry or "format"), as text.
using ProbeFields = std::map<std::string, std::string>;

struct Probe {
    std::vector<ProbeFields> streams;
    ProbeFields format;
    bool ok = false;
};

// ffprobe -show_streams -show_format -count_frames.
Probe ProbeFile(const std::filesystem::path& file);
// The stream of that type ("video", "audio"), if any.
std::optional<ProbeFields> StreamOfType(const Probe& probe, const std::string& type);

struct ProbedPacket {
    bool keyFrame = false;
    int size = 0;
};
// The packets of the first stream of a type ("v", "a"), in file order.
std::vector<ProbedPacket> ProbePackets(const std::filesystem::path& file, const std::string& type);

// Every frame decoded by ffmpeg as top-down rows of `pixelFormat` ("bgr24", "bgra"),
// without padding, one after another.
std::vector<uint8_t> DecodeFrames(const std::filesystem::path& file,
                                  const std::string& pixelFormat);
// The audio stream decoded to raw bytes in the stream's own sample format.
std::vector<uint8_t> DecodeAudio(const std::filesystem::path& file, const std::string& rawFormat);

// A frame buffer's picture as ffmpeg gives it: top-down rows without padding.
std::vector<uint8_t> TopDownPixels(convert::FrameBuffer& frame);
// Fills a frame with smooth gradients and a square whose place depends on `number`, so
// every frame differs from the others and still suits lossy encoders.
void PaintFrame(convert::FrameBuffer& frame, int number);

// What the RIFF walk found.
struct AviChunk {
    uint32_t id = 0;
    uint64_t dataOffset = 0;
    uint32_t size = 0;
    int riff = 0;          // which RIFF chunk of the file holds it
    bool indexed = false;  // by a standard index, which says:
    bool keyFrame = false;
    bool legacyIndexed = false;  // by idx1, which says:
    bool legacyKeyFrame = false;
};

struct AviStream {
    std::vector<uint8_t> strh;  // the 56 bytes of the stream header
    std::vector<uint8_t> strf;
    uint32_t superIndexEntries = 0;
    uint64_t superIndexDuration = 0;  // the sum over the entries
    uint32_t chunkId = 0;
};

struct AviLayout {
    std::vector<uint32_t> riffForms;  // "AVI ", "AVIX", ...
    std::vector<uint64_t> riffSizes;  // each RIFF chunk's whole size, header included
    std::vector<uint8_t> avih;
    uint32_t openDmlFrames = 0;
    std::vector<AviStream> streams;
    std::vector<AviChunk> chunks;  // the data chunks of every "movi" list, in file order
    bool hasLegacyIndex = false;
    // Filled in when the walk finds something that does not add up.
    std::string error;

    uint32_t avihField(int index) const;
    uint32_t strhField(int stream, int index) const;
    // Data chunks of a stream ("00db", "01wb", ...) in the whole file or one RIFF chunk.
    std::vector<AviChunk> ChunksWithId(uint32_t id, int riff = -1) const;
};

// Walks the file and checks it: RIFF and list sizes against the file's length, every
// standard index entry against the chunk it points to, every super index entry against
// its index chunk, and the legacy index against the first RIFF chunk's data chunks.
AviLayout ReadAviLayout(const std::filesystem::path& file);

uint32_t Id(const char (&code)[5]);

// A folder of its own under the temporary folder, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Makes every write past `bytes` in any file fail as on a full disk (RLIMIT_FSIZE, with
// SIGXFSZ ignored) until destroyed. Nothing may be printed while it is in effect.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    uint64_t previousSoft_ = 0;
    void (*previousHandler_)(int) = nullptr;
};

}  // namespace avitest
