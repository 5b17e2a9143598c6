#include "swf/avm2/RegExpProgram.h"

#include <limits>

#include "swf/format/LetterCase.h"

namespace swf::avm2 {

using Instruction = RegExpProgram::Instruction;
using Op = Instruction::Op;

namespace {

bool isLineTerminator(char16_t c) {
    return c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029;
}

bool isWordChar(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

using Ranges = std::vector<std::pair<char16_t, char16_t>>;

const Ranges& digitRanges() {
    static const Ranges r{{'0', '9'}};
    return r;
}
const Ranges& wordRanges() {
    static const Ranges r{{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}};
    return r;
}
const Ranges& spaceRanges() {
    static const Ranges r{{0x09, 0x0D}, {0x20, 0x20}, {0xA0, 0xA0}, {0x1680, 0x1680}, {0x2000, 0x200A},
                          {0x2028, 0x2029}, {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000}, {0xFEFF, 0xFEFF}};
    return r;
}

// The complement of sorted, disjoint ranges.
Ranges complement(const Ranges& r) {
    Ranges out;
    uint32_t next = 0;
    for (auto [lo, hi] : r) {
        if (lo > next) out.emplace_back(static_cast<char16_t>(next), static_cast<char16_t>(lo - 1));
        next = static_cast<uint32_t>(hi) + 1;
    }
    if (next <= 0xFFFF) out.emplace_back(static_cast<char16_t>(next), char16_t{0xFFFF});
    return out;
}

constexpr uint32_t kUnbounded = std::numeric_limits<uint32_t>::max();

struct Node {
    enum class Kind : uint8_t { Empty, Char, Any, Class, Seq, Alt, Group, Repeat, Assert, BackRef, Look };
    Kind kind = Kind::Empty;
    std::vector<Node> children;
    uint32_t value = 0;  // char, class index, group number (0 for non-capturing), assertion op
    uint32_t min = 0, max = 0;
    bool greedy = true;
    Op look = Op::LookAhead;
    uint32_t firstGroup = 0, endGroup = 0;  // groups opened inside, [first, end)
};

}  // namespace

// Parses a pattern into nodes and emits their instructions.
class RegExpCompiler {
  public:
    RegExpCompiler(const std::u16string& pattern, RegExpProgram& program)
        : p_(pattern), program_(program) {}

    bool compile(std::string& error) {
        Node root;
        if (!parseDisjunction(root, 0) || pos_ != p_.size()) {
            error = error_.empty() ? "unmatched parenthesis" : error_;
            return false;
        }
        program_.groups_ = groups_;
        emit({Op::Save, 0, 0});
        if (!emitNode(root)) {
            error = error_;
            return false;
        }
        emit({Op::Save, 1, 0});
        emit({Op::Match, 0, 0});
        return true;
    }

  private:
    static constexpr int kMaxNesting = 200;

    bool fail(const char* why) {
        if (error_.empty()) error_ = why;
        return false;
    }
    bool atEnd() { skipExtended(); return pos_ >= p_.size(); }
    void skipExtended() {
        if (!program_.flags_.extended) return;
        while (pos_ < p_.size() && (p_[pos_] == ' ' || p_[pos_] == '\t' || p_[pos_] == '\n' || p_[pos_] == '\r'))
            ++pos_;
    }
    char16_t peek() { return p_[pos_]; }

    bool parseDisjunction(Node& out, int depth) {
        if (depth > kMaxNesting) return fail("pattern nested too deeply");
        Node alt;
        alt.kind = Node::Kind::Alt;
        alt.firstGroup = static_cast<uint32_t>(groups_ + 1);
        for (;;) {
            Node seq;
            seq.kind = Node::Kind::Seq;
            if (!parseAlternative(seq, depth)) return false;
            alt.children.push_back(std::move(seq));
            if (atEnd() || peek() != '|') break;
            ++pos_;
        }
        alt.endGroup = static_cast<uint32_t>(groups_ + 1);
        out = alt.children.size() == 1 ? std::move(alt.children[0]) : std::move(alt);
        return true;
    }

    bool parseAlternative(Node& seq, int depth) {
        while (!atEnd() && peek() != '|' && peek() != ')') {
            Node term;
            size_t groupsBefore = groups_;
            if (!parseTerm(term, depth)) return false;
            if (!parseQuantifier(term, groupsBefore)) return false;
            seq.children.push_back(std::move(term));
        }
        return true;
    }

