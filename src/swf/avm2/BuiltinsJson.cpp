// JSON: parse with a reviver, stringify with a replacer (function or list of names), indent
// and toJSON, and the player's errors for bad text and cyclic structures.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/LanguageClasses.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/Utf16.h"

namespace swf::avm2 {
namespace {

constexpr int kMaxDepth = 3000;

[[noreturn]] void badInput(Machine& m) {
    m.throwError("SyntaxError", 1132, "Invalid JSON parse input.");
}

Name publicName(Machine& m, const std::string& local) {
    return Name::qualified(m.namespaces().publicNs(), local);
}

class JsonParser {
  public:
    JsonParser(Machine& m, const std::u16string& text) : m_(m), s_(text) {}

    Value document() {
        Value v = value(0);
        skipSpace();
        if (i_ != s_.size()) badInput(m_);
        return v;
    }

  private:
    void skipSpace() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
    }
    bool take(char16_t c) {
        skipSpace();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void expectWord(const char16_t* word) {
        for (; *word; ++word, ++i_)
            if (i_ >= s_.size() || s_[i_] != *word) badInput(m_);
    }

    Value value(int depth) {
        if (depth > kMaxDepth) badInput(m_);
        skipSpace();
        if (i_ >= s_.size()) badInput(m_);
        char16_t c = s_[i_];
        if (c == '{') {
            ++i_;
            Object* o = m_.newObject();
            if (take('}')) return Value::object(o);
            do {
                skipSpace();
                if (i_ >= s_.size() || s_[i_] != '"') badInput(m_);
                std::string key = string();
                if (!take(':')) badInput(m_);
                o->setOwn(key, value(depth + 1));
            } while (take(','));
            if (!take('}')) badInput(m_);
            return Value::object(o);
        }
        if (c == '[') {
            ++i_;
            std::vector<Value> items;
            if (take(']')) return Value::object(m_.newArray());
            do {
                items.push_back(value(depth + 1));
                if (items.size() > ArrayObject::kMaxLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
            } while (take(','));
            if (!take(']')) badInput(m_);
            return Value::object(m_.newArray(std::move(items)));
        }
        if (c == '"') return Value::string(string());
        if (c == 't') return expectWord(u"true"), Value::boolean(true);
        if (c == 'f') return expectWord(u"false"), Value::boolean(false);
        if (c == 'n') return expectWord(u"null"), Value::null();
        return number();
    }

    std::string string() {
        ++i_;
        std::u16string out;
        for (;;) {
            if (i_ >= s_.size()) badInput(m_);
            char16_t c = s_[i_++];
            if (c == '"') break;
            if (c < 0x20) badInput(m_);
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size()) badInput(m_);
            char16_t e = s_[i_++];
            switch (e) {
                case '"': case '\\': case '/': out += e; break;
                case 'b': out += u'\b'; break;
                case 'f': out += u'\f'; break;
                case 'n': out += u'\n'; break;
                case 'r': out += u'\r'; break;
                case 't': out += u'\t'; break;
                case 'u': {
                    if (i_ + 4 > s_.size()) badInput(m_);
                    char16_t v = 0;
                    for (int k = 0; k < 4; ++k) {
                        char16_t h = s_[i_++];
                        int d = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
                        if (d < 0) badInput(m_);
                        v = static_cast<char16_t>(v * 16 + d);
                    }
                    out += v;
                    break;
                }
                default: badInput(m_);
            }
        }
        return fromUtf16(out);
    }

    Value number() {
        size_t start = i_;
        auto digits = [&] {
            size_t from = i_;
            while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
            return i_ > from;
        };
        if (i_ < s_.size() && s_[i_] == '-') ++i_;
        if (i_ < s_.size() && s_[i_] == '0') {
            ++i_;
        } else if (!digits()) {
            badInput(m_);
        }
        if (i_ < s_.size() && s_[i_] == '.') {
            ++i_;
            if (!digits()) badInput(m_);
        }
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            ++i_;
            if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
            if (!digits()) badInput(m_);
        }
        return Value::number(stringToNumber(fromUtf16(s_.substr(start, i_ - start))));
    }

    Machine& m_;
    const std::u16string& s_;
    size_t i_ = 0;
};

// The keys of an object's own enumerable dynamic properties, or an array's indexes.
std::vector<std::string> keysOf(Object* o) {
    std::vector<std::string> keys;
    if (ArrayObject* a = o->asArray()) {
        for (size_t i = 0; i < a->items.size(); ++i)
            if (!a->items[i].isHole()) keys.push_back(std::to_string(i));
    }
    for (size_t i = 0; i < o->ownCount(); ++i) {
        const std::string* name = o->ownNameAt(i);
        if (name && o->isEnumerable(*name)) keys.push_back(*name);
    }
    return keys;
}

Value revive(Machine& m, const Value& reviver, Object* holder, const std::string& key, int depth) {
    if (depth > kMaxDepth) badInput(m);
    Value v = m.getProperty(Value::object(holder), publicName(m, key));
    if (Object* o = v.asObject()) {
        for (const std::string& k : keysOf(o)) {
            Value revived = revive(m, reviver, o, k, depth + 1);
            if (revived.isUndefined()) m.deleteProperty(v, publicName(m, k));
            else m.setProperty(v, publicName(m, k), revived);
        }
    }
    Value args[2] = {Value::string(key), v};
    return m.call(reviver, Value::object(holder), args);
}

class JsonWriter {
  public:
    JsonWriter(Machine& m, Value replacer, std::string gap) : m_(m), replacer_(std::move(replacer)), gap_(std::move(gap)) {
        if (ArrayObject* names = replacer_.isObject() ? replacer_.asObject()->asArray() : nullptr) {
            allow_ = true;
            std::unordered_set<std::string> seen;
            for (const Value& v : names->items) {
                if (!v.isString() && !v.isNumber()) continue;
                std::string name = m.toString(v);
                if (seen.insert(name).second) allowed_.push_back(name);
            }
            replacer_ = Value();
        }
    }

