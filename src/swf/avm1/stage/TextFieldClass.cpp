// TextField: the script side of text fields. The player keeps the field's properties as
// getter/setter pairs on TextField.prototype (so they enumerate there and answer undefined
// on anything that is not a field); display properties come from the field's stage object.
// A field bound to a variable shows the variable's value and sets it when its text is set.

#include "swf/avm1/stage/TextFieldClass.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/BitmapFilters.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/stage/StageClasses.h"
#include "swf/avm1/stage/TabOrder.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/avm1/machine/StringFunctions.h"
#include "swf/avm1/machine/TargetPath.h"
#include "swf/avm1/classes/TextFormatObject.h"
#include "swf/display/DisplayList.h"
#include "swf/display/EditTextInstance.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/geom/Geometry.h"
#include "swf/format/LetterCase.h"
#include "swf/text/DeviceFontCache.h"
#include "swf/text/StyleSheet.h"
#include "swf/text/TextDecoding.h"

namespace swf::avm1 {
namespace {

constexpr int kMaxVariablePathParts = 64;
// Fields visited per frame when bound variables are shown; a bigger stage shows the rest late.
constexpr size_t kMaxFieldWalk = 200000;

EditTextInstance* fieldOf(Machine& m, Object* self) {
    return textFieldOf(m, Value(self));
}

std::string encode(Machine& m, const std::u32string& text) {
    std::vector<uint32_t> characters(text.begin(), text.end());
    return encodeCharacters(characters, 0, characters.size(), m.swfVersion());
}

std::u32string decode(Machine& m, std::string_view text) {
    std::vector<uint32_t> characters = decodeCharacters(text, m.swfVersion());
    return std::u32string(characters.begin(), characters.end());
}

// The object and member a field's variable names ("v", "a.b.v", "/a:v", "_parent.v"),
// from the field's timeline; null when the path leads nowhere.
Object* variableHolder(Machine& m, EditTextInstance& field, std::string& member) {
    std::string_view name = field.field().settings().variable;
    DisplayObject* parent = field.parent();
    if (name.empty() || !parent) return nullptr;
    std::string_view path;
    size_t colon = name.rfind(':');
    size_t dot = name.rfind('.');
    if (colon != std::string_view::npos) {
        path = name.substr(0, colon);
        member = std::string(name.substr(colon + 1));
    } else if (dot != std::string_view::npos) {
        path = name.substr(0, dot);
        member = std::string(name.substr(dot + 1));
    } else {
        member = std::string(name);
    }
    if (member.empty()) return nullptr;
    Object* current = scriptValueOf(m, *parent);
    MovieClip* root = m.context().root();
    if (path.starts_with("/")) {
        current = root ? m.stageObject(*root) : nullptr;
        path.remove_prefix(1);
    }
    for (int parts = 0; !path.empty() && current && parts < kMaxVariablePathParts; ++parts) {
        std::string_view part = takePathPart(path);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            current = m.get(Value(current), "_parent").asObject();
        } else if (m.namesEqual(part, "_global")) {
            current = m.global();
        } else if (m.namesEqual(part, "this")) {
            continue;
        } else {
            current = m.get(Value(current), part).asObject();
        }
    }
    return current;
}

// The field's style sheet object, if a script gave it one.
Object* styleSheetOf(EditTextInstance& field) {
    Object* stage = field.scriptObject();
    Property* p = stage ? stage->findOwn("__styleSheet") : nullptr;
    return p ? p->value.asObject() : nullptr;
}

// The styles the sheet holds now, made TextFormats by its transform (its _styles table).
std::optional<StyleSheet> stylesOf(Machine& m, Object* sheet) {
    if (!sheet) return std::nullopt;
    StyleSheet styles;
    Value table = m.get(Value(sheet), "_styles");
    if (Object* formats = table.asObject()) {
        for (const std::string& name : m.enumerate(formats)) {
            if (const TextFormat* format = textFormatOf(m.get(table, name)))
                styles.set(name, *format);
            m.chargeAction();
        }
    }
    return styles;
}

// Sets the field's text as a script gives it: HTML when the field is an HTML field and `html`
// is asked for, or whenever it has a style sheet.
void showText(Machine& m, EditTextInstance& field, const std::string& text, bool html) {
    Machine::checkLength(text.size());
    std::u32string decoded = decode(m, text);
    TextField& f = field.field();
    f.setStyleSheet(stylesOf(m, styleSheetOf(field)));
    if (html || f.hasStyleSheet())
        f.setHtml(decoded);
    else
        f.setPlainText(std::move(decoded));
}

// Tells values apart as the field does: an object by its identity, a primitive by its type
// and value.
std::string valueKey(Machine& m, const Value& v) {
    if (v.isObject()) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "o%p", static_cast<const void*>(v.asObject()));
        return buffer;
    }
    if (v.isUndefined()) return "u";
    if (v.isNull()) return "z";
    return std::string(m.typeOf(v)) + ":" + m.toString(v);
}

