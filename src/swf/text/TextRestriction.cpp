#include "swf/text/TextRestriction.h"

namespace swf {

TextRestriction::TextRestriction(std::u32string_view pattern) {
    pattern = pattern.substr(0, kMaxPatternLength);
    takesRest_ = !pattern.empty() && pattern[0] == U'^';
    bool taking = true;
    // The last plain character, while a '-' may still make it a range's first.
    std::optional<char32_t> rangeStart;
    bool inRange = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char32_t c = pattern[i];
        if (c == U'^') {
            taking = !taking;
            rangeStart.reset();
            inRange = false;
            continue;
        }
        if (c == U'-') {
            inRange = true;
            continue;
        }
        if (c == U'\\') {
            if (++i == pattern.size()) break;
            c = pattern[i];
        }
        if (inRange) {
            const char32_t first = rangeStart ? *rangeStart : U'\0';
            if (first <= c) rules_.push_back({first, c, taking});
            rangeStart.reset();
            inRange = false;
            continue;
        }
        rules_.push_back({c, c, taking});
        rangeStart = c;
    }
}

bool TextRestriction::takes(char32_t c) const {
    for (auto rule = rules_.rbegin(); rule != rules_.rend(); ++rule)
        if (rule->first <= c && c <= rule->last) return rule->takes;
    return takesRest_;
}

std::optional<char32_t> TextRestriction::admit(char32_t c) const {
    if (takes(c)) return c;
    char32_t other = c;
    if (c >= U'a' && c <= U'z') other = c - U'a' + U'A';
    if (c >= U'A' && c <= U'Z') other = c - U'A' + U'a';
    if (other != c && takes(other)) return other;
    return std::nullopt;
}

}  // namespace swf
