// TextSnapshot: the static text (DefineText) a clip holds, as characters a script can read,
// search and select. The characters come from the fonts' code tables, in depth order; a line
// ends between two text objects or two lines of one.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/StringFunctions.h"
#include "swf/format/LetterCase.h"
#include "swf/display/DisplayList.h"
#include "swf/display/MovieClip.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/TextCharacter.h"

namespace swf::avm1 {
namespace {

// Characters read from one clip at most: static text is small; a bigger one is cut here.
constexpr size_t kMaxCharacters = 1u << 20;

class TextSnapshotObject : public Object {
  public:
    explicit TextSnapshotObject(Object* proto) : Object(proto) {}
    std::weak_ptr<DisplayObject> clip;
    bool madeForClip = false;  // made with one argument, a movie clip
    std::vector<bool> selected;
};

struct SnapshotText {
    std::vector<uint32_t> characters;
    std::vector<bool> lineBefore;  // a line ends before this character
};

SnapshotText textOf(Machine& m, TextSnapshotObject& snapshot) {
    SnapshotText text;
    auto clip = snapshot.clip.lock();
    MovieClip* movieClip = clip ? clip->asMovieClip() : nullptr;
    DisplayList* children = movieClip ? movieClip->children() : nullptr;
    if (!children) return text;
    const Dictionary& dictionary = movieClip->dictionary();
    for (const auto& [depth, child] : children->objects()) {
        const Character* character = child->character();
        if (!character || character->kind() != CharacterKind::Text) continue;
        bool newObject = true;
        double lastY = 0;
        for (const TextRun& run : static_cast<const TextCharacter*>(character)->runs()) {
            const auto* font = dictionary.findAs<FontCharacter>(run.fontId);
            // Another text object, or a run on another baseline, starts another line.
            bool newLine = newObject || run.y != lastY;
            lastY = run.y;
            newObject = false;
            for (const TextRun::Glyph& glyph : run.glyphs) {
                if (text.characters.size() >= kMaxCharacters) break;
                m.chargeAction();
                uint32_t code = 0;
                if (font && glyph.index < font->codes().size()) code = font->codes()[glyph.index];
                text.lineBefore.push_back(newLine && !text.characters.empty());
                text.characters.push_back(code);
                newLine = false;
            }
        }
    }
    snapshot.selected.resize(text.characters.size(), false);
    return text;
}

TextSnapshotObject* snapshotOf(Object* self) {
    return dynamic_cast<TextSnapshotObject*>(self);
}

// An index argument as the player reads it: a whole number, or 0 for what is not one.
double indexOf(Machine& m, const Value& v) {
    double n = m.toNumber(v);
    return std::isnan(n) ? 0 : std::trunc(n);
}

std::string textRange(Machine& m, const SnapshotText& text, size_t from, size_t to, bool lines) {
    std::vector<uint32_t> out;
    for (size_t i = from; i < to && i < text.characters.size(); ++i) {
        if (lines && i > from && text.lineBefore[i]) out.push_back('\n');
        out.push_back(text.characters[i]);
    }
    return encodeCharacters(out, 0, out.size(), m.swfVersion());
}

// start and end of getText and the selection methods: start within the text, end past it.
std::pair<size_t, size_t> rangeOf(Machine& m, const Value& a, const Value& b, size_t count) {
    const double last = static_cast<double>(count) - 1;
    double start = std::clamp(indexOf(m, a), 0.0, std::max(0.0, last));
    double end = std::clamp(indexOf(m, b), start + 1, static_cast<double>(count));
    return {static_cast<size_t>(start), static_cast<size_t>(std::max(start, end))};
}

uint32_t foldCase(uint32_t c) {
    return c < 0x10000 ? toLowerUnit(static_cast<char16_t>(c)) : c;
}

Value snapshotConstruct(Machine& m, Object* self, std::span<const Value> args) {
    TextSnapshotObject* snapshot = snapshotOf(self);
    DisplayObject* clip = args.size() == 1 ? m.displayObjectOf(args[0]) : nullptr;
    if (snapshot && clip && clip->asMovieClip()) {
        snapshot->clip = clip->weak_from_this();
        snapshot->madeForClip = true;
    }
    return Value();
}

Object* makeSnapshot(Machine& m, Object* prototype) {
    return m.heap().make<TextSnapshotObject>(prototype);
}

Value getTextRunInfo(Machine& m, TextSnapshotObject&, std::span<const Value>) {
    return Value(m.newArray());
}

Value findText(Machine& m, TextSnapshotObject& s, std::span<const Value> args) {
    if (args.size() != 3) return Value();
    SnapshotText text = textOf(m, s);
    double start = indexOf(m, args[0]);
    std::vector<uint32_t> wanted = decodeCharacters(m.toString(args[1]), m.swfVersion());
    const bool exact = m.toBoolean(args[2]);
    const size_t count = text.characters.size();
    if (wanted.empty() || start < 0 || start >= static_cast<double>(count)) return Value(-1);
    for (size_t i = static_cast<size_t>(start); i + wanted.size() <= count; ++i) {
        bool match = true;
        for (size_t j = 0; j < wanted.size() && match; ++j) {
            uint32_t a = text.characters[i + j], b = wanted[j];
            match = exact ? a == b : foldCase(a) == foldCase(b);
        }
        if (match) return Value(static_cast<double>(i));
    }
    return Value(-1);
}

// Takes x, y and an optional distance; nothing is ever near, as no text is laid out to hit.
Value hitTestTextNearPos(Machine&, TextSnapshotObject&, std::span<const Value> args) {
    return args.size() == 2 || args.size() == 3 ? Value(-1) : Value();
}

Value getSelectedText(Machine& m, TextSnapshotObject& s, std::span<const Value> args) {
    if (args.size() > 1) return Value();
    SnapshotText text = textOf(m, s);
    const bool lines = m.toBoolean(arg(args, 0));
    std::vector<uint32_t> out;
    bool any = false;
    for (size_t i = 0; i < text.characters.size(); ++i) {
        if (!s.selected[i]) continue;
        if (lines && any && text.lineBefore[i]) out.push_back('\n');
        out.push_back(text.characters[i]);
        any = true;
    }
    return Value(encodeCharacters(out, 0, out.size(), m.swfVersion()));
}

// A snapshot not made for a clip has no text to give either.
Value getText(Machine& m, TextSnapshotObject& s, std::span<const Value> args) {
    if (args.size() < 2 || args.size() > 3 || !s.madeForClip) return Value();
    SnapshotText text = textOf(m, s);
    auto [from, to] = rangeOf(m, args[0], args[1], text.characters.size());
    return Value(textRange(m, text, from, to, m.toBoolean(arg(args, 2))));
}

Value getSelected(Machine& m, TextSnapshotObject& s, std::span<const Value> args) {
    if (args.size() != 2) return Value();
    SnapshotText text = textOf(m, s);
    if (text.characters.empty()) return Value(false);
    auto [from, to] = rangeOf(m, args[0], args[1], text.characters.size());
    for (size_t i = from; i < to; ++i)
        if (s.selected[i]) return Value(true);
    return Value(false);
}

Value setSelected(Machine& m, TextSnapshotObject& s, std::span<const Value> args) {
    if (args.size() != 3) return Value();
    SnapshotText text = textOf(m, s);
    if (text.characters.empty()) return Value();
    auto [from, to] = rangeOf(m, args[0], args[1], text.characters.size());
    const bool on = m.toBoolean(args[2]);
    for (size_t i = from; i < to; ++i) s.selected[i] = on;
    return Value();
}

// A snapshot not made for a clip has no count to give.
Value getCount(Machine& m, TextSnapshotObject& s, std::span<const Value> args) {
    if (!args.empty() || !s.madeForClip) return Value();
    return Value(static_cast<double>(textOf(m, s).characters.size()));
}

// A method of snapshots only; on anything else it answers undefined.
template <Value (*body)(Machine&, TextSnapshotObject&, std::span<const Value>)>
Value onSnapshot(Machine& m, Object* self, std::span<const Value> args) {
    TextSnapshotObject* snapshot = snapshotOf(self);
    return snapshot ? body(m, *snapshot, args) : Value();
}

// Enumerable and deletable, unlike most built-ins.
constexpr NativeMember snapshotMethod(std::string_view name, NativeCode code) {
    return native::method(name, code, 0);
}

constexpr NativeMember kSnapshotMethods[] = {
    snapshotMethod("getTextRunInfo", onSnapshot<getTextRunInfo>),
    snapshotMethod("setSelectColor", native::nothing),
    snapshotMethod("findText", onSnapshot<findText>),
    snapshotMethod("hitTestTextNearPos", onSnapshot<hitTestTextNearPos>),
    snapshotMethod("getSelectedText", onSnapshot<getSelectedText>),
    snapshotMethod("getText", onSnapshot<getText>),
    snapshotMethod("getSelected", onSnapshot<getSelected>),
    snapshotMethod("setSelected", onSnapshot<setSelected>),
    snapshotMethod("getCount", onSnapshot<getCount>),
};

}  // namespace

void installTextSnapshotClass(Machine& m) {
    Object* proto = m.newObject();
    installClass(m, m.global(), proto,
                 {"TextSnapshot", snapshotConstruct, makeSnapshot, {}, {}, kSnapshotMethods});
    // for..in lists the newest first: the members go in again last to first.
    std::vector<std::string> names;
    proto->ownNames(names);
    std::vector<Property> properties;
    for (const std::string& name : names) {
        properties.push_back(*proto->findOwn(name));
        proto->deleteOwn(name);
    }
    for (size_t i = names.size(); i-- > 0;) proto->defineOwn(names[i], properties[i]);
}

}  // namespace swf::avm1
