#pragma once
// Reads DefineButton (version 1) and DefineButton2 (version 2) bodies.

#include <memory>
#include <span>

#include "swf/movie/ButtonCharacter.h"

namespace swf {

class ButtonParser {
  public:
    // The whole tag body, starting with the character id; null when even the id is missing.
    static std::shared_ptr<ButtonCharacter> parse(std::span<const uint8_t> body, int version);
};

}  // namespace swf
