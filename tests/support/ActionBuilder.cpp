#include "support/ActionBuilder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <limits>
#include <set>
#include <stdexcept>
#include <string>

#include "support/BitWriter.h"

namespace swftest {

namespace {

enum ActionCode : uint8_t {
    kGotoFrame = 0x81,
    kGetUrl = 0x83,
    kStoreRegister = 0x87,
    kConstantPool = 0x88,
    kStrictMode = 0x89,
    kWaitForFrame = 0x8A,
    kSetTarget = 0x8B,
    kGotoLabel = 0x8C,
    kWaitForFrame2 = 0x8D,
    kDefineFunction2 = 0x8E,
    kTry = 0x8F,
    kWith = 0x94,
    kPush = 0x96,
    kJump = 0x99,
    kGetUrl2 = 0x9A,
    kDefineFunction = 0x9B,
    kIf = 0x9D,
    kCall = 0x9E,
    kGotoFrame2 = 0x9F,
};

enum PushType : uint8_t {
    kPushString = 0,
    kPushFloat = 1,
    kPushNull = 2,
    kPushUndefined = 3,
    kPushRegister = 4,
    kPushBoolean = 5,
    kPushDouble = 6,
    kPushInteger = 7,
    kPushConstant8 = 8,
    kPushConstant16 = 9,
};

uint16_t bodySize(const std::vector<uint8_t>& body) {
    if (body.size() > 0xFFFF) throw std::invalid_argument("block longer than 65535 bytes");
    return static_cast<uint16_t>(body.size());
}

}  // namespace

ActionBuilder::Value ActionBuilder::Value::string(std::string_view text) {
    Value value;
    value.type = kPushString;
    value.text = text;
    return value;
}
ActionBuilder::Value ActionBuilder::Value::float32(float real) {
    Value value;
    value.type = kPushFloat;
    value.real = real;
    return value;
}
ActionBuilder::Value ActionBuilder::Value::null() {
    Value value;
    value.type = kPushNull;
    return value;
}
ActionBuilder::Value ActionBuilder::Value::undefined() {
    return Value();
}
ActionBuilder::Value ActionBuilder::Value::reg(uint8_t index) {
    Value value;
    value.type = kPushRegister;
    value.whole = index;
    return value;
}
ActionBuilder::Value ActionBuilder::Value::boolean(bool on) {
    Value value;
    value.type = kPushBoolean;
    value.whole = on ? 1 : 0;
    return value;
}
ActionBuilder::Value ActionBuilder::Value::float64(double real) {
    Value value;
    value.type = kPushDouble;
    value.real = real;
    return value;
}
ActionBuilder::Value ActionBuilder::Value::integer(int32_t whole) {
    Value value;
    value.type = kPushInteger;
    value.whole = static_cast<uint32_t>(whole);
    return value;
}
ActionBuilder::Value ActionBuilder::Value::constant(uint16_t index) {
    Value value = constant16(index);
    if (index < 256) value.type = kPushConstant8;
    return value;
}
ActionBuilder::Value ActionBuilder::Value::constant16(uint16_t index) {
    Value value;
    value.type = kPushConstant16;
    value.whole = index;
    return value;
}

ActionBuilder& ActionBuilder::action(uint8_t code) {
    if (code >= 0x80) throw std::invalid_argument("actions from 0x80 carry a length and payload");
    records_.push_back(code);
    return *this;
}

ActionBuilder& ActionBuilder::action(uint8_t code, std::span<const uint8_t> payload) {
    if (code < 0x80) throw std::invalid_argument("actions below 0x80 have no payload");
    if (payload.size() > 0xFFFF)
        throw std::invalid_argument("action payload longer than 65535 bytes");
    BitWriter out;
    out.u8(code).u16(static_cast<uint16_t>(payload.size())).raw(payload);
    return raw(out.bytes());
}

ActionBuilder& ActionBuilder::raw(std::span<const uint8_t> bytes) {
    records_.insert(records_.end(), bytes.begin(), bytes.end());
    return *this;
}

ActionBuilder& ActionBuilder::gotoFrame(uint16_t frameIndex) {
    BitWriter payload;
    payload.u16(frameIndex);
    return action(kGotoFrame, payload.bytes());
}

ActionBuilder& ActionBuilder::gotoLabel(std::string_view label) {
    BitWriter payload;
    payload.string(label);
    return action(kGotoLabel, payload.bytes());
}

ActionBuilder& ActionBuilder::setTarget(std::string_view target) {
    BitWriter payload;
    payload.string(target);
    return action(kSetTarget, payload.bytes());
}

ActionBuilder& ActionBuilder::getUrl(std::string_view url, std::string_view target) {
    BitWriter payload;
    payload.string(url).string(target);
    return action(kGetUrl, payload.bytes());
}

ActionBuilder& ActionBuilder::fsCommand(std::string_view command, std::string_view arguments) {
    return getUrl("FSCommand:" + std::string(command), arguments);
}

ActionBuilder& ActionBuilder::waitForFrame(uint16_t frameIndex, uint8_t skipCount) {
    BitWriter payload;
    payload.u16(frameIndex).u8(skipCount);
    return action(kWaitForFrame, payload.bytes());
}

ActionBuilder& ActionBuilder::waitForFrame2(uint8_t skipCount) {
    const std::array<uint8_t, 1> payload{skipCount};
    return action(kWaitForFrame2, payload);
}

ActionBuilder& ActionBuilder::getUrl2(SendMethod method, bool loadTarget, bool loadVariables) {
    // Movies in the wild keep the method in the low bits and the two flags in the high ones.
    const uint8_t flags =
        static_cast<uint8_t>((method & 3) | (loadTarget ? 0x40 : 0) | (loadVariables ? 0x80 : 0));
    const std::array<uint8_t, 1> payload{flags};
    return action(kGetUrl2, payload);
}

ActionBuilder& ActionBuilder::gotoFrame2(bool play, std::optional<uint16_t> sceneBias) {
    BitWriter payload;
    payload.u8(static_cast<uint8_t>((sceneBias ? 2 : 0) | (play ? 1 : 0)));
    if (sceneBias) payload.u16(*sceneBias);
    return action(kGotoFrame2, payload.bytes());
}

ActionBuilder& ActionBuilder::call() {
    return action(kCall, {});
}

ActionBuilder& ActionBuilder::storeRegister(uint8_t index) {
    const std::array<uint8_t, 1> payload{index};
    return action(kStoreRegister, payload);
}

ActionBuilder& ActionBuilder::strictMode(bool on) {
    const std::array<uint8_t, 1> payload{static_cast<uint8_t>(on ? 1 : 0)};
    return action(kStrictMode, payload);
}

ActionBuilder& ActionBuilder::constantPool(const std::vector<std::string>& constants) {
    if (constants.size() > 0xFFFF) throw std::invalid_argument("more than 65535 constants");
    BitWriter payload;
    payload.u16(static_cast<uint16_t>(constants.size()));
    for (const std::string& constant : constants) payload.string(constant);
    return action(kConstantPool, payload.bytes());
}

ActionBuilder& ActionBuilder::pushString(std::string_view value) {
    return push({Value::string(value)});
}

ActionBuilder& ActionBuilder::pushInteger(int32_t value) {
    return push({Value::integer(value)});
}

ActionBuilder& ActionBuilder::push(const std::vector<Value>& values) {
    BitWriter payload;
    for (const Value& value : values) {
        payload.u8(value.type);
        switch (value.type) {
            case kPushString:
                payload.string(value.text);
                break;
            case kPushFloat:
                payload.u32(std::bit_cast<uint32_t>(static_cast<float>(value.real)));
                break;
            case kPushNull:
            case kPushUndefined:
                break;
            case kPushRegister:
            case kPushBoolean:
            case kPushConstant8:
                payload.u8(static_cast<uint8_t>(value.whole));
                break;
            case kPushDouble: {
                // The high half of the double comes first, each half little-endian.
                const uint64_t bits = std::bit_cast<uint64_t>(value.real);
                payload.u32(static_cast<uint32_t>(bits >> 32)).u32(static_cast<uint32_t>(bits));
                break;
            }
            case kPushInteger:
                payload.u32(value.whole);
                break;
            case kPushConstant16:
                payload.u16(static_cast<uint16_t>(value.whole));
                break;
            default:
                throw std::invalid_argument("unknown push type " + std::to_string(value.type));
        }
    }
    return action(kPush, payload.bytes());
}

void ActionBuilder::patch(size_t at, size_t target) {
    const auto offset = static_cast<int64_t>(target) - static_cast<int64_t>(at + 2);
    if (offset < std::numeric_limits<int16_t>::min() ||
        offset > std::numeric_limits<int16_t>::max())
        throw std::invalid_argument("branch further than 32767 bytes");
    records_[at] = static_cast<uint8_t>(offset & 0xFF);
    records_[at + 1] = static_cast<uint8_t>((offset >> 8) & 0xFF);
}

ActionBuilder& ActionBuilder::label(std::string_view name) {
    if (name.empty()) throw std::invalid_argument("empty label");
    if (!labels_.emplace(std::string(name), records_.size()).second)
        throw std::invalid_argument("label '" + std::string(name) + "' defined twice");
    std::erase_if(fixups_, [&](const Fixup& fixup) {
        if (fixup.label != name) return false;
        patch(fixup.at, records_.size());
        return true;
    });
    return *this;
}

ActionBuilder& ActionBuilder::branch(uint8_t code, std::string_view name) {
    const size_t at = records_.size() + 3;
    action(code, std::array<uint8_t, 2>{0, 0});
    if (const auto found = labels_.find(name); found != labels_.end())
        patch(at, found->second);
    else
        fixups_.push_back({at, std::string(name)});
    return *this;
}

ActionBuilder& ActionBuilder::jump(std::string_view label) {
    return branch(kJump, label);
}

ActionBuilder& ActionBuilder::ifTrue(std::string_view label) {
    return branch(kIf, label);
}

ActionBuilder& ActionBuilder::jump(int16_t offset) {
    BitWriter payload;
    payload.s16(offset);
    return action(kJump, payload.bytes());
}

ActionBuilder& ActionBuilder::ifTrue(int16_t offset) {
    BitWriter payload;
    payload.s16(offset);
    return action(kIf, payload.bytes());
}

void ActionBuilder::appendInline(const ActionBuilder& body) {
    const size_t base = records_.size();
    raw(body.records_);
    for (const Fixup& fixup : body.fixups_) {
        if (const auto found = labels_.find(fixup.label); found != labels_.end())
            patch(base + fixup.at, found->second);
        else
            fixups_.push_back({base + fixup.at, fixup.label});
    }
}

ActionBuilder& ActionBuilder::defineFunction(std::string_view name,
                                             const std::vector<std::string>& params,
                                             const ActionBuilder& body) {
    if (params.size() > 0xFFFF) throw std::invalid_argument("more than 65535 parameters");
    const std::vector<uint8_t>& code = body.records();
    BitWriter payload;
    payload.string(name).u16(static_cast<uint16_t>(params.size()));
    for (const std::string& param : params) payload.string(param);
    payload.u16(bodySize(code));
    action(kDefineFunction, payload.bytes());
    return raw(code);
}

ActionBuilder& ActionBuilder::defineFunction2(std::string_view name, uint8_t registerCount,
                                              uint16_t flags,
                                              const std::vector<RegisterParam>& params,
                                              const ActionBuilder& body) {
    if (params.size() > 0xFFFF) throw std::invalid_argument("more than 65535 parameters");
    const std::vector<uint8_t>& code = body.records();
    BitWriter payload;
    payload.string(name).u16(static_cast<uint16_t>(params.size())).u8(registerCount).u16(flags);
    for (const RegisterParam& param : params) payload.u8(param.reg).string(param.name);
    payload.u16(bodySize(code));
    action(kDefineFunction2, payload.bytes());
    return raw(code);
}

ActionBuilder& ActionBuilder::tryBlock(const TryBlock& block) {
    const ActionBuilder none;
    const ActionBuilder& catchBody = block.catchBody ? *block.catchBody : none;
    const ActionBuilder& finallyBody = block.finallyBody ? *block.finallyBody : none;
    BitWriter payload;
    payload.u8(static_cast<uint8_t>((block.catchRegister ? 4 : 0) | (block.finallyBody ? 2 : 0) |
                                    (block.catchBody ? 1 : 0)));
    payload.u16(bodySize(block.body.records_))
        .u16(bodySize(catchBody.records_))
        .u16(bodySize(finallyBody.records_));
    if (block.catchRegister)
        payload.u8(*block.catchRegister);
    else
        payload.string(block.catchVariable);
    action(kTry, payload.bytes());
    appendInline(block.body);
    appendInline(catchBody);
    appendInline(finallyBody);
    return *this;
}

ActionBuilder& ActionBuilder::with(const ActionBuilder& body) {
    BitWriter payload;
    payload.u16(bodySize(body.records_));
    action(kWith, payload.bytes());
    appendInline(body);
    return *this;
}

const std::vector<uint8_t>& ActionBuilder::records() const {
    if (!fixups_.empty())
        throw std::invalid_argument("branch to undefined label '" + fixups_.front().label + "'");
    return records_;
}

std::vector<uint8_t> ActionBuilder::terminated() const {
    std::vector<uint8_t> bytes = records();
    bytes.push_back(0);
    return bytes;
}

// ---- Text form ----

namespace {

// Carries its line already; other errors met in a statement get the statement's line.
class AssemblyError : public std::invalid_argument {
  public:
    AssemblyError(int line, const std::string& what)
        : std::invalid_argument("line " + std::to_string(line) + ": " + what) {}
};

struct Token {
    enum Kind { kWord, kString, kPunct, kEnd, kEof };
    Kind kind;
    std::string text;
    int line;
};

bool isPunct(char c) {
    return std::string_view(",(){}=|").find(c) != std::string_view::npos;
}

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool isIdentifier(std::string_view text) {
    if (text.empty() || std::isdigit(static_cast<unsigned char>(text[0]))) return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '.';
    });
}