// The variable's value, when the holder has it, shown in the field when it changed since the
// field last looked. Only a timeline's variables keep the field up to date; another object's
// is read when the field is bound.
bool pullVariable(Machine& m, EditTextInstance& field, bool binding = false) {
    std::string member;
    Object* holder = variableHolder(m, field, member);
    if (!holder || !m.has(holder, member)) return false;
    if (!binding && !holder->asStageObject()) return true;
    Value value = m.get(Value(holder), member);
    std::string key = valueKey(m, value);
    if (!binding && key == field.boundValueKey()) return true;
    field.setBoundValueKey(key);
    std::string text = value.isUndefined() ? std::string() : m.toString(value);
    TextField& f = field.field();
    if (encode(m, f.text()) != text) showText(m, field, text, f.settings().html);
    return true;
}

// The field's text goes to the variable; what the variable then holds is what the field saw
// last (a read-only variable keeps its value, and the field its text).
void pushVariable(Machine& m, EditTextInstance& field) {
    std::string member;
    Object* holder = variableHolder(m, field, member);
    if (!holder) return;
    m.set(Value(holder), member, Value(encode(m, field.field().text())));
    field.setBoundValueKey(valueKey(m, m.get(Value(holder), member)));
}

// Binds the field to its variable: the variable's value if it has one, else the field's own
// text goes to the variable (an empty field sets nothing).
void bindVariable(Machine& m, EditTextInstance& field) {
    if (field.field().settings().variable.empty() || pullVariable(m, field, true)) return;
    if (!field.field().text().empty()) pushVariable(m, field);
}

// Each field's own list of listeners starts with the field itself.
void initializeListeners(Machine& m, StageObject* stage) {
    Value self(stage);
    stage->defineOwn("_listeners",
                     Property{Value(m.newArray(std::span<const Value>(&self, 1))), nullptr,
                              nullptr, kDontEnum});
}

// A colour property: the low 24 bits of the number.
uint32_t colorOf(Machine& m, const Value& v) {
    return toUint32(m.toNumber(v)) & 0xFFFFFF;
}

void walkFields(Machine& m, DisplayObject& object, int level, size_t& budget) {
    if (level > MovieContext::kMaxNesting + 2 || budget == 0) return;
    --budget;
    if (object.isEditText()) {
        auto& field = static_cast<EditTextInstance&>(object);
        if (!field.field().settings().variable.empty()) pullVariable(m, field);
        field.field().layOutIfDue();
        return;
    }
    DisplayList* children = object.children();
    if (!children) return;
    // Copy first: a variable's toString may change the list.
    std::vector<std::shared_ptr<DisplayObject>> list;
    list.reserve(children->size());
    for (const auto& [depth, child] : children->objects()) list.push_back(child);
    for (const auto& child : list)
        if (!child->removed()) walkFields(m, *child, level + 1, budget);
}

using Getter = Value (*)(Machine&, EditTextInstance&);
using Setter = void (*)(Machine&, EditTextInstance&, const Value&);

TextField& tf(EditTextInstance& f) {
    return f.field();
}

TextFieldSettings& settingsOf(EditTextInstance& f) {
    return f.field().settings();
}

// Text and HTML text.
Value getText(Machine& m, EditTextInstance& f) {
    pullVariable(m, f);
    return Value(encode(m, tf(f).text()));
}

