#pragma once
// Reads and writes RIFF WAVE files: the recorder writes its sound into one, the AVI writer
// reads the sound of a frame at a time out of one.
//
// Written files hold "fmt ", "fact" and "data" chunks; the sizes and the fact sample count
// are filled in by Close. Reading finds "fmt " and "data" wherever they are inside the
// RIFF "WAVE" chunk and leaves the position at the first byte of sound.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/RiffChunk.h"
#include "audio/RiffReader.h"
#include "audio/RiffWriter.h"
#include "audio/WaveFormat.h"

namespace audio {

// E_INVALIDARG and CO_E_NOTINITIALIZED, the other results of WavFile's operations.
inline constexpr int32_t kResultInvalidArgument = static_cast<int32_t>(0x80070057u);
inline constexpr int32_t kResultNotInitialized = static_cast<int32_t>(0x800401F0u);

class WavFile {
  public:
    enum Mode : int { ReadMode = 1, WriteMode = 2 };

    WavFile() = default;
    ~WavFile();
    WavFile(const WavFile&) = delete;
    WavFile& operator=(const WavFile&) = delete;

    // ReadMode opens an existing file (`format` is ignored). WriteMode creates the file
    // with `format`, whose extra bytes (non-PCM formats only) are `extraBytes`; a PCM
    // format is normalised first. A file left open by an earlier Open is closed first.
    int32_t Open(const std::string& name, int mode, const WaveFormat* format = nullptr,
                 std::span<const uint8_t> extraBytes = {});
    // Finishes a written file. A written file that cannot be finished is removed.
    int32_t Close();

    // Reads up to `size` bytes of sound; fewer at the end of the data chunk.
    int32_t Read(void* buffer, uint32_t size, uint32_t* bytesRead = nullptr);
    // Appends to the data chunk.
    int32_t Write(const void* data, uint32_t size);
    // Moves the read position (origin SEEK_SET, SEEK_CUR or SEEK_END, counted in the whole
    // file); returns the new position, or -1. Only files opened for reading can seek.
    int64_t Seek(int64_t offset, int origin);

    // The data chunk's size: when reading, from the file; when writing, after Close.
    uint32_t DataSize() const { return dataSize_; }
    // Null until a file has been opened.
    const WaveFormat* Format() const { return format_ ? &*format_ : nullptr; }
    std::span<const uint8_t> FormatExtra() const { return formatExtra_; }

  private:
    bool ReadHeader();
    bool FindData();
    bool WriteHeader();
    bool FinishWriting();
    void DiscardWritten();

    std::optional<WaveFormat> format_;
    std::vector<uint8_t> formatExtra_;
    RiffReader reader_;
    RiffWriter writer_;
    RiffChunk riff_;
    RiffChunk chunk_;  // "fmt ", then "data"
    uint64_t factValueOffset_ = 0;
    uint32_t dataSize_ = 0;
    std::string name_;
    int mode_ = 0;
};

}  // namespace audio