std::string readString(std::string_view source, size_t& i, int line) {
    std::string text;
    for (++i;; ++i) {
        if (i >= source.size() || source[i] == '\n')
            throw AssemblyError(line, "unterminated string");
        const char c = source[i];
        if (c == '"') {
            ++i;
            return text;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i >= source.size()) throw AssemblyError(line, "unterminated string");
        switch (source[i]) {
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            case '"':
                text += '"';
                break;
            case '\\':
                text += '\\';
                break;
            case 'x': {
                unsigned value = 0;
                const char* begin = source.data() + i + 1;
                const char* end = source.data() + std::min(source.size(), i + 3);
                const auto [stop, error] = std::from_chars(begin, end, value, 16);
                if (error != std::errc() || stop != end || value == 0)
                    throw AssemblyError(line, "\\x takes two hex digits, not 00");
                text += static_cast<char>(value);
                i += 2;
                break;
            }
            default:
                throw AssemblyError(line, std::string("unknown escape \\") + source[i]);
        }
    }
}

std::vector<Token> tokenize(std::string_view source) {
    std::vector<Token> tokens;
    int line = 1;
    size_t i = 0;
    const auto commentAt = [&](size_t at) { return source.substr(at, 2) == "//"; };
    while (i < source.size()) {
        const char c = source[i];
        if (c == '\n' || c == ';') {
            tokens.push_back({Token::kEnd, c == ';' ? ";" : "end of line", line});
            if (c == '\n') ++line;
            ++i;
        } else if (isSpace(c)) {
            ++i;
        } else if (commentAt(i)) {
            while (i < source.size() && source[i] != '\n') ++i;
        } else if (c == '"') {
            tokens.push_back({Token::kString, readString(source, i, line), line});
        } else if (isPunct(c)) {
            tokens.push_back({Token::kPunct, std::string(1, c), line});
            ++i;
        } else {
            const size_t start = i;
            while (i < source.size() && !isSpace(source[i]) && !isPunct(source[i]) &&
                   source[i] != ';' && source[i] != '"' && !commentAt(i))
                ++i;
            tokens.push_back({Token::kWord, std::string(source.substr(start, i - start)), line});
        }
    }
    tokens.push_back({Token::kEof, "end of text", line});
    return tokens;
}

