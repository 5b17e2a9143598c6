#include "swf/sound/SoundMixer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "swf/movie/SoundCharacter.h"
#include "swf/sound/Resampler.h"
#include "swf/sound/ScriptSounds.h"
#include "swf/sound/SoundClip.h"
#include "swf/sound/SoundDecoder.h"
#include "swf/sound/StreamSound.h"

namespace swf {
namespace {

// How the two channels of a sound reach the two of the mix: left out = ll * left + rl *
// right, right out = lr * left + rr * right.
struct Gains {
    float ll = 1, lr = 0, rl = 0, rr = 1;

    // Scripts may set any 32-bit level; far past full they only clip.
    static Gains of(const SoundLevels& levels) {
        const auto percent = [](int32_t v) { return std::clamp(v, -10000, 10000) / 100.0f; };
        const float volume = percent(levels.volume);
        return {volume * percent(levels.ll), volume * percent(levels.lr),
                volume * percent(levels.rl), volume * percent(levels.rr)};
    }
    // These gains after `first`.
    Gains after(const Gains& first) const {
        return {ll * first.ll + rl * first.lr, lr * first.ll + rr * first.lr,
                ll * first.rl + rl * first.rr, lr * first.rl + rr * first.rr};
    }
};

const char* codecName(SoundCharacter::Format format) {
    switch (format) {
        case SoundCharacter::Format::UncompressedNative:
        case SoundCharacter::Format::UncompressedLittle:
            return "uncompressed";
        case SoundCharacter::Format::Adpcm:
            return "ADPCM";
        case SoundCharacter::Format::Mp3:
            return "MP3";
        case SoundCharacter::Format::Speex:
            return "Speex";
        default:
            return "Nellymoser";
    }
}

}  // namespace

struct SoundMixer::Voice {
    std::shared_ptr<const SoundCharacter> sound;
    std::shared_ptr<const PcmBuffer> pcm;
    uint64_t scriptSerial = 0;  // a script's sound: the serial of its start
    bool global = true;         // false for a script's sound for a clip, whose levels apply
    size_t begin = 0;
    size_t end = 0;
    size_t position = 0;
    uint32_t loopsLeft = 1;
    uint64_t elapsed = 0;  // output samples since it started, for the envelope
    std::vector<SoundStart::EnvelopePoint> envelope;  // positions in output samples

    // The envelope's levels (0 to 1) at the current sample.
    std::pair<float, float> envelopeLevels() const {
        if (envelope.empty()) return {1.0f, 1.0f};
        auto next = std::find_if(envelope.begin(), envelope.end(),
                                 [&](const auto& p) { return p.position44 > elapsed; });
        const auto level = [](uint16_t v) { return v / 32768.0f; };
        if (next == envelope.begin()) return {level(next->left), level(next->right)};
        const auto& before = *(next - 1);
        if (next == envelope.end()) return {level(before.left), level(before.right)};
        const float t = static_cast<float>(elapsed - before.position44) /
                        static_cast<float>(next->position44 - before.position44);
        return {level(before.left) + t * (level(next->left) - level(before.left)),
                level(before.right) + t * (level(next->right) - level(before.right))};
    }

