// flash.media's Sound, SoundChannel, SoundTransform and SoundMixer, and the soundTransform of
// sprites and buttons. What plays is kept in the movie's SoundChannelState, the same record
// ActionScript 1's Sound writes and the mixer follows; positions and the completion event go
// by the movie's clock.
#include "swf/avm2/SoundClasses.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/avm1/classes/LocalMedia.h"
#include "swf/avm1/classes/SoundChannelState.h"
#include "swf/avm2/ByteArrayObject.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/display/ContentRequests.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/SoundCharacter.h"
#include "swf/sound/Id3Tag.h"
#include "swf/sound/SoundMixer.h"

namespace swf::avm2 {

namespace {

using avm1::SoundChannelState;

class SoundObject : public DispatcherObject {
  public:
    using DispatcherObject::DispatcherObject;
    std::shared_ptr<const SoundCharacter> sound;  // null until one is bound or loaded
    bool loading = false;
    double bytesLoaded = 0;
    std::vector<Id3Tag::Field> id3;  // a loaded file's tags
};

class SoundChannelObject : public DispatcherObject {
  public:
    using DispatcherObject::DispatcherObject;
    uint64_t serial = 0;
    uint64_t stopAllsAtStart = 0;
    bool stopped = false;
    double lastPositionMs = 0;
    SoundLevels levels;
};

// The player keeps a SoundTransform's levels as numbers, and truncates them to whole percent
// where a sound takes them.
class SoundTransformObject : public Object {
  public:
    using Object::Object;
    double volume = 1, ll = 1, lr = 0, rl = 0, rr = 1;

