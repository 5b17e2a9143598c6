// Which typed characters a text field's `restrict` pattern lets in, as the player reads the
// pattern: ranges, "^" switching between taking and refusing, backslash escapes, ranges with
// a missing or reversed end, and the other case of a refused ASCII letter.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/text/TextRestriction.h"

namespace {

// What typing each character of `typed` enters.
std::u32string entered(std::u32string_view pattern, std::u32string_view typed) {
    const swf::TextRestriction restriction(pattern);
    std::u32string out;
    for (char32_t c : typed)
        if (auto admitted = restriction.admit(c)) out.push_back(*admitted);
    return out;
}

TEST(TextRestrictionTest, TakesWhatThePatternNames) {
    const std::u32string typed = U"abcABC012^\\-* &\u0105\u03B4\u0142\u0104\u0394\u0141";
    struct Case {
        std::u32string pattern;
        std::u32string expected;
    };
    const std::vector<Case> cases = {
        {U"aB*\u0394", U"aBaB*\u0394"},  // letters change case, others do not
        {U"a-z", U"abcabc"},
        {U"a-bA", U"abAb"},
        {U"a-", U"aa"},                // no last character: no range
        {U"-b", U"abCABC012^\\-* &"},  // no first character: from U+0000
        {U"-----b", U"abCABC012^\\-* &"},
        {U"b-----", U"bb"},
        {U"-", U""},
        {U"b-a", U"bb"},             // reversed: its first character alone
        {U"a-b-A", U"abAb012-* &"},  // a range's end starts no range
        {U"A-z", U"abcABC^\\"},
        {U"\\\\-\\^", U"^\\"},  // escaped ends
        {U"\\^-\\\\", U"^"},
        {U"a\\-z", U"aa-"},
        {U"a\\", U"aa"},
        {U"^", typed},  // refusing nothing takes everything
        {U"^\\^", U"abcABC012\\-* &\u0105\u03B4\u0142\u0104\u0394\u0141"},
        {U"^a\u0105", U"AbcABC012^\\-* &\u03B4\u0142\u0104\u0394\u0141"},
        {U"a^b^c", U"acac"},
        {U"a-zA-Z^bC", U"aBcABc"},  // the last mention decides
        {U"\u03B1-\u03C9", U"\u03B4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern.begin(), c.pattern.end()));
        EXPECT_EQ(entered(c.pattern, typed), c.expected);
    }
    // A huge pattern is read up to its limit.
    const std::u32string huge(100000, U'a');
    EXPECT_EQ(entered(huge, U"aAb"), U"aa");
}

}  // namespace