// Decimal or 0x hexadecimal, optionally negative; nothing if it is not such a number or
// does not fit 64 bits.
std::optional<int64_t> parseInteger(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    if (text.starts_with('-')) return {};
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    int64_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || stop != text.data() + text.size()) return {};
    return negative ? -value : value;
}

int64_t parseInteger(std::string_view text, int64_t low, int64_t high, std::string_view what) {
    const std::optional<int64_t> value = parseInteger(text);
    if (!value || *value < low || *value > high)
        throw std::invalid_argument(std::string(what) + " must be a whole number from " +
                                    std::to_string(low) + " to " + std::to_string(high) +
                                    ", not '" + std::string(text) + "'");
    return *value;
}

double parseReal(std::string_view text) {
    double value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || stop != text.data() + text.size())
        throw std::invalid_argument("'" + std::string(text) + "' is not a number");
    return value;
}

const std::map<std::string_view, uint8_t>& plainActions() {
    static const std::map<std::string_view, uint8_t> table = [] {
        std::map<std::string_view, uint8_t> entries{{"prevFrame", 0x05}};
#define SWFTEST_PLAIN_ENTRY(method, mnemonic, code) entries.emplace(mnemonic, code);
        SWFTEST_PLAIN_ACTIONS(SWFTEST_PLAIN_ENTRY)
#undef SWFTEST_PLAIN_ENTRY
        return entries;
    }();
    return table;
}

