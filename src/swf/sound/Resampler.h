#pragma once
// Brings a decoded sound to the mix's rate once, whole, through libswresample's
// band-limited filter, so that mixing only adds samples. The channels stay as they are.

#include <cstdint>
#include <string>

#include "swf/sound/PcmBuffer.h"

namespace swf {

class Resampler {
  public:
    // `in` at `rate`: the same samples when the rates agree. The length is the input's
    // duration at the new rate, rounded to the nearest sample. False with `error` set when
    // libswresample refuses.
    static bool convert(PcmBuffer& in, uint32_t rate, std::string& error);
};

}  // namespace swf
