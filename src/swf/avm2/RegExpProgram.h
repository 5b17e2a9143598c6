#pragma once
// A regular expression in the player's dialect (ECMAScript's syntax with the flags s and x,
// named groups "(?P<name>...)" and lookbehind of fixed length), compiled to instructions for
// a backtracking matcher over UTF-16 text. Matching counts its steps against a budget so that
// a pattern with catastrophic backtracking ends instead of hanging the movie.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace swf::avm2 {

class RegExpProgram {
  public:
    struct Flags {
        bool ignoreCase = false;
        bool multiline = false;
        bool dotAll = false;
        bool extended = false;
    };
    enum class Outcome : uint8_t { Matched, NoMatch, OutOfSteps };
    // The longest program a pattern may compile to (counted repetitions are expanded).
    static constexpr size_t kMaxInstructions = 200'000;
    static constexpr size_t kMaxPatternLength = 1 << 20;

    // The compiled pattern, or null with `error` set for a pattern that does not parse.
    static std::unique_ptr<RegExpProgram> compile(const std::u16string& pattern, Flags flags, std::string& error);

    // Searches `text` from `start` on; on a match, `captures` holds a start and an end per
    // group (group 0 the whole match), -1 for groups that took no part. `steps` is charged.
    Outcome exec(const std::u16string& text, size_t start, std::vector<int>& captures, uint64_t& steps,
                 uint64_t budget) const;
    // The number of groups, not counting the whole match.
    size_t groupCount() const { return groups_; }
    // Named groups: name and group number.
    const std::vector<std::pair<std::string, size_t>>& names() const { return names_; }

    struct Instruction;
    struct CharClass {
        std::vector<std::pair<char16_t, char16_t>> ranges;
        bool negated = false;
    };

  private:
    friend class RegExpCompiler;
    bool run(size_t pc, const std::u16string& text, size_t pos, std::vector<int>& regs, uint64_t& steps,
             uint64_t budget, int depth, size_t& endPos) const;
    bool classMatches(const CharClass& cls, char16_t c) const;

    std::vector<Instruction> code_;
    std::vector<CharClass> classes_;
    size_t groups_ = 0;
    size_t loopRegisters_ = 0;
    std::vector<std::pair<std::string, size_t>> names_;
    Flags flags_;
};

struct RegExpProgram::Instruction {
    enum class Op : uint8_t {
        Char, Any, Class, Split, Jump, Save, Clear, LineStart, LineEnd, WordBoundary, NotWordBoundary,
        BackReference, LookAhead, NotLookAhead, LookBehind, NotLookBehind, LoopStart, LoopCheck, Match
    };
    Op op;
    uint32_t a = 0;  // char, class, first target, register, group, or the look's sub-program
    uint32_t b = 0;  // second target, last cleared register, or the look's length behind
};

}  // namespace swf::avm2