// Preloaded values take registers 1, 2, ... in this order.
constexpr std::array<std::pair<std::string_view, uint16_t>, 9> kFunction2Flags{{
    {"preloadThis", ActionBuilder::kPreloadThis},
    {"preloadArguments", ActionBuilder::kPreloadArguments},
    {"preloadSuper", ActionBuilder::kPreloadSuper},
    {"preloadRoot", ActionBuilder::kPreloadRoot},
    {"preloadParent", ActionBuilder::kPreloadParent},
    {"preloadGlobal", ActionBuilder::kPreloadGlobal},
    {"suppressThis", ActionBuilder::kSuppressThis},
    {"suppressArguments", ActionBuilder::kSuppressArguments},
    {"suppressSuper", ActionBuilder::kSuppressSuper},
}};

class Assembler {
  public:
    explicit Assembler(std::string_view source) : tokens_(tokenize(source)) {}

    ActionBuilder program() {
        Scope scope;
        ActionBuilder out = block(false, scope);
        close(scope);
        return out;
    }

  private:
    struct LabelUse {
        std::string name;
        int line;
    };
    // Labels of one builder; uses not defined in an in-line body pass to the enclosing one.
    struct Scope {
        std::set<std::string, std::less<>> defined;
        std::vector<LabelUse> used;
    };
    using Value = ActionBuilder::Value;