    // The text of holder[key], or false when it has none (undefined, a function).
    bool write(Object* holder, const std::string& key, Value v, const std::string& indent, std::string& out) {
        if (Object* o = v.asObject()) {
            Name toJson = publicName(m_, "toJSON");
            if (m_.hasProperty(v, toJson)) {
                Value f = m_.getProperty(v, toJson);
                if (f.isObject() && f.asObject()->asFunction()) {
                    Value arg = Value::string(key);
                    v = m_.call(f, v, std::span<const Value>(&arg, 1));
                }
            }
            (void)o;
        }
        if (replacer_.isObject()) {
            Value args[2] = {Value::string(key), v};
            v = m_.call(replacer_, Value::object(holder), args);
        }
        switch (v.kind()) {
            case Value::Kind::Undefined: return false;
            case Value::Kind::Null: out += "null"; return true;
            case Value::Kind::Boolean: out += v.asBoolean() ? "true" : "false"; return true;
            case Value::Kind::Number: out += std::isfinite(v.asNumber()) ? numberToString(v.asNumber()) : "null"; return true;
            case Value::Kind::String: quote(v.asString(), out); return true;
            case Value::Kind::Object: break;
        }
        Object* o = v.asObject();
        if (o->asFunction() || o->asClass()) return false;
        for (Object* open : stack_)
            if (open == o) m_.throwError("TypeError", 1129, "Cyclic structure cannot be converted to JSON string.");
        if (stack_.size() > kMaxDepth) throw ScriptLimitError("Error #1023: Stack overflow occurred.");
        stack_.push_back(o);
        std::string inner = indent + gap_;
        std::vector<std::string> parts;
        if (ArrayObject* a = o->asArray()) {
            std::vector<Value> elements = arrayElements(a);
            for (size_t i = 0; i < elements.size(); ++i) {
                std::string part;
                if (!write(o, std::to_string(i), elements[i].withoutHole(), inner, part)) part = "null";
                parts.push_back(std::move(part));
            }
        } else {
            for (const std::string& k : allow_ ? allowed_ : keysOf(o)) {
                if (allow_ && !m_.hasProperty(v, publicName(m_, k))) continue;
                std::string part;
                quote(k, part);
                part += gap_.empty() ? ":" : ": ";
                if (write(o, k, m_.getProperty(v, publicName(m_, k)), inner, part)) parts.push_back(std::move(part));
            }
        }
        stack_.pop_back();
        const bool array = o->asArray() != nullptr;
        out += array ? '[' : '{';
        for (size_t i = 0; i < parts.size(); ++i) {
            if (i) out += ',';
            if (!gap_.empty()) out += "\n" + inner;
            out += parts[i];
            if (out.size() > Machine::kMaxStringLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
        }
        if (!gap_.empty() && !parts.empty()) out += "\n" + indent;
        out += array ? ']' : '}';
        return true;
    }

  private:
    static void quote(const std::string& s, std::string& out) {
        out += '"';
        for (char c : s) {
            switch (c) {
                case '"': out += "\\\""; break;
                case '\\': out += "\\\\"; break;
                case '\b': out += "\\b"; break;
                case '\f': out += "\\f"; break;
                case '\n': out += "\\n"; break;
                case '\r': out += "\\r"; break;
                case '\t': out += "\\t"; break;
                default:
                    if (static_cast<unsigned char>(c) < 0x20) {
                        char buf[8];
                        std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
                        out += buf;
                    } else {
                        out += c;
                    }
            }
        }
        out += '"';
    }

    Machine& m_;
    Value replacer_;
    std::string gap_;
    bool allow_ = false;
    std::vector<std::string> allowed_;
    std::vector<Object*> stack_;
};

}  // namespace

void installJsonClass(Machine& m) {
    ClassObject* cls = m.defineClass("", "JSON", m.builtins().object);
    cls->sealed = true;
    cls->construct = [](Machine& m, std::span<const Value>) -> Value {
        m.throwError("ArgumentError", 2012, "JSON class cannot be instantiated.");
    };
    m.defineMethod(cls, "parse", [](Machine& m, const Value&, std::span<const Value> args) {
        std::u16string text = toUtf16(m.toString(argAt(args, 0)));
        Value result = JsonParser(m, text).document();
        Value reviver = argAt(args, 1);
        if (Object* f = reviver.asObject(); f && f->asFunction()) {
            Object* root = m.newObject();
            root->setOwn("", result);
            return revive(m, reviver, root, "", 0);
        }
        return result;
    }, 2);
    m.defineMethod(cls, "stringify", [](Machine& m, const Value&, std::span<const Value> args) {
        Value replacer = argAt(args, 1);
        if (Object* r = replacer.asObject(); r && !r->asFunction() && !r->asArray())
            m.throwError("TypeError", 1131, "Replacer argument to JSON stringifier must be an array or a two parameter function.");
        Value space = argAt(args, 2);
        std::string gap;
        if (space.isNumber()) gap.assign(static_cast<size_t>(std::clamp(std::trunc(space.asNumber()), 0.0, 10.0)), ' ');
        else if (space.isString()) gap = fromUtf16(toUtf16(space.asString()).substr(0, 10));
        Object* root = m.newObject();
        root->setOwn("", argAt(args, 0));
        std::string out;
        // stringify answers a String: what has no text is null.
        if (!JsonWriter(m, replacer, gap).write(root, "", argAt(args, 0), "", out)) return Value::null();
        return Value::string(out);
    }, 3);
}

}  // namespace swf::avm2