    // Adds `frames` samples into the stereo mix; false once the sound has ended.
    bool mixInto(std::span<float> mix, size_t frames, const Gains& gains) {
        const int channels = pcm->channels;
        for (size_t i = 0; i < frames; ++i, ++position, ++elapsed) {
            if (position >= end) {
                if (loopsLeft <= 1) return false;
                --loopsLeft;
                position = begin;
            }
            const float left = pcm->samples[position * channels];
            const float right = channels > 1 ? pcm->samples[position * channels + 1] : left;
            const auto [envelopeLeft, envelopeRight] = envelopeLevels();
            const float l = left * envelopeLeft, r = right * envelopeRight;
            mix[2 * i] += gains.ll * l + gains.rl * r;
            mix[2 * i + 1] += gains.lr * l + gains.rr * r;
        }
        return true;
    }
};

struct SoundMixer::StreamVoice {
    std::weak_ptr<const SoundClip> clip;
    std::shared_ptr<const StreamSound> stream;
    int lastFrame = -1;
    int enteredFrame = -1;  // the frame reached since the last mix, else -1
    bool playing = false;
    uint64_t position = 0;
};

SoundMixer::SoundMixer(double frameRate, uint32_t rate, int channels)
    : frameRate_(frameRate), rate_(rate), channels_(std::clamp(channels, 1, 2)) {}

SoundMixer::~SoundMixer() = default;

void SoundMixer::log(const std::string& line) {
    std::fprintf(stderr, "kinetrope: %s\n", line.c_str());
}

bool SoundMixer::takeBudget(size_t bytes, const std::string& what) {
    if (bytes > kMaxDecodedBytes - decodedBytes_) {
        log(what + ": not played, the movie's decoded sound would pass its limit");
        return false;
    }
    decodedBytes_ += bytes;
    return true;
}

std::shared_ptr<const PcmBuffer> SoundMixer::decoded(
    const std::shared_ptr<const SoundCharacter>& sound) {
    auto cached = sounds_.find(sound.get());
    if (cached != sounds_.end() && cached->second.owner.lock() == sound) return cached->second.pcm;
    const std::string name =
        "sound " + std::to_string(sound->id()) + " (" + codecName(sound->format()) + ")";
    // Whatever the codec makes, never more than the budget could hold at the output rate.
    const size_t leftFrames = (kMaxDecodedBytes - decodedBytes_) / 4;
    const size_t scale = std::max<size_t>(1, rate_ / std::max<uint32_t>(1, sound->rateHz()));
    SoundDecoder decoder(SoundFormat::of(*sound), leftFrames / scale);
    if (!decoder.feed(sound->data()) || !decoder.finish())
        log(name + ": " + decoder.error() + "; it ends there");
    auto pcm = std::make_shared<PcmBuffer>(std::move(decoder.pcm()));
    const auto channels = static_cast<size_t>(pcm->channels);
    const size_t skip = std::min<size_t>(std::max(sound->seekSamples(), 0), pcm->frames());
    pcm->samples.erase(pcm->samples.begin(), pcm->samples.begin() + skip * channels);
    if (sound->sampleCount() > 0 && pcm->frames() > sound->sampleCount())
        pcm->samples.resize(sound->sampleCount() * channels);
    std::string error;
    std::shared_ptr<const PcmBuffer> result = pcm;
    if (!Resampler::convert(*pcm, rate_, error)) {
        log(name + ": " + error);
        result = nullptr;
    } else if (!takeBudget(pcm->samples.size() * sizeof(int16_t), name)) {
        result = nullptr;
    }
    sounds_[sound.get()] = {sound, result};
    return result;
}

std::shared_ptr<const StreamSound> SoundMixer::streamOf(
    const std::shared_ptr<const Timeline>& timeline) {
    auto cached = streamSounds_.find(timeline.get());
    if (cached != streamSounds_.end() && cached->second.owner.lock() == timeline)
        return cached->second.stream;
    std::string error;
    auto stream = StreamSound::build(*timeline, (kMaxDecodedBytes - decodedBytes_) / 4, error);
    if (!error.empty()) log("stream sound: " + error + "; it ends there");
    if (stream) {
        error.clear();
        if (!stream->resample(rate_, error)) {
            log("stream sound: " + error);
            stream = nullptr;
        } else if (!takeBudget(stream->pcm.samples.size() * sizeof(int16_t), "stream sound")) {
            stream = nullptr;
        }
    }
    streamSounds_[timeline.get()] = {timeline, stream};
    return stream;
}

size_t SoundMixer::voiceCount() const {
    return voices_.size() +
           static_cast<size_t>(std::count_if(streams_.begin(), streams_.end(),
                                             [](const auto& s) { return s.second.playing; }));
}

void SoundMixer::streamFrameEntered(const std::shared_ptr<const SoundClip>& clip,
                                    const std::shared_ptr<const Timeline>& timeline, int frame) {
    if (!clip || !timeline) return;
    auto stream = streamOf(timeline);
    if (!stream) return;
    StreamVoice& voice = streams_[clip.get()];
    if (voice.clip.lock() != clip || voice.stream != stream) voice = StreamVoice{clip, stream};
    voice.enteredFrame = frame;
}

void SoundMixer::startSound(std::shared_ptr<const SoundCharacter> sound, const SoundStart& how) {
    if (!sound) return;
    const auto same = [&](const Voice& v) { return v.sound == sound; };
    if (how.stop) {
        std::erase_if(voices_, same);
        return;
    }
    if (how.noMultiple && std::any_of(voices_.begin(), voices_.end(), same)) return;
    startVoice(std::move(sound), how, 0, true, 0);
}

bool SoundMixer::startVoice(std::shared_ptr<const SoundCharacter> sound, const SoundStart& how,
                            uint64_t scriptSerial, bool global, uint64_t offsetFrames) {
    if (voiceCount() >= kMaxVoices) return false;
    auto pcm = decoded(sound);
    if (!pcm) return false;
    // In and out points and envelope positions count samples at 44 kHz.
    const auto at44 = [this](uint64_t position44) {
        return static_cast<size_t>(position44 * rate_ / 44100);
    };
    Voice voice;
    voice.begin = std::min(at44(how.inPoint.value_or(0)) + offsetFrames, pcm->frames());
    voice.end = how.outPoint ? std::min(at44(*how.outPoint), pcm->frames()) : pcm->frames();
    if (voice.begin >= voice.end) return false;
    voice.position = voice.begin;
    voice.loopsLeft = std::max<uint32_t>(how.loops, 1);
    voice.envelope = how.envelope;
    for (auto& point : voice.envelope)
        point.position44 = static_cast<uint32_t>(at44(point.position44));
    voice.sound = std::move(sound);
    voice.pcm = std::move(pcm);
    voice.scriptSerial = scriptSerial;
    voice.global = global;
    voices_.push_back(std::move(voice));
    return true;
}

void SoundMixer::stopAll() {
    voices_.clear();
    for (auto& [clip, stream] : streams_) stream.playing = false;
}

void SoundMixer::startScriptSounds(const ScriptSounds* scripts) {
    std::erase_if(voices_, [&](const Voice& v) {
        return v.scriptSerial != 0 && !(scripts && scripts->keeps(v.scriptSerial));
    });
    if (!scripts) return;
    for (const ScriptSounds::Started& started : scripts->startedAfter(lastScriptSerial_)) {
        lastScriptSerial_ = started.serial;
        if (!started.sound || (!started.global && started.clipGone)) continue;
        SoundStart how;
        how.loops = static_cast<uint16_t>(std::clamp(started.loops, 1, 0xFFFF));
        const auto offset = static_cast<uint64_t>(std::max(0.0, started.offsetMs) * rate_ / 1000);
        startVoice(started.sound, how, started.serial, started.global, offset);
    }
}

void SoundMixer::updateStreams() {
    for (auto it = streams_.begin(); it != streams_.end();) {
        auto clip = it->second.clip.lock();
        if (!clip || !clip->streamAudible()) {
            it = streams_.erase(it);
            continue;
        }
        StreamVoice& voice = it->second;
        const bool entered = voice.enteredFrame >= 0;
        if (entered) {
            // Playing on to the next frame keeps the sound running; anything else (a goto,
            // the loop back, a restart) starts it at the sound of the frame reached.
            if (!voice.playing || voice.enteredFrame != voice.lastFrame + 1) {
                const auto& starts = voice.stream->frameStart;
                const auto frame = static_cast<size_t>(voice.enteredFrame);
                voice.position = frame < starts.size() ? starts[frame] : voice.stream->pcm.frames();
            }
            voice.lastFrame = voice.enteredFrame;
            voice.enteredFrame = -1;
        }
        // A timeline that did not move this frame is stopped, and so is its stream.
        voice.playing = entered;
        ++it;
    }
}

void SoundMixer::mixFrame() {
    if (frameRate_ <= 0) return;
    const auto samplesUpTo = [&](uint64_t frames) {
        return static_cast<uint64_t>(static_cast<long double>(frames) * rate_ / frameRate_);
    };
    const auto frames =
        static_cast<size_t>(samplesUpTo(framesMixed_ + 1) - samplesUpTo(framesMixed_));
    ++framesMixed_;
    const std::shared_ptr<const ScriptSounds> scripts =
        findScriptSounds_ ? findScriptSounds_() : nullptr;
    startScriptSounds(scripts.get());
    updateStreams();
    mix_.assign(frames * 2, 0.0f);

    const Gains global = scripts ? Gains::of(scripts->globalLevels()) : Gains{};
    std::erase_if(voices_, [&](Voice& voice) {
        Gains gains = global;
        if (!voice.global) {
            const SoundLevels* levels = scripts ? scripts->clipLevels(voice.scriptSerial) : nullptr;
            if (levels) gains = global.after(Gains::of(*levels));
        }
        if (const SoundLevels* own = scripts ? scripts->channelLevels(voice.scriptSerial) : nullptr)
            gains = gains.after(Gains::of(*own));
        return !voice.mixInto(mix_, frames, gains);
    });
    size_t heard = voices_.size();
    for (auto& [clip, voice] : streams_) {
        if (!voice.playing) continue;
        if (++heard > kMaxVoices) {
            voice.playing = false;
            continue;
        }
        const PcmBuffer& pcm = voice.stream->pcm;
        const int channels = pcm.channels;
        for (size_t i = 0; i < frames && voice.position < pcm.frames(); ++i, ++voice.position) {
            const float left = pcm.samples[voice.position * channels];
            const float right = channels > 1 ? pcm.samples[voice.position * channels + 1] : left;
            mix_[2 * i] += global.ll * left + global.rl * right;
            mix_[2 * i + 1] += global.lr * left + global.rr * right;
        }
    }

    const auto clip16 = [](float v) {
        return static_cast<int16_t>(std::lrint(std::clamp(v, -32768.0f, 32767.0f)));
    };
    const size_t queued = queue_.size();
    queue_.resize(queued + frames * static_cast<size_t>(channels_));
    int16_t* out = queue_.data() + queued;
    for (size_t i = 0; i < frames; ++i) {
        if (channels_ == 1) {
            *out++ = clip16((mix_[2 * i] + mix_[2 * i + 1]) / 2);
        } else {
            *out++ = clip16(mix_[2 * i]);
            *out++ = clip16(mix_[2 * i + 1]);
        }
    }
    const size_t limit = size_t{kMaxQueuedSeconds} * rate_ * static_cast<size_t>(channels_);
    if (queue_.size() > limit)
        queue_.erase(queue_.begin(),
                     queue_.begin() + static_cast<std::ptrdiff_t>(queue_.size() - limit));
}

size_t SoundMixer::take(std::span<int16_t> out) {
    const size_t count = std::min(out.size(), queue_.size());
    std::copy_n(queue_.begin(), count, out.begin());
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(count), out.end(), int16_t{0});
    return count;
}

}  // namespace swf
