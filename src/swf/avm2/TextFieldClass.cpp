// flash.text.TextField over the engine's text fields: the same field a DefineEditText places
// or `new TextField()` makes, laid out and drawn by the engine's text code. Scripts see
// pixels, UTF-8 strings and character indices.
#include <cmath>

#include "swf/avm2/GeomClasses.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/avm2/TextClasses.h"
#include "swf/display/EditTextInstance.h"
#include "swf/display/MovieContext.h"
#include "swf/text/TextDecoding.h"
#include "swf/format/Utf8.h"

namespace swf::avm2 {

namespace {

// A new field is 100 pixels square.
constexpr int32_t kNewFieldSize = 100 * 20;

EditTextInstance& fieldOf(Machine& m, const Value& self) {
    DisplayHandle& handle = nativeSelf<DisplayHandle>(m, self);
    swf::DisplayObject* object = handle.display();
    if (!object || !object->isEditText()) m.throwError("Error", 2012, "This display object has no content.");
    return static_cast<EditTextInstance&>(*object);
}

std::string utf8(const std::u32string& text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) appendUtf8(out, c);
    return out;
}

std::u32string decoded(Machine& m, const Value& v) {
    std::string text = m.toString(v);
    if (text.size() > Machine::kMaxStringLength) m.throwError("Error", 1000, "The system is out of memory.");
    return DecodeMovieText(text);
}

void requireNonNull(Machine& m, const Value& v, const char* parameter) {
    if (v.isNull() || v.isUndefined())
        m.throwError("TypeError", 2007, std::string("Parameter ") + parameter + " must be non-null.");
}

using Getter = Value (*)(Machine&, EditTextInstance&);
using Setter = void (*)(Machine&, EditTextInstance&, const Value&);

void property(Machine& m, ClassObject* cls, const char* name, Getter get, Setter set = nullptr) {
    NativeFunction setter;
    if (set)
        setter = [set](Machine& m, const Value& self, std::span<const Value> args) {
            EditTextInstance& f = fieldOf(m, self);
            set(m, f, argAt(args, 0));
            f.field().changed();
            return Value();
        };
    m.defineAccessor(cls, name, [get](Machine& m, const Value& self, std::span<const Value>) {
        return get(m, fieldOf(m, self));
    }, setter);
}

// A setting that is a flag of the field.
void flag(Machine& m, ClassObject* cls, const char* name, bool TextFieldSettings::*member) {
    NativeFunction setter = [member](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        f.field().settings().*member = Machine::toBoolean(argAt(args, 0));
        f.field().changed();
        return Value();
    };
    m.defineAccessor(cls, name, [member](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(fieldOf(m, self).field().settings().*member);
    }, setter);
}

void color(Machine& m, ClassObject* cls, const char* name, uint32_t TextFieldSettings::*member) {
    NativeFunction setter = [member](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        f.field().settings().*member = m.toUint(argAt(args, 0)) & 0xFFFFFF;
        return Value();
    };
    m.defineAccessor(cls, name, [member](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(fieldOf(m, self).field().settings().*member);
    }, setter);
}

double pixels(double twips) {
    return twips / kTwipsPerPixel;
}

// One of `names`, or the player's ArgumentError naming the parameter.
size_t choice(Machine& m, const Value& v, std::initializer_list<const char*> names, const char* parameter) {
    std::string name = m.toString(v);
    size_t index = 0;
    for (const char* candidate : names) {
        if (name == candidate) return index;
        ++index;
    }
    m.throwError("ArgumentError", 2008, std::string("Parameter ") + parameter + " must be one of the accepted values.");
}

void rangeError(Machine& m) {
    m.throwError("RangeError", 2006, "The supplied index is out of bounds.");
}

// The range a format method names: (-1, -1) all of the text, (begin, -1) one character.
std::pair<size_t, size_t> formatRange(Machine& m, std::span<const Value> args, size_t first, size_t length) {
    double begin = first < args.size() ? m.toNumber(args[first]) : -1;
    double end = first + 1 < args.size() ? m.toNumber(args[first + 1]) : -1;
    if (begin == -1) return {0, length};
    if (!(begin >= 0) || begin > static_cast<double>(length)) rangeError(m);
    if (end == -1) end = begin + 1;
    if (!(end >= begin) || end > static_cast<double>(length)) rangeError(m);
    return {static_cast<size_t>(begin), static_cast<size_t>(end)};
}

// The line holding character `index`, or -1.
int lineOfCharacter(const std::vector<TextLine>& lines, size_t index) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (index >= lines[i].begin && index < lines[i].end) return static_cast<int>(i);
    return -1;
}

