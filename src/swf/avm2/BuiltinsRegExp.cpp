// RegExp, and the methods of String that take a pattern: match, replace, search and split.
#include <cmath>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/LanguageClasses.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/RegExpObject.h"
#include "swf/avm2/Utf16.h"

namespace swf::avm2 {
namespace {

RegExpObject* asRegExp(const Value& v) {
    return dynamic_cast<RegExpObject*>(v.asObject());
}

std::string flagsText(const RegExpObject& re) {
    std::string f;
    if (re.global) f += 'g';
    if (re.flags.ignoreCase) f += 'i';
    if (re.flags.multiline) f += 'm';
    if (re.flags.dotAll) f += 's';
    if (re.flags.extended) f += 'x';
    return f;
}

// Compiles `source` with `flags` into `re`; a pattern that does not parse is the player's
// SyntaxError.
void compileInto(RegExpObject& re, const std::string& source, const std::string& flags) {
    re.source = source;
    for (char c : flags) {
        switch (c) {
            case 'g': re.global = true; break;
            case 'i': re.flags.ignoreCase = true; break;
            case 'm': re.flags.multiline = true; break;
            case 's': re.flags.dotAll = true; break;
            case 'x': re.flags.extended = true; break;
            default: break;
        }
    }
    std::string error;
    re.program = RegExpProgram::compile(toUtf16(source), re.flags, error);
    if (!re.program) {
        // The player refuses nothing at construction: a broken pattern matches nothing.
        std::string never;
        re.program = RegExpProgram::compile(u"(?!)", re.flags, never);
    }
}

RegExpObject* makeRegExp(Machine& m, ClassObject* cls, const std::string& source, const std::string& flags) {
    auto* re = m.heap().make<RegExpObject>(cls, cls->prototype);
    re->setTraits(cls->instanceTraits.get());
    compileInto(*re, source, flags);
    return re;
}

// A pattern argument as a RegExp: a RegExp itself, anything else the text of a new one.
RegExpObject* patternOf(Machine& m, ClassObject* cls, const Value& v) {
    if (RegExpObject* re = asRegExp(v)) return re;
    return makeRegExp(m, cls, m.toString(v), "");
}

RegExpObject& thisRegExp(Machine& m, const Value& self, const char* method) {
    RegExpObject* re = asRegExp(self);
    if (!re)
        m.throwError("TypeError", 1034, std::string("Type Coercion failed: cannot convert ") + m.describeForError(self) +
                                            " to RegExp. (" + method + ")");
    return *re;
}

// One search from `start`, its steps charged to the script.
bool search(Machine& m, const RegExpObject& re, const std::u16string& text, size_t start, std::vector<int>& captures) {
    if (start > text.size()) return false;
    uint64_t steps = 0;
    uint64_t left = m.stepBudget() > m.stepsTaken() ? m.stepBudget() - m.stepsTaken() : 0;
    auto outcome = re.program->exec(text, start, captures, steps, left);
    m.chargeSteps(steps);
    return outcome == RegExpProgram::Outcome::Matched;
}

Value captureValue(const std::u16string& text, const std::vector<int>& c, size_t group) {
    if (c[group * 2] < 0 || c[group * 2 + 1] < 0) return Value();
    return Value::string(fromUtf16(std::u16string_view(text).substr(static_cast<size_t>(c[group * 2]),
                                                                     static_cast<size_t>(c[group * 2 + 1] - c[group * 2]))));
}

// exec's answer: the matched text and groups, with index, input and the named groups.
Value matchArray(Machine& m, const RegExpObject& re, const std::u16string& text, const std::string& input,
                 const std::vector<int>& c) {
    std::vector<Value> items;
    for (size_t g = 0; g <= re.program->groupCount(); ++g) items.push_back(captureValue(text, c, g));
    ArrayObject* a = m.newArray(std::move(items));
    a->setOwn("index", Value::number(c[0]));
    a->setOwn("input", Value::string(input));
    for (const auto& [name, group] : re.program->names()) a->setOwn(name, captureValue(text, c, group));
    return Value::object(a);
}

Value exec(Machine& m, RegExpObject& re, const std::string& input) {
    std::u16string text = toUtf16(input);
    double from = re.global ? re.lastIndex : 0;
    if (std::isnan(from) || from < 0) from = 0;
    std::vector<int> c;
    if (from > static_cast<double>(text.size()) || !search(m, re, text, static_cast<size_t>(from), c)) {
        if (re.global) re.lastIndex = 0;
        return Value::null();
    }
    if (re.global) re.lastIndex = c[1];
    return matchArray(m, re, text, input, c);
}

// The replacement text for one match: "$$", "$&", "$`", "$'", "$1".."$99".
void expandReplacement(const std::u16string& with, const std::u16string& text, const std::vector<int>& c, size_t groups,
                       std::u16string& out) {
    for (size_t i = 0; i < with.size(); ++i) {
        char16_t ch = with[i];
        if (ch != '$' || i + 1 >= with.size()) {
            out += ch;
            continue;
        }
        char16_t n = with[i + 1];
        if (n == '$') {
            out += u'$';
            ++i;
        } else if (n == '&') {
            out.append(text, static_cast<size_t>(c[0]), static_cast<size_t>(c[1] - c[0]));
            ++i;
        } else if (n == '`') {
            out.append(text, 0, static_cast<size_t>(c[0]));
            ++i;
        } else if (n == '\'') {
            out.append(text, static_cast<size_t>(c[1]));
            ++i;
        } else if (n >= '0' && n <= '9') {
            size_t g = n - '0';
            size_t used = 1;
            if (i + 2 < with.size() && with[i + 2] >= '0' && with[i + 2] <= '9' && g * 10 + (with[i + 2] - '0') <= groups) {
                g = g * 10 + (with[i + 2] - '0');
                used = 2;
            }
            if (g == 0 || g > groups) {
                out += ch;
                continue;
            }
            if (c[g * 2] >= 0) out.append(text, static_cast<size_t>(c[g * 2]), static_cast<size_t>(c[g * 2 + 1] - c[g * 2]));
            i += used;
        } else {
            out += ch;
        }
    }
}

}  // namespace

void installRegExpClass(Machine& m) {
    ClassObject* cls = m.defineClass("", "RegExp", m.builtins().object);
    cls->setOwn("length", Value::number(1));
    auto construct = [cls](Machine& m, std::span<const Value> args) {
        Value pattern = argAt(args, 0), flags = argAt(args, 1);
        if (RegExpObject* from = asRegExp(pattern)) {
            if (!flags.isUndefined())
                m.throwError("TypeError", 1100, "Cannot supply flags when constructing one RegExp from another.");
            return Value::object(makeRegExp(m, cls, from->source, flagsText(*from)));
        }
        return Value::object(makeRegExp(m, cls, pattern.isUndefined() ? "" : m.toString(pattern),
                                        flags.isUndefined() ? "" : m.toString(flags)));
    };
    cls->construct = construct;
    cls->call = [construct](Machine& m, const Value&, std::span<const Value> args) {
        if (asRegExp(argAt(args, 0)) && argAt(args, 1).isUndefined()) return args[0];
        return construct(m, args);
    };
    auto flag = [&m, cls](const char* name, bool RegExpProgram::Flags::*member) {
        m.defineAccessor(cls, name, [member](Machine& m, const Value& self, std::span<const Value>) {
            return Value::boolean(thisRegExp(m, self, "flag").flags.*member);
        });
    };
    flag("ignoreCase", &RegExpProgram::Flags::ignoreCase);
    flag("multiline", &RegExpProgram::Flags::multiline);
    flag("dotall", &RegExpProgram::Flags::dotAll);
    flag("extended", &RegExpProgram::Flags::extended);
    m.defineAccessor(cls, "global", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(thisRegExp(m, self, "global").global);
    });
    m.defineAccessor(cls, "source", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(thisRegExp(m, self, "source").source);
    });
    m.defineAccessor(cls, "lastIndex",
        [](Machine& m, const Value& self, std::span<const Value>) {
            return Value::number(thisRegExp(m, self, "lastIndex").lastIndex);
        },
        [](Machine& m, const Value& self, std::span<const Value> args) {
            thisRegExp(m, self, "lastIndex").lastIndex = m.toInt(argAt(args, 0));
            return Value();
        });
    Object* p = cls->prototype;
    m.defineMethod(p, "exec", [](Machine& m, const Value& self, std::span<const Value> args) {
        RegExpObject& re = thisRegExp(m, self, "exec");
        return exec(m, re, args.empty() ? "undefined" : m.toString(args[0]));
    }, 1);
    m.defineMethod(p, "test", [](Machine& m, const Value& self, std::span<const Value> args) {
        RegExpObject& re = thisRegExp(m, self, "test");
        return Value::boolean(!exec(m, re, args.empty() ? "undefined" : m.toString(args[0])).isNull());
    }, 1);
    m.defineMethod(p, "toString", [](Machine& m, const Value& self, std::span<const Value>) {
        if (self.asObject() == m.builtins().object->prototype) return Value::string("/(?:)/");
        RegExpObject& re = thisRegExp(m, self, "toString");
        return Value::string("/" + re.source + "/" + flagsText(re));
    });

    Object* sp = m.builtins().string->prototype;
    m.defineMethod(sp, "match", [cls](Machine& m, const Value& self, std::span<const Value> args) {
        std::string input = receiverString(m, self);
        RegExpObject* re = patternOf(m, cls, argAt(args, 0));
        // Without g, the first match from the start; lastIndex is left as it was.
        if (!re->global) return exec(m, *re, input);
        std::u16string text = toUtf16(input);
        std::vector<Value> found;
        std::vector<int> c;
        size_t at = 0;
        while (at <= text.size() && search(m, *re, text, at, c)) {
            found.push_back(captureValue(text, c, 0));
            at = c[1] == c[0] ? static_cast<size_t>(c[1]) + 1 : static_cast<size_t>(c[1]);
            if (found.size() > ArrayObject::kMaxLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
        }
        // With g, no match is an empty array rather than null.
        re->lastIndex = 0;
        return Value::object(m.newArray(std::move(found)));
    }, 1);
    m.defineMethod(sp, "search", [cls](Machine& m, const Value& self, std::span<const Value> args) {
        std::u16string text = toUtf16(receiverString(m, self));
        RegExpObject* re = patternOf(m, cls, argAt(args, 0));
        std::vector<int> c;
        return Value::number(search(m, *re, text, 0, c) ? c[0] : -1);
    }, 1);
    m.defineMethod(sp, "replace", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string input = receiverString(m, self);
        std::u16string text = toUtf16(input);
        Value with = argAt(args, 1);
        Object* callback = with.asObject();
        if (callback && !callback->asFunction()) callback = nullptr;
        std::u16string withText = callback ? u"" : toUtf16(m.toString(with));
        std::vector<std::vector<int>> matches;
        size_t groups = 0;
        if (RegExpObject* re = asRegExp(argAt(args, 0))) {
            groups = re->program->groupCount();
            std::vector<int> c;
            size_t at = 0;
            while (at <= text.size() && search(m, *re, text, at, c)) {
                matches.push_back(c);
                if (!re->global) break;
                at = c[1] == c[0] ? static_cast<size_t>(c[1]) + 1 : static_cast<size_t>(c[1]);
            }
        } else {
            std::u16string needle = toUtf16(m.toString(argAt(args, 0)));
            size_t at = text.find(needle);
            if (at != std::u16string::npos) matches.push_back({static_cast<int>(at), static_cast<int>(at + needle.size())});
        }
        std::u16string out;
        size_t last = 0;
        for (const std::vector<int>& c : matches) {
            out.append(text, last, static_cast<size_t>(c[0]) - last);
            if (callback) {
                std::vector<Value> callArgs;
                for (size_t g = 0; g <= groups; ++g) {
                    Value v = captureValue(text, c, g);
                    callArgs.push_back(v.isUndefined() ? Value::string("") : v);
                }
                callArgs.push_back(Value::number(c[0]));
                callArgs.push_back(Value::string(input));
                out += toUtf16(m.toString(m.call(with, Value::null(), callArgs)));
            } else {
                expandReplacement(withText, text, c, groups, out);
            }
            last = static_cast<size_t>(c[1]);
            if (out.size() > Machine::kMaxStringLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
        }
        out.append(text, last);
        return Value::string(fromUtf16(out));
    }, 2);
    m.defineMethod(sp, "split", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::u16string text = toUtf16(receiverString(m, self));
        Value separator = argAt(args, 0);
        double limit = argAt(args, 1).isUndefined() ? 4294967295.0 : m.toUint(argAt(args, 1));
        std::vector<Value> parts;
        auto piece = [&](size_t from, size_t to) {
            parts.push_back(Value::string(fromUtf16(std::u16string_view(text).substr(from, to - from))));
        };
        if (limit == 0) return Value::object(m.newArray());
        if (args.empty()) {
            parts.push_back(Value::string(fromUtf16(text)));
        } else if (RegExpObject* re = asRegExp(separator)) {
            if (text.empty()) {
                std::vector<int> c;
                if (!search(m, *re, text, 0, c) || c[1] != 0) parts.push_back(Value::string(""));
                return Value::object(m.newArray(std::move(parts)));
            }
            size_t last = 0, at = 0;
            std::vector<int> c;
            while (at < text.size() && parts.size() < limit) {
                if (!search(m, *re, text, at, c) || static_cast<size_t>(c[0]) >= text.size()) break;
                size_t s = static_cast<size_t>(c[0]), e = static_cast<size_t>(c[1]);
                if (e == last) {
                    at = s + 1;
                    continue;
                }
                piece(last, s);
                for (size_t g = 1; g <= re->program->groupCount() && parts.size() < limit; ++g)
                    parts.push_back(captureValue(text, c, g));
                last = at = e;
                if (parts.size() > ArrayObject::kMaxLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
            }
            if (parts.size() < limit) piece(last, text.size());
        } else {
            std::u16string sep = toUtf16(m.toString(separator));
            if (sep.empty()) {
                for (size_t i = 0; i < text.size() && parts.size() < limit; ++i) piece(i, i + 1);
            } else {
                size_t start = 0;
                while (parts.size() < limit) {
                    size_t at = text.find(sep, start);
                    if (at == std::u16string::npos) {
                        piece(start, text.size());
                        break;
                    }
                    piece(start, at);
                    start = at + sep.size();
                }
            }
        }
        if (parts.size() > limit) parts.resize(static_cast<size_t>(limit));
        return Value::object(m.newArray(std::move(parts)));
    }, 2);
}

}  // namespace swf::avm2