    const Token& peek() const { return tokens_[pos_]; }
    const Token& next() {
        const Token& token = tokens_[pos_];
        if (token.kind != Token::kEof) ++pos_;
        return token;
    }
    [[noreturn]] void fail(const std::string& what) const {
        throw AssemblyError(peek().line, what);
    }
    bool peekPunct(char c) const { return peek().kind == Token::kPunct && peek().text[0] == c; }
    bool peekWord(std::string_view word) const {
        return peek().kind == Token::kWord && peek().text == word;
    }
    bool acceptPunct(char c) {
        if (!peekPunct(c)) return false;
        next();
        return true;
    }
    void expectPunct(char c) {
        if (!acceptPunct(c)) fail(std::string("expected '") + c + "', found '" + peek().text + "'");
    }
    bool atStatementEnd() const {
        return peek().kind == Token::kEnd || peek().kind == Token::kEof || peekPunct('}');
    }
    void skipEnds() {
        while (peek().kind == Token::kEnd) next();
    }
    std::string expect(Token::Kind kind, std::string_view what) {
        if (peek().kind != kind)
            fail("expected " + std::string(what) + ", found '" + peek().text + "'");
        return next().text;
    }
    std::string expectString() { return expect(Token::kString, "a string"); }
    int64_t expectInteger(int64_t low, int64_t high, std::string_view what) {
        return parseInteger(expect(Token::kWord, what), low, high, what);
    }
    // A string, or a bare word for names that need no quotes.
    std::string expectName() {
        if (peek().kind == Token::kString || peek().kind == Token::kWord) return next().text;
        fail("expected a name, found '" + peek().text + "'");
    }
    static std::optional<uint8_t> registerWord(std::string_view word) {
        if (!word.starts_with("r:")) return {};
        return static_cast<uint8_t>(parseInteger(word.substr(2), 0, 255, "a register"));
    }