    bool parseQuantifier(Node& term, size_t groupsBefore) {
        if (atEnd()) return true;
        uint32_t min = 0, max = 0;
        char16_t c = peek();
        size_t save = pos_;
        if (c == '*') min = 0, max = kUnbounded, ++pos_;
        else if (c == '+') min = 1, max = kUnbounded, ++pos_;
        else if (c == '?') min = 0, max = 1, ++pos_;
        else if (c == '{') {
            ++pos_;
            if (!readNumber(min)) { pos_ = save; return true; }
            max = min;
            if (pos_ < p_.size() && p_[pos_] == ',') {
                ++pos_;
                max = kUnbounded;
                if (pos_ < p_.size() && p_[pos_] != '}' && !readNumber(max)) { pos_ = save; return true; }
            }
            if (pos_ >= p_.size() || p_[pos_] != '}') { pos_ = save; return true; }
            ++pos_;
            if (max < min) return fail("numbers out of order in {} quantifier");
        } else {
            return true;
        }
        if (term.kind == Node::Kind::Assert || term.kind == Node::Kind::Look) return fail("nothing to repeat");
        Node rep;
        rep.kind = Node::Kind::Repeat;
        rep.min = min;
        rep.max = max;
        rep.firstGroup = static_cast<uint32_t>(groupsBefore + 1);
        rep.endGroup = static_cast<uint32_t>(groups_ + 1);
        if (pos_ < p_.size() && p_[pos_] == '?') {
            rep.greedy = false;
            ++pos_;
        } else if (pos_ < p_.size() && p_[pos_] == '+') {
            ++pos_;  // possessive: matched greedily (backtracking into it is rare in movies)
        }
        rep.children.push_back(std::move(term));
        term = std::move(rep);
        return parseQuantifier(term, groupsBefore) || true;
    }

    bool readNumber(uint32_t& out) {
        size_t start = pos_;
        uint64_t v = 0;
        while (pos_ < p_.size() && p_[pos_] >= '0' && p_[pos_] <= '9') {
            v = std::min<uint64_t>(v * 10 + (p_[pos_] - '0'), 100000);
            ++pos_;
        }
        out = static_cast<uint32_t>(v);
        return pos_ > start;
    }

    bool parseTerm(Node& term, int depth) {
        char16_t c = peek();
        ++pos_;
        switch (c) {
            case '^': term.kind = Node::Kind::Assert; term.value = static_cast<uint32_t>(Op::LineStart); return true;
            case '$': term.kind = Node::Kind::Assert; term.value = static_cast<uint32_t>(Op::LineEnd); return true;
            case '.': term.kind = Node::Kind::Any; return true;
            case '[': return parseClass(term);
            case '(': return parseGroup(term, depth);
            case '\\': return parseEscape(term);
            case '*': case '+': case '?': return fail("nothing to repeat");
            default: term.kind = Node::Kind::Char; term.value = c; return true;
        }
    }

    bool parseGroup(Node& term, int depth) {
        term.kind = Node::Kind::Group;
        if (pos_ < p_.size() && p_[pos_] == '?') {
            ++pos_;
            if (pos_ >= p_.size()) return fail("unterminated group");
            char16_t k = p_[pos_++];
            if (k == ':') {
                term.value = 0;
            } else if (k == '=' || k == '!') {
                term.kind = Node::Kind::Look;
                term.look = k == '=' ? Op::LookAhead : Op::NotLookAhead;
            } else if (k == '<' && pos_ < p_.size() && (p_[pos_] == '=' || p_[pos_] == '!')) {
                term.kind = Node::Kind::Look;
                term.look = p_[pos_++] == '=' ? Op::LookBehind : Op::NotLookBehind;
            } else if (k == 'P' || k == '<') {
                if (k == 'P' && (pos_ >= p_.size() || p_[pos_++] != '<')) return fail("unrecognized character after (?P");
                std::string name;
                while (pos_ < p_.size() && p_[pos_] != '>') {
                    char16_t n = p_[pos_++];
                    if (!isWordChar(n)) return fail("invalid group name");
                    name += static_cast<char>(n);
                }
                if (pos_ >= p_.size() || name.empty()) return fail("invalid group name");
                ++pos_;
                term.value = static_cast<uint32_t>(++groups_);
                program_.names_.emplace_back(name, groups_);
            } else {
                return fail("unrecognized character after (?");
            }
        } else {
            term.value = static_cast<uint32_t>(++groups_);
        }
        if (groups_ > 1000) return fail("too many groups");
        Node inner;
        if (!parseDisjunction(inner, depth + 1)) return false;
        if (pos_ >= p_.size() || p_[pos_] != ')') return fail("missing )");
        ++pos_;
        term.children.push_back(std::move(inner));
        return true;
    }

