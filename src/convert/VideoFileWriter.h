#pragma once
// Writes a video file through FFmpeg's libavformat: MP4, Matroska, WebM, QuickTime or GIF,
// one video stream made from the run's frames and, when a sound is given, one audio stream
// with the piece of the sound (a WAV file's, or the movie's own as the run takes it) that
// plays during each frame, written right after it. The sound ends with the video: silence
// pads a short one, a long one is cut.
//
// The file is written under a temporary name beside the output and takes the output's name
// only once it is complete; a failed or discarded run removes it. Frames are converted to
// the encoder's pixel format (4:2:0 directly, others by swscale); a side that the pixel
// format needs even (4:2:0 and 4:2:2) is padded by repeating the last row or column. GIF
// frames are kept in a temporary file until the end, when a palette made for the whole file
// maps them.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "convert/FrameBuffer.h"
#include "convert/SoundInput.h"

struct AVCodecContext;
struct AVStream;

namespace convert {

struct VideoFileTarget {
    std::filesystem::path path;
    std::string formatName;    // FFmpeg's muxer: mp4, matroska, webm, mov, gif
    std::string videoEncoder;  // FFmpeg's encoder name
    std::string pixelFormat;   // FFmpeg's name of what the encoder gets
    int32_t width = 0;         // of the frames given
    int32_t height = 0;
    int32_t frameRate100 = 0;   // frames per second × 100
    int32_t crf = -1;           // -1: the encoder's default
    std::string preset;         // empty: the encoder's default
    std::string audioEncoder;   // empty: no sound
    int32_t audioBitrateK = 0;  // 0: the encoder's default
};

class VideoFileWriter {
  public:
    VideoFileWriter();
    // Discards a file that was not closed.
    ~VideoFileWriter();
    VideoFileWriter(const VideoFileWriter&) = delete;
    VideoFileWriter& operator=(const VideoFileWriter&) = delete;

    // Sets up the encoders (refusing options they do not take) and starts the temporary
    // file; `audio` (if any) is read from where it stands. Returns an error message, empty
    // when the writer is ready for frames.
    std::string Open(const VideoFileTarget& target, SoundInput* audio);
    // Encodes a frame (24 or 32 bits, the target's size), then the sound of its interval.
    std::string WriteFrame(const FrameBuffer& frame);
    // Finishes the file and gives it the output's name; on failure nothing is left.
    std::string Close();
    // Removes whatever has been written (a cancelled or failed run).
    void Discard();

    // The size the encoder gets for frames of this size in this pixel format.
    static std::pair<int32_t, int32_t> CodedSize(const std::string& pixelFormat, int32_t width,
                                                 int32_t height);
    static bool HasEncoder(const std::string& name);
    // Whether the muxer can hold what the encoder makes; true when FFmpeg cannot tell.
    static bool ContainerHolds(const std::string& formatName, const std::string& encoderName);

    int64_t framesWritten() const { return framesWritten_; }

  private:
    struct State;

    std::string Start(const VideoFileTarget& target, SoundInput* audio);
    std::string OpenAudio(SoundInput& source);
    // Converts a frame (its top row, and the step back to the next one in the buffer) to the
    // encoder's picture through swscale.
    std::string Scale(const uint8_t* top, size_t stride);
    std::string EncodeVideo(bool flush);
    // Reads the sound up to the end of `frames` frames (the movie's as far as it has come),
    // silence past a file's end.
    std::string WriteAudioUpTo(int64_t frames);
    // Resamples `count` samples (none: what the resampler holds) into the queue.
    std::string QueueSound(const uint8_t* const* input, int count);
    std::string EncodeAudio(bool flush);
    std::string FinishSound();
    std::string FinishGif();
    std::string WritePackets(AVCodecContext* codec, AVStream* stream);
    // The message for a failed FFmpeg call; a full disk says so.
    std::string Fail(const std::string& what, int error);

    std::unique_ptr<State> state_;
    int64_t framesWritten_ = 0;
};

}  // namespace convert
