#pragma once
// Writes RIFF files chunk by chunk: a chunk starts with a placeholder size, and leaving it
// pads it to an even length and writes its true size into its header. Any failed write
// makes every later call fail, so a caller can check once at the end.

#include <cstdint>
#include <cstdio>
#include <string>

#include "audio/RiffChunk.h"

namespace audio {

class RiffWriter {
  public:
    RiffWriter() = default;
    ~RiffWriter();
    RiffWriter(const RiffWriter&) = delete;
    RiffWriter& operator=(const RiffWriter&) = delete;

    // Creates the file, or empties an existing one; only regular files.
    bool Create(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    uint64_t Position() const { return position_; }

    // Starts a chunk at the current position; RIFF and LIST chunks get `formType`.
    bool CreateChunk(RiffChunk& chunk, uint32_t id, uint32_t formType = 0);
    bool Write(const void* data, size_t size);
    // Ends the chunk at the current position: writes the pad byte of an odd size, then
    // the size into the chunk's header. A chunk past 4 GiB cannot be described and fails.
    bool Ascend(RiffChunk& chunk);
    // Overwrites bytes written earlier and comes back to the end.
    bool WriteAt(uint64_t offset, const void* data, size_t size);

    // Closes the file; false when any write, or the close itself, failed.
    bool Close();

  private:
    bool Fail();

    FILE* file_ = nullptr;
    uint64_t position_ = 0;
    bool failed_ = false;
};

}  // namespace audio
