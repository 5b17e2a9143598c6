#pragma once
// Reads an ABC file from untrusted bytes. Every count is bounded by the bytes left (each entry
// takes at least one), every pool index is checked, and the whole file is refused with the
// player's VerifyError text when any part is out of bounds.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "swf/abc/AbcFile.h"

namespace swf::abc {

class AbcParser {
  public:
    // Null with the player's message in `error` ("VerifyError: Error #1032: ...").
    static std::shared_ptr<const AbcFile> parse(std::span<const uint8_t> data, std::string& error);
};

}  // namespace swf::abc
