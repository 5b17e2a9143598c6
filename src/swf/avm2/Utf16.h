#pragma once
// Strings are held as UTF-8; the language counts positions in UTF-16 code units. These turn
// one into the other. A lone surrogate is kept as its own three-byte sequence so that text
// cut inside a pair survives the round trip.

#include <string>
#include <string_view>

namespace swf::avm2 {

std::u16string toUtf16(std::string_view text);
std::string fromUtf16(std::u16string_view text);
void appendUtf16Unit(std::string& out, char16_t unit);
// The text as the player prints it: a surrogate pair held as two sequences joined into its
// character, a lone surrogate as U+FFFD.
std::string printableText(std::string_view text);
// Orders two texts by their UTF-16 code units, as the relational operators do: negative,
// zero or positive.
int compareUnits(std::string_view a, std::string_view b);
// The length in UTF-16 code units.
size_t utf16Length(std::string_view text);

}  // namespace swf::avm2