    void setPan(double pan) {
        ll = std::sqrt(1 - pan);
        rr = std::sqrt(1 + pan);
        lr = 0;
        rl = 0;
    }
    double pan() const { return lr != 0 || rl != 0 ? 0 : 1 - ll * ll; }
};

// What the classes keep for the machine: the movie's sound record (made on first use, when
// the machine has a movie), how many times SoundMixer.stopAll ran, its bufferTime, and the
// classes of the objects made natively.
struct SoundState : std::enable_shared_from_this<SoundState> {
    std::shared_ptr<SoundChannelState> channels;
    uint64_t stopAlls = 0;
    double bufferTime = 5;
    ClassObject* transformClass = nullptr;
    ClassObject* channelClass = nullptr;
    ClassObject* timerClass = nullptr;
};

SoundChannelState& channelsOf(Machine& m, SoundState& state) {
    if (!state.channels) state.channels = SoundChannelState::attach(bridgeOf(m).context());
    return *state.channels;
}

double movieTimeMs(Machine& m) {
    const MovieContext& context = bridgeOf(m).context();
    return static_cast<double>(context.tick()) * context.movie().header.frameIntervalMs();
}

SoundLevels levelsOf(const SoundTransformObject& t) {
    const auto percent = [](double v) { return SoundLevels::truncated(v * 100); };
    return {percent(t.volume), percent(t.ll), percent(t.lr), percent(t.rl), percent(t.rr)};
}

// A SoundTransform argument, or the player's TypeError for anything else but null.
const SoundTransformObject* transformArg(Machine& m, const Value& v) {
    if (v.isNull() || v.isUndefined()) return nullptr;
    if (auto* t = dynamic_cast<SoundTransformObject*>(v.asObject())) return t;
    m.throwError("TypeError", 1034,
                 "Type Coercion failed: cannot convert " + m.describeForError(v) + " to flash.media.SoundTransform.");
}

Value newTransform(Machine& m, const SoundState& state, const SoundLevels& levels) {
    auto* t = m.heap().make<SoundTransformObject>(state.transformClass, state.transformClass->prototype);
    t->setTraits(state.transformClass->instanceTraits.get());
    t->setDynamic(false);
    t->volume = levels.volume / 100.0;
    t->ll = levels.ll / 100.0;
    t->lr = levels.lr / 100.0;
    t->rl = levels.rl / 100.0;
    t->rr = levels.rr / 100.0;
    return Value::object(t);
}

// Calls `function` with `arguments` after `delayMs` of movie time, between frames as timers fire.
void later(Machine& m, const SoundState& state, double delayMs, NativeFunction function, std::vector<Value> arguments) {
    auto* timer = m.heap().make<TimerObject>(state.timerClass, state.timerClass->prototype);
    timer->callback = Value::object(m.newNative(std::move(function)));
    timer->arguments = std::move(arguments);
    timer->delay = std::max(0.0, delayMs);
    timer->repeatCount = 1;
    // Without an id: the numbers setTimeout gives scripts stay theirs.
    bridgeOf(m).startTimer(*timer);
}

void defineStatic(Machine& m, ClassObject* cls, const std::string& name, NativeFunction getter,
                  NativeFunction setter = nullptr) {
    Binding b;
    b.kind = Binding::Kind::Accessor;
    b.getter = m.newNative(std::move(getter));
    if (setter) b.setter = m.newNative(std::move(setter), 1);
    cls->classTraits->bind(m.namespaces().publicNs(), name, b);
}

void defineStaticMethod(Machine& m, ClassObject* cls, const std::string& name, NativeFunction function,
                        uint32_t arity = 0) {
    Binding b;
    b.kind = Binding::Kind::Method;
    b.method = m.newNative(std::move(function), arity);
    cls->classTraits->bind(m.namespaces().publicNs(), name, b);
}

void installSoundTransform(Machine& m, SoundState& state) {
    ClassObject* cls = m.defineClass("flash.media", "SoundTransform", m.builtins().object);
    cls->sealed = true;
    state.transformClass = cls;
    cls->allocate = [](Machine& m, ClassObject* type) -> Object* {
        return m.heap().make<SoundTransformObject>(type, type->prototype);
    };
    cls->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        auto& t = nativeSelf<SoundTransformObject>(m, self);
        t.volume = args.empty() ? 1 : m.toNumber(args[0]);
        t.setPan(args.size() > 1 ? m.toNumber(args[1]) : 0);
        return Value();
    };
    using Field = double SoundTransformObject::*;
    for (const auto& [name, field] : {std::pair<const char*, Field>{"volume", &SoundTransformObject::volume},
                                      {"leftToLeft", &SoundTransformObject::ll},
                                      {"leftToRight", &SoundTransformObject::lr},
                                      {"rightToLeft", &SoundTransformObject::rl},
                                      {"rightToRight", &SoundTransformObject::rr}}) {
        m.defineAccessor(cls, name, [field = field](Machine& m, const Value& self, std::span<const Value>) {
            return Value::number(nativeSelf<SoundTransformObject>(m, self).*field);
        }, [field = field](Machine& m, const Value& self, std::span<const Value> args) {
            nativeSelf<SoundTransformObject>(m, self).*field = m.toNumber(argAt(args, 0));
            return Value();
        });
    }
    m.defineAccessor(cls, "pan", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(nativeSelf<SoundTransformObject>(m, self).pan());
    }, [](Machine& m, const Value& self, std::span<const Value> args) {
        nativeSelf<SoundTransformObject>(m, self).setPan(m.toNumber(argAt(args, 0)));
        return Value();
    });
}

// Where a channel is in its sound: while it plays, by the movie's clock; after, where it ended.
double positionOf(Machine& m, SoundState& state, const SoundChannelObject& c) {
    if (const SoundChannelState::Channel* ch = channelsOf(m, state).channel(c.serial))
        return ch->positionMs(movieTimeMs(m));
    return c.lastPositionMs;
}

void installSoundChannel(Machine& m, const std::shared_ptr<SoundState>& state, ClassObject* dispatcher) {
    ClassObject* cls = m.defineClass("flash.media", "SoundChannel", dispatcher);
    cls->sealed = true;
    state->channelClass = cls;
    cls->allocate = [](Machine& m, ClassObject* type) -> Object* {
        return m.heap().make<SoundChannelObject>(type, type->prototype);
    };
    m.defineAccessor(cls, "position", [state](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(positionOf(m, *state, nativeSelf<SoundChannelObject>(m, self)));
    });
    // The engine does not measure what it mixes: a channel reads as silent.
    for (const char* peak : {"leftPeak", "rightPeak"})
        m.defineAccessor(cls, peak, [](Machine& m, const Value& self, std::span<const Value>) {
            nativeSelf<SoundChannelObject>(m, self);
            return Value::number(0);
        });
    m.defineAccessor(cls, "soundTransform", [state](Machine& m, const Value& self, std::span<const Value>) {
        return newTransform(m, *state, nativeSelf<SoundChannelObject>(m, self).levels);
    }, [state](Machine& m, const Value& self, std::span<const Value> args) {
        auto& c = nativeSelf<SoundChannelObject>(m, self);
        const SoundTransformObject* t = transformArg(m, argAt(args, 0));
        c.levels = t ? levelsOf(*t) : SoundLevels{};
        if (SoundChannelState::Channel* ch = channelsOf(m, *state).channel(c.serial)) ch->own = c.levels;
        return Value();
    });
    defineNativeMethod(m, cls, "stop", [state](Machine& m, const Value& self, std::span<const Value>) {
        auto& c = nativeSelf<SoundChannelObject>(m, self);
        c.lastPositionMs = positionOf(m, *state, c);
        c.stopped = true;
        channelsOf(m, *state).stop(c.serial);
        return Value();
    });
}