void setText(Machine& m, EditTextInstance& f, const Value& v) {
    showText(m, f, m.toString(v), false);
    pushVariable(m, f);
}

Value getHtmlText(Machine& m, EditTextInstance& f) {
    pullVariable(m, f);
    if (!settingsOf(f).html && !styleSheetOf(f)) return Value(encode(m, tf(f).text()));
    return Value(encode(m, tf(f).htmlText()));
}

void setHtmlText(Machine& m, EditTextInstance& f, const Value& v) {
    showText(m, f, m.toString(v), settingsOf(f).html);
    pushVariable(m, f);
}

Value fieldStyleSheet(Machine&, EditTextInstance& f) {
    Object* sheet = styleSheetOf(f);
    return sheet ? Value(sheet) : Value();
}

void setFieldStyleSheet(Machine& m, EditTextInstance& f, const Value& v) {
    // Any object but a display object's.
    const bool sheet = v.isObject() && !m.displayObjectOf(v);
    m.stageObject(f)->defineOwn("__styleSheet",
                                Property{sheet ? v : Value(), nullptr, nullptr, kDontEnum});
    if (!sheet) {
        tf(f).setStyleSheet(std::nullopt);
        return;
    }
    // A sheet set again restyles the HTML the field kept under the last one.
    if (tf(f).hasHtmlSource()) showText(m, f, encode(m, tf(f).htmlText()), true);
}

Value fieldRestrict(Machine&, EditTextInstance& f) {
    const auto& r = settingsOf(f).restrict;
    return r ? Value(*r) : Value(Null{});
}

// null or undefined takes every character, and so does an empty pattern from SWF 7 on;
// older movies keep it, and it takes none.
void setFieldRestrict(Machine& m, EditTextInstance& f, const Value& v) {
    std::string text = v.isNullish() ? std::string() : m.toString(v);
    if (v.isNullish() || (text.empty() && m.swfVersion() >= 7))
        settingsOf(f).restrict.reset();
    else
        settingsOf(f).restrict = std::move(text);
}

Value fieldTextHeight(Machine&, EditTextInstance& f) {
    return Value(std::floor(tf(f).textHeight(f.dictionary()) / kTwipsPerPixel));
}

Value fieldTextWidth(Machine&, EditTextInstance& f) {
    return Value(std::floor(tf(f).textWidth(f.dictionary()) / kTwipsPerPixel));
}

Value fieldBottomScroll(Machine&, EditTextInstance& f) {
    const int lines = static_cast<int>(tf(f).lines(f.dictionary()).size());
    const int bottom = tf(f).scroll() + tf(f).visibleLines(f.dictionary()) - 1;
    return Value(static_cast<double>(std::max(1, std::min(bottom, lines))));
}

Value fieldLength(Machine& m, EditTextInstance& f) {
    pullVariable(m, f);
    return Value(
        static_cast<double>(stringLength(encode(m, tf(f).text()), std::max(6, m.swfVersion()))));
}

// Any whole number is kept, a negative one too; 0 (no limit) reads as null.
Value fieldMaxChars(Machine&, EditTextInstance& f) {
    int32_t n = settingsOf(f).maxChars;
    return n ? Value(static_cast<double>(n)) : Value(Null{});
}

void setFieldMaxChars(Machine& m, EditTextInstance& f, const Value& v) {
    settingsOf(f).maxChars = toInt32(m.toNumber(v));
}

Value fieldMaxhscroll(Machine&, EditTextInstance& f) {
    const double room = tf(f).box(f.dictionary()).width() - 2 * TextField::kGutter;
    return Value(
        std::max(0.0, std::round((tf(f).textWidth(f.dictionary()) - room) / kTwipsPerPixel)));
}

Value fieldHscroll(Machine&, EditTextInstance& f) {
    return Value(static_cast<double>(tf(f).hscroll()));
}

void setFieldHscroll(Machine& m, EditTextInstance& f, const Value& v) {
    // As a 32-bit integer: past 2^31 it wraps below zero and stops at the left.
    const double n = toInt32(m.toNumber(v));
    const double room = tf(f).box(f.dictionary()).width() - 2 * TextField::kGutter;
    const double most =
        std::max(0.0, std::round((tf(f).textWidth(f.dictionary()) - room) / kTwipsPerPixel));
    tf(f).setHscroll(static_cast<int>(std::clamp(n, 0.0, most)));
}

