// NetStream: progressive playback of FLV files beside the movie over a local NetConnection.
// It reports what the player reports while a stream plays through (start, buffer full, the
// file's metadata, and at its end flush, stop and empty), seeks and pauses on the movie's
// clock. The Video objects it is attached to show its pictures at the stream's time, and its
// sound plays through the movie's mix from the same place. Streams from servers never connect.

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/LoadRequests.h"
#include "swf/avm1/classes/NetStreamFeed.h"
#include "swf/avm1/classes/PlayerEvents.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/Heap.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/display/ContentRequests.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/SoundStart.h"
#include "swf/sound/SoundMixer.h"
#include "swf/video/VideoFeed.h"

namespace swf::avm1 {
namespace {


constexpr int kMaxAmfDepth = 16;
constexpr int kMaxAmfValues = 10000;
constexpr size_t kMaxFlvTags = 1'000'000;

class NetStreamObject : public Object {
  public:
    using Object::Object;
    Value connection;
    Object* metadata = nullptr;
    bool connected = false;  // made over a connected NetConnection: only such a stream buffers
    double bufferTimeSec = 0.1;
    bool open = false;
    bool paused = false;      // kept from a pause() between play() and the file's opening
    bool bufferFull = false;  // Buffer.Full reported for this play
    double durationSec = 0;
    double lastTagSec = 0;    // the whole file is read at once: the buffer reaches its last tag
    double positionSec = 0;   // where the clock below started from
    double startedMs = 0;     // movie time playing last resumed
    uint32_t generation = 0;  // pending end events of an older play, seek or pause are dropped
    std::shared_ptr<VideoFeed> feed = std::make_shared<VideoFeed>();

    std::shared_ptr<const SoundCharacter> sound;  // the file's, played from where it stands

    // Tells the Video objects showing the stream where its clock now stands, and starts its
    // sound there (or stops it).
    void sync(Machine& m) {
        feed->running = open && !paused;
        feed->positionSec = positionSec;
        feed->startedMs = startedMs;
        feed->durationSec = durationSec;
        SoundMixer* mixer = m.context().soundMixer();
        if (!mixer || !sound) return;
        SoundStart stop;
        stop.stop = true;
        mixer->startSound(sound, stop);
        if (!feed->running) return;
        SoundStart start;
        start.inPoint = static_cast<uint32_t>(std::clamp(positionSec, 0.0, durationSec) * 44100);
        mixer->startSound(sound, start);
    }

    double time(double nowMs) const {
        if (!open || paused) return positionSec;
        return std::min(durationSec, positionSec + (nowMs - startedMs) / 1000);
    }
    void trace(Marker& marker) const override {
        Object::trace(marker);
        marker.mark(connection);
        marker.mark(metadata);
    }
};

NetStreamObject* streamOf(Object* self) {
    return dynamic_cast<NetStreamObject*>(self);
}

// AMF0 as FLV script tags carry it, bounded in depth and count.
class AmfReader {
  public:
    AmfReader(Machine& m, std::span<const uint8_t> data) : m_(m), data_(data) {}

    bool string(std::string& out) {
        if (pos_ + 2 > data_.size()) return false;
        size_t length = (size_t{data_[pos_]} << 8) | data_[pos_ + 1];
        pos_ += 2;
        if (length > data_.size() - pos_) return false;
        out.assign(reinterpret_cast<const char*>(data_.data() + pos_), length);
        pos_ += length;
        return true;
    }

