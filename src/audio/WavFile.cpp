#include "audio/WavFile.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "audio/LittleEndian.h"
#include "resources/ResultCode.h"

namespace audio {
namespace {

constexpr uint32_t kWaveForm = FourCC("WAVE");
constexpr uint32_t kFormatChunk = FourCC("fmt ");
constexpr uint32_t kFactChunk = FourCC("fact");
constexpr uint32_t kDataChunk = FourCC("data");

// The fields every format has (a WAVEFORMAT); WAVEFORMATEX adds the extra-bytes count.
constexpr size_t kBaseFormatSize = 16;
constexpr size_t kFullFormatSize = 18;

WaveFormat DecodeFormat(const uint8_t* bytes) {
    WaveFormat format;
    format.formatTag = LoadLe16(bytes);
    format.channels = LoadLe16(bytes + 2);
    format.samplesPerSec = LoadLe32(bytes + 4);
    format.avgBytesPerSec = LoadLe32(bytes + 8);
    format.blockAlign = LoadLe16(bytes + 12);
    format.bitsPerSample = LoadLe16(bytes + 14);
    format.extraSize = 0;
    return format;
}

void EncodeFormat(const WaveFormat& format, uint8_t* bytes) {
    StoreLe16(bytes, format.formatTag);
    StoreLe16(bytes + 2, format.channels);
    StoreLe32(bytes + 4, format.samplesPerSec);
    StoreLe32(bytes + 8, format.avgBytesPerSec);
    StoreLe16(bytes + 12, format.blockAlign);
    StoreLe16(bytes + 14, format.bitsPerSample);
    StoreLe16(bytes + 16, format.extraSize);
}

// The readers of a WAV file divide by these; a format with any of them zero describes
// no sound at all.
bool IsUsable(const WaveFormat& format) {
    return format.channels != 0 && format.blockAlign != 0 && format.samplesPerSec != 0 &&
           format.avgBytesPerSec != 0;
}

}  // namespace

WavFile::~WavFile() {
    Close();
}

int32_t WavFile::Open(const std::string& name, int mode, const WaveFormat* format,
                      std::span<const uint8_t> extraBytes) {
    if (name.size() < 4) return kResultInvalidArgument;
    Close();
    mode_ = mode;
    format_.reset();
    formatExtra_.clear();
    name_ = name;
    dataSize_ = 0;

    if (mode == ReadMode) {
        if (!reader_.Open(name)) return kResultFail;
        if (!ReadHeader() || !FindData()) {
            reader_.Close();
            format_.reset();
            formatExtra_.clear();
            return kResultFail;
        }
        dataSize_ = chunk_.size;
    } else if (mode == WriteMode) {
        if (!format) return kResultInvalidArgument;
        const WaveFormat normalised = NormalizePcm(*format);
        const bool pcm = normalised.formatTag == kWaveFormatPcm;
        if (!IsUsable(normalised) || (!pcm && extraBytes.size() != normalised.extraSize))
            return kResultInvalidArgument;
        if (!writer_.Create(name)) return kResultFail;
        format_ = normalised;
        if (!pcm) formatExtra_.assign(extraBytes.begin(), extraBytes.end());
        if (!WriteHeader()) {
            DiscardWritten();
            return kResultFail;
        }
    } else {
        return kResultInvalidArgument;
    }
    return kResultOk;
}

bool WavFile::ReadHeader() {
    if (!reader_.Descend(riff_, nullptr) || riff_.id != kRiffId || riff_.formType != kWaveForm)
        return false;
    if (!reader_.Descend(chunk_, &riff_, kFormatChunk) || chunk_.size < kBaseFormatSize)
        return false;
    uint8_t bytes[kFullFormatSize];
    if (!reader_.ReadExactly(bytes, kBaseFormatSize)) return false;
    WaveFormat format = DecodeFormat(bytes);
    // A non-PCM format carries its extra bytes after a count; a chunk of 16 bytes has
    // none. The extra bytes must lie inside the chunk.
    if (format.formatTag != kWaveFormatPcm && chunk_.size >= kFullFormatSize) {
        if (!reader_.ReadExactly(bytes + kBaseFormatSize, 2)) return false;
        format.extraSize = LoadLe16(bytes + kBaseFormatSize);
        if (format.extraSize > chunk_.size - kFullFormatSize) return false;
        formatExtra_.resize(format.extraSize);
        if (!reader_.ReadExactly(formatExtra_.data(), formatExtra_.size())) return false;
    }
    if (!IsUsable(format)) return false;
    format_ = format;
    return reader_.Ascend(chunk_);
}

bool WavFile::FindData() {
    // The data chunk may come before "fmt ": search again from the start of the contents.
    const int64_t contents = static_cast<int64_t>(riff_.dataOffset) + 4;
    return reader_.Seek(contents, SEEK_SET) == contents &&
           reader_.Descend(chunk_, &riff_, kDataChunk);
}

bool WavFile::WriteHeader() {
    uint8_t formatBytes[kFullFormatSize];
    EncodeFormat(*format_, formatBytes);
    const bool pcm = format_->formatTag == kWaveFormatPcm;
    uint8_t unknownCount[4];
    StoreLe32(unknownCount, std::numeric_limits<uint32_t>::max());
    RiffChunk fact;
    if (!writer_.CreateChunk(riff_, kRiffId, kWaveForm) ||
        !writer_.CreateChunk(chunk_, kFormatChunk) ||
        !writer_.Write(formatBytes, pcm ? kBaseFormatSize : kFullFormatSize) ||
        !writer_.Write(formatExtra_.data(), formatExtra_.size()) || !writer_.Ascend(chunk_) ||
        !writer_.CreateChunk(fact, kFactChunk))
        return false;
    factValueOffset_ = fact.dataOffset;
    return writer_.Write(unknownCount, sizeof unknownCount) && writer_.Ascend(fact) &&
           writer_.CreateChunk(chunk_, kDataChunk);
}

int32_t WavFile::Close() {
    if (mode_ == ReadMode && reader_.IsOpen()) {
        reader_.Close();
    } else if (mode_ == WriteMode && writer_.IsOpen()) {
        if (!FinishWriting()) {
            DiscardWritten();
            return kResultFail;
        }
    }
    return kResultOk;
}

bool WavFile::FinishWriting() {
    if (!writer_.Ascend(chunk_)) return false;
    dataSize_ = chunk_.size;
    if (!writer_.Ascend(riff_)) return false;
    const double samples =
        static_cast<double>(dataSize_) / format_->avgBytesPerSec * format_->samplesPerSec;
    uint8_t count[4];
    StoreLe32(count, static_cast<uint32_t>(
                         std::min(samples, double{std::numeric_limits<uint32_t>::max()})));
    return writer_.WriteAt(factValueOffset_, count, sizeof count) && writer_.Close();
}

void WavFile::DiscardWritten() {
    writer_.Close();
    std::remove(name_.c_str());
    dataSize_ = 0;
}

int32_t WavFile::Read(void* buffer, uint32_t size, uint32_t* bytesRead) {
    if (!buffer || size == 0) return kResultInvalidArgument;
    if (mode_ != ReadMode || !reader_.IsOpen()) return kResultFail;
    const int64_t position = reader_.Position();
    if (position < 0) return kResultFail;
    // Sound ends with the data chunk; whatever chunks follow it are not sound.
    const uint64_t dataEnd = chunk_.End();
    const uint64_t wanted = static_cast<uint64_t>(position) < dataEnd
                                ? std::min<uint64_t>(size, dataEnd - position)
                                : 0;
    const int64_t count = wanted ? reader_.Read(buffer, wanted) : 0;
    if (count < 0) return kResultFail;
    if (bytesRead) *bytesRead = static_cast<uint32_t>(count);
    return kResultOk;
}

int32_t WavFile::Write(const void* data, uint32_t size) {
    if (mode_ != WriteMode || !writer_.IsOpen()) return kResultNotInitialized;
    if (!data) return kResultInvalidArgument;
    // The RIFF size, pad byte included, must stay a 32-bit number.
    const uint64_t riffSize = writer_.Position() + size - riff_.dataOffset;
    if (riffSize + 1 > std::numeric_limits<uint32_t>::max()) return kResultFail;
    return writer_.Write(data, size) ? kResultOk : kResultFail;
}

int64_t WavFile::Seek(int64_t offset, int origin) {
    if (mode_ != ReadMode || !reader_.IsOpen()) return -1;
    return reader_.Seek(offset, origin);
}

}  // namespace audio