Value fieldVariable(Machine&, EditTextInstance& f) {
    const std::string& name = settingsOf(f).variable;
    return name.empty() ? Value(Null{}) : Value(name);
}

void setFieldVariable(Machine& m, EditTextInstance& f, const Value& v) {
    settingsOf(f).variable = v.isNullish() ? std::string() : m.toString(v);
    if (settingsOf(f).variable.empty()) return;
    // A new binding shows the variable's value. Without one, a field whose definition has
    // text starts over from it and gives it to the variable; any other keeps its text and
    // makes no variable.
    if (pullVariable(m, f, true)) return;
    const std::string& initial = tf(f).definition().initialText.value_or("");
    if (initial.empty()) return;
    tf(f).setText(initial, settingsOf(f).html);
    pushVariable(m, f);
}

Value fieldType(Machine&, EditTextInstance& f) {
    return Value(settingsOf(f).editable ? "input" : "dynamic");
}

void setFieldType(Machine& m, EditTextInstance& f, const Value& v) {
    std::string type = m.toString(v);
    if (equalsIgnoringCase(type, "input")) f.setEditable(true);
    if (equalsIgnoringCase(type, "dynamic")) f.setEditable(false);
}

Value fieldAutoSize(Machine&, EditTextInstance& f) {
    return Value(autoSizeName(settingsOf(f).autoSize));
}

void setFieldAutoSize(Machine& m, EditTextInstance& f, const Value& v) {
    AutoSize a = AutoSize::None;
    if (v.isBool()) {
        a = v.asBool() ? AutoSize::Left : AutoSize::None;
    } else {
        std::string name = m.toString(v);
        if (equalsIgnoringCase(name, "left")) a = AutoSize::Left;
        if (equalsIgnoringCase(name, "center")) a = AutoSize::Center;
        if (equalsIgnoringCase(name, "right")) a = AutoSize::Right;
    }
    tf(f).setAutoSize(a);
}

Value fieldTextColor(Machine&, EditTextInstance& f) {
    // The colour of new text; what is there may have colours of its own.
    return Value(static_cast<double>(tf(f).newFormat().color.value_or(0)));
}

void setFieldTextColor(Machine& m, EditTextInstance& f, const Value& v) {
    tf(f).setTextColor(colorOf(m, v));
}

Value fieldBackgroundColor(Machine&, EditTextInstance& f) {
    return Value(static_cast<double>(settingsOf(f).backgroundColor));
}

void setFieldBackgroundColor(Machine& m, EditTextInstance& f, const Value& v) {
    settingsOf(f).backgroundColor = colorOf(m, v);
}

Value fieldBorderColor(Machine&, EditTextInstance& f) {
    return Value(static_cast<double>(settingsOf(f).borderColor));
}

void setFieldBorderColor(Machine& m, EditTextInstance& f, const Value& v) {
    settingsOf(f).borderColor = colorOf(m, v);
}

Value fieldMaxscroll(Machine&, EditTextInstance& f) {
    return Value(static_cast<double>(tf(f).maxScroll(f.dictionary())));
}

Value fieldScroll(Machine&, EditTextInstance& f) {
    return Value(static_cast<double>(tf(f).scroll()));
}

void setFieldScroll(Machine& m, EditTextInstance& f, const Value& v) {
    // The player keeps the first line counted from zero in 32 bits: the value less one wraps
    // there (the lowest integer to the last line, NaN and what is below 1 to the first).
    const auto fromZero = static_cast<int32_t>(static_cast<uint32_t>(toInt32(m.toNumber(v))) - 1u);
    const int most = tf(f).maxScroll(f.dictionary());
    tf(f).setScroll(std::clamp(fromZero, 0, std::max(0, most - 1)) + 1);
}

Value fieldFilters(Machine& m, EditTextInstance& f) {
    return displayFilters(m, f);
}

void setFieldFilters(Machine& m, EditTextInstance& f, const Value& v) {
    f.setScriptFilters(filtersFromScript(m, v));
}

