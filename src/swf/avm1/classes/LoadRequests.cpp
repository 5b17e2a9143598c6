#include "swf/avm1/classes/LoadRequests.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "swf/avm1/classes/UrlEscape.h"
#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/ClipEvent.h"
#include "swf/format/Utf8.h"

namespace swf::avm1 {
namespace {

// Windows-1252 characters 0x80..0x9F (unassigned ones stay as the C1 controls).
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool validUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<uint8_t>(text[i]);
        size_t more = c < 0x80                ? 0
                      : c >= 0xC2 && c < 0xE0 ? 1
                      : c >= 0xE0 && c < 0xF0 ? 2
                      : c >= 0xF0 && c < 0xF5 ? 3
                                              : SIZE_MAX;
        if (more == SIZE_MAX || more >= text.size() - i) return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

std::string fromCodePage(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        auto c = static_cast<uint8_t>(ch);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
    }
    return out;
}

}  // namespace

Value addRequestHeader(Machine& m, Object* self, std::span<const Value> args, uint16_t flags) {
    if (!self) return Value();
    Property* existing = self->findOwn("_customHeaders");
    ArrayObject* headers = nullptr;
    if (!existing) {
        headers = m.newArray();
        self->setOwn("_customHeaders", Value(static_cast<Object*>(headers)), flags);
    } else {
        headers = dynamic_cast<ArrayObject*>(existing->value.asObject());
    }
    if (!headers) return Value();
    Value first = args.empty() ? Value() : args[0];
    if (auto* list = dynamic_cast<ArrayObject*>(first.asObject())) {
        uint32_t pairs = list->length() / 2;
        for (uint32_t i = 0; i < pairs * 2 && headers->length() < ArrayObject::kMaxLength; ++i)
            headers->push(list->at(i));
    } else if (args.size() >= 2 && args[0].isString() && args[1].isString()) {
        headers->push(args[0]);
        headers->push(args[1]);
    }
    return Value();
}

LoadTarget loadTargetOf(Machine& machine, MovieClip& clip) {
    LoadTarget target;
    target.level = machine.context().levelOf(&clip);
    if (target.level < 0)
        target.clip = std::static_pointer_cast<MovieClip>(clip.shared_from_this());
    return target;
}

std::string textOfFile(Machine& machine, std::string_view bytes, int swfVersion) {
    bool codePage = swfVersion < 6;
    if (!codePage) {
        Value system = machine.get(Value(machine.global()), "System");
        codePage = machine.toBoolean(machine.get(system, "useCodepage"));
    }
    // Unicode text is told by its byte order mark: UTF-16 in either order, or UTF-8.
    if (!codePage && (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))) {
        const auto* units = reinterpret_cast<const uint8_t*>(bytes.data());
        return fromUtf16Bytes({units, bytes.size()}, false);
    }
    if (bytes.starts_with("\xEF\xBB\xBF") && !codePage) bytes.remove_prefix(3);
    if (validUtf8(bytes)) return std::string(bytes);
    return fromCodePage(bytes);
}

void decodeVariables(Machine& machine, Object* target, std::string_view text) {
    if (!target) return;
    while (!text.empty()) {
        size_t end = std::min(text.find('&'), text.size());
        std::string_view pair = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        size_t equals = pair.find('=');
        std::string name = urlUnescape(pair.substr(0, equals));
        if (name.empty()) continue;
        std::string value =
            equals == std::string_view::npos ? std::string() : urlUnescape(pair.substr(equals + 1));
        machine.chargeAction();
        machine.set(Value(target), name, Value(std::move(value)));
    }
}

void requestVariables(Machine& machine, int level, std::weak_ptr<DisplayObject> object,
                      const std::string& url) {
    ContentRequests* loader = machine.context().loader();
    if (!loader) return;
    Machine* m = &machine;
    loader->loadText(url, [m, level, object](const std::optional<std::string>& bytes, size_t) {
        if (!bytes) return;
        std::shared_ptr<DisplayObject> target = object.lock();
        if (level >= 0)
            if (MovieClip* root = m->context().level(level)) target = root->shared_from_this();
        if (!target || !target->onStage()) return;
        StageObject* stage = m->stageObject(*target);
        MovieClip* clip = target->asMovieClip();
        if (!clip && target->parent()) clip = target->parent()->asMovieClip();
        std::string text = textOfFile(*m, *bytes, clip ? clip->swfVersion() : m->swfVersion());
        runLoadCallback(*m, [&] { decodeVariables(*m, stage, text); });
        m->context().queueEvent(target, kClipData);
    });
}

void requestVariables(Machine& machine, const LoadTarget& target, const std::string& url) {
    requestVariables(machine, target.level, target.clip, url);
}

bool loadTextFor(Machine& machine, Object* target, const Value& url, LoadFieldSetter setField) {
    ContentRequests* loader = machine.context().loader();
    if (!target || !loader || url.isNullish()) return false;
    setField(machine, target, "loaded", Value(false));
    setField(machine, target, "_bytesLoaded", Value(0.0));
    setField(machine, target, "_bytesTotal", Value());
    Machine* m = &machine;
    int version = machine.swfVersion();
    // The answer must find the target, referenced or not.
    loader->loadText(
        machine.toString(url), [m, target = Rooted<Object>(machine.heap(), target), setField,
                                version](const std::optional<std::string>& bytes, size_t size) {
            runLoadCallback(*m, [&] {
                Value text;
                if (bytes && !bytes->empty()) {
                    setField(*m, target, "_bytesLoaded", Value(static_cast<double>(size)));
                    setField(*m, target, "_bytesTotal", Value(static_cast<double>(size)));
                    text = Value(textOfFile(*m, *bytes, version));
                }
                m->callMethod(Value(target), "onData", std::span<const Value>(&text, 1));
            });
        });
    return true;
}

Value finishTextLoad(Machine& machine, Object* self, const Value& text, const char* parser,
                     void (*markLoaded)(Machine&, Object*)) {
    if (!self) return Value();
    if (text.isUndefined()) {
        Value failure(false);
        machine.callMethod(Value(self), "onLoad", std::span<const Value>(&failure, 1));
        return Value();
    }
    machine.callMethod(Value(self), parser, std::span<const Value>(&text, 1));
    markLoaded(machine, self);
    Value success(true);
    machine.callMethod(Value(self), "onLoad", std::span<const Value>(&success, 1));
    return Value();
}

}  // namespace swf::avm1