    bool hexDigits(int count, uint32_t& out) {
        uint32_t v = 0;
        for (int i = 0; i < count; ++i) {
            if (pos_ + static_cast<size_t>(i) >= p_.size()) return false;
            char16_t h = p_[pos_ + static_cast<size_t>(i)];
            int d = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
            if (d < 0) return false;
            v = v * 16 + static_cast<uint32_t>(d);
        }
        pos_ += static_cast<size_t>(count);
        out = v;
        return true;
    }

    // An escape after the backslash that stands for one character; `inClass` makes \b a
    // backspace.
    bool characterEscape(char16_t e, uint32_t& out, bool inClass) {
        switch (e) {
            case 'n': out = '\n'; return true;
            case 'r': out = '\r'; return true;
            case 't': out = '\t'; return true;
            case 'v': out = '\v'; return true;
            case 'f': out = '\f'; return true;
            case 'b': if (inClass) { out = '\b'; return true; } return false;
            case '0': out = 0; return true;
            case 'x': if (!hexDigits(2, out)) out = 'x'; return true;
            case 'u': if (!hexDigits(4, out)) out = 'u'; return true;
            case 'c':
                if (pos_ < p_.size() && ((p_[pos_] >= 'a' && p_[pos_] <= 'z') || (p_[pos_] >= 'A' && p_[pos_] <= 'Z'))) {
                    out = p_[pos_++] % 32;
                } else {
                    out = '\\';
                    --pos_;
                }
                return true;
            default: out = e; return true;
        }
    }

    // \d \w \s and their complements, or null.
    static const Ranges* classEscape(char16_t e, bool& negated) {
        negated = e == 'D' || e == 'W' || e == 'S';
        switch (e) {
            case 'd': case 'D': return &digitRanges();
            case 'w': case 'W': return &wordRanges();
            case 's': case 'S': return &spaceRanges();
            default: return nullptr;
        }
    }

    bool parseEscape(Node& term) {
        if (pos_ >= p_.size()) return fail("\\ at end of pattern");
        char16_t e = p_[pos_++];
        bool negated = false;
        if (const Ranges* r = classEscape(e, negated)) {
            RegExpProgram::CharClass cls;
            cls.ranges = *r;
            cls.negated = negated;
            term.kind = Node::Kind::Class;
            term.value = static_cast<uint32_t>(program_.classes_.size());
            program_.classes_.push_back(std::move(cls));
            return true;
        }
        if (e == 'b' || e == 'B') {
            term.kind = Node::Kind::Assert;
            term.value = static_cast<uint32_t>(e == 'b' ? Op::WordBoundary : Op::NotWordBoundary);
            return true;
        }
        if (e >= '1' && e <= '9') {
            uint32_t n = e - '0';
            while (pos_ < p_.size() && p_[pos_] >= '0' && p_[pos_] <= '9' && n * 10 + (p_[pos_] - '0') <= groups_)
                n = n * 10 + (p_[pos_++] - '0');
            term.kind = Node::Kind::BackRef;
            term.value = n;
            return true;
        }
        term.kind = Node::Kind::Char;
        return characterEscape(e, term.value, false);
    }

    bool parseClass(Node& term) {
        RegExpProgram::CharClass cls;
        if (pos_ < p_.size() && p_[pos_] == '^') {
            cls.negated = true;
            ++pos_;
        }
        Ranges ranges;
        bool first = true;
        for (;;) {
            if (pos_ >= p_.size()) return fail("missing terminating ] for character class");
            char16_t c = p_[pos_++];
            if (c == ']' && !first) break;
            first = false;
            uint32_t lo = c;
            if (c == '\\') {
                if (pos_ >= p_.size()) return fail("\\ at end of pattern");
                char16_t e = p_[pos_++];
                bool negated = false;
                if (const Ranges* r = classEscape(e, negated)) {
                    const Ranges add = negated ? complement(*r) : *r;
                    ranges.insert(ranges.end(), add.begin(), add.end());
                    continue;
                }
                characterEscape(e, lo, true);
            }
            uint32_t hi = lo;
            if (pos_ + 1 < p_.size() && p_[pos_] == '-' && p_[pos_ + 1] != ']') {
                ++pos_;
                char16_t d = p_[pos_++];
                hi = d;
                if (d == '\\') {
                    if (pos_ >= p_.size()) return fail("\\ at end of pattern");
                    char16_t e = p_[pos_++];
                    bool negated = false;
                    if (classEscape(e, negated)) {
                        // "a-\d" is the character, a hyphen and the class.
                        ranges.emplace_back(static_cast<char16_t>(lo), static_cast<char16_t>(lo));
                        ranges.emplace_back(u'-', u'-');
                        pos_ -= 2;
                        continue;
                    }
                    characterEscape(e, hi, true);
                }
                if (hi < lo) return fail("range out of order in character class");
            }
            ranges.emplace_back(static_cast<char16_t>(lo), static_cast<char16_t>(hi));
        }
        cls.ranges = std::move(ranges);
        term.kind = Node::Kind::Class;
        term.value = static_cast<uint32_t>(program_.classes_.size());
        program_.classes_.push_back(std::move(cls));
        return true;
    }