    bool value(Value& out, int depth) {
        if (pos_ >= data_.size() || depth > kMaxAmfDepth || ++count_ > kMaxAmfValues) return false;
        uint8_t type = data_[pos_++];
        switch (type) {
            case 0: {  // number
                if (pos_ + 8 > data_.size()) return false;
                uint64_t bits = 0;
                for (int i = 0; i < 8; ++i) bits = (bits << 8) | data_[pos_ + i];
                pos_ += 8;
                double d;
                std::memcpy(&d, &bits, sizeof d);
                out = Value(d);
                return true;
            }
            case 1:
                if (pos_ >= data_.size()) return false;
                out = Value(data_[pos_++] != 0);
                return true;
            case 2: {
                std::string s;
                if (!string(s)) return false;
                out = Value(s);
                return true;
            }
            case 3: {
                Object* o = m_.newObject();
                out = Value(o);
                return members(o, depth);
            }
            case 8: {  // ECMA array: an Array of the length it states, with named members
                uint32_t n = 0;
                if (!arrayLength(n)) return false;
                ArrayObject* a = m_.newArray();
                out = Value(static_cast<Object*>(a));
                if (!members(a, depth)) return false;
                a->setLength(m_, static_cast<int32_t>(std::min(n, ArrayObject::kMaxLength)));
                return true;
            }
            case 5:
                out = Value(Null{});
                return true;
            case 6:
                out = Value();
                return true;
            case 10: {  // strict array
                uint32_t n = 0;
                if (!arrayLength(n)) return false;
                std::vector<Value> items;
                for (uint32_t i = 0; i < n; ++i) {
                    Value v;
                    if (!value(v, depth + 1)) return false;
                    items.push_back(v);
                }
                out = Value(static_cast<Object*>(m_.newArray(items)));
                return true;
            }
            case 11:  // date: milliseconds and a time zone
                if (pos_ + 10 > data_.size()) return false;
                pos_ += 10;
                out = Value();
                return true;
            default:
                return false;
        }
    }

  private:
    // The 32-bit count ahead of an array's contents.
    bool arrayLength(uint32_t& out) {
        if (pos_ + 4 > data_.size()) return false;
        out = (uint32_t{data_[pos_]} << 24) | (uint32_t{data_[pos_ + 1]} << 16) |
              (uint32_t{data_[pos_ + 2]} << 8) | data_[pos_ + 3];
        pos_ += 4;
        return true;
    }

    bool members(Object* o, int depth) {
        while (pos_ + 3 <= data_.size()) {
            std::string name;
            if (!string(name)) return false;
            if (name.empty() && pos_ < data_.size() && data_[pos_] == 9) {
                ++pos_;
                return true;
            }
            Value v;
            if (!value(v, depth + 1)) return false;
            o->setOwn(name, v);
        }
        return true;  // a damaged end keeps what was read
    }