const TextLine& lineAt(Machine& m, EditTextInstance& f, const Value& v) {
    const std::vector<TextLine>& lines = f.field().lines(f.dictionary());
    double index = m.toNumber(v);
    if (!(index >= 0) || index >= static_cast<double>(lines.size())) rangeError(m);
    return lines[static_cast<size_t>(index)];
}

void installText(Machine& m, ClassObject* cls) {
    property(m, cls, "text", [](Machine&, EditTextInstance& f) { return Value::string(utf8(f.field().text())); },
             [](Machine& m, EditTextInstance& f, const Value& v) {
                 requireNonNull(m, v, "text");
                 // The text the field has already changes nothing, its formats included.
                 std::u32string text = decoded(m, v);
                 if (text != f.field().text()) f.field().setPlainText(std::move(text));
             });
    property(m, cls, "htmlText", [](Machine&, EditTextInstance& f) { return Value::string(utf8(f.field().htmlText())); },
             [](Machine& m, EditTextInstance& f, const Value& v) {
                 requireNonNull(m, v, "text");
                 // The HTML the field would give back changes nothing.
                 std::u32string html = decoded(m, v);
                 if (html != f.field().htmlText()) f.field().setHtml(html);
             });
    property(m, cls, "length", [](Machine&, EditTextInstance& f) {
        return Value::number(static_cast<double>(f.field().text().size()));
    });
    defineNativeMethod(m, cls, "appendText", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        size_t end = f.field().text().size();
        f.field().replaceText(end, end, decoded(m, argAt(args, 0)));
        return Value();
    }, 1);
    defineNativeMethod(m, cls, "replaceText", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        double length = static_cast<double>(f.field().text().size());
        double begin = m.toNumber(argAt(args, 0)), end = m.toNumber(argAt(args, 1));
        if (!(begin >= 0) || !(end >= begin) || end > length) rangeError(m);
        f.field().replaceText(static_cast<size_t>(begin), static_cast<size_t>(end), decoded(m, argAt(args, 2)));
        return Value();
    }, 3);
    defineNativeMethod(m, cls, "replaceSelectedText", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        size_t length = f.field().text().size();
        size_t begin = std::min(f.selectionBegin(), length), end = std::clamp(f.selectionEnd(), begin, length);
        std::u32string inserted = decoded(m, argAt(args, 0));
        size_t caret = begin + inserted.size();
        f.field().replaceText(begin, end, std::move(inserted));
        f.select(caret, caret);
        return Value();
    }, 1);
    defineNativeMethod(m, cls, "setSelection", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        double length = static_cast<double>(f.field().text().size());
        auto index = [&](const Value& v) { return static_cast<size_t>(std::clamp(m.toNumber(v), 0.0, length)); };
        size_t begin = index(argAt(args, 0)), end = index(argAt(args, 1));
        f.select(std::min(begin, end), std::max(begin, end));
        return Value();
    }, 2);
    property(m, cls, "selectionBeginIndex", [](Machine&, EditTextInstance& f) { return Value::number(static_cast<double>(f.selectionBegin())); });
    property(m, cls, "selectionEndIndex", [](Machine&, EditTextInstance& f) { return Value::number(static_cast<double>(f.selectionEnd())); });
    property(m, cls, "caretIndex", [](Machine&, EditTextInstance& f) { return Value::number(static_cast<double>(f.selectionEnd())); });
}