// A channel's sound was heard to its end: it is done, and says so (unless stopped before).
Value completeChannel(Machine& m, SoundState& state, std::span<const Value> args) {
    auto* c = dynamic_cast<SoundChannelObject*>(argAt(args, 0).asObject());
    if (!c || c->stopped || c->stopAllsAtStart != state.stopAlls) return Value();
    SoundChannelState& channels = channelsOf(m, state);
    if (const SoundChannelState::Channel* ch = channels.channel(c->serial)) {
        c->lastPositionMs = ch->positionMs(ch->endMs());
        channels.stop(c->serial);
    }
    c->stopped = true;
    StageBridge& bridge = bridgeOf(m);
    bridge.dispatch(c, bridge.newEvent("soundComplete"));
    return Value();
}

// Sound.play: a channel on the movie's sound record, or null when the start is past the
// sound's end or no channel is free.
Value play(Machine& m, SoundState& state, SoundObject& s, std::span<const Value> args) {
    if (!s.sound) return Value::null();
    const double startMs = std::max(0.0, m.toNumber(argAt(args, 0)));
    if (!(startMs < s.sound->durationMs())) return Value::null();
    const int loops = args.size() > 1 ? m.toInt(args[1]) : 0;
    const SoundTransformObject* transform = transformArg(m, argAt(args, 2));
    SoundChannelState& channels = channelsOf(m, state);
    const double now = movieTimeMs(m);
    const uint64_t serial = channels.start(&s, s.sound, nullptr, now, startMs, loops);
    if (serial == 0) return Value::null();
    SoundChannelState::Channel& ch = *channels.channel(serial);
    auto* c = m.heap().make<SoundChannelObject>(state.channelClass, state.channelClass->prototype);
    c->setTraits(state.channelClass->instanceTraits.get());
    c->setDynamic(false);
    c->serial = serial;
    c->stopAllsAtStart = state.stopAlls;
    c->lastPositionMs = ch.offsetMs;
    if (transform) ch.own = c->levels = levelsOf(*transform);
    // As for ActionScript 1's sounds: heard to its end when the frame after that end began.
    const double heardMs = ch.endMs() - now + bridgeOf(m).context().movie().header.frameIntervalMs();
    std::shared_ptr<SoundState> held = state.shared_from_this();
    later(m, state, heardMs, [held](Machine& m, const Value&, std::span<const Value> args) {
        return completeChannel(m, *held, args);
    }, {Value::object(c)});
    return Value::object(c);
}

void dispatchEvent(Machine& m, Object* target, const std::string& type, const char* className = "flash.events::Event",
                   std::initializer_list<std::pair<const char*, Value>> fields = {}) {
    StageBridge& bridge = bridgeOf(m);
    EventObject* event = bridge.newEvent(type, false, className);
    for (const auto& [name, value] : fields) event->setOwn(name, value);
    bridge.dispatch(target, event);
}

// The sound becomes an MP3 file's frames; true when the file had ID3 tags.
bool adoptMp3(SoundObject& s, std::span<const uint8_t> bytes, const avm1::LocalMedia::Mp3Info& info) {
    std::vector<uint8_t> audio(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(info.audioStart, bytes.size())),
                               bytes.end());
    s.sound = std::make_shared<SoundCharacter>(0, SoundCharacter::Format::Mp3, info.rateHz, true, info.stereo,
                                               info.sampleCount, std::move(audio));
    std::optional<std::vector<Id3Tag::Field>> tag = Id3Tag::read(bytes);
    if (tag) s.id3 = std::move(*tag);
    return tag.has_value();
}

