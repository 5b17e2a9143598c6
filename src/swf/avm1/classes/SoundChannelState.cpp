#include "swf/avm1/classes/SoundChannelState.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>

#include "swf/character/SoundCharacter.h"
#include "swf/display/DisplayObject.h"

namespace swf::avm1 {
namespace {

// The player keeps levels in 32 bits: sums past them wrap.
int32_t wrap(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

std::mutex registryMutex;
std::map<const MovieContext*, std::weak_ptr<SoundChannelState>>& registry() {
    static std::map<const MovieContext*, std::weak_ptr<SoundChannelState>> states;
    return states;
}

}  // namespace

void SoundLevels::setPan(int32_t pan) {
    ll = pan >= 0 ? wrap(100 - int64_t{pan}) : 100;
    rr = pan >= 0 ? 100 : wrap(100 + int64_t{pan});
    lr = 0;
    rl = 0;
}

// The pan is read back from whichever side was turned down.
int32_t SoundLevels::pan() const {
    if (ll != 100) return wrap(100 - std::llabs(int64_t{ll}));
    return wrap(std::llabs(int64_t{rr}) - 100);
}

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

const SoundLevels* SoundChannelState::findLevels(const DisplayObject* target) const {
    if (!target) return &global_;
    auto it = clips_.find(target);
    if (it == clips_.end()) return nullptr;
    return &it->second.second;
}

}  // namespace swf::avm1