    // --- emission ---------------------------------------------------------------------------

    size_t emit(Instruction i) {
        program_.code_.push_back(i);
        return program_.code_.size() - 1;
    }
    uint32_t here() const { return static_cast<uint32_t>(program_.code_.size()); }

    // The fixed length a node always matches, or -1.
    static int64_t fixedLength(const Node& n) {
        switch (n.kind) {
            case Node::Kind::Char: case Node::Kind::Any: case Node::Kind::Class: return 1;
            case Node::Kind::Empty: case Node::Kind::Assert: case Node::Kind::Look: return 0;
            case Node::Kind::BackRef: return -1;
            case Node::Kind::Group: return fixedLength(n.children[0]);
            case Node::Kind::Seq: {
                int64_t total = 0;
                for (const Node& c : n.children) {
                    int64_t l = fixedLength(c);
                    if (l < 0) return -1;
                    total += l;
                }
                return total;
            }
            case Node::Kind::Alt: {
                int64_t l = fixedLength(n.children[0]);
                for (const Node& c : n.children)
                    if (fixedLength(c) != l) return -1;
                return l;
            }
            case Node::Kind::Repeat: {
                if (n.min != n.max) return -1;
                int64_t l = fixedLength(n.children[0]);
                return l < 0 ? -1 : l * n.min;
            }
        }
        return -1;
    }

    bool emitNode(const Node& n) {
        if (program_.code_.size() > RegExpProgram::kMaxInstructions) return fail("regular expression is too large");
        switch (n.kind) {
            case Node::Kind::Empty: return true;
            case Node::Kind::Char: emit({Op::Char, n.value, 0}); return true;
            case Node::Kind::Any: emit({Op::Any, 0, 0}); return true;
            case Node::Kind::Class: emit({Op::Class, n.value, 0}); return true;
            case Node::Kind::Assert: emit({static_cast<Op>(n.value), 0, 0}); return true;
            case Node::Kind::BackRef: emit({Op::BackReference, n.value, 0}); return true;
            case Node::Kind::Seq:
                for (const Node& c : n.children)
                    if (!emitNode(c)) return false;
                return true;
            case Node::Kind::Alt: {
                std::vector<size_t> jumps;
                for (size_t i = 0; i < n.children.size(); ++i) {
                    size_t split = 0;
                    if (i + 1 < n.children.size()) split = emit({Op::Split, here() + 1, 0});
                    if (!emitNode(n.children[i])) return false;
                    if (i + 1 < n.children.size()) {
                        jumps.push_back(emit({Op::Jump, 0, 0}));
                        program_.code_[split].b = here();
                    }
                }
                for (size_t j : jumps) program_.code_[j].a = here();
                return true;
            }
            case Node::Kind::Group:
                if (n.value) emit({Op::Save, n.value * 2, 0});
                if (!emitNode(n.children[0])) return false;
                if (n.value) emit({Op::Save, n.value * 2 + 1, 0});
                return true;
            case Node::Kind::Look: {
                int64_t behind = 0;
                if (n.look == Op::LookBehind || n.look == Op::NotLookBehind) {
                    behind = fixedLength(n.children[0]);
                    if (behind < 0) return fail("lookbehind assertion is not fixed length");
                }
                size_t look = emit({n.look, here() + 2, static_cast<uint32_t>(behind)});
                size_t skip = emit({Op::Jump, 0, 0});
                if (!emitNode(n.children[0])) return false;
                emit({Op::Match, 0, 0});
                program_.code_[skip].a = here();
                (void)look;
                return true;
            }
            case Node::Kind::Repeat: return emitRepeat(n);
        }
        return true;
    }

