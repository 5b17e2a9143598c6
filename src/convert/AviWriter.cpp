#include "convert/AviWriter.h"

#include <cstdio>
#include <new>
#include <system_error>

#include "audio/LittleEndian.h"
#include "resources/StringTable.h"

namespace convert {
namespace {

constexpr uint32_t kAudioQuality = 10000;
constexpr size_t kWaveFormatSize = 18;

AviResult Failure(int messageId, int32_t code = kResultFail) {
    return {code, messageId};
}

// MulDiv: a × b / c rounded to the nearest integer, for positive numbers.
int64_t MulDivRounded(int64_t a, int64_t b, int64_t c) {
    return (2 * a * b + c) / (2 * c);
}

std::vector<uint8_t> VideoFormatBytes(const VideoEncoder& encoder, const VideoFrameFormat& frame) {
    const std::span<const uint8_t> codecData = encoder.CodecData();
    std::vector<uint8_t> bytes(kBitmapInfoHeaderSize + codecData.size());
    uint8_t* p = bytes.data();
    // The header's size covers the codec data that follows it.
    audio::StoreLe32(p, static_cast<uint32_t>(bytes.size()));
    audio::StoreLe32(p + 4, static_cast<uint32_t>(frame.width));
    audio::StoreLe32(p + 8, static_cast<uint32_t>(frame.height));  // positive: bottom-up rows
    audio::StoreLe16(p + 12, 1);
    audio::StoreLe16(p + 14, encoder.BitCount());
    audio::StoreLe32(p + 16, encoder.Compression());
    audio::StoreLe32(p + 20, encoder.ImageSize());
    std::copy(codecData.begin(), codecData.end(), p + kBitmapInfoHeaderSize);
    return bytes;
}

std::vector<uint8_t> WaveFormatBytes(const audio::WaveFormat& format,
                                     std::span<const uint8_t> extra) {
    std::vector<uint8_t> bytes(kWaveFormatSize);
    uint8_t* p = bytes.data();
    audio::StoreLe16(p, format.formatTag);
    audio::StoreLe16(p + 2, format.channels);
    audio::StoreLe32(p + 4, format.samplesPerSec);
    audio::StoreLe32(p + 8, format.avgBytesPerSec);
    audio::StoreLe16(p + 12, format.blockAlign);
    audio::StoreLe16(p + 14, format.bitsPerSample);
    // A format with extra bytes keeps them: its count would otherwise promise bytes that
    // are not there.
    const size_t extraSize = std::min<size_t>(extra.size(), format.extraSize);
    audio::StoreLe16(p + 16, static_cast<uint16_t>(extraSize));
    bytes.insert(bytes.end(), extra.begin(),
                 extra.begin() + static_cast<std::ptrdiff_t>(extraSize));
    return bytes;
}

void RemoveFile(const std::filesystem::path& path) {
    std::error_code ignored;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, ignored)))
        std::filesystem::remove(path, ignored);
}

}  // namespace

AviWriter::AviWriter()
    : videoSink_([this](std::span<const uint8_t> sample, bool keyFrame) {
          return WriteVideoSample(sample, keyFrame);
      }) {}

AviWriter::~AviWriter() {
    Close();
}

std::filesystem::path AviWriter::PartName(const std::filesystem::path& output, int number) {
    // Only the file name's own '.' counts: one in a folder name must not move the parts
    // into another folder.
    const std::string name = output.filename().string();
    const size_t dot = name.rfind('.');
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", number);
    return output.parent_path() / (name.substr(0, dot) + digits + ".avi");
}

AviResult AviWriter::Open(const AviOutput& output, const CompressorSettings& compressor,
                          SoundInput* sound) {
    Close();
    output_ = output;
    options_ = MakeCompressionOptions(compressor);
    frameFormat_ = {output.width, output.height, output.colorDepth, output.frameRate100};
    partCounter_ = 0;
    bytesInFile_ = 0;
    // A signed 32-bit limit: the split size setting is at most 2000 MB.
    splitLimit_ = static_cast<int32_t>(static_cast<uint32_t>(output.splitSizeMB) << 20);
    audio_ = nullptr;
    audioUsedUp_ = false;

    if (output.frameRate100 <= 0) return Failure(resources::kStrFailedToCreateAviStream);
    const uint64_t imageSize = FrameImageSize(frameFormat_);
    if (imageSize == 0 || imageSize > AviFile::kMaxChunkSize ||
        output.width > FrameBuffer::kMaxSide || output.height > FrameBuffer::kMaxSide)
        return Failure(resources::kStrFailedToSetStreamFormat);
    if (sound) {
        const audio::WaveFormat& format = sound->Format();
        if (format.blockAlign == 0 || format.avgBytesPerSec == 0 || format.samplesPerSec == 0)
            return Failure(resources::kStrFailedToSetStreamFormat);
        audio_ = sound;
        audioFormat_ = format;
        audioFormatBytes_ = WaveFormatBytes(format, sound->FormatExtra());

        // Whole samples that cover one frame, rounded up.
        const uint64_t samples = (uint64_t{audioFormat_.samplesPerSec} * 100 +
                                  static_cast<uint64_t>(output.frameRate100) - 1) /
                                 static_cast<uint64_t>(output.frameRate100);
        const uint64_t chunkSize = samples * audioFormat_.blockAlign;
        if (chunkSize > AviFile::kMaxChunkSize)
            return Failure(resources::kStrOutOfMemory, kResultOutOfMemory);
        try {
            audioChunk_.assign(chunkSize, 0);
        } catch (const std::bad_alloc&) {
            return Failure(resources::kStrOutOfMemory, kResultOutOfMemory);
        }
    }

    RemoveFile(output.path);
    return OpenPart(output.path);
}

