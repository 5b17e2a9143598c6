#pragma once
// Strings are UTF-8 from SWF 6 on; SWF 5 and older count bytes. The String methods index
// strings in UTF-16 code units, as the player keeps them: a character outside the basic
// plane counts two.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace swf::avm1 {

// The characters of a string as code points (bytes before SWF 6; a byte that is no valid
// UTF-8 counts as one character of its own value).
std::vector<uint32_t> decodeCharacters(std::string_view text, int swfVersion);
std::string encodeCharacters(const std::vector<uint32_t>& characters, size_t from, size_t count,
                             int swfVersion);
std::string encodeCharacter(uint32_t character, int swfVersion);
// The length in UTF-16 code units (bytes before SWF 6).
size_t stringLength(std::string_view text, int swfVersion);

// The UTF-16 code units of a string (before SWF 6 one unit a byte).
std::u16string toUnits(std::string_view text, int swfVersion);
// The unit at `index` without converting the whole text; -1 past the end.
int32_t unitAt(std::string_view text, size_t index, int swfVersion);
// Units back to a string: surrogate pairs join; a lone surrogate is kept, written as a
// three-byte sequence of its own, so that it joins the other half of its pair again when the
// two strings are put together. Before SWF 6 each unit is its low byte.
std::string fromUnits(std::u16string_view units, int swfVersion);
// text += more, halves of a pair meeting at the join made the one character again (from
// SWF 6, where strings are UTF-8).
void appendText(std::string& text, std::string_view more, int swfVersion);
// The text as the player prints it: halves of a pair written apart joined, a lone surrogate
// U+FFFD.
std::string printable(std::string_view text);

// Whether two strings are equal as the player sees them, in UTF-16 units from SWF 6 on: a pair
// written as two three-byte halves equals the character written whole.
bool sameText(std::string_view a, std::string_view b, int swfVersion);
// Orders two strings as the comparison operators do: by character code, with a surrogate
// pair written as two UTF-8 sequences counting as the one character it stands for (bytes
// before SWF 6). Negative, zero or positive.
int compareText(std::string_view a, std::string_view b, int swfVersion);

}  // namespace swf::avm1