void refuseSecondLoad(Machine& m, const SoundObject& s) {
    if (s.sound || s.loading)
        m.throwError("Error", 2037, "Functions called in incorrect sequence, or earlier call was unsuccessful.");
}

ByteArrayObject& byteArrayArg(Machine& m, const Value& v) {
    if (auto* bytes = dynamic_cast<ByteArrayObject*>(v.asObject())) return *bytes;
    m.throwError("TypeError", 2007, "Parameter bytes must be non-null.");
}

// loadCompressedDataFromByteArray(bytes, length): MP3 data from the array's position.
void loadMp3Bytes(Machine& m, SoundObject& s, std::span<const Value> args) {
    ByteArrayObject& array = byteArrayArg(m, argAt(args, 0));
    refuseSecondLoad(m, s);
    const size_t count = std::min<size_t>(m.toUint(argAt(args, 1)), array.available());
    const uint8_t* start = array.take(m, count);
    std::span<const uint8_t> bytes(start, count);
    if (std::optional<avm1::LocalMedia::Mp3Info> info = avm1::LocalMedia::scanMp3(bytes)) adoptMp3(s, bytes, *info);
}

// loadPCMFromByteArray(bytes, samples, format, stereo, sampleRate): float or 16-bit samples in
// the array's byte order, kept as 16-bit sound.
void loadPcmBytes(Machine& m, SoundObject& s, std::span<const Value> args) {
    ByteArrayObject& array = byteArrayArg(m, argAt(args, 0));
    refuseSecondLoad(m, s);
    const bool floats = args.size() < 3 || m.toString(args[2]) != "short";
    const bool stereo = args.size() < 4 || Machine::toBoolean(args[3]);
    const double rate = args.size() < 5 ? 44100 : m.toNumber(args[4]);
    // The rates of a movie's own sounds.
    if (rate != 44100 && rate != 22050 && rate != 11025 && rate != 5512)
        m.throwError("ArgumentError", 2004, "One of the parameters is invalid.");
    const size_t channels = stereo ? 2 : 1;
    const size_t sampleBytes = floats ? 4 : 2;
    const size_t frames = std::min<size_t>(m.toUint(argAt(args, 1)), array.available() / (sampleBytes * channels));
    std::vector<uint8_t> pcm;
    pcm.reserve(frames * channels * 2);
    for (size_t i = 0; i < frames * channels; ++i) {
        double v = floats ? array.readFloat(m) * 32767.0 : static_cast<int16_t>(array.readUnsigned(m, 2));
        const auto sample = static_cast<int16_t>(std::lrint(std::clamp(std::isnan(v) ? 0.0 : v, -32768.0, 32767.0)));
        pcm.push_back(static_cast<uint8_t>(sample & 0xFF));
        pcm.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
    }
    s.sound = std::make_shared<SoundCharacter>(0, SoundCharacter::Format::UncompressedLittle, static_cast<uint32_t>(rate),
                                               true, stereo, static_cast<uint32_t>(frames), std::move(pcm));
}

// A file read for Sound.load: an MP3 file becomes the sound (its ID3 tags reported first),
// anything else is the player's stream error.
void finishLoad(Machine& m, SoundObject& s, const std::string& url, const std::optional<std::string>& file) {
    s.loading = false;
    std::span<const uint8_t> bytes;
    if (file) bytes = {reinterpret_cast<const uint8_t*>(file->data()), file->size()};
    const std::optional<avm1::LocalMedia::Mp3Info> info = file ? avm1::LocalMedia::scanMp3(bytes) : std::nullopt;
    if (!info) {
        dispatchEvent(m, &s, "ioError", "flash.events::IOErrorEvent",
                      {{"text", Value::string("Error #2032: Stream Error. URL: " + url)}});
        return;
    }
    const auto total = Value::number(static_cast<double>(bytes.size()));
    dispatchEvent(m, &s, "open");
    s.bytesLoaded = static_cast<double>(bytes.size());
    dispatchEvent(m, &s, "progress", "flash.events::ProgressEvent", {{"bytesLoaded", total}, {"bytesTotal", total}});
    if (adoptMp3(s, bytes, *info)) dispatchEvent(m, &s, "id3");
    dispatchEvent(m, &s, "complete");
}