Value fieldSharpness(Machine&, EditTextInstance& f) {
    return Value(settingsOf(f).sharpness);
}

void setFieldSharpness(Machine& m, EditTextInstance& f, const Value& v) {
    double n = m.toNumber(v);
    settingsOf(f).sharpness = n;
}

Value fieldThickness(Machine&, EditTextInstance& f) {
    return Value(settingsOf(f).thickness);
}

void setFieldThickness(Machine& m, EditTextInstance& f, const Value& v) {
    double n = m.toNumber(v);
    settingsOf(f).thickness = n;
}

Value fieldAntiAliasType(Machine&, EditTextInstance& f) {
    return Value(settingsOf(f).antiAliasType);
}

void setFieldAntiAliasType(Machine& m, EditTextInstance& f, const Value& v) {
    std::string type = m.toString(v);
    if (type == "normal" || type == "advanced") settingsOf(f).antiAliasType = type;
}

Value fieldGridFitType(Machine&, EditTextInstance& f) {
    return Value(settingsOf(f).gridFitType);
}

void setFieldGridFitType(Machine& m, EditTextInstance& f, const Value& v) {
    std::string type = m.toString(v);
    if (type == "none" || type == "pixel" || type == "subpixel") settingsOf(f).gridFitType = type;
}

// Read and written through the field the object speaks for; a change redraws it.
template <Getter get>
Value readField(Machine& m, Object* self, std::span<const Value>) {
    EditTextInstance* field = fieldOf(m, self);
    return field ? get(m, *field) : Value();
}

template <Setter set>
Value writeField(Machine& m, Object* self, std::span<const Value> args) {
    if (EditTextInstance* field = fieldOf(m, self)) {
        set(m, *field, arg(args, 0));
        field->field().changed();
    }
    return Value();
}

// The player's field properties are enumerable.
template <Getter get, Setter set>
constexpr NativeMember fieldProperty(std::string_view name) {
    return native::accessor(name, readField<get>, writeField<set>, 0);
}

// A switch of the field's settings.
template <bool TextFieldSettings::*flag>
Value settingFlag(Machine&, EditTextInstance& f) {
    return Value(settingsOf(f).*flag);
}

template <bool TextFieldSettings::*flag>
void setSettingFlag(Machine& m, EditTextInstance& f, const Value& v) {
    settingsOf(f).*flag = m.toBoolean(v);
}

template <bool TextFieldSettings::*flag>
constexpr NativeMember flagProperty(std::string_view name) {
    return fieldProperty<settingFlag<flag>, setSettingFlag<flag>>(name);
}

// What is assigned is ignored.
template <Getter get>
constexpr NativeMember readOnlyField(std::string_view name) {
    return native::accessor(name, readField<get>, native::nothing, 0);
}

// In the order the player lists them.
constexpr NativeMember kFieldProperties[] = {
    fieldProperty<fieldStyleSheet, setFieldStyleSheet>("styleSheet"),
    flagProperty<&TextFieldSettings::mouseWheelEnabled>("mouseWheelEnabled"),
    flagProperty<&TextFieldSettings::condenseWhite>("condenseWhite"),
    fieldProperty<fieldRestrict, setFieldRestrict>("restrict"),
    readOnlyField<fieldTextHeight>("textHeight"),
    readOnlyField<fieldTextWidth>("textWidth"),
    readOnlyField<fieldBottomScroll>("bottomScroll"),
    readOnlyField<fieldLength>("length"),
    flagProperty<&TextFieldSettings::selectable>("selectable"),
    flagProperty<&TextFieldSettings::multiline>("multiline"),
    flagProperty<&TextFieldSettings::password>("password"),
    flagProperty<&TextFieldSettings::wordWrap>("wordWrap"),
    flagProperty<&TextFieldSettings::background>("background"),
    flagProperty<&TextFieldSettings::border>("border"),
    flagProperty<&TextFieldSettings::html>("html"),
    flagProperty<&TextFieldSettings::embedFonts>("embedFonts"),
    fieldProperty<fieldMaxChars, setFieldMaxChars>("maxChars"),
    readOnlyField<fieldMaxhscroll>("maxhscroll"),
    fieldProperty<fieldHscroll, setFieldHscroll>("hscroll"),
    fieldProperty<fieldVariable, setFieldVariable>("variable"),
    fieldProperty<getHtmlText, setHtmlText>("htmlText"),
    fieldProperty<fieldType, setFieldType>("type"),
    fieldProperty<getText, setText>("text"),
    fieldProperty<fieldAutoSize, setFieldAutoSize>("autoSize"),
    native::accessor("tabIndex", readTabIndex, writeTabIndex, 0),
    fieldProperty<fieldTextColor, setFieldTextColor>("textColor"),
    fieldProperty<fieldBackgroundColor, setFieldBackgroundColor>("backgroundColor"),
    fieldProperty<fieldBorderColor, setFieldBorderColor>("borderColor"),
    readOnlyField<fieldMaxscroll>("maxscroll"),
    fieldProperty<fieldScroll, setFieldScroll>("scroll"),
};