    void close(const Scope& scope) const {
        for (const LabelUse& use : scope.used)
            if (!scope.defined.contains(use.name))
                throw AssemblyError(use.line, "no label '" + use.name + "'");
    }

    ActionBuilder block(bool nested, Scope& scope) {
        ActionBuilder out;
        for (;;) {
            skipEnds();
            if (peek().kind == Token::kEof) {
                if (nested) fail("missing '}'");
                return out;
            }
            if (acceptPunct('}')) {
                if (!nested) throw AssemblyError(tokens_[pos_ - 1].line, "'}' without '{'");
                return out;
            }
            statement(out, scope);
        }
    }

    ActionBuilder bracedBody(Scope& scope) {
        skipEnds();
        expectPunct('{');
        return block(true, scope);
    }
    // Function bodies run on their own: their labels stay inside.
    ActionBuilder closedBody() {
        Scope scope;
        ActionBuilder body = bracedBody(scope);
        close(scope);
        return body;
    }
    ActionBuilder inlineBody(Scope& parent) {
        Scope scope;
        ActionBuilder body = bracedBody(scope);
        for (const LabelUse& use : scope.used)
            if (!scope.defined.contains(use.name)) parent.used.push_back(use);
        return body;
    }

    void statement(ActionBuilder& out, Scope& scope) {
        const Token head = next();
        if (head.kind != Token::kWord)
            throw AssemblyError(head.line, "expected an action, found '" + head.text + "'");
        try {
            const std::string_view word = head.text;
            if (word.size() > 1 && word.ends_with(':') &&
                isIdentifier(word.substr(0, word.size() - 1))) {
                const std::string name(word.substr(0, word.size() - 1));
                out.label(name);
                scope.defined.insert(name);
                return;
            }
            operands(word, out, scope);
            if (!atStatementEnd()) fail("unexpected '" + peek().text + "'");
        } catch (const AssemblyError&) {
            throw;
        } catch (const std::invalid_argument& error) {
            throw AssemblyError(head.line, error.what());
        }
    }