// Sound.load: a file beside the movie through the engine's loader, answered after the script
// that asked. A Sound loads once; it cannot load over a sound it has.
void loadSound(Machine& m, SoundState& state, SoundObject& s, const Value& requestValue) {
    Object* request = requestValue.asObject();
    if (!request) m.throwError("TypeError", 2007, "Parameter stream must be non-null.");
    refuseSecondLoad(m, s);
    const Value* given = request->findOwn("url");
    const std::string url = given ? m.toString(*given) : "";
    StageBridge& bridge = bridgeOf(m);
    ContentRequests* loader = bridge.context().loader();
    s.loading = true;
    if (!loader) {
        later(m, state, 0, [url](Machine& m, const Value&, std::span<const Value> args) {
            if (auto* sound = dynamic_cast<SoundObject*>(argAt(args, 0).asObject())) finishLoad(m, *sound, url, std::nullopt);
            return Value();
        }, {Value::object(&s)});
        return;
    }
    bridge.keepWhileLoading(&s);
    loader->loadText(url, [machine = &m, sound = &s, url](const std::optional<std::string>& file, size_t) {
        StageBridge& bridge = bridgeOf(*machine);
        bridge.doneLoading(sound);
        bridge.runScript([&] { finishLoad(*machine, *sound, url, file); });
    });
}

void installSound(Machine& m, const std::shared_ptr<SoundState>& state, ClassObject* dispatcher) {
    ClassObject* cls = m.defineClass("flash.media", "Sound", dispatcher);
    cls->allocate = [](Machine& m, ClassObject* type) -> Object* {
        auto* s = m.heap().make<SoundObject>(type, type->prototype);
        if (StageBridge* bridge = m.stageBridge())
            if (uint16_t symbol = bridge->symbolBoundTo(*type)) {
                const auto& dictionary = bridge->context().dictionary();
                if (dictionary.findAs<SoundCharacter>(symbol))
                    s->sound = std::static_pointer_cast<const SoundCharacter>(dictionary.share(symbol));
            }
        return s;
    };
    const auto soundOf = [](Machine& m, const Value& self) -> SoundObject& { return nativeSelf<SoundObject>(m, self); };
    m.defineAccessor(cls, "length", [soundOf](Machine& m, const Value& self, std::span<const Value>) {
        const SoundObject& s = soundOf(m, self);
        return Value::number(s.sound ? s.sound->durationMs() : 0);
    });
    // An embedded sound counts its data; a loaded one the file read.
    for (const char* bytes : {"bytesLoaded", "bytesTotal"})
        m.defineAccessor(cls, bytes, [soundOf](Machine& m, const Value& self, std::span<const Value>) {
            const SoundObject& s = soundOf(m, self);
            if (s.sound && s.sound->id() != 0) return Value::number(static_cast<double>(s.sound->data().size()));
            return Value::number(s.bytesLoaded);
        });
    m.defineAccessor(cls, "isBuffering", [soundOf](Machine& m, const Value& self, std::span<const Value>) {
        soundOf(m, self);
        return Value::boolean(false);
    });
    m.defineAccessor(cls, "url", [soundOf](Machine& m, const Value& self, std::span<const Value>) {
        soundOf(m, self);
        return Value::null();
    });
    // A loaded file's ID3 text under its frame ids and ID3Info's names (an embedded sound has none).
    ClassObject* id3 = m.defineClass("flash.media", "ID3Info", m.builtins().object);
    m.defineAccessor(cls, "id3", [soundOf, id3](Machine& m, const Value& self, std::span<const Value>) {
        const SoundObject& s = soundOf(m, self);
        Value info = m.construct(Value::object(id3), {});
        for (const Id3Tag::Field& field : s.id3)
            info.asObject()->setOwn(field.name == "songname" ? "songName" : field.name, Value::string(field.text));
        return info;
    });
    defineNativeMethod(m, cls, "play", [state, soundOf](Machine& m, const Value& self, std::span<const Value> args) {
        return play(m, *state, soundOf(m, self), args);
    }, 3);
    defineNativeMethod(m, cls, "load", [state](Machine& m, const Value& self, std::span<const Value> args) {
        loadSound(m, *state, nativeSelf<SoundObject>(m, self), argAt(args, 0));
        return Value();
    }, 1);
    defineNativeMethod(m, cls, "loadCompressedDataFromByteArray", [](Machine& m, const Value& self, std::span<const Value> args) {
        loadMp3Bytes(m, nativeSelf<SoundObject>(m, self), args);
        return Value();
    }, 2);
    defineNativeMethod(m, cls, "loadPCMFromByteArray", [](Machine& m, const Value& self, std::span<const Value> args) {
        loadPcmBytes(m, nativeSelf<SoundObject>(m, self), args);
        return Value();
    }, 2);
    cls->nativeInitializer = [state](Machine& m, const Value& self, std::span<const Value> args) {
        if (!argAt(args, 0).isNull() && !argAt(args, 0).isUndefined())
            loadSound(m, *state, nativeSelf<SoundObject>(m, self), args[0]);
        return Value();
    };
    defineNativeMethod(m, cls, "close", [soundOf](Machine& m, const Value& self, std::span<const Value>) -> Value {
        soundOf(m, self);
        m.throwError("IOError", 2029, "This URLStream object does not have a stream opened.");
    });
}

