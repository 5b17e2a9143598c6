#pragma once
// The global escape() and unescape() of ActionScript 1/2, on byte strings (UTF-8 text is
// escaped byte by byte).

#include <string>
#include <string_view>

namespace swf::avm1 {

// Keeps ASCII letters and digits; every other byte becomes %XX in upper-case hex. Both functions
// stop at a zero byte, where the player's strings end.
std::string urlEscape(std::string_view text);

// %XX (either case) becomes its byte and '+' a space. A bad sequence is dropped: '%' with the
// character after it when that is no hex digit, '%' with both characters after it when only
// the first is one, and a '%' cut off by the end.
std::string urlUnescape(std::string_view text);

}  // namespace swf::avm1