    bool emitRepeat(const Node& n) {
        const Node& body = n.children[0];
        auto clear = [&] {
            if (n.endGroup > n.firstGroup) emit({Op::Clear, n.firstGroup * 2, n.endGroup * 2});
        };
        for (uint32_t i = 0; i < n.min; ++i) {
            clear();
            if (!emitNode(body)) return false;
            if (program_.code_.size() > RegExpProgram::kMaxInstructions) return fail("regular expression is too large");
        }
        if (n.max == kUnbounded) {
            uint32_t reg = static_cast<uint32_t>(program_.loopRegisters_++);
            uint32_t top = here();
            size_t split = emit({Op::Split, 0, 0});
            uint32_t bodyStart = here();
            emit({Op::LoopStart, reg, 0});
            clear();
            if (!emitNode(body)) return false;
            emit({Op::LoopCheck, reg, 0});
            emit({Op::Jump, top, 0});
            program_.code_[split] = n.greedy ? Instruction{Op::Split, bodyStart, here()}
                                             : Instruction{Op::Split, here(), bodyStart};
            return true;
        }
        std::vector<size_t> exits;
        for (uint32_t i = n.min; i < n.max; ++i) {
            size_t split = emit({Op::Split, 0, 0});
            uint32_t bodyStart = here();
            exits.push_back(split);
            clear();
            if (!emitNode(body)) return false;
            if (program_.code_.size() > RegExpProgram::kMaxInstructions) return fail("regular expression is too large");
            program_.code_[split].a = bodyStart;
        }
        for (size_t s : exits)
            program_.code_[s] = n.greedy ? Instruction{Op::Split, program_.code_[s].a, here()}
                                         : Instruction{Op::Split, here(), program_.code_[s].a};
        return true;
    }