void installSettings(Machine& m, ClassObject* cls) {
    flag(m, cls, "wordWrap", &TextFieldSettings::wordWrap);
    flag(m, cls, "multiline", &TextFieldSettings::multiline);
    flag(m, cls, "border", &TextFieldSettings::border);
    flag(m, cls, "background", &TextFieldSettings::background);
    flag(m, cls, "selectable", &TextFieldSettings::selectable);
    flag(m, cls, "embedFonts", &TextFieldSettings::embedFonts);
    flag(m, cls, "displayAsPassword", &TextFieldSettings::password);
    flag(m, cls, "condenseWhite", &TextFieldSettings::condenseWhite);
    flag(m, cls, "mouseWheelEnabled", &TextFieldSettings::mouseWheelEnabled);
    color(m, cls, "borderColor", &TextFieldSettings::borderColor);
    color(m, cls, "backgroundColor", &TextFieldSettings::backgroundColor);
    property(m, cls, "textColor", [](Machine&, EditTextInstance& f) {
        return Value::number(f.field().newFormat().color.value_or(0));
    }, [](Machine& m, EditTextInstance& f, const Value& v) { f.field().setTextColor(m.toUint(v) & 0xFFFFFF); });
    property(m, cls, "autoSize", [](Machine&, EditTextInstance& f) {
        return Value::string(autoSizeName(f.field().settings().autoSize));
    }, [](Machine& m, EditTextInstance& f, const Value& v) {
        size_t index = choice(m, v, {"none", "left", "center", "right"}, "autoSize");
        f.field().setAutoSize(static_cast<AutoSize>(index));
    });
    property(m, cls, "type", [](Machine&, EditTextInstance& f) {
        return Value::string(f.field().settings().editable ? "input" : "dynamic");
    }, [](Machine& m, EditTextInstance& f, const Value& v) {
        f.field().settings().editable = choice(m, v, {"dynamic", "input"}, "type") == 1;
    });
    property(m, cls, "maxChars", [](Machine&, EditTextInstance& f) {
        return Value::number(f.field().settings().maxChars);
    }, [](Machine& m, EditTextInstance& f, const Value& v) {
        f.field().settings().maxChars = std::max(0, m.toInt(v));
    });
    property(m, cls, "restrict", [](Machine&, EditTextInstance& f) {
        const auto& r = f.field().settings().restrict;
        return r ? Value::string(*r) : Value::null();
    }, [](Machine& m, EditTextInstance& f, const Value& v) {
        if (v.isNull() || v.isUndefined())
            f.field().settings().restrict.reset();
        else
            f.field().settings().restrict = m.toString(v);
    });
    property(m, cls, "antiAliasType", [](Machine&, EditTextInstance& f) {
        return Value::string(f.field().settings().antiAliasType);
    }, [](Machine& m, EditTextInstance& f, const Value& v) {
        f.field().settings().antiAliasType = m.toString(v) == "advanced" ? "advanced" : "normal";
    });
    property(m, cls, "gridFitType", [](Machine&, EditTextInstance& f) {
        return Value::string(f.field().settings().gridFitType);
    }, [](Machine& m, EditTextInstance& f, const Value& v) {
        // What the player does not know is "none".
        std::string type = m.toString(v);
        f.field().settings().gridFitType = type == "pixel" || type == "subpixel" ? type : "none";
    });
    property(m, cls, "sharpness", [](Machine&, EditTextInstance& f) { return Value::number(f.field().settings().sharpness); },
             [](Machine& m, EditTextInstance& f, const Value& v) {
                 f.field().settings().sharpness = std::clamp(m.toNumber(v), -400.0, 400.0);
             });
    property(m, cls, "thickness", [](Machine&, EditTextInstance& f) { return Value::number(f.field().settings().thickness); },
             [](Machine& m, EditTextInstance& f, const Value& v) {
                 f.field().settings().thickness = std::clamp(m.toNumber(v), -200.0, 200.0);
             });
    property(m, cls, "styleSheet", [](Machine&, EditTextInstance&) { return Value::null(); },
             [](Machine&, EditTextInstance&, const Value&) {});
}

void installFormats(Machine& m, ClassObject* cls) {
    property(m, cls, "defaultTextFormat", [](Machine& m, EditTextInstance& f) {
        return newTextFormat(m, f.field().newFormat());
    }, [](Machine& m, EditTextInstance& f, const Value& v) {
        requireNonNull(m, v, "format");
        if (const TextFormat* format = textFormatOf(v)) f.field().setNewFormat(*format);
    });
    defineNativeMethod(m, cls, "getTextFormat", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        auto [begin, end] = formatRange(m, args, 0, f.field().text().size());
        return newTextFormat(m, begin < end ? f.field().formatOf(begin, end) : f.field().newFormat());
    });
    defineNativeMethod(m, cls, "setTextFormat", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        requireNonNull(m, argAt(args, 0), "format");
        const TextFormat* format = textFormatOf(argAt(args, 0));
        if (!format) return Value();
        auto [begin, end] = formatRange(m, args, 1, f.field().text().size());
        f.field().applyFormat(*format, begin, end);
        return Value();
    }, 1);
}