    Machine& m_;
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    int count_ = 0;
};

struct FlvInfo {
    Object* metadata = nullptr;
    double durationSec = 0;
    double lastTagSec = 0;
};

// The header, the onMetaData script tag and the last timestamp; nothing if not an FLV file.
std::optional<FlvInfo> readFlv(Machine& m, std::span<const uint8_t> data) {
    if (data.size() < 9 || data[0] != 'F' || data[1] != 'L' || data[2] != 'V') return std::nullopt;
    FlvInfo info;
    size_t pos =
        (size_t{data[5]} << 24) | (size_t{data[6]} << 16) | (size_t{data[7]} << 8) | data[8];
    pos += 4;  // the first previous-tag size
    uint32_t lastMs = 0;
    for (size_t tags = 0; pos + 11 <= data.size() && tags < kMaxFlvTags; ++tags) {
        uint8_t type = data[pos] & 0x1F;
        size_t size = (size_t{data[pos + 1]} << 16) | (size_t{data[pos + 2]} << 8) | data[pos + 3];
        uint32_t ms = (uint32_t{data[pos + 7]} << 24) | (uint32_t{data[pos + 4]} << 16) |
                      (uint32_t{data[pos + 5]} << 8) | data[pos + 6];
        size_t body = pos + 11;
        if (size > data.size() - body) break;
        lastMs = std::max(lastMs, ms);
        if (type == 18 && !info.metadata) {
            AmfReader reader(m, data.subspan(body, size));
            Value name, value;
            if (reader.value(name, 0) && name.isString() && name.asString() == "onMetaData" &&
                reader.value(value, 0))
                info.metadata = value.asObject();
        }
        pos = body + size + 4;
    }
    info.durationSec = info.lastTagSec = lastMs / 1000.0;
    if (info.metadata)
        if (Property* p = info.metadata->findOwn("duration"); p && p->value.isNumber())
            info.durationSec = std::max(0.0, p->value.asNumber());
    return info;
}

// What a stream reports: 0 started, 1 ended, 2 seeked, 3 not found.
void report(Machine& m, NetStreamObject* s, int what) {
    switch (what) {
        case 0:
            player::sendStatus(m, s, "status", "NetStream.Play.Start");
            // A stream opened paused reports its buffer full once it plays.
            s->bufferFull = !s->paused;
            if (s->bufferFull) player::sendStatus(m, s, "status", "NetStream.Buffer.Full");
            if (s->metadata) {
                const Value meta[] = {Value(s->metadata)};
                m.callMethod(Value(s), "onMetaData", meta);
            }
            break;
        case 1:
            s->positionSec = s->durationSec;
            s->open = false;
            s->sync(m);
            player::sendStatus(m, s, "status", "NetStream.Buffer.Flush");
            player::sendStatus(m, s, "status", "NetStream.Play.Stop");
            player::sendStatus(m, s, "status", "NetStream.Buffer.Empty");
            break;
        case 2:
            player::sendStatus(m, s, "status", "NetStream.Seek.Notify");
            break;
        default:
            player::sendStatus(m, s, "error", "NetStream.Play.StreamNotFound");
            break;
    }
}

// (stream, generation, what) on a later frame; an event of an older generation is dropped.
Value streamEvent(Machine& m, Object*, std::span<const Value> args) {
    NetStreamObject* s = streamOf(arg(args, 0).asObject());
    double generation = m.toNumber(arg(args, 1));  // -1: reported whatever came since
    if (s && (generation < 0 || generation == s->generation)) report(m, s, m.toInt32(arg(args, 2)));
    return Value();
}

// The end report once the rest of the stream has played, unless a seek, pause or another
// play comes first.
void scheduleEnd(Machine& m, NetStreamObject* s) {
    player::later(m, streamEvent, std::max(0.0, s->durationSec - s->positionSec) * 1000,
                  {Value(s), Value(static_cast<double>(s->generation)), Value(1)});
}

// The file of a play() as the frame ends: the stream starts, and reports its end once its
// duration passed, unless a seek, pause or another play came first.
void opened(Machine& m, NetStreamObject* s, const std::optional<std::string>& file) {
    std::optional<FlvInfo> flv;
    if (file) flv = readFlv(m, {reinterpret_cast<const uint8_t*>(file->data()), file->size()});
    if (!flv) {
        report(m, s, 3);
        return;
    }
    s->open = true;
    s->metadata = flv->metadata;
    s->durationSec = flv->durationSec;
    s->lastTagSec = flv->lastTagSec;
    s->positionSec = 0;
    s->startedMs = m.frameTimeMs();
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(file->data()),
                                         file->size());
    s->feed->video = FlvVideo::read(bytes);
    s->sound = FlvVideo::readSound(bytes);
    s->sync(m);
    s->setOwn("bytesLoaded", Value(static_cast<double>(file->size())));
    s->setOwn("bytesTotal", Value(static_cast<double>(file->size())));
    uint32_t generation = s->generation;
    report(m, s, 0);
    if (s->generation == generation && !s->paused) scheduleEnd(m, s);
}

Object* makeStream(Machine& m, Object* prototype) {
    return m.heap().make<NetStreamObject>(prototype);
}

Value streamPlay(Machine& m, Object* self, std::span<const Value> args) {
    NetStreamObject* s = streamOf(self);
    if (!s || args.empty()) return Value();
    ++s->generation;
    s->open = false;
    s->paused = false;
    s->sync(m);
    ContentRequests* loader = m.context().loader();
    if (!m.toBoolean(m.get(s->connection, "isConnected")) || !loader) return Value();
    // The file is read now and answered as the frame ends, as the player's loads are; the
    // answer must find the stream, referenced or not.
    Machine* machine = &m;
    uint32_t generation = s->generation;
    loader->loadText(m.toString(args[0]),
                     [machine, stream = Rooted<NetStreamObject>(m.heap(), s), generation](
                         const std::optional<std::string>& file, size_t) {
                         if (stream->generation != generation) return;
                         runLoadCallback(*machine, [&] { opened(*machine, stream, file); });
                     });
    return Value();
}

// A seek or pause drops the end report of the play before it.
Value streamSeek(Machine& m, Object* self, std::span<const Value> args) {
    NetStreamObject* s = streamOf(self);
    if (!s || !s->open) return Value();
    double to = m.toNumber(arg(args, 0));
    if (!(to >= 0)) to = 0;
    ++s->generation;
    s->positionSec = std::min(to, s->durationSec);
    s->startedMs = m.frameTimeMs();
    s->sync(m);
    player::later(m, streamEvent, 0, {Value(s), Value(-1), Value(2)});
    return Value();
}

// Before the file of a play() opens, the stream only remembers whether it is to start paused.
Value streamPause(Machine& m, Object* self, std::span<const Value> args) {
    NetStreamObject* s = streamOf(self);
    if (!s) return Value();
    bool pause = args.empty() || args[0].isNullish() ? !s->paused : m.toBoolean(args[0]);
    if (!s->open) {
        s->paused = pause;
        return Value();
    }
    double now = m.frameTimeMs();
    s->positionSec = s->time(now);
    s->startedMs = now;
    s->paused = pause;
    s->sync(m);
    ++s->generation;
    if (pause) return Value();
    if (!s->bufferFull) {
        s->bufferFull = true;
        player::sendStatus(m, s, "status", "NetStream.Buffer.Full");
    }
    scheduleEnd(m, s);
    return Value();
}

Value streamClose(Machine& m, Object* self, std::span<const Value>) {
    if (NetStreamObject* s = streamOf(self)) {
        s->positionSec = s->time(m.frameTimeMs());
        s->open = false;
        s->sync(m);
        ++s->generation;
    }
    return Value();
}

Value streamSetBufferTime(Machine& m, Object* self, std::span<const Value> args) {
    NetStreamObject* s = streamOf(self);
    if (s && s->connected) s->bufferTimeSec = m.toNumber(arg(args, 0));
    return Value();
}

Value streamTime(Machine& m, Object* self, std::span<const Value>) {
    NetStreamObject* s = streamOf(self);
    return s ? Value(s->time(m.frameTimeMs())) : Value();
}

Value streamBufferTime(Machine&, Object* self, std::span<const Value>) {
    NetStreamObject* s = streamOf(self);
    return s ? Value(s->bufferTimeSec) : Value();
}

// A local file is read whole before it plays: no frame rate is measured and nothing arrives
// late.
Value streamZero(Machine&, Object* self, std::span<const Value>) {
    return streamOf(self) ? Value(0.0) : Value();
}

// What is read and not yet played: the rest of the file, up to its last tag.
Value streamBufferLength(Machine& m, Object* self, std::span<const Value>) {
    NetStreamObject* s = streamOf(self);
    if (!s) return Value();
    if (!s->open) return Value(0.0);
    return Value(std::max(0.0, s->lastTagSec - s->time(m.frameTimeMs())));
}

using native::method;

constexpr NativeMember kStreamProperties[] = {
    native::accessor("time", streamTime, native::nothing),
    native::accessor("bufferTime", streamBufferTime, native::nothing),
    native::accessor("bufferLength", streamBufferLength, native::nothing),
    native::accessor("currentFps", streamZero, native::nothing),
    native::accessor("liveDelay", streamZero, native::nothing),
    native::accessor("bytesLoaded", streamZero, native::nothing),
    native::accessor("bytesTotal", streamZero, native::nothing),
};

Value streamConstruct(Machine& m, Object* self, std::span<const Value> args) {
    NetStreamObject* s = streamOf(self);
    if (!m.constructing() || !s) return Value();
    s->connection = arg(args, 0);
    // The stream's properties arrive on its prototype with the first stream over a connection.
    s->connected = netConnectionIsOpen(s->connection.asObject());
    if (s->connected && s->proto() && !s->proto()->findOwn("time"))
        installMembers(m, s->proto(), kStreamProperties);
    return Value();
}

constexpr NativeMember kStreamMethods[] = {
    method("play", streamPlay),
    method("seek", streamSeek),
    method("pause", streamPause),
    method("close", streamClose),
    method("setBufferTime", streamSetBufferTime),
    method("attachAudio", native::nothing),
    method("attachVideo", native::nothing),
    method("send", native::nothing),
    method("receiveAudio", native::nothing),
    method("receiveVideo", native::nothing),
};

}  // namespace

std::shared_ptr<const VideoFeed> netStreamFeed(Object* object) {
    NetStreamObject* s = streamOf(object);
    return s ? s->feed : nullptr;
}

void installNetStreamClass(Machine& m) {
    installClass(m, m.global(), m.newObject(),
                 {"NetStream", streamConstruct, makeStream, {}, {}, kStreamMethods});
}

}  // namespace swf::avm1
