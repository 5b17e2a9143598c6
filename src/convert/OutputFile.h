#pragma once
// Writes a file so that it appears whole or not at all. The bytes go to a scratch file
// beside the target, which replaces the target only when every byte was written and the
// file closed; until then an existing file of that name is left as it was. A target that
// exists but is not a regular file (a device, a pipe) is written in place and never removed.

#include <cstdio>
#include <string>

namespace convert {

class OutputFile {
  public:
    explicit OutputFile(std::string path);
    // Discards whatever was written unless Commit succeeded.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool Open();
    // The open stream, for libraries that write through one; null before Open.
    FILE* stream() const { return stream_; }
    bool Write(const void* data, size_t size);
    // Flushes, closes and puts the file in place; on any failure nothing is left behind.
    bool Commit();

  private:
    void Discard();

    std::string path_;
    std::string scratchPath_;  // empty while writing in place
    FILE* stream_ = nullptr;
};

}  // namespace convert
