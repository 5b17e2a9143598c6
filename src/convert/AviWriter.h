#pragma once
// Writes the frames of an AVI run: one video sample per output frame and, with audio, the
// piece of the sound that plays during that frame right after it (at most one frame's
// worth at the output rate: a sound longer than the frames is cut). When the bytes of a
// file pass the split size the file is closed and the run goes on in the next numbered
// part: clip.avi becomes clip0000.avi, and clip0001.avi, clip0002.avi ... follow.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "audio/WaveFormat.h"
#include "convert/AviFile.h"
#include "convert/CompressorSettings.h"
#include "convert/FrameBuffer.h"
#include "convert/SoundInput.h"
#include "convert/VideoEncoder.h"
#include "resources/ResultCode.h"

namespace convert {

// The outcome of a writer step: a result code, and the string id of the message to show
// for a failure (0 when there is none to show).
struct AviResult {
    int32_t code = kResultOk;
    int messageId = 0;

    bool ok() const { return Succeeded(code); }
};

struct AviOutput {
    std::filesystem::path path;
    int32_t width = 0;
    int32_t height = 0;
    int32_t colorDepth = 24;   // 24 or 32
    int32_t frameRate100 = 0;  // frames per second × 100
    int32_t splitSizeMB = 2000;
};

class AviWriter {
  public:
    AviWriter();
    // Closes an open file; its result is lost, so runs call Close themselves.
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // Replaces any file at the output path with a new AVI file with a video stream and,
    // when `sound` is given, an audio stream of it.
    AviResult Open(const AviOutput& output, const CompressorSettings& compressor,
                   SoundInput* sound);
    // Writes the frame, then its audio; splits the file when it has grown past the limit.
    AviResult WriteFrame(const FrameBuffer& frame);
    // Finishes the current file. A file that cannot be finished is reported as a failure;
    // it is still closed as consistently as the disk allows.
    AviResult Close();
    // Removes every file this run has written (a cancelled run).
    void DeleteOutput();

    // The name of part `number` of `output`: its file name up to the last '.', the number
    // in four digits, then ".avi".
    static std::filesystem::path PartName(const std::filesystem::path& output, int number);
    // 0 until the first split; then one more than the number of the current part.
    int partCounter() const { return partCounter_; }

  private:
    AviResult OpenPart(const std::filesystem::path& path);
    AviResult CreatePart(const std::filesystem::path& path);
    AviResult ClosePart();
    AviResult Split();
    AviResult WriteAudio();
    int32_t WriteVideoSample(std::span<const uint8_t> sample, bool keyFrame);

    AviOutput output_;
    CompressionOptions options_;
    VideoFrameFormat frameFormat_;
    VideoEncoder encoder_;
    VideoEncoder::SampleSink videoSink_;
    AviFile file_;
    bool open_ = false;
    int videoStream_ = -1;
    int audioStream_ = -1;

    SoundInput* audio_ = nullptr;
    audio::WaveFormat audioFormat_;
    std::vector<uint8_t> audioFormatBytes_;
    std::vector<uint8_t> audioChunk_;
    bool audioUsedUp_ = false;

    int64_t bytesInFile_ = 0;
    int32_t splitLimit_ = 0;
    int partCounter_ = 0;
};

}  // namespace convert