AviResult AviWriter::OpenPart(const std::filesystem::path& path) {
    const AviResult created = CreatePart(path);
    if (created.ok()) {
        open_ = true;
        return created;
    }
    // A file without its streams holds nothing a reader could use.
    encoder_.Close();
    file_.Close();
    RemoveFile(path);
    return created;
}

AviResult AviWriter::CreatePart(const std::filesystem::path& path) {
    videoStream_ = -1;
    audioStream_ = -1;
    if (Failed(file_.Create(path))) return Failure(resources::kStrFailedToOpenAviFile);
    if (Failed(encoder_.Open(frameFormat_, options_)))
        return Failure(resources::kStrFailedToCreateCompressedStream);

    AviStreamHeader video;
    video.type = kStreamTypeVideo;
    video.handler = encoder_.StreamHandler();
    video.scale = 100;
    video.rate = static_cast<uint32_t>(frameFormat_.frameRate100);
    video.suggestedBufferSize = encoder_.ImageSize();
    video.frameRight = static_cast<int16_t>(frameFormat_.width);
    video.frameBottom = static_cast<int16_t>(frameFormat_.height);
    videoStream_ = file_.CreateStream(video);
    if (videoStream_ < 0) return Failure(resources::kStrFailedToCreateAviStream);
    if (Failed(file_.SetStreamFormat(videoStream_, VideoFormatBytes(encoder_, frameFormat_))))
        return Failure(resources::kStrFailedToSetStreamFormat);

    if (audio_ && !audioUsedUp_) {
        AviStreamHeader sound;
        sound.type = kStreamTypeAudio;
        sound.scale = audioFormat_.blockAlign;
        sound.rate = audioFormat_.avgBytesPerSec;
        // The video frames in 0.75 s.
        sound.initialFrames =
            static_cast<uint32_t>(MulDivRounded(frameFormat_.frameRate100, 3, 400));
        sound.quality = kAudioQuality;
        sound.sampleSize = audioFormat_.blockAlign;
        audioStream_ = file_.CreateStream(sound);
        if (audioStream_ < 0) return Failure(resources::kStrFailedToCreateAviStream);
        if (Failed(file_.SetStreamFormat(audioStream_, audioFormatBytes_)))
            return Failure(resources::kStrFailedToSetStreamFormat);
    }
    return {};
}

int32_t AviWriter::WriteVideoSample(std::span<const uint8_t> sample, bool keyFrame) {
    const int32_t written = file_.WriteChunk(videoStream_, sample, keyFrame);
    if (Succeeded(written)) bytesInFile_ += static_cast<int64_t>(sample.size());
    return written;
}

AviResult AviWriter::WriteFrame(const FrameBuffer& frame) {
    if (!open_) return Failure(resources::kStrFailedToWriteStream);
    const BitmapInfoHeader& header = frame.header();
    if (header.width != frameFormat_.width || header.height != frameFormat_.height ||
        header.bitCount != frameFormat_.bitsPerPixel)
        return Failure(resources::kStrFailedToWriteStream);
    if (Failed(encoder_.Encode(frame.pixels(), videoSink_)))
        return Failure(resources::kStrFailedToWriteStream);

    const AviResult audio = WriteAudio();
    if (!audio.ok()) return audio;
    if (bytesInFile_ > splitLimit_) return Split();
    return {};
}

AviResult AviWriter::WriteAudio() {
    if (audioStream_ < 0 || audioUsedUp_) return {};
    uint32_t read = 0;
    const int32_t result =
        audio_->Read(audioChunk_.data(), static_cast<uint32_t>(audioChunk_.size()), read);
    if (Failed(result)) return Failure(0, result);
    // A file's sound ends at its first short read; the movie's has only not come yet.
    if (read < audioChunk_.size() && !audio_->Growing()) audioUsedUp_ = true;

    // A torn sample at the very end of the sound is left out.
    const uint32_t whole = read - read % audioFormat_.blockAlign;
    if (whole == 0) return {};
    if (Failed(file_.WriteChunk(audioStream_, {audioChunk_.data(), whole}, true)))
        return Failure(resources::kStrFailedToWriteStream);
    bytesInFile_ += whole;
    return {};
}

AviResult AviWriter::ClosePart() {
    if (!open_) return {};
    open_ = false;
    // Samples an encoder still holds belong to this part's last frames.
    bool written = !encoder_.IsOpen() || Succeeded(encoder_.Flush(videoSink_));
    encoder_.Close();
    written = Succeeded(file_.Close()) && written;
    videoStream_ = -1;
    audioStream_ = -1;
    return written ? AviResult{} : Failure(resources::kStrFailedToWriteStream);
}

AviResult AviWriter::Split() {
    const AviResult closed = ClosePart();
    if (!closed.ok()) return closed;

    std::filesystem::path next;
    if (partCounter_ == 0) {
        std::error_code error;
        std::filesystem::rename(output_.path, PartName(output_.path, 0), error);
        if (error) return Failure(resources::kStrFailedToOpenAviFile);
        partCounter_ = 2;
        next = PartName(output_.path, 1);
    } else {
        next = PartName(output_.path, partCounter_);
        ++partCounter_;
    }
    bytesInFile_ = 0;
    return OpenPart(next);
}

AviResult AviWriter::Close() {
    const AviResult closed = ClosePart();
    audio_ = nullptr;
    return closed;
}

void AviWriter::DeleteOutput() {
    ClosePart();
    if (partCounter_ < 1) {
        RemoveFile(output_.path);
        return;
    }
    for (int part = 0; part < partCounter_; ++part) RemoveFile(PartName(output_.path, part));
}

}  // namespace convert