// Version 8 movies' own.
constexpr NativeMember kVersion8Properties[] = {
    fieldProperty<fieldFilters, setFieldFilters>("filters"),
    fieldProperty<fieldSharpness, setFieldSharpness>("sharpness"),
    fieldProperty<fieldThickness, setFieldThickness>("thickness"),
    fieldProperty<fieldAntiAliasType, setFieldAntiAliasType>("antiAliasType"),
    fieldProperty<fieldGridFitType, setFieldGridFitType>("gridFitType"),
};

// Older movies see these names on the prototype, with nothing behind them.
constexpr NativeMember kOlderPlaceholders[] = {
    native::empty("filters", 0),     native::empty("sharpness", 0),
    native::empty("thickness", 0),   native::empty("antiAliasType", 0),
    native::empty("gridFitType", 0),
};

// Made last to first, since for..in lists the newest first.
void installProperties(Machine& m, Object* proto) {
    std::span<const NativeMember> own =
        m.swfVersion() >= 8 ? std::span(kVersion8Properties) : std::span(kOlderPlaceholders);
    for (auto it = own.rbegin(); it != own.rend(); ++it) installMembers(m, proto, {&*it, 1});
    for (auto it = std::rbegin(kFieldProperties); it != std::rend(kFieldProperties); ++it)
        installMembers(m, proto, {&*it, 1});
}

// The range a format method names: (), (index) or (begin, end), clamped to the text.
struct FormatRange {
    size_t begin = 0;
    size_t end = 0;
};

FormatRange rangeOf(Machine& m, std::span<const Value> args, size_t first, size_t length) {
    FormatRange r{0, length};
    auto index = [&](const Value& v) {
        double n = m.toNumber(v);
        if (std::isnan(n) || n < 0) return size_t{0};
        return static_cast<size_t>(std::min(n, static_cast<double>(length)));
    };
    if (args.size() > first && !args[first].isUndefined()) {
        r.begin = index(args[first]);
        r.end = std::min(length, r.begin + 1);
    }
    if (args.size() > first + 1 && !args[first + 1].isUndefined()) r.end = index(args[first + 1]);
    return r;
}

// Returns how many characters went in.
size_t replaceRange(Machine& m, EditTextInstance& f, size_t begin, size_t end,
                    const std::string& with) {
    std::u32string inserted = decode(m, with);
    Machine::checkLength(tf(f).text().size() + inserted.size());
    const size_t count = inserted.size();
    tf(f).replaceText(begin, end, std::move(inserted));
    pushVariable(m, f);
    return count;
}

Value textFieldReplaceSel(Machine& m, Object* self, std::span<const Value> args) {
    EditTextInstance* f = fieldOf(m, self);
    if (!f || args.empty()) return Value();
    // Nothing to put in leaves the text and the selection alone.
    const std::string with = m.toString(args[0]);
    if (with.empty()) return Value();
    size_t length = tf(*f).text().size();
    size_t begin = std::min(f->selectionBegin(), length);
    size_t end = std::clamp(f->selectionEnd(), begin, length);
    size_t caret = begin + replaceRange(m, *f, begin, end, with);
    f->select(caret, caret);
    const int at = static_cast<int>(std::min<size_t>(caret, 1u << 30));
    selectionReplaced(m, *f, at, at, at);
    return Value();
}

