#include "player/SoundOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <cmath>

#include "swf/player/Player.h"

namespace player {

SoundOutput::SoundOutput(swf::Player& control) : control_(control) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return;
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(kRate));
    format.setChannelCount(kChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) return;
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->setBufferSize(static_cast<qsizetype>(kRate) * kBytesPerFrame * kBufferMs / 1000);
    device_ = sink_->start();
    if (!device_ || sink_->error() != QAudio::NoError) {
        sink_->stop();
        sink_.reset();
        device_ = nullptr;
        return;
    }
    QAudioSink* sink = sink_.get();
    room_ = [sink] { return static_cast<qint64>(sink->bytesFree()); };
    control_.SetSoundOutput(kRate, kChannels);
}

SoundOutput::SoundOutput(swf::Player& control, QIODevice& device, std::function<qint64()> room)
    : control_(control), device_(&device), room_(std::move(room)) {
    control_.SetSoundOutput(kRate, kChannels);
}

SoundOutput::~SoundOutput() {
    if (sink_) sink_->stop();
}

std::vector<int16_t> SoundOutput::TakeMix() {
    // The engine keeps at most a few seconds, so this ends.
    std::vector<int16_t> mix;
    std::vector<int16_t> chunk(4096);
    for (;;) {
        const size_t got = control_.TakeSound(chunk);
        mix.insert(mix.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
        if (got < chunk.size()) return mix;
    }
}

std::vector<int16_t> SoundOutput::ToOutput(std::span<const int16_t> mix, uint32_t rate,
                                           int channels) {
    const auto width = static_cast<size_t>(channels);
    size_t frames = mix.size() / width;
    // Sound left from ticks that were not heard (a seek, a run) would only lag behind.
    const double fps = control_.Header() ? control_.Header()->frameRate : 0;
    if (fps > 0) {
        const auto tick = static_cast<size_t>(std::ceil(rate / fps));
        if (frames > tick) {
            dropped_ += (frames - tick) * kRate / rate * kBytesPerFrame;
            mix = mix.subspan((frames - tick) * width);
            frames = tick;
        }
    }
    if (rate == kRate && channels == kChannels) return {mix.begin(), mix.begin() + frames * width};
    const size_t outFrames = frames * kRate / rate;
    std::vector<int16_t> out;
    out.reserve(outFrames * kChannels);
    for (size_t i = 0; i < outFrames; ++i) {
        const size_t from = std::min(frames - 1, i * rate / kRate) * width;
        out.push_back(mix[from]);
        out.push_back(mix[from + width - 1]);
    }
    return out;
}

void SoundOutput::Played() {
    const std::vector<int16_t> mix = TakeMix();
    const uint32_t rate = control_.MixRate();
    const int channels = control_.MixChannels();
    if (!device_ || rate == 0 || channels < 1 || mix.empty()) return;
    const std::vector<int16_t> out = ToOutput(mix, rate, channels);
    const auto bytes = static_cast<qint64>(out.size() * sizeof(int16_t));
    const qint64 room = std::clamp<qint64>(room_(), 0, bytes) / kBytesPerFrame * kBytesPerFrame;
    const qint64 wrote =
        room > 0 ? std::max<qint64>(0, device_->write(reinterpret_cast<const char*>(out.data()), room))
                 : 0;
    written_ += static_cast<uint64_t>(wrote);
    dropped_ += static_cast<uint64_t>(bytes - wrote);
}

void SoundOutput::Discard() {
    TakeMix();
}

}  // namespace player