// SoundMixer.soundTransform's getter, or its setter.
NativeFunction globalTransform(const std::shared_ptr<SoundState>& state, bool setter) {
    if (!setter)
        return [state](Machine& m, const Value&, std::span<const Value>) {
            return newTransform(m, *state, channelsOf(m, *state).globalLevels());
        };
    return [state](Machine& m, const Value&, std::span<const Value> args) {
        const SoundTransformObject* t = transformArg(m, argAt(args, 0));
        channelsOf(m, *state).levels(nullptr) = t ? levelsOf(*t) : SoundLevels{};
        return Value();
    };
}

void installSoundMixer(Machine& m, const std::shared_ptr<SoundState>& state, ClassObject* button) {
    ClassObject* cls = m.defineClass("flash.media", "SoundMixer", m.builtins().object);
    cls->sealed = true;
    defineStaticMethod(m, cls, "stopAll", [state](Machine& m, const Value&, std::span<const Value>) {
        ++state->stopAlls;
        channelsOf(m, *state).stopWhere(nullptr, nullptr);
        if (SoundMixer* mixer = bridgeOf(m).context().soundMixer()) mixer->stopAll();
        return Value();
    });
    defineStatic(m, cls, "soundTransform", globalTransform(state, false), globalTransform(state, true));
    defineStatic(m, cls, "bufferTime", [state](Machine&, const Value&, std::span<const Value>) {
        return Value::number(state->bufferTime);
    }, [state](Machine& m, const Value&, std::span<const Value> args) {
        state->bufferTime = m.toInt(argAt(args, 0));
        return Value();
    });
    defineStaticMethod(m, cls, "areSoundsInaccessible", [](Machine&, const Value&, std::span<const Value>) {
        return Value::boolean(false);
    });
    // The player gives a button the movie's levels for its own.
    m.defineAccessor(button, "soundTransform", globalTransform(state, false), globalTransform(state, true));
}

// Sprite's soundTransform: the levels of the sounds played for the object.
void installSpriteTransform(Machine& m, const std::shared_ptr<SoundState>& state, ClassObject* sprite) {
    m.defineAccessor(sprite, "soundTransform", [state](Machine& m, const Value& self, std::span<const Value>) {
        swf::DisplayObject* object = nativeSelf<DisplayHandle>(m, self).display();
        const SoundLevels* levels = object ? channelsOf(m, *state).findLevels(object) : nullptr;
        return newTransform(m, *state, levels ? *levels : SoundLevels{});
    }, [state](Machine& m, const Value& self, std::span<const Value> args) {
        swf::DisplayObject* object = nativeSelf<DisplayHandle>(m, self).display();
        const SoundTransformObject* t = transformArg(m, argAt(args, 0));
        if (object) channelsOf(m, *state).levels(object) = t ? levelsOf(*t) : SoundLevels{};
        return Value();
    });
}

}  // namespace

void installSoundClasses(Machine& m) {
    auto state = std::make_shared<SoundState>();
    state->timerClass = m.findClass("flash.utils::Timer");
    ClassObject* dispatcher = m.findClass("flash.events::EventDispatcher");
    installSoundTransform(m, *state);
    installSoundChannel(m, state, dispatcher);
    installSound(m, state, dispatcher);
    installSoundMixer(m, state, m.findClass("flash.display::SimpleButton"));
    installSpriteTransform(m, state, m.findClass("flash.display::Sprite"));
}

}  // namespace swf::avm2