    void operands(std::string_view word, ActionBuilder& out, Scope& scope) {
        if (const auto plain = plainActions().find(word); plain != plainActions().end()) {
            out.action(plain->second);
        } else if (word == "push") {
            std::vector<Value> values{value()};
            while (acceptPunct(',')) values.push_back(value());
            out.push(values);
        } else if (word == "constants" || word == "constantPool") {
            std::vector<std::string> constants;
            if (!atStatementEnd()) {
                constants.push_back(expectString());
                while (acceptPunct(',')) constants.push_back(expectString());
            }
            out.constantPool(constants);
        } else if (word == "jump" || word == "if") {
            const std::string target = expect(Token::kWord, "a label or an offset");
            const bool isJump = word == "jump";
            if (parseInteger(target)) {
                const auto offset =
                    static_cast<int16_t>(parseInteger(target, -32768, 32767, "an offset"));
                isJump ? out.jump(offset) : out.ifTrue(offset);
            } else {
                if (!isIdentifier(target))
                    throw std::invalid_argument("bad label '" + target + "'");
                isJump ? out.jump(target) : out.ifTrue(target);
                scope.used.push_back({target, tokens_[pos_ - 1].line});
            }
        } else if (word == "storeRegister") {
            const std::string operand = expect(Token::kWord, "a register");
            const std::optional<uint8_t> reg = registerWord(operand);
            out.storeRegister(
                reg ? *reg : static_cast<uint8_t>(parseInteger(operand, 0, 255, "a register")));
        } else if (word == "gotoFrame") {
            out.gotoFrame(static_cast<uint16_t>(expectInteger(0, 0xFFFF, "a frame")));
        } else if (word == "gotoLabel") {
            out.gotoLabel(expectString());
        } else if (word == "setTarget") {
            out.setTarget(expectString());
        } else if (word == "getUrl" || word == "fsCommand") {
            const std::string first = expectString();
            acceptPunct(',');
            const std::string second = atStatementEnd() ? "" : expectString();
            word == "getUrl" ? out.getUrl(first, second) : out.fsCommand(first, second);
        } else if (word == "waitForFrame") {
            const auto frame = static_cast<uint16_t>(expectInteger(0, 0xFFFF, "a frame"));
            acceptPunct(',');
            out.waitForFrame(frame, static_cast<uint8_t>(expectInteger(0, 255, "a skip count")));
        } else if (word == "waitForFrame2") {
            out.waitForFrame2(static_cast<uint8_t>(expectInteger(0, 255, "a skip count")));
        } else if (word == "getUrl2") {
            getUrl2(out);
        } else if (word == "gotoFrame2") {
            gotoFrame2(out);
        } else if (word == "call") {
            out.call();
        } else if (word == "strictMode") {
            out.strictMode(atStatementEnd() || expectInteger(0, 1, "strict mode 0 or 1") == 1);
        } else if (word == "function" || word == "defineFunction") {
            const std::string name = functionName();
            std::vector<std::string> params;
            parameters([&] { params.push_back(expectName()); });
            out.defineFunction(name, params, closedBody());
        } else if (word == "function2" || word == "defineFunction2") {
            function2(out);
        } else if (word == "try") {
            tryBlock(out, scope);
        } else if (word == "with") {
            out.with(inlineBody(scope));
        } else {
            throw std::invalid_argument("unknown action '" + std::string(word) + "'");
        }
    }

    Value value() {
        if (peek().kind == Token::kString) return Value::string(next().text);
        const std::string word = expect(Token::kWord, "a value");
        const std::string_view text = word;
        if (word == "null") return Value::null();
        if (word == "undefined") return Value::undefined();
        if (word == "true" || word == "false") return Value::boolean(word == "true");
        if (const std::optional<uint8_t> reg = registerWord(text)) return Value::reg(*reg);
        if (text.starts_with("c:"))
            return Value::constant(
                static_cast<uint16_t>(parseInteger(text.substr(2), 0, 0xFFFF, "a constant")));
        if (text.starts_with("c16:"))
            return Value::constant16(
                static_cast<uint16_t>(parseInteger(text.substr(4), 0, 0xFFFF, "a constant")));
        if (text.starts_with("f:"))
            return Value::float32(static_cast<float>(parseReal(text.substr(2))));
        if (text.starts_with("d:")) return Value::float64(parseReal(text.substr(2)));
        if (const std::optional<int64_t> whole = parseInteger(text)) {
            if (*whole >= std::numeric_limits<int32_t>::min() &&
                *whole <= std::numeric_limits<int32_t>::max())
                return Value::integer(static_cast<int32_t>(*whole));
            return Value::float64(static_cast<double>(*whole));
        }
        return Value::float64(parseReal(text));
    }

    std::string functionName() {
        if (peekPunct('(')) return "";
        return expectName();
    }

    template <typename ReadParam>
    void parameters(ReadParam readParam) {
        expectPunct('(');
        if (acceptPunct(')')) return;
        do readParam();
        while (acceptPunct(','));
        expectPunct(')');
    }

