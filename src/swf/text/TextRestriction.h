#pragma once
// A text field's `restrict` pattern: which typed characters the field takes. The pattern lists
// characters and ranges ("a-z"); "^" switches between taking and refusing what follows, and a
// pattern that starts with it takes everything it does not refuse. A backslash makes the next
// character plain. A range without a first character starts at U+0000, one without a last
// character is none, and a reversed range ("b-a") is its first character alone. Where the
// pattern names a character more than once, the last mention decides. A refused ASCII letter
// whose other case is taken comes in as that case.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace swf {

class TextRestriction {
  public:
    // Patterns are cut at this many characters.
    static constexpr size_t kMaxPatternLength = 4096;

    explicit TextRestriction(std::u32string_view pattern);

    // The character typing `c` enters, or none.
    std::optional<char32_t> admit(char32_t c) const;

  private:
    struct Rule {
        char32_t first;
        char32_t last;
        bool takes;
    };

    bool takes(char32_t c) const;

    std::vector<Rule> rules_;
    bool takesRest_ = false;
};

}  // namespace swf
