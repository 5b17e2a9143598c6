#pragma once
// Compresses output frames for the AVI writer with the libavcodec encoder that a compressor
// FourCC names ("MJPG", "FFV1", "HFYU", ...), or passes them on as they are for "DIB ".
// Frames come in the frame buffer's layout: bottom-up rows of blue, green, red (and alpha
// at 32 bits), each row padded to 4 bytes.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "convert/CompressorSettings.h"

namespace convert {

// A compressor that frames can be written with: the FourCC that names it in the settings
// and in the AVI file, and its description.
struct VideoCompressorInfo {
    FourCC fourcc = 0;
    std::string name;
};

// Every compressor whose encoder this build has, uncompressed frames ("DIB ") first.
std::vector<VideoCompressorInfo> AvailableVideoCompressors();
// The compressor that the settings' `hic` holds for `handler`: null for "DIB " (no
// compressor is needed) and for a FourCC that no encoder of this build handles.
std::shared_ptr<const VideoCompressorInfo> OpenVideoCompressor(FourCC handler);
// The name shown for the settings' compressor: its description, or "Uncompressed".
std::string VideoCompressorName(const CompressorSettings& settings);

// The compression options (AVICOMPRESSOPTIONS) the AVI writer makes from the settings.
inline constexpr uint32_t kCompressDataRate = 2;
inline constexpr uint32_t kCompressKeyFrames = 4;
inline constexpr uint32_t kCompressValid = 8;

struct CompressionOptions {
    FourCC type = 0;
    FourCC handler = 0;
    int32_t keyFrameEvery = 0;
    int32_t quality = kDefaultQuality;  // 0 .. 10000, or the encoder's own
    int32_t bytesPerSecond = 0;
    uint32_t flags = 0;
};
CompressionOptions MakeCompressionOptions(const CompressorSettings& settings);

struct VideoFrameFormat {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 24;  // 24 or 32
    int32_t frameRate100 = 0;   // frames per second × 100
};

// Bytes of one uncompressed frame (rows padded to 4 bytes), or 0 for a format that has
// no such frames.
uint64_t FrameImageSize(const VideoFrameFormat& format);

class VideoEncoder {
  public:
    // Receives each compressed sample; the bytes are valid only during the call. A
    // failure it returns ends the encoding call with that failure.
    using SampleSink = std::function<int32_t(std::span<const uint8_t> sample, bool keyFrame)>;

    VideoEncoder();
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Opens a fresh encoder for `options.handler`. Fails for an unknown handler, a size or
    // rate the encoder refuses, or a depth other than 24 and 32.
    int32_t Open(const VideoFrameFormat& format, const CompressionOptions& options);
    void Close();
    bool IsOpen() const { return open_; }

    // What the AVI file's stream header and BITMAPINFOHEADER say about the samples.
    FourCC StreamHandler() const { return streamHandler_; }
    FourCC Compression() const { return compression_; }  // 0: uncompressed rows
    uint16_t BitCount() const { return bitCount_; }
    std::span<const uint8_t> CodecData() const { return codecData_; }
    uint32_t ImageSize() const { return imageSize_; }

    // Compresses one frame of ImageSize() bytes. Encoders here are set up to give a sample
    // for every frame at once; any they hold back come out of Flush.
    int32_t Encode(std::span<const uint8_t> frame, const SampleSink& sink);
    // Hands out the samples still held back; the encoder takes no more frames after it.
    int32_t Flush(const SampleSink& sink);

  private:
    struct Codec;

    std::unique_ptr<Codec> codec_;  // null for uncompressed frames
    bool open_ = false;
    FourCC streamHandler_ = 0;
    FourCC compression_ = 0;
    uint16_t bitCount_ = 0;
    std::vector<uint8_t> codecData_;
    uint32_t imageSize_ = 0;
};

}  // namespace convert
