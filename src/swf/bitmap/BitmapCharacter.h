#pragma once
// A bitmap definition (DefineBits*, DefineBitsLossless*): the decoded image, ready for
// bitmap fills.

#include <cstdint>
#include <utility>

#include "swf/bitmap/Bitmap.h"
#include "swf/movie/Character.h"

namespace swf {

class BitmapCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Bitmap;

    BitmapCharacter(uint16_t id, Bitmap bitmap, double deblocking = 0)
        : Character(id, kKind), bitmap_(std::move(bitmap)), deblocking_(deblocking) {}

    const Bitmap& bitmap() const { return bitmap_; }
    // DefineBitsJPEG4's deblocking filter strength (0 when absent); kept for the renderer.
    double deblocking() const { return deblocking_; }

  private:
    Bitmap bitmap_;
    double deblocking_;
};

}  // namespace swf
