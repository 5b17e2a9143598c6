#include "cli/JsonValue.h"

#include <cmath>
#include <cstdlib>

namespace cli {

class JsonParser {
  public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    std::optional<JsonValue> Document(std::string& error) {
        JsonValue value;
        if (Value(value, 0)) {
            SkipSpace();
            if (at_ == text_.size()) return value;
            Fail("text after the end of the document");
        }
        error = error_ + " at byte " + std::to_string(at_);
        return std::nullopt;
    }

  private:
    bool Fail(const char* why) {
        if (error_.empty()) error_ = why;
        return false;
    }
    void SkipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool Literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return Fail("unknown word");
        at_ += word.size();
        return true;
    }

    bool Value(JsonValue& out, int depth) {
        if (depth > JsonValue::kMaxDepth) return Fail("nested too deeply");
        if (++elements_ > JsonValue::kMaxElements) return Fail("too many elements");
        SkipSpace();
        if (at_ >= text_.size()) return Fail("unexpected end");
        char c = text_[at_];
        if (c == '{') return ObjectValue(out, depth);
        if (c == '[') return ArrayValue(out, depth);
        if (c == '"') {
            std::string s;
            if (!String(s)) return false;
            out.value_ = std::move(s);
            return true;
        }
        if (c == 't') return Literal("true") && (out.value_ = true, true);
        if (c == 'f') return Literal("false") && (out.value_ = false, true);
        if (c == 'n') return Literal("null") && (out.value_ = std::monostate{}, true);
        return Number(out);
    }

    bool Number(JsonValue& out) {
        size_t start = at_;
        while (at_ < text_.size() && std::string_view("+-0123456789.eE").find(text_[at_]) !=
                                         std::string_view::npos)
            ++at_;
        if (start == at_ || at_ - start > 64) return Fail("not a value");
        std::string digits(text_.substr(start, at_ - start));
        char* end = nullptr;
        double value = std::strtod(digits.c_str(), &end);
        if (end != digits.c_str() + digits.size() || !std::isfinite(value))
            return Fail("not a number");
        out.value_ = value;
        return true;
    }

    bool Hex4(uint32_t& code) {
        if (at_ + 4 > text_.size()) return Fail("short \\u escape");
        code = 0;
        for (int i = 0; i < 4; ++i) {
            char h = text_[at_++];
            int digit = h >= '0' && h <= '9'   ? h - '0'
                        : h >= 'a' && h <= 'f' ? h - 'a' + 10
                        : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                               : -1;
            if (digit < 0) return Fail("bad \\u escape");
            code = code << 4 | static_cast<uint32_t>(digit);
        }
        return true;
    }

    static void AppendUtf8(std::string& out, uint32_t code) {
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | code >> 6));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | code >> 12));
            out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | code >> 18));
            out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }

    bool String(std::string& out) {
        ++at_;  // the opening quote
        while (at_ < text_.size()) {
            char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return Fail("control character in a string");
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (at_ >= text_.size()) break;
            char e = text_[at_++];
            switch (e) {
                case '"': case '\\': case '/': out.push_back(e); break;
                case 'b': out.push_back('\b'); break;
                case 'f': out.push_back('\f'); break;
                case 'n': out.push_back('\n'); break;
                case 'r': out.push_back('\r'); break;
                case 't': out.push_back('\t'); break;
                case 'u': {
                    uint32_t code = 0;
                    if (!Hex4(code)) return false;
                    if (code >= 0xD800 && code < 0xDC00 && text_.substr(at_, 2) == "\\u") {
                        at_ += 2;
                        uint32_t low = 0;
                        if (!Hex4(low)) return false;
                        if (low >= 0xDC00 && low < 0xE000)
                            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default: return Fail("bad escape");
            }
        }
        return Fail("unterminated string");
    }

    bool ArrayValue(JsonValue& out, int depth) {
        ++at_;
        auto array = std::make_shared<JsonValue::Array>();
        SkipSpace();
        if (at_ < text_.size() && text_[at_] == ']') {
            ++at_;
            out.value_ = std::move(array);
            return true;
        }
        while (true) {
            JsonValue item;
            if (!Value(item, depth + 1)) return false;
            array->push_back(std::move(item));
            SkipSpace();
            if (at_ >= text_.size()) return Fail("unterminated array");
            char c = text_[at_++];
            if (c == ']') break;
            if (c != ',') return Fail("expected , or ]");
        }
        out.value_ = std::move(array);
        return true;
    }

    bool ObjectValue(JsonValue& out, int depth) {
        ++at_;
        auto object = std::make_shared<JsonValue::Object>();
        SkipSpace();
        if (at_ < text_.size() && text_[at_] == '}') {
            ++at_;
            out.value_ = std::move(object);
            return true;
        }
        while (true) {
            SkipSpace();
            if (at_ >= text_.size() || text_[at_] != '"') return Fail("expected a member name");
            std::string name;
            if (!String(name)) return false;
            SkipSpace();
            if (at_ >= text_.size() || text_[at_++] != ':') return Fail("expected :");
            JsonValue item;
            if (!Value(item, depth + 1)) return false;
            (*object)[std::move(name)] = std::move(item);
            SkipSpace();
            if (at_ >= text_.size()) return Fail("unterminated object");
            char c = text_[at_++];
            if (c == '}') break;
            if (c != ',') return Fail("expected , or }");
        }
        out.value_ = std::move(object);
        return true;
    }

    std::string_view text_;
    size_t at_ = 0;
    size_t elements_ = 0;
    std::string error_;
};

std::optional<JsonValue> JsonValue::Parse(std::string_view text, std::string& error) {
    return JsonParser(text).Document(error);
}

const JsonValue* JsonValue::Member(std::string_view name) const {
    const Object* object = AsObject();
    if (!object) return nullptr;
    auto it = object->find(name);
    return it == object->end() ? nullptr : &it->second;
}

}  // namespace cli
