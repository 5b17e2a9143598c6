#include "swf/avm1/classes/SoundChannelState.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "swf/display/DisplayObject.h"
#include "swf/movie/SoundCharacter.h"

namespace swf::avm1 {
namespace {

std::mutex registryMutex;
std::map<const MovieContext*, std::weak_ptr<SoundChannelState>>& registry() {
    static std::map<const MovieContext*, std::weak_ptr<SoundChannelState>> states;
    return states;
}

}  // namespace

double SoundChannelState::Channel::loopMs() const {
    double length = sound ? sound->durationMs() : 0;
    return std::max(0.0, length - offsetMs);
}

double SoundChannelState::Channel::positionMs(double nowMs) const {
    double loop = loopMs();
    if (nowMs >= endMs() || loop <= 0) return offsetMs + loop;
    return offsetMs + std::fmod(std::max(0.0, nowMs - startMs), loop);
}

std::shared_ptr<SoundChannelState> SoundChannelState::attach(const MovieContext& context) {
    std::lock_guard lock(registryMutex);
    auto& states = registry();
    std::erase_if(states, [](const auto& entry) { return entry.second.expired(); });
    if (auto existing = states[&context].lock()) return existing;
    auto made = std::make_shared<SoundChannelState>();
    states[&context] = made;
    return made;
}

std::shared_ptr<SoundChannelState> SoundChannelState::find(const MovieContext& context) {
    std::lock_guard lock(registryMutex);
    auto it = registry().find(&context);
    return it == registry().end() ? nullptr : it->second.lock();
}

uint64_t SoundChannelState::start(const void* owner, std::shared_ptr<const SoundCharacter> sound,
                                  DisplayObject* target, double nowMs, double offsetMs, int loops) {
    removeFinished(nowMs);
    if (!sound || channels_.size() >= kMaxChannels) return 0;
    Channel c;
    c.serial = nextSerial_++;
    c.owner = owner;
    c.sound = std::move(sound);
    if (target) c.target = target->weak_from_this();
    c.global = target == nullptr;
    c.startMs = nowMs;
    c.offsetMs = std::clamp(offsetMs, 0.0, c.sound->durationMs());
    c.loops = std::max(loops, 1);
    channels_.push_back(std::move(c));
    return channels_.back().serial;
}

const SoundChannelState::Channel* SoundChannelState::channel(uint64_t serial) const {
    for (const Channel& c : channels_)
        if (c.serial == serial) return &c;
    return nullptr;
}

SoundChannelState::Channel* SoundChannelState::channel(uint64_t serial) {
    for (Channel& c : channels_)
        if (c.serial == serial) return &c;
    return nullptr;
}

void SoundChannelState::stop(uint64_t serial) {
    std::erase_if(channels_, [&](const Channel& c) { return c.serial == serial; });
}

void SoundChannelState::stopWhere(DisplayObject* target, const SoundCharacter* sound) {
    std::erase_if(channels_, [&](const Channel& c) {
        if (sound && c.sound.get() != sound) return false;
        return !target || c.target.lock().get() == target;
    });
}

void SoundChannelState::removeFinished(double nowMs) {
    std::erase_if(channels_, [&](const Channel& c) {
        return nowMs >= c.endMs() || (!c.global && c.target.expired());
    });
}

SoundLevels& SoundChannelState::levels(DisplayObject* target) {
    if (!target) return global_;
    if (clips_.size() > 4096)
        std::erase_if(clips_, [](const auto& e) { return e.second.first.expired(); });
    auto [it, made] = clips_.try_emplace(target);
    std::weak_ptr<DisplayObject> self = target->weak_from_this();
    // An address used again by a new clip starts with the defaults.
    if (made || (it->second.first.expired() && !self.expired()))
        it->second = {std::move(self), SoundLevels{}};
    return it->second.second;
}

std::vector<ScriptSounds::Started> SoundChannelState::startedAfter(uint64_t serial) const {
    std::vector<Started> started;
    for (const Channel& c : channels_)
        if (c.serial > serial)
            started.push_back(
                {c.serial, c.sound, c.global, c.target.expired(), c.loops, c.offsetMs});
    return started;
}

bool SoundChannelState::keeps(uint64_t serial) const {
    return channel(serial) != nullptr;
}

const SoundLevels& SoundChannelState::globalLevels() const {
    return global_;
}

// A clip that is gone has the movie's levels.
const SoundLevels* SoundChannelState::clipLevels(uint64_t serial) const {
    const Channel* c = channel(serial);
    return c ? findLevels(c->target.lock().get()) : nullptr;
}

const SoundLevels* SoundChannelState::channelLevels(uint64_t serial) const {
    const Channel* c = channel(serial);
    return c ? &c->own : nullptr;
}

const SoundLevels* SoundChannelState::findLevels(const DisplayObject* target) const {
    if (!target) return &global_;
    auto it = clips_.find(target);
    if (it == clips_.end()) return nullptr;
    return &it->second.second;
}

}  // namespace swf::avm1