Value textFieldGetTextFormat(Machine& m, Object* self, std::span<const Value> args) {
    EditTextInstance* f = fieldOf(m, self);
    if (!f) return Value();
    FormatRange r = rangeOf(m, args, 0, tf(*f).text().size());
    if (r.begin >= r.end) return makeTextFormat(m, TextFormat{});
    return makeTextFormat(m, tf(*f).formatOf(r.begin, r.end));
}

Value textFieldSetTextFormat(Machine& m, Object* self, std::span<const Value> args) {
    EditTextInstance* f = fieldOf(m, self);
    if (!f || args.empty()) return Value();
    // The format comes last: (format), (index, format), (begin, end, format).
    const TextFormat* format = textFormatOf(args.back());
    if (!format) return Value();
    FormatRange r = rangeOf(m, args.first(args.size() - 1), 0,
                      tf(*f).text().size());
    tf(*f).applyFormat(*format, r.begin, r.end);
    return Value();
}

Value textFieldGetNewTextFormat(Machine& m, Object* self, std::span<const Value>) {
    EditTextInstance* f = fieldOf(m, self);
    return f ? makeTextFormat(m, tf(*f).newFormat()) : Value();
}

Value textFieldSetNewTextFormat(Machine& m, Object* self, std::span<const Value> args) {
    EditTextInstance* f = fieldOf(m, self);
    const TextFormat* format = textFormatOf(arg(args, 0));
    if (f && format) tf(*f).setNewFormat(*format);
    return Value();
}

Value textFieldReplaceText(Machine& m, Object* self, std::span<const Value> args) {
    EditTextInstance* f = fieldOf(m, self);
    if (!f || args.size() < 3) return Value();
    double begin = m.toNumber(args[0]), end = m.toNumber(args[1]);
    if (!(begin >= 0) || !(end >= begin)) return Value();
    const double most = static_cast<double>(tf(*f).text().size());
    replaceRange(m, *f, static_cast<size_t>(std::min(begin, most)),
                 static_cast<size_t>(std::min(end, most)), m.toString(args[2]));
    // The caret goes to the end of the text.
    size_t length = tf(*f).text().size();
    f->select(length, length);
    return Value();
}

// The installed fonts' families, a new array each call; `this` does not matter.
Value textFieldGetFontList(Machine& m, Object*, std::span<const Value>) {
    std::vector<Value> names;
    for (std::string& family : DeviceFontCache::shared().families())
        names.emplace_back(std::move(family));
    return Value(m.newArray(names));
}

// Whether the field properties are on this family's TextField.prototype yet.
struct FieldPropertiesMade {
    bool made = false;
};

// The player puts the field properties on the prototype when its first field is made, by
// the timeline, createTextField or new TextField().
void makeFieldProperties(Machine& m) {
    auto& state = m.realmState<FieldPropertiesMade>();
    if (state.made) return;
    state.made = true;
    if (Object* proto = m.prototypes().textField) installProperties(m, proto);
}

Value constructTextField(Machine& m, Object* self, std::span<const Value> args) {
    makeFieldProperties(m);
    return native::thisObject(m, self, args);
}

constexpr NativeMember kTextFieldStatics[] = {
    native::method("getFontList", textFieldGetFontList).since(6),
};

constexpr NativeMember kTextFieldMethods[] = {
    native::method("replaceSel", textFieldReplaceSel).since(6),
    native::method("getTextFormat", textFieldGetTextFormat).since(6),
    native::method("setTextFormat", textFieldSetTextFormat).since(6),
    native::method("getNewTextFormat", textFieldGetNewTextFormat).since(6),
    native::method("setNewTextFormat", textFieldSetNewTextFormat).since(6),
    native::method("replaceText", textFieldReplaceText).since(7),
};

}  // namespace

EditTextInstance* textFieldOf(Machine& m, const Value& value) {
    DisplayObject* d = m.displayObjectOf(value);
    return d && d->isEditText() ? static_cast<EditTextInstance*>(d) : nullptr;
}

