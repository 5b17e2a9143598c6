#pragma once
// Letter case as the player maps it: its own tables (not Unicode's: no context, one UTF-16
// unit to one unit, and none of the pairs later Unicode versions added).

#include <cstddef>
#include <string>
#include <string_view>

namespace swf {

char16_t toLowerUnit(char16_t unit);
char16_t toUpperUnit(char16_t unit);

// Frame labels, commands and keywords ignore the case of ASCII letters only.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Script names before SWF 7 (variables, properties, instance names) ignore case by the tables:
// the UTF-8 text with each character lowered, a byte that is no valid UTF-8 kept as it is.
std::string foldCase(std::string_view text);
bool namesEqualIgnoringCase(std::string_view a, std::string_view b);

// Hashing and comparing script names as code that ignores case sees them, for tables any
// version looks up: every spelling of a name falls in one bucket, found without a copy.
struct FoldedNameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const;
};
struct FoldedNameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        return namesEqualIgnoringCase(a, b);
    }
};

}  // namespace swf
