#pragma once
// Reads RIFF files chunk by chunk: finds a chunk by id inside its parent and steps over
// it again. Every chunk it passes must fit inside its parent and the file, so a size
// field can never lead a caller past the end of the data.

#include <cstdint>
#include <cstdio>
#include <string>

#include "audio/RiffChunk.h"

namespace audio {

class RiffReader {
  public:
    RiffReader() = default;
    ~RiffReader();
    RiffReader(const RiffReader&) = delete;
    RiffReader& operator=(const RiffReader&) = delete;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    uint64_t FileSize() const { return fileSize_; }

    // Searches from the current position to the end of `parent` (of the file when null)
    // for the next chunk with `id` (any chunk when id is 0) and leaves the position at its
    // payload, past the form type of a RIFF or LIST chunk. Fails when there is none, or
    // when a chunk on the way claims more bytes than its parent holds.
    bool Descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t id = 0);
    // Moves past the chunk and its pad byte.
    bool Ascend(const RiffChunk& chunk);

    // Reads up to `size` bytes; returns the count read, or -1 on a read error.
    int64_t Read(void* buffer, size_t size);
    // Reads exactly `size` bytes or fails.
    bool ReadExactly(void* buffer, size_t size);
    // Origin as for fseek (SEEK_SET, SEEK_CUR, SEEK_END); returns the new position or -1.
    int64_t Seek(int64_t offset, int origin);
    int64_t Position() const;

  private:
    FILE* file_ = nullptr;
    uint64_t fileSize_ = 0;
};

}  // namespace audio
