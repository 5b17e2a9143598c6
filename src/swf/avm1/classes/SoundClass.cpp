// Sound: attaches exported sounds and sounds loaded from files beside the movie, starts and
// stops them and sets the volume and pan of the clip it speaks for (shared by every Sound of
// that clip). What plays, and how loud, is kept in the movie's SoundChannelState for the
// mixer; positions and the completion event follow the movie's clock.

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/LoadRequests.h"
#include "swf/avm1/classes/LocalMedia.h"
#include "swf/avm1/classes/PlayerEvents.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/classes/SoundChannelState.h"
#include "swf/avm1/classes/SoundObject.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/display/ContentRequests.h"
#include "swf/movie/SoundCharacter.h"
#include "swf/display/DisplayObject.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/sound/Id3Tag.h"

namespace swf::avm1 {
namespace {

// What the class keeps for the movie: the channels the mixer plays, and the prototype, which
// stays the class's when a movie deletes the global.
struct SoundClass {
    explicit SoundClass(script::Heap& heap) : proto(heap) {}
    std::shared_ptr<SoundChannelState> state;
    Rooted<Object> proto;
    bool propertiesAdded = false;
};

SoundClass& soundClass(Machine& m) {
    return m.realmState<SoundClass>();
}

SoundObject* soundOf(Object* self) {
    return dynamic_cast<SoundObject*>(self);
}

// The clip a Sound speaks for; false when it has one and it cannot be found now. To SWF 5
// code a clip removed while its unload handler waits to run no longer counts, though its name
// still finds it; later versions still reach it.
bool resolveTarget(Machine& m, const SoundObject& s, DisplayObject*& target) {
    target = nullptr;
    if (s.global) return true;
    target = clipAtPath(m, s.targetPath);
    if (target && target->unloadQueued() && m.swfVersion() < 6) target = nullptr;
    return target != nullptr;
}

// A clip whose class extends Sound has the levels of the clip itself.
SoundLevels* levelsOf(Machine& m, SoundClass& c, Object* self) {
    DisplayObject* target = nullptr;
    if (SoundObject* s = soundOf(self)) {
        if (!resolveTarget(m, *s, target)) return nullptr;
    } else if (target = self ? m.displayObjectOf(Value(self)) : nullptr; !target) {
        return nullptr;
    }
    return &c.state->levels(target);
}

double positionOf(Machine& m, SoundClass& c, const SoundObject& s) {
    if (const SoundChannelState::Channel* ch = c.state->channel(s.channel))
        return std::floor(ch->positionMs(m.frameTimeMs()));
    return s.lastPositionMs;
}

Value durationOf(const SoundObject& s) {
    if (s.sound) return Value(s.sound->durationMs());
    if (s.load == SoundObject::Load::Loading) return Value(0);
    return Value();
}

Value positionValue(Machine& m, SoundClass& c, const SoundObject& s) {
    if (s.sound) return Value(positionOf(m, c, s));
    if (s.load == SoundObject::Load::Loading) return Value(0);
    return Value();
}

// A sound's end comes on the movie's clock: (sound, channel serial).
Value soundCompleted(Machine& m, Object*, std::span<const Value> args) {
    SoundChannelState& channels = *soundClass(m).state;
    SoundObject* s = soundOf(arg(args, 0).asObject());
    auto serial = static_cast<uint64_t>(m.toNumber(arg(args, 1)));
    const SoundChannelState::Channel* ch = channels.channel(serial);
    if (!s || !ch) return Value();  // stopped before it ended
    double end = ch->positionMs(ch->endMs());
    channels.stop(serial);
    if (s->channel == serial) s->lastPositionMs = std::floor(end);
    m.callMethod(Value(s), "onSoundComplete", {});
    return Value();
}

void startSound(Machine& m, SoundClass& c, SoundObject& s, DisplayObject* target, double offsetMs,
                int loops) {
    double now = m.frameTimeMs();
    uint64_t serial = c.state->start(&s, s.sound, target, now, offsetMs, loops);
    if (serial == 0) return;
    s.channel = serial;
    s.lastPositionMs = 0;
    const SoundChannelState::Channel* ch = c.state->channel(serial);
    // Timers fire for the time a frame covers, but a sound is heard to its end only when the
    // frame after that end has begun: its completion waits one frame more.
    const double heardMs = ch->endMs() - now + m.context().movie().header.frameIntervalMs();
    player::later(m, soundCompleted, heardMs, {Value(&s), Value(static_cast<double>(serial))});
}

// Stops what `stop` names and keeps where this Sound's own channel got to.
void stopSounds(Machine& m, SoundClass& c, SoundObject& s, DisplayObject* target,
                const SoundCharacter* only) {
    if (const SoundChannelState::Channel* ch = c.state->channel(s.channel)) {
        double at = std::floor(ch->positionMs(m.frameTimeMs()));
        c.state->stopWhere(s.global ? nullptr : target, only);
        if (!c.state->channel(s.channel)) s.lastPositionMs = at;
        return;
    }
    c.state->stopWhere(s.global ? nullptr : target, only);
}

std::shared_ptr<const SoundCharacter> exportedSound(Machine& m, const Value& name) {
    const SwfMovie& movie = m.context().movie();
    auto id = movie.findExport(m.toString(name));
    if (!id || !movie.dictionary.findAs<SoundCharacter>(*id)) return nullptr;
    return std::static_pointer_cast<const SoundCharacter>(movie.dictionary.share(*id));
}

Value soundDuration(Machine&, Object* self, std::span<const Value>) {
    SoundObject* s = soundOf(self);
    return s ? durationOf(*s) : Value();
}

Value soundPosition(Machine& m, Object* self, std::span<const Value>) {
    SoundObject* s = soundOf(self);
    return s ? positionValue(m, soundClass(m), *s) : Value();
}

constexpr NativeMember kSoundProperties[] = {
    native::accessor("duration", soundDuration, native::nothing),
    native::accessor("position", soundPosition, native::nothing),
};

// duration and position appear on the prototype once a first sound is attached or loaded;
// until then an assignment makes a plain property that hides them for good.
void addProperties(Machine& m) {
    SoundClass& c = soundClass(m);
    if (c.propertiesAdded) return;
    c.propertiesAdded = true;
    installMembers(m, c.proto, kSoundProperties);
}

// The file's ID3 text under the frame ids and the ID3v1 names.
Object* id3Object(Machine& m, const std::vector<Id3Tag::Field>& fields) {
    Object* id3 = m.newObject();
    for (const Id3Tag::Field& field : fields) m.set(id3, field.name, Value(field.text));
    return id3;
}

// A loaded file: an MP3 file's ID3 tags are reported first, then the sound is there (and
// plays at once when it streams); anything else fails.
void finishLoad(Machine& m, SoundClass& c, SoundObject& s, const std::optional<std::string>& file,
                bool streaming) {
    std::span<const uint8_t> bytes;
    if (file) bytes = {reinterpret_cast<const uint8_t*>(file->data()), file->size()};
    std::optional<LocalMedia::Mp3Info> info;
    if (file) info = LocalMedia::scanMp3(bytes);
    if (!info) {
        s.load = SoundObject::Load::Failed;
        const Value failed[] = {Value(false)};
        m.callMethod(Value(&s), "onLoad", failed);
        return;
    }
    uint32_t serial = s.loadSerial;
    if (const auto tag = Id3Tag::read(bytes)) {
        s.setOwn("id3", Value(id3Object(m, *tag)), kDontEnum);
        m.callMethod(Value(&s), "onID3", {});
        if (s.loadSerial != serial) return;  // loaded anew meanwhile
    }
    s.bytesTotal = static_cast<double>(bytes.size());
    std::vector<uint8_t> audio(
        bytes.begin() + static_cast<std::ptrdiff_t>(std::min(info->audioStart, bytes.size())),
        bytes.end());
    s.sound = std::make_shared<SoundCharacter>(0, SoundCharacter::Format::Mp3, info->rateHz, true,
                                               info->stereo, info->sampleCount, std::move(audio));
    s.load = SoundObject::Load::Loaded;
    DisplayObject* target = nullptr;
    if (streaming && resolveTarget(m, s, target)) startSound(m, c, s, target, 0, 1);
    const Value ok[] = {Value(true)};
    m.callMethod(Value(&s), "onLoad", ok);
}

Value attachExportedSound(Machine& m, Object* self, std::span<const Value> args) {
    SoundObject* s = soundOf(self);
    DisplayObject* target = nullptr;
    addProperties(m);
    if (!s || args.empty() || !resolveTarget(m, *s, target)) return Value();
    auto sound = exportedSound(m, args[0]);
    if (!sound) return Value();
    s->sound = std::move(sound);
    s->load = SoundObject::Load::None;
    s->channel = 0;
    s->lastPositionMs = 0;
    return Value();
}

Value soundStart(Machine& m, Object* self, std::span<const Value> args) {
    SoundObject* s = soundOf(self);
    DisplayObject* target = nullptr;
    if (!s || !s->sound || !resolveTarget(m, *s, target)) return Value();
    double offset = args.empty() ? 0 : m.toNumber(args[0]);
    double loops = args.size() < 2 ? 1 : m.toNumber(args[1]);
    if (!std::isfinite(offset) || offset < 0) offset = 0;
    int count = std::isfinite(loops) ? static_cast<int>(std::clamp(loops, 1.0, 1e6)) : 1;
    startSound(m, soundClass(m), *s, target, offset * 1000, count);
    return Value();
}

Value soundStop(Machine& m, Object* self, std::span<const Value> args) {
    SoundObject* s = soundOf(self);
    DisplayObject* target = nullptr;
    if (!s || !resolveTarget(m, *s, target)) return Value();
    if (args.empty()) {
        stopSounds(m, soundClass(m), *s, target, nullptr);
    } else if (auto sound = exportedSound(m, args[0])) {
        stopSounds(m, soundClass(m), *s, target, sound.get());
    }
    return Value();
}

Value soundSetVolume(Machine& m, Object* self, std::span<const Value> args) {
    if (SoundLevels* l = levelsOf(m, soundClass(m), self))
        l->volume = args.empty() ? 0 : SoundLevels::truncated(m.toNumber(args[0]));
    return Value();
}

Value soundGetVolume(Machine& m, Object* self, std::span<const Value>) {
    SoundLevels* l = levelsOf(m, soundClass(m), self);
    return l ? Value(l->volume) : Value();
}

Value soundSetPan(Machine& m, Object* self, std::span<const Value> args) {
    if (SoundLevels* l = levelsOf(m, soundClass(m), self))
        l->setPan(args.empty() ? 0 : SoundLevels::truncated(m.toNumber(args[0])));
    return Value();
}

Value soundGetPan(Machine& m, Object* self, std::span<const Value>) {
    SoundLevels* l = levelsOf(m, soundClass(m), self);
    return l ? Value(l->pan()) : Value();
}

Value soundSetTransform(Machine& m, Object* self, std::span<const Value> args) {
    SoundLevels* l = levelsOf(m, soundClass(m), self);
    Object* from = arg(args, 0).asObject();
    if (!l || !from) return Value();
    // Only the object's own members count, not inherited ones.
    for (auto [name, field] : {std::pair{"ll", &SoundLevels::ll}, std::pair{"lr", &SoundLevels::lr},
                               std::pair{"rl", &SoundLevels::rl}, std::pair{"rr", &SoundLevels::rr}})
        if (from->findOwn(name)) (*l).*field = m.toInt32(m.get(Value(from), name));
    return Value();
}

Value soundGetTransform(Machine& m, Object* self, std::span<const Value>) {
    SoundLevels* l = levelsOf(m, soundClass(m), self);
    if (!l) return Value();
    Object* t = m.newObject();
    t->setOwn("ll", Value(l->ll));
    t->setOwn("lr", Value(l->lr));
    t->setOwn("rr", Value(l->rr));
    t->setOwn("rl", Value(l->rl));
    return Value(t);
}

Value loadSoundFile(Machine& m, Object* self, std::span<const Value> args) {
    SoundObject* s = soundOf(self);
    DisplayObject* target = nullptr;
    addProperties(m);
    if (!s || args.empty() || !resolveTarget(m, *s, target)) return Value();
    stopSounds(m, soundClass(m), *s, target, s->sound.get() ? s->sound.get() : nullptr);
    s->sound.reset();
    s->channel = 0;
    s->lastPositionMs = 0;
    s->bytesTotal = 0;
    s->load = SoundObject::Load::Loading;
    uint32_t serial = ++s->loadSerial;
    ContentRequests* loader = m.context().loader();
    if (!loader) return Value();
    bool streaming = m.toBoolean(arg(args, 1));
    // A stream opens within the call: onLoad comes before loadSound returns.
    if (streaming) {
        finishLoad(m, soundClass(m), *s, loader->readNow(m.toString(args[0])), true);
        return Value();
    }
    // An event sound's file is read now and answered as the frame ends, as the player's loads
    // are; the answer must find the sound, referenced or not.
    Machine* machine = &m;
    loader->loadText(m.toString(args[0]),
                     [machine, sound = Rooted<SoundObject>(m.heap(), s), serial](
                         const std::optional<std::string>& bytes, size_t) {
                         if (sound->loadSerial != serial) return;  // loaded anew meanwhile
                         runLoadCallback(*machine, [&] {
                             finishLoad(*machine, soundClass(*machine), *sound, bytes, false);
                         });
                     });
    return Value();
}

// Bytes of a loaded file: none while it loads, undefined for an attached sound.
Value soundBytes(Machine&, Object* self, std::span<const Value>) {
    SoundObject* s = soundOf(self);
    if (!s || s->load == SoundObject::Load::None) return Value();
    return Value(s->load == SoundObject::Load::Loaded ? s->bytesTotal : 0);
}

Value soundConstruct(Machine& m, Object* self, std::span<const Value> args) {
    SoundObject* s = soundOf(self);
    if (!m.constructing() || !s) return Value();
    if (args.empty() || args[0].isNullish()) return Value();
    s->global = false;
    if (DisplayObject* d = m.displayObjectOf(args[0]))
        s->targetPath = m.targetPath(*d);
    else
        s->targetPath = m.toString(args[0]);
    return Value();
}

// Kept for the loads a movie asks for; no policy file is ever fetched for a local file.
Value soundCheckPolicyFile(Machine&, Object* self, std::span<const Value>) {
    SoundObject* s = soundOf(self);
    return s ? Value(s->checkPolicyFile) : Value();
}

Value setSoundCheckPolicyFile(Machine& m, Object* self, std::span<const Value> args) {
    if (SoundObject* s = soundOf(self)) s->checkPolicyFile = m.toBoolean(arg(args, 0));
    return Value();
}

Object* makeSound(Machine& m, Object* prototype) {
    return m.heap().make<SoundObject>(prototype);
}

using native::method;

// In the player's order; the methods of loaded sounds came with SWF 6.
constexpr NativeMember kSoundMethods[] = {
    method("getPan", soundGetPan),
    method("getTransform", soundGetTransform),
    method("getVolume", soundGetVolume),
    method("setPan", soundSetPan),
    method("setTransform", soundSetTransform),
    method("setVolume", soundSetVolume),
    method("stop", soundStop),
    method("attachSound", attachExportedSound),
    method("start", soundStart),
    method("getDuration", soundDuration).since(6),
    method("setDuration", native::nothing).since(6),
    method("getPosition", soundPosition).since(6),
    method("setPosition", native::nothing).since(6),
    method("loadSound", loadSoundFile).since(6),
    method("getBytesLoaded", soundBytes).since(6),
    method("getBytesTotal", soundBytes).since(6),
    native::accessor("checkPolicyFile", soundCheckPolicyFile, setSoundCheckPolicyFile,
                     kDontEnum | kDontDelete),
};

}  // namespace

void installSoundClass(Machine& m) {
    SoundClass& c = soundClass(m);
    c.state = SoundChannelState::attach(m.context());
    c.proto = m.newObject();
    installClass(m, m.global(), c.proto, {"Sound", soundConstruct, makeSound, {}, {}, kSoundMethods});
}

}  // namespace swf::avm1