    void function2(ActionBuilder& out) {
        const std::string name = functionName();
        std::vector<ActionBuilder::RegisterParam> params;
        parameters([&] {
            ActionBuilder::RegisterParam param;
            if (peek().kind == Token::kWord) {
                if (const std::optional<uint8_t> reg = registerWord(peek().text)) {
                    next();
                    expectPunct('=');
                    param.reg = *reg;
                }
            }
            param.name = expectName();
            params.push_back(param);
        });
        uint16_t flags = 0;
        std::optional<int64_t> registerCount;
        while (peekWord("flags") || peekWord("regs")) {
            const bool isFlags = next().text == "flags";
            expectPunct('=');
            if (!isFlags) {
                registerCount = expectInteger(0, 255, "a register count");
                continue;
            }
            do flags |= function2Flag(expect(Token::kWord, "a flag"));
            while (acceptPunct('|'));
        }
        if (!registerCount) registerCount = defaultRegisterCount(flags, params);
        out.defineFunction2(name, static_cast<uint8_t>(*registerCount), flags, params,
                            closedBody());
    }

    static uint16_t function2Flag(std::string_view word) {
        for (const auto& [name, flag] : kFunction2Flags)
            if (word == name) return flag;
        if (parseInteger(word))
            return static_cast<uint16_t>(parseInteger(word, 0, 0xFFFF, "flags"));
        throw std::invalid_argument("unknown function flag '" + std::string(word) + "'");
    }

    // One past the highest register the preloaded values and the parameters use.
    static int64_t defaultRegisterCount(uint16_t flags,
                                        const std::vector<ActionBuilder::RegisterParam>& params) {
        int64_t highest = 0;
        for (size_t i = 0; i < 6; ++i)
            if (flags & kFunction2Flags[i].second) ++highest;
        for (const ActionBuilder::RegisterParam& param : params)
            highest = std::max<int64_t>(highest, param.reg);
        return highest == 0 ? 0 : std::min<int64_t>(highest + 1, 255);
    }

    void tryBlock(ActionBuilder& out, Scope& scope) {
        ActionBuilder::TryBlock block;
        if (peekWord("catch")) {
            next();
            expectPunct('=');
            const bool bare = peek().kind == Token::kWord;
            const std::string target = expectName();
            const std::optional<uint8_t> reg = bare ? registerWord(target) : std::nullopt;
            if (reg)
                block.catchRegister = reg;
            else
                block.catchVariable = target;
        }
        block.body = inlineBody(scope);
        size_t after = pos_;
        skipEnds();
        if (peekWord("catch")) {
            next();
            block.catchBody = inlineBody(scope);
            after = pos_;
            skipEnds();
        }
        if (peekWord("finally")) {
            next();
            block.finallyBody = inlineBody(scope);
            after = pos_;
        }
        pos_ = after;
        out.tryBlock(block);
    }

    void getUrl2(ActionBuilder& out) {
        auto method = ActionBuilder::kSendNone;
        bool loadTarget = false;
        bool loadVariables = false;
        while (!atStatementEnd()) {
            const std::string word = expect(Token::kWord, "get, post, loadTarget or loadVariables");
            if (word == "get")
                method = ActionBuilder::kSendGet;
            else if (word == "post")
                method = ActionBuilder::kSendPost;
            else if (word == "loadTarget")
                loadTarget = true;
            else if (word == "loadVariables")
                loadVariables = true;
            else
                throw std::invalid_argument("unknown getUrl2 option '" + word + "'");
        }
        out.getUrl2(method, loadTarget, loadVariables);
    }

    void gotoFrame2(ActionBuilder& out) {
        bool play = false;
        std::optional<uint16_t> bias;
        while (!atStatementEnd()) {
            const std::string word = expect(Token::kWord, "play, stop or bias=N");
            if (word == "play" || word == "stop") {
                play = word == "play";
            } else if (word == "bias") {
                expectPunct('=');
                bias = static_cast<uint16_t>(expectInteger(0, 0xFFFF, "a scene bias"));
            } else {
                throw std::invalid_argument("unknown gotoFrame2 option '" + word + "'");
            }
        }
        out.gotoFrame2(play, bias);
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
};

}  // namespace

ActionBuilder ActionBuilder::assemble(std::string_view source) {
    return Assembler(source).program();
}

}  // namespace swftest