    const std::u16string& p_;
    RegExpProgram& program_;
    size_t pos_ = 0;
    size_t groups_ = 0;
    std::string error_;
};

std::unique_ptr<RegExpProgram> RegExpProgram::compile(const std::u16string& pattern, Flags flags, std::string& error) {
    if (pattern.size() > kMaxPatternLength) {
        error = "regular expression is too large";
        return nullptr;
    }
    auto program = std::unique_ptr<RegExpProgram>(new RegExpProgram());
    program->flags_ = flags;
    RegExpCompiler compiler(pattern, *program);
    if (!compiler.compile(error)) return nullptr;
    if (flags.ignoreCase) {
        for (Instruction& i : program->code_)
            if (i.op == Op::Char) i.a = toLowerUnit(static_cast<char16_t>(i.a));
    }
    return program;
}

bool RegExpProgram::classMatches(const CharClass& cls, char16_t c) const {
    auto in = [&](char16_t x) {
        for (auto [lo, hi] : cls.ranges)
            if (x >= lo && x <= hi) return true;
        return false;
    };
    bool hit = in(c);
    if (!hit && flags_.ignoreCase) hit = in(toLowerUnit(c)) || in(toUpperUnit(c));
    return hit != cls.negated;
}

RegExpProgram::Outcome RegExpProgram::exec(const std::u16string& text, size_t start, std::vector<int>& captures,
                                           uint64_t& steps, uint64_t budget) const {
    std::vector<int> regs;
    const size_t registers = (groups_ + 1) * 2 + loopRegisters_;
    for (size_t at = start; at <= text.size(); ++at) {
        // Clearing the registers is work too: a pattern with thousands of them costs steps.
        steps += registers / 16;
        regs.assign(registers, -1);
        size_t end = 0;
        if (run(0, text, at, regs, steps, budget, 0, end)) {
            captures.assign(regs.begin(), regs.begin() + static_cast<std::ptrdiff_t>((groups_ + 1) * 2));
            return Outcome::Matched;
        }
        if (steps > budget) return Outcome::OutOfSteps;
    }
    return Outcome::NoMatch;
}

bool RegExpProgram::run(size_t pc, const std::u16string& text, size_t pos, std::vector<int>& regs, uint64_t& steps,
                        uint64_t budget, int depth, size_t& endPos) const {
    // Backtracking entries: a place to resume, or a register to restore on the way back.
    struct Entry {
        bool resume;
        uint32_t pcOrReg;
        int posOrValue;
    };
    std::vector<Entry> stack;
    auto setReg = [&](uint32_t r, int v) {
        stack.push_back({false, r, regs[r]});
        regs[r] = v;
    };
    auto backtrack = [&]() -> bool {
        while (!stack.empty()) {
            Entry e = stack.back();
            stack.pop_back();
            if (e.resume) {
                pc = e.pcOrReg;
                pos = static_cast<size_t>(e.posOrValue);
                return true;
            }
            regs[e.pcOrReg] = e.posOrValue;
        }
        return false;
    };
    const size_t loopBase = (groups_ + 1) * 2;
    for (;;) {
        if (++steps > budget || stack.size() > (size_t{1} << 22)) {
            steps = budget + 1;
            while (backtrack()) {}
            return false;
        }
        const Instruction& in = code_[pc];
        bool ok = true;
        switch (in.op) {
            case Op::Char:
                if (pos < text.size() &&
                    (flags_.ignoreCase ? toLowerUnit(text[pos]) == in.a : text[pos] == in.a)) {
                    ++pos, ++pc;
                } else {
                    ok = false;
                }
                break;
            case Op::Any:
                if (pos < text.size() && (flags_.dotAll || !isLineTerminator(text[pos]))) ++pos, ++pc;
                else ok = false;
                break;
            case Op::Class:
                if (pos < text.size() && classMatches(classes_[in.a], text[pos])) ++pos, ++pc;
                else ok = false;
                break;
            case Op::Split:
                stack.push_back({true, in.b, static_cast<int>(pos)});
                pc = in.a;
                break;
            case Op::Jump: pc = in.a; break;
            case Op::Save: setReg(in.a, static_cast<int>(pos)); ++pc; break;
            case Op::Clear:
                for (uint32_t r = in.a; r < in.b; ++r)
                    if (regs[r] != -1) setReg(r, -1);
                ++pc;
                break;
            case Op::LineStart:
                ok = pos == 0 || (flags_.multiline && isLineTerminator(text[pos - 1]));
                ++pc;
                break;
            case Op::LineEnd:
                ok = pos == text.size() || (flags_.multiline && isLineTerminator(text[pos]));
                ++pc;
                break;
            case Op::WordBoundary:
            case Op::NotWordBoundary: {
                bool before = pos > 0 && isWordChar(text[pos - 1]);
                bool after = pos < text.size() && isWordChar(text[pos]);
                ok = (before != after) == (in.op == Op::WordBoundary);
                ++pc;
                break;
            }
            case Op::BackReference: {
                int s = in.a * 2 + 1 < loopBase ? regs[in.a * 2] : -1;
                int e = in.a * 2 + 1 < loopBase ? regs[in.a * 2 + 1] : -1;
                if (s >= 0 && e >= s) {
                    size_t len = static_cast<size_t>(e - s);
                    if (pos + len > text.size()) {
                        ok = false;
                        break;
                    }
                    for (size_t k = 0; k < len && ok; ++k) {
                        char16_t a = text[static_cast<size_t>(s) + k], b = text[pos + k];
                        ok = flags_.ignoreCase ? toLowerUnit(a) == toLowerUnit(b) : a == b;
                    }
                    if (ok) pos += len;
                }
                ++pc;
                break;
            }
            case Op::LookAhead:
            case Op::NotLookAhead:
            case Op::LookBehind:
            case Op::NotLookBehind: {
                if (depth > 64) {
                    steps = budget + 1;
                    ok = false;
                    break;
                }
                bool behind = in.op == Op::LookBehind || in.op == Op::NotLookBehind;
                bool negative = in.op == Op::NotLookAhead || in.op == Op::NotLookBehind;
                bool found = false;
                steps += regs.size() / 16;
                std::vector<int> saved = regs;
                if (!behind || pos >= in.b) {
                    size_t end = 0;
                    found = run(in.a, text, behind ? pos - in.b : pos, regs, steps, budget, depth + 1, end);
                }
                if (steps > budget) {
                    ok = false;
                    break;
                }
                if (found && !negative) {
                    // Captures made inside stay; restore them if we backtrack past here.
                    for (size_t r = 0; r < regs.size(); ++r)
                        if (regs[r] != saved[r]) stack.push_back({false, static_cast<uint32_t>(r), saved[r]});
                } else {
                    regs = saved;
                }
                ok = found != negative;
                pc += 1;
                break;
            }
            case Op::LoopStart: setReg(static_cast<uint32_t>(loopBase + in.a), static_cast<int>(pos)); ++pc; break;
            case Op::LoopCheck:
                ok = regs[loopBase + in.a] != static_cast<int>(pos);
                ++pc;
                break;
            case Op::Match:
                endPos = pos;
                return true;
        }
        if (!ok && !backtrack()) return false;
    }
}

}  // namespace swf::avm2
