#include "audio/SoundRecorder.h"

#include <algorithm>
#include <new>

#include "resources/ResultCode.h"

namespace audio {

SoundRecorder::SoundRecorder(CaptureSource& source) : source_(source) {}

SoundRecorder::~SoundRecorder() {
    Close();
}

int32_t SoundRecorder::Open(const std::string& path, const WaveFormat* format) {
    if (path.empty() || !format) return kResultInvalidArgument;
    if (sourceOpen_ || recording_) return kResultFail;
    try {
        for (auto& buffer : buffers_) buffer.assign(kBufferSize, 0);
    } catch (const std::bad_alloc&) {
        for (auto& buffer : buffers_) buffer = {};
        return kResultOutOfMemory;
    }
    format_ = NormalizePcm(*format);
    if (format_.blockAlign == 0) return kResultFail;
    bufferLength_ = kBufferSize - kBufferSize % format_.blockAlign;
    for (int i = 0; i < kBufferCount; ++i)
        headers_[i] = CaptureBuffer{buffers_[i].data(), bufferLength_, 0, static_cast<uint32_t>(i)};

    if (Failed(source_.Open(format_, [this](CaptureBuffer& buffer) { OnBufferDone(buffer); })))
        return kResultFail;
    sourceOpen_ = true;
    if (const int32_t opened = file_.Open(path, WavFile::WriteMode, &format_); Failed(opened)) {
        source_.Close();
        sourceOpen_ = false;
        return opened;
    }
    folder_ = std::filesystem::path(path).parent_path();
    if (folder_.empty()) folder_ = ".";
    return kResultOk;
}

uint64_t SoundRecorder::AvailableSpace() const {
    const uint64_t free = freeSpace_(folder_);
    return free < kMinFreeSpace ? 0 : free;
}

int32_t SoundRecorder::StartCapture(uint64_t byteLimit, std::function<void()> limitReached) {
    if (recording_) return kResultOk;
    if (!sourceOpen_) return kResultFail;
    const uint64_t free = AvailableSpace();
    if (free == 0) return kResultFail;
    if (byteLimit != 0) {
        if (free <= byteLimit) return kResultFail;
        limit_ = byteLimit;
        limitReached_ = std::move(limitReached);
    } else {
        limit_ = free;
    }
    bytesWritten_ = 0;
    for (CaptureBuffer& header : headers_)
        if (Failed(source_.AddBuffer(header))) {
            source_.Reset();
            return kResultFail;
        }
    recording_ = true;
    if (Failed(source_.Start())) {
        recording_ = false;
        source_.Close();
        sourceOpen_ = false;
        return kResultFail;
    }
    return kResultOk;
}

void SoundRecorder::OnBufferDone(CaptureBuffer& buffer) {
    if (buffer.length == 0) return;
    const uint64_t written = bytesWritten_.load();
    if (written >= limit_) return;
    const uint64_t recorded = std::min(buffer.bytesRecorded, buffer.length);
    if (written + recorded >= limit_) {
        const auto rest = static_cast<uint32_t>(limit_ - written);
        if (Failed(file_.Write(buffer.data, rest))) return;
        bytesWritten_ = limit_;
        if (limitReached_) limitReached_();
        return;
    }
    if (recorded > 0 && Failed(file_.Write(buffer.data, static_cast<uint32_t>(recorded)))) return;
    bytesWritten_ = written + recorded;
    if (recording_) source_.AddBuffer(buffer);
}

int32_t SoundRecorder::StopCapture() {
    if (!recording_) return kResultOk;
    // Cleared first, so that the buffers the reset hands back are not queued again.
    recording_ = false;
    if (Failed(source_.Reset())) return kResultFail;
    limitReached_ = nullptr;
    return kResultOk;
}

int32_t SoundRecorder::Close() {
    int32_t result = kResultOk;
    if (sourceOpen_) {
        if (Failed(StopCapture())) return kResultFail;
        result = source_.Close();
        sourceOpen_ = false;
        for (auto& buffer : buffers_) buffer = {};
    }
    if (Failed(file_.Close())) result = kResultFail;
    return Failed(result) ? kResultFail : kResultOk;
}

}  // namespace audio
