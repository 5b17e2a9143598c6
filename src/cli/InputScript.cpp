#include "cli/InputScript.h"

#include <fstream>
#include <iterator>
#include <string_view>

#include "cli/JsonValue.h"

namespace cli {
namespace {

using swf::InputEvent;

// The player's key codes of the named keys the scripts use.
int NamedKeyCode(const std::string& name) {
    static const std::pair<const char*, int> kKeys[] = {
        {"Backspace", 8},  {"Tab", 9},           {"Enter", 13},       {"LeftShift", 16},
        {"RightShift", 16}, {"LeftControl", 17}, {"RightControl", 17}, {"LeftAlt", 18},
        {"RightAlt", 18},  {"Pause", 19},        {"CapsLock", 20},    {"Escape", 27},
        {"Space", 32},     {"PageUp", 33},       {"PageDown", 34},    {"End", 35},
        {"Home", 36},      {"ArrowLeft", 37},    {"ArrowUp", 38},     {"ArrowRight", 39},
        {"ArrowDown", 40}, {"Insert", 45},       {"Delete", 46},      {"NumLock", 144},
        {"ScrollLock", 145},
    };
    for (const auto& [key, code] : kKeys)
        if (name == key) return code;
    if (name.size() >= 2 && name[0] == 'F') {  // F1 to F12
        int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 12) return 111 + n;
    }
    return 0;
}

// The key code (US layout) and character of a character key.
std::pair<int, uint32_t> CharacterKey(char c) {
    auto character = static_cast<uint32_t>(static_cast<unsigned char>(c));
    if (c >= 'a' && c <= 'z') return {c - 'a' + 'A', character};
    // A character typed with Shift comes from the key of its unshifted one.
    static constexpr std::string_view kShifted = "~!@#$%^&*()_+{}|:\"<>?";
    static constexpr std::string_view kUnshifted = "`1234567890-=[]\\;',./";
    if (size_t at = kShifted.find(c); at != std::string_view::npos) c = kUnshifted[at];
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return {c, character};
    static const std::pair<char, int> kPunctuation[] = {
        {' ', 32},  {';', 186}, {'=', 187}, {',', 188}, {'-', 189},  {'.', 190},
        {'/', 191}, {'`', 192}, {'[', 219}, {'\\', 220}, {']', 221}, {'\'', 222},
    };
    for (const auto& [p, code] : kPunctuation)
        if (c == p) return {code, character};
    return {0, character};
}

bool ReadPosition(const JsonValue& event, InputEvent& out) {
    const JsonValue* pos = event.Member("pos");
    const auto* pair = pos ? pos->AsArray() : nullptr;
    if (!pair || pair->size() != 2 || !(*pair)[0].AsNumber() || !(*pair)[1].AsNumber())
        return false;
    out.x = *(*pair)[0].AsNumber();
    out.y = *(*pair)[1].AsNumber();
    return true;
}

bool ReadKey(const JsonValue& event, InputEvent& out) {
    const JsonValue* key = event.Member("key");
    if (!key) return false;
    if (const std::string* name = key->AsString()) {
        out.keyCode = NamedKeyCode(*name);
        if (out.keyCode == 32) out.character = ' ';
        if (out.keyCode == 13) out.character = 13;
        if (out.keyCode == 9) out.character = 9;
        if (out.keyCode == 8) out.character = 8;
        if (out.keyCode == 27) out.character = 27;
        if (out.keyCode == 46) out.character = 127;
        return true;  // a key the player has no code for is left out
    }
    const JsonValue* character = key->Member("Char");
    const std::string* text = character ? character->AsString() : nullptr;
    if (!text || text->empty()) return false;
    auto [code, ascii] = CharacterKey((*text)[0]);
    out.keyCode = code;
    out.character = ascii;
    return true;
}

// The first code point of UTF-8 text.
uint32_t FirstCodePoint(const std::string& text) {
    if (text.empty()) return 0;
    auto byte = [&](size_t i) { return i < text.size() ? static_cast<uint8_t>(text[i]) : 0u; };
    uint32_t b0 = byte(0);
    if (b0 < 0x80) return b0;
    if (b0 < 0xE0) return (b0 & 0x1F) << 6 | (byte(1) & 0x3F);
    if (b0 < 0xF0) return (b0 & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    return (b0 & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
}

// The editing command a TextControl event names; false for one the engine does not know.
bool ReadTextControl(const std::string& name, InputEvent::TextControl& out) {
    using Control = InputEvent::TextControl;
    static const std::pair<const char*, Control> kControls[] = {
        {"Enter", Control::Enter},
        {"Backspace", Control::Backspace},
        {"Delete", Control::Delete},
        {"MoveLeft", Control::MoveLeft},
        {"MoveRight", Control::MoveRight},
        {"MoveLeftLine", Control::MoveLeftLine},
        {"MoveRightLine", Control::MoveRightLine},
        {"SelectAll", Control::SelectAll},
        {"Copy", Control::Copy},
        {"Cut", Control::Cut},
        {"Paste", Control::Paste},
    };
    for (const auto& [known, control] : kControls)
        if (name == known) {
            out = control;
            return true;
        }
    return false;
}

// Reads one event of a known type; false for a malformed one. Editing commands the engine
// does not know are skipped with `deliver` false.
bool ReadEvent(const std::string* type, const JsonValue& event, InputEvent& out, bool& deliver) {
    if (!type) return false;
    deliver = true;
    if (*type == "MouseMove" || *type == "MouseDown" || *type == "MouseUp") {
        out.type = *type == "MouseMove"   ? InputEvent::Type::MouseMove
                   : *type == "MouseDown" ? InputEvent::Type::MouseDown
                                          : InputEvent::Type::MouseUp;
        if (const JsonValue* btn = event.Member("btn"); btn && btn->AsString()) {
            const std::string& b = *btn->AsString();
            out.button = b == "Right"    ? InputEvent::Button::Right
                         : b == "Middle" ? InputEvent::Button::Middle
                                         : InputEvent::Button::Left;
        }
        // The system's count of quick presses in a row, from 0 for a single one.
        if (const JsonValue* index = event.Member("index"); index && index->AsNumber()) {
            double presses = *index->AsNumber();
            out.clickCount = presses >= 1 && presses <= 2 ? 1 + static_cast<int>(presses) : 1;
        }
        return ReadPosition(event, out);
    }
    if (*type == "KeyDown" || *type == "KeyUp") {
        out.type = *type == "KeyDown" ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp;
        if (!ReadKey(event, out)) return false;
        deliver = out.keyCode != 0 || out.character != 0;
        return true;
    }
    if (*type == "TextInput") {
        out.type = InputEvent::Type::TextInput;
        const JsonValue* text = event.Member("codepoint");
        if (!text || !text->AsString()) return false;
        out.codepoint = FirstCodePoint(*text->AsString());
        return true;
    }
    if (*type == "MouseWheel") {
        out.type = InputEvent::Type::MouseWheel;
        const JsonValue* lines = event.Member("lines");
        out.wheelDelta = lines && lines->AsNumber() ? static_cast<int>(*lines->AsNumber()) : 0;
        return true;
    }
    if (*type == "FocusGained" || *type == "FocusLost") {
        out.type = *type == "FocusGained" ? InputEvent::Type::FocusGained
                                          : InputEvent::Type::FocusLost;
        return true;
    }
    if (*type == "TextControl") {
        out.type = InputEvent::Type::TextControl;
        const JsonValue* code = event.Member("code");
        if (!code || !code->AsString()) return false;
        deliver = ReadTextControl(*code->AsString(), out.control);
        return true;
    }
    if (*type == "SetClipboardText") {
        out.type = InputEvent::Type::SetClipboardText;
        const JsonValue* text = event.Member("text");
        if (!text || !text->AsString()) return false;
        out.text = *text->AsString();
        return true;
    }
    return false;
}

bool KnownType(const std::string& type) {
    static const char* const kTypes[] = {
        "MouseMove", "MouseDown",  "MouseUp",   "KeyDown",     "KeyUp",       "TextInput",
        "MouseWheel", "FocusGained", "FocusLost", "TextControl", "SetClipboardText"};
    for (const char* known : kTypes)
        if (type == known) return true;
    return false;
}

}  // namespace

std::optional<InputScript> InputScript::Read(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    std::string text;
    text.resize(kMaxFileBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > kMaxFileBytes) {
        error = path + " is larger than 16 MiB";
        return std::nullopt;
    }
    auto script = FromText(text, error);
    if (!script) error = path + ": " + error;
    if (script)
        for (std::string& warning : script->warnings_) warning = path + ": " + warning;
    return script;
}

std::optional<InputScript> InputScript::FromText(std::string_view text, std::string& error) {
    auto document = JsonValue::Parse(text, error);
    if (!document) return std::nullopt;
    const JsonValue::Array* events = document->AsArray();
    if (!events) {
        error = "the input is not a list of events";
        return std::nullopt;
    }
    InputScript script;
    script.frames_.emplace_back();
    for (size_t i = 0; i < events->size(); ++i) {
        const JsonValue& event = (*events)[i];
        const JsonValue* type = event.Member("type");
        if (type && type->AsString() && *type->AsString() == "Wait") {
            script.frames_.emplace_back();
            continue;
        }
        const std::string* typeName = type ? type->AsString() : nullptr;
        if (typeName && !KnownType(*typeName)) {
            // A type of a later program: its event is left out, the others still run.
            if (script.warnings_.size() < kMaxWarnings)
                script.warnings_.push_back("event " + std::to_string(i + 1) + " has the type '" +
                                           typeName->substr(0, 40) +
                                           "', which this program does not know; it is left out");
            continue;
        }
        InputEvent out;
        bool deliver = true;
        if (!ReadEvent(typeName, event, out, deliver)) {
            error = "event " + std::to_string(i + 1) + " is not an input event this program knows";
            return std::nullopt;
        }
        if (deliver) script.frames_.back().push_back(out);
    }
    return script;
}

}  // namespace cli
