#include "audio/EngineMixSource.h"

#include <algorithm>
#include <utility>

#include "audio/PcmConversion.h"
#include "audio/SampleGain.h"
#include "resources/ResultCode.h"

namespace audio {

EngineMixSource::~EngineMixSource() {
    Close();
}

void EngineMixSource::SetEngine(std::function<void(uint32_t, int)> configure,
                                std::function<void(std::span<int16_t>)> render) {
    std::lock_guard lock(mutex_);
    configure_ = std::move(configure);
    render_ = std::move(render);
}

void EngineMixSource::SetFrameRate(double framesPerSecond) {
    std::lock_guard lock(mutex_);
    framesPerSecond_ = framesPerSecond;
}

void EngineMixSource::SetGain(double gain) {
    gain_.store(std::clamp(gain, 0.0, 1.0));
}

std::vector<WaveFormat> EngineMixSource::SupportedFormats() {
    static constexpr uint32_t kRates[] = {8000, 11025, 22050, 44100, 48000};
    static constexpr uint16_t kBits[] = {8, 16};
    static constexpr uint16_t kChannels[] = {1, 2};
    std::vector<WaveFormat> formats;
    for (uint32_t rate : kRates)
        for (uint16_t bits : kBits)
            for (uint16_t channels : kChannels) {
                WaveFormat format;
                format.samplesPerSec = rate;
                format.bitsPerSample = bits;
                format.channels = channels;
                formats.push_back(NormalizePcm(format));
            }
    return formats;
}

int32_t EngineMixSource::Open(const WaveFormat& format, BufferDone done) {
    if (open_ || !done || format.blockAlign == 0 || format.samplesPerSec == 0) return kResultFail;
    format_ = format;
    done_ = std::move(done);
    stopping_ = false;
    capturing_ = false;
    resetRequested_ = false;
    open_ = true;
    if (configure_) configure_(format.samplesPerSec, std::min<int>(format.channels, 2));
    worker_ = std::thread([this] { Deliver(); });
    return kResultOk;
}

int32_t EngineMixSource::AddBuffer(CaptureBuffer& buffer) {
    std::lock_guard lock(mutex_);
    if (!open_ || !buffer.data || buffer.length < format_.blockAlign) return kResultFail;
    buffer.bytesRecorded = 0;
    queue_.push_back(&buffer);
    wake_.notify_one();
    return kResultOk;
}

int32_t EngineMixSource::Start() {
    std::lock_guard lock(mutex_);
    if (!open_) return kResultFail;
    capturing_ = true;
    framesMixed_ = 0;
    pending_.clear();
    return kResultOk;
}

int32_t EngineMixSource::Reset() {
    std::unique_lock lock(mutex_);
    if (!open_) return kResultOk;
    capturing_ = false;
    pending_.clear();
    resetRequested_ = true;
    wake_.notify_one();
    handedBack_.wait(lock, [this] { return !resetRequested_; });
    return kResultOk;
}

int32_t EngineMixSource::Close() {
    if (!open_) return kResultOk;
    Reset();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        wake_.notify_one();
    }
    worker_.join();
    open_ = false;
    done_ = nullptr;
    return kResultOk;
}

void EngineMixSource::MixFrame() {
    std::unique_lock lock(mutex_);
    if (!capturing_ || framesPerSecond_ <= 0) return;
    // Whole samples up to the end of each frame, so that the fractions of a sample that one
    // frame interval holds add up instead of being lost.
    auto samplesUpTo = [this](uint64_t frames) {
        return static_cast<uint64_t>(static_cast<long double>(frames) * format_.samplesPerSec /
                                     framesPerSecond_);
    };
    const uint64_t samples = samplesUpTo(framesMixed_ + 1) - samplesUpTo(framesMixed_);
    ++framesMixed_;
    Append(samples);
    // The delivering thread is woken only for full buffers (every few ticks, not each one);
    // a buffer handed back and queued again takes what is still pending.
    for (;;) {
        FillQueued();
        if (full_.empty() && !delivering_) return;
        wake_.notify_one();
        taken_.wait(lock, [this] { return (full_.empty() && !delivering_) || !capturing_; });
        if (!capturing_) return;
    }
}

void EngineMixSource::Append(uint64_t samples) {
    const int mixed = std::min<int>(format_.channels, 2);
    mix_.assign(samples * static_cast<uint64_t>(mixed), 0);
    if (render_) render_(mix_);
    const size_t before = pending_.size();
    AppendPcm(mix_, mixed, format_, pending_);
    ApplyGain(std::span(pending_).subspan(before), format_, gain_.load());
}

void EngineMixSource::FillQueued() {
    size_t taken = 0;
    while (taken < pending_.size() && !queue_.empty()) {
        CaptureBuffer* buffer = queue_.front();
        const auto take = static_cast<uint32_t>(
            std::min<uint64_t>(pending_.size() - taken, buffer->length - buffer->bytesRecorded));
        std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(taken), take,
                    buffer->data + buffer->bytesRecorded);
        taken += take;
        buffer->bytesRecorded += take;
        if (buffer->bytesRecorded == buffer->length) {
            queue_.pop_front();
            full_.push_back(buffer);
        }
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(taken));
}

void EngineMixSource::Deliver() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || resetRequested_ || !full_.empty(); });
        if (resetRequested_) {
            // Only the buffers queued now, full ones first: one queued again from the
            // callback waits.
            std::deque<CaptureBuffer*> returned;
            returned.swap(full_);
            returned.insert(returned.end(), queue_.begin(), queue_.end());
            queue_.clear();
            taken_.notify_all();
            lock.unlock();
            for (CaptureBuffer* buffer : returned) done_(*buffer);
            lock.lock();
            resetRequested_ = false;
            handedBack_.notify_all();
            continue;
        }
        if (stopping_) return;
        CaptureBuffer* buffer = full_.front();
        full_.pop_front();
        delivering_ = true;
        lock.unlock();
        done_(*buffer);
        lock.lock();
        delivering_ = false;
        taken_.notify_all();
    }
}

}  // namespace audio
