#pragma once
// Records a capture source into a WAV file while the movie plays, up to a byte limit. Four
// buffers rotate through the source: each one that comes back full is appended to the file
// on the source's thread and queued again while recording. The main thread polls
// BytesRecorded; the recording flag is the only handshake with the source's thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "audio/CaptureSource.h"
#include "audio/DiskSpace.h"
#include "audio/WavFile.h"
#include "audio/WaveFormat.h"

namespace audio {

class SoundRecorder {
  public:
    static constexpr int kBufferCount = 4;
    static constexpr uint32_t kBufferSize = 64000;
    // Less free space than this counts as none.
    static constexpr uint64_t kMinFreeSpace = 102400;

    explicit SoundRecorder(CaptureSource& source);
    // Closes an open recorder.
    ~SoundRecorder();
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;

    // Creates the WAV file at `path` for `format` (a PCM format is normalised first) and
    // opens the source. E_INVALIDARG without a path or format, E_FAIL when already open or
    // the source refuses.
    int32_t Open(const std::string& path, const WaveFormat* format);
    // Starts recording up to `byteLimit` bytes (0: as much as the disk holds now), calling
    // `limitReached` (if any) on the source's thread once the limit is recorded. E_FAIL when
    // the disk has no room for the limit. Starting again while recording changes nothing.
    int32_t StartCapture(uint64_t byteLimit, std::function<void()> limitReached = {});
    // Bytes appended to the file since StartCapture.
    uint64_t BytesRecorded() const { return bytesWritten_.load(); }
    // Stops recording; what the queued buffers hold so far is still appended.
    int32_t StopCapture();
    // Stops, releases the source and finishes the WAV file.
    int32_t Close();
    // Free bytes in the output file's folder, or 0 when fewer than kMinFreeSpace.
    uint64_t AvailableSpace() const;

    // The bytes each capture buffer takes: 64000 less what would split a sample block.
    uint32_t BufferLength() const { return bufferLength_; }
    void SetFreeSpaceQuery(FreeSpaceQuery query) { freeSpace_ = std::move(query); }

  private:
    void OnBufferDone(CaptureBuffer& buffer);

    CaptureSource& source_;
    std::atomic<bool> recording_{false};
    WaveFormat format_;
    WavFile file_;
    std::filesystem::path folder_;
    std::array<std::vector<uint8_t>, kBufferCount> buffers_;
    std::array<CaptureBuffer, kBufferCount> headers_;
    uint32_t bufferLength_ = 0;
    bool sourceOpen_ = false;
    uint64_t limit_ = 0;
    std::atomic<uint64_t> bytesWritten_{0};
    std::function<void()> limitReached_;
    FreeSpaceQuery freeSpace_ = GetFreeDiskSpace;
};

}  // namespace audio
