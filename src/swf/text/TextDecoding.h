#pragma once
// Strings in movies are UTF-8 from SWF 6 on; older movies use the system's 8-bit code page.
// Bytes that do not form valid UTF-8 are therefore read as Latin-1, one character each.

#include <string>
#include <string_view>

namespace swf {

std::u32string DecodeMovieText(std::string_view bytes);

}  // namespace swf