// getTextRuns(begin, end): the runs of equal format over the characters, as TextRun objects
// (the player's method, which its own classes use).
void installTextRuns(Machine& m, ClassObject* field) {
    ClassObject* run = m.defineClass("flash.text", "TextRun", m.builtins().object);
    for (const char* name : {"beginIndex", "endIndex", "textFormat"}) {
        Binding b;
        b.kind = Binding::Kind::Slot;
        b.slot = run->instanceTraits->addSlot(0, SlotType::Any, Value());
        run->instanceTraits->bind(m.namespaces().publicNs(), name, b);
    }
    run->sealed = true;
    defineNativeMethod(m, field, "getTextRuns", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        double length = static_cast<double>(f.field().text().size());
        double begin = std::clamp(args.size() > 0 ? m.toNumber(args[0]) : 0.0, 0.0, length);
        double end = std::clamp(args.size() > 1 ? m.toNumber(args[1]) : length, begin, length);
        std::vector<Value> runs;
        for (const FormatRun& r : f.field().runs().runs()) {
            if (static_cast<double>(r.end) <= begin || static_cast<double>(r.begin) >= end) continue;
            Value object = m.construct(Value::object(m.findClass("flash.text::TextRun")), {});
            auto set = [&](const char* name, Value v) { m.setProperty(object, Name::qualified(m.namespaces().publicNs(), name), v); };
            set("beginIndex", Value::number(static_cast<double>(r.begin)));
            set("endIndex", Value::number(static_cast<double>(r.end)));
            set("textFormat", newTextFormat(m, r.format));
            runs.push_back(object);
        }
        return Value::object(m.newArray(std::move(runs)));
    });
}

void installMeasures(Machine& m, ClassObject* cls) {
    property(m, cls, "textWidth", [](Machine&, EditTextInstance& f) {
        return Value::number(pixels(f.field().textWidth(f.dictionary())));
    });
    property(m, cls, "textHeight", [](Machine&, EditTextInstance& f) {
        return Value::number(pixels(f.field().textHeight(f.dictionary())));
    });
    // A field's size is its box, never a scale.
    for (bool width : {true, false})
        m.defineAccessor(cls, width ? "width" : "height", [width](Machine& m, const Value& self, std::span<const Value>) {
            Rect b = fieldOf(m, self).boundsInParent();
            return Value::number(pixels(width ? b.xMax - b.xMin : b.yMax - b.yMin));
        }, [width](Machine& m, const Value& self, std::span<const Value> args) {
            EditTextInstance& f = fieldOf(m, self);
            double n = m.toNumber(argAt(args, 0));
            if (std::isfinite(n)) f.field().setExtent(width, n * kTwipsPerPixel, f.dictionary());
            return Value();
        });
    property(m, cls, "numLines", [](Machine&, EditTextInstance& f) {
        return Value::number(static_cast<double>(std::max<size_t>(1, f.field().lines(f.dictionary()).size())));
    });
    property(m, cls, "scrollV", [](Machine&, EditTextInstance& f) { return Value::number(f.field().scroll()); },
             [](Machine& m, EditTextInstance& f, const Value& v) {
                 f.field().setScroll(std::clamp(m.toInt(v), 1, f.field().maxScroll(f.dictionary())));
             });
    property(m, cls, "maxScrollV", [](Machine&, EditTextInstance& f) { return Value::number(f.field().maxScroll(f.dictionary())); });
    property(m, cls, "bottomScrollV", [](Machine&, EditTextInstance& f) {
        int lines = static_cast<int>(f.field().lines(f.dictionary()).size());
        int bottom = f.field().scroll() + f.field().visibleLines(f.dictionary()) - 1;
        return Value::number(std::max(1, std::min(bottom, lines)));
    });
    auto maxScrollH = [](EditTextInstance& f) {
        double room = f.field().box(f.dictionary()).width() - 2 * TextField::kGutter;
        return std::max(0.0, std::round(pixels(f.field().textWidth(f.dictionary()) - room)));
    };
    m.defineAccessor(cls, "maxScrollH", [maxScrollH](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(maxScrollH(fieldOf(m, self)));
    });
    m.defineAccessor(cls, "scrollH", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(fieldOf(m, self).field().hscroll());
    }, [maxScrollH](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        f.field().setHscroll(static_cast<int>(std::clamp(static_cast<double>(m.toInt(argAt(args, 0))), 0.0, maxScrollH(f))));
        return Value();
    });
}

