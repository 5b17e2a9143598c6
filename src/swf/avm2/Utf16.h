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
// The length in UTF-16 code units.
size_t utf16Length(std::string_view text);
bool isAscii(std::string_view text);

}  // namespace swf::avm2