void textFieldPlaced(Machine& m, DisplayObject& object) {
    if (!object.isEditText()) return;
    makeFieldProperties(m);
    auto& field = static_cast<EditTextInstance&>(object);
    if (!object.scriptObject()) initializeListeners(m, m.stageObject(object));
    bindVariable(m, field);
}

void textFieldTyped(Machine& m, EditTextInstance& field) {
    pushVariable(m, field);
    StageObject* stage = m.stageObject(field);
    const Value message[] = {Value(std::string("onChanged")), Value(stage)};
    m.callMethod(Value(stage), "broadcastMessage", message);
}

bool setTextFieldExtent(Machine& m, DisplayObject& object, std::string_view name,
                        const Value& value) {
    if (!object.isEditText()) return false;
    const bool width = equalsIgnoringCase(name, "_width");
    if (!width && !equalsIgnoringCase(name, "_height")) return false;
    if (value.isNullish()) return true;
    double n = m.toNumber(value);
    if (std::isnan(n)) return true;
    auto& field = static_cast<EditTextInstance&>(object);
    field.field().setExtent(width, n * kTwipsPerPixel, field.dictionary());
    return true;
}

void updateBoundTextFields(Machine& m) {
    MovieClip* root = m.context().root();
    if (!root) return;
    size_t budget = kMaxFieldWalk;
    walkFields(m, *root, 0, budget);
}

Value createTextField(Machine& m, MovieClip& parent, std::span<const Value> args) {
    if (args.size() < 6) return Value();
    std::string name = m.toString(args[0]);
    int32_t depth = toInt32(m.toNumber(args[1]));
    if (depth < kMinScriptDepth || depth > kMaxScriptDepth) return Value();
    auto number = [&](size_t i) {
        double n = m.toNumber(args[i]);
        return std::isfinite(n) ? std::clamp(std::trunc(n), -1e7, 1e7) : 0.0;
    };
    double x = number(2), y = number(3), w = number(4), h = number(5);
    // A negative size counts from the far edge.
    const Rect box{static_cast<int32_t>(std::min(0.0, w) * kTwipsPerPixel),
                   static_cast<int32_t>(std::max(0.0, w) * kTwipsPerPixel),
                   static_cast<int32_t>(std::min(0.0, h) * kTwipsPerPixel),
                   static_cast<int32_t>(std::max(0.0, h) * kTwipsPerPixel)};
    // The size is the field's own, not its definition's: a duplicate starts empty.
    auto definition =
        EditTextCharacter::forScript(Rect{box.xMin, box.xMin, box.yMin, box.yMin});
    auto field = std::make_shared<EditTextInstance>(m.context(), definition);
    field->field().settings().bounds = box;
    field->field().changed();
    field->setName(name);
    field->setDepth(depth + kFirstScriptDepth);
    field->setMatrix(Matrix::translate(x * kTwipsPerPixel, y * kTwipsPerPixel));
    parent.placeAndStart(field, true);
    StageObject* stage = m.stageObject(*field);
    // The field is then handed to whatever function _global.TextField is now, as its `this`.
    Value ctor = m.get(Value(m.global()), "TextField");
    if (ctor.isObject() && ctor.asObject()->asFunction()) m.call(ctor, stage, {});
    // Fields a script makes answer from version 8 on.
    return m.swfVersion() >= 8 ? Value(stage) : Value();
}

void installTextFieldClass(Machine& m) {
    Object* proto = m.prototypes().textField;
    if (!proto) return;
    Function* ctor =
        installClass(m, m.global(), proto,
                     {"TextField", constructTextField, nullptr, {}, kTextFieldStatics, {}});
    // SWF 5 movies see the class without its prototype, and no methods on it.
    hideBefore(ctor, "prototype", 6);
    // Listeners: the methods of AsBroadcaster, each field with a list of its own.
    if (Value broadcaster = m.get(Value(m.global()), "AsBroadcaster"); broadcaster.isObject()) {
        const Value target[] = {Value(proto)};
        m.callMethod(broadcaster, "initialize", target);
    }
    installMembers(m, proto, kTextFieldMethods);
}

}  // namespace swf::avm1