void installLines(Machine& m, ClassObject* cls) {
    defineNativeMethod(m, cls, "getLineText", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        const TextLine& line = lineAt(m, f, argAt(args, 0));
        return Value::string(utf8(f.field().text().substr(line.begin, line.end - line.begin)));
    }, 1);
    defineNativeMethod(m, cls, "getLineLength", [](Machine& m, const Value& self, std::span<const Value> args) {
        const TextLine& line = lineAt(m, fieldOf(m, self), argAt(args, 0));
        return Value::number(static_cast<double>(line.end - line.begin));
    }, 1);
    defineNativeMethod(m, cls, "getLineOffset", [](Machine& m, const Value& self, std::span<const Value> args) {
        return Value::number(static_cast<double>(lineAt(m, fieldOf(m, self), argAt(args, 0)).begin));
    }, 1);
    defineNativeMethod(m, cls, "getLineIndexOfChar", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        double index = m.toNumber(argAt(args, 0));
        if (!(index >= 0)) return Value::number(-1);
        return Value::number(lineOfCharacter(f.field().lines(f.dictionary()), static_cast<size_t>(index)));
    }, 1);
    defineNativeMethod(m, cls, "getLineMetrics", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        const TextLine& line = lineAt(m, f, argAt(args, 0));
        double x = TextField::kGutter + (line.glyphs.empty() ? line.indent : line.glyphs.front().x);
        double height = line.ascent + line.descent + line.leading;
        std::vector<Value> fields;
        for (double twips : {x, line.width, height, line.ascent, line.descent, line.leading})
            fields.push_back(Value::number(pixels(twips)));
        return m.construct(Value::object(m.findClass("flash.text::TextLineMetrics")), fields);
    }, 1);
    defineNativeMethod(m, cls, "getCharBoundaries", [](Machine& m, const Value& self, std::span<const Value> args) {
        EditTextInstance& f = fieldOf(m, self);
        const std::vector<TextLine>& lines = f.field().lines(f.dictionary());
        double number = m.toNumber(argAt(args, 0));
        if (!(number >= 0)) return Value::null();
        size_t index = static_cast<size_t>(number);
        // Positions count from the first line shown; the lines scrolled past have none.
        int at = lineOfCharacter(lines, index);
        int first = f.field().scroll() - 1;
        if (at < first) return Value::null();
        const TextLine& line = lines[static_cast<size_t>(at)];
        const TextLine& top = lines[static_cast<size_t>(first)];
        for (const PlacedGlyph& glyph : line.glyphs)
            if (glyph.character == index) {
                const Rect& box = f.field().box(f.dictionary());
                double x = box.xMin + TextField::kGutter + glyph.x;
                double y = box.yMin + TextField::kGutter + line.top() - top.top();
                return newRectangle(m, pixels(x), pixels(y), pixels(glyph.advance), pixels(line.ascent + line.descent));
            }
        return Value::null();
    }, 1);
}

}  // namespace

void installTextField(Machine& m, ClassObject* interactiveObject) {
    ClassObject* cls = m.defineClass("flash.text", "TextField", interactiveObject);
    cls->allocate = [](Machine& m, ClassObject* type) {
        return bridgeOf(m).allocate(type, [&m]() -> std::shared_ptr<swf::DisplayObject> {
            MovieContext& context = bridgeOf(m).context();
            auto definition = EditTextCharacter::forScript(Rect{0, kNewFieldSize, 0, kNewFieldSize});
            return std::make_shared<EditTextInstance>(context, definition);
        });
    };
    cls->sealed = true;
    defineNumberClass(m, "flash.text", "TextLineMetrics", {"x", "width", "height", "ascent", "descent", "leading"},
                      {0, 0, 0, 0, 0, 0});
    installText(m, cls);
    installSettings(m, cls);
    installFormats(m, cls);
    installMeasures(m, cls);
    installLines(m, cls);
    installTextRuns(m, cls);
}

}  // namespace swf::avm2
