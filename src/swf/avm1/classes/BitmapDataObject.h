#pragma once
// A flash.display.BitmapData instance: a surface of premultiplied pixels (as the player keeps
// them, so the colour of a translucent pixel loses precision) and the pixel operations its
// methods share. Colours in and out are straight ARGB; the surface is shared with the display
// objects that show it (attachBitmap), which keep it after the script object goes.

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/avm1/machine/Object.h"
#include "swf/bitmap/Bitmap.h"

namespace swf::avm1 {

// A rectangle of whole pixels.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};

// The player's noise generator: the minimal standard generator (16807, 2^31 - 1).
class ParkMiller {
  public:
    explicit ParkMiller(int64_t seed);
    uint32_t next();

  private:
    uint32_t state_;
};

class BitmapDataObject : public Object {
  public:
    // 2880 a side before version 10; then 8191 a side and this many pixels in all.
    static constexpr int kMaxSideSwf8 = 2880;
    static constexpr int kMaxSide = 8191;
    static constexpr int64_t kMaxPixels = 16'777'215;

    using Object::Object;

    static bool sizeAllowed(int width, int height, int swfVersion);
    // Makes the surface; false (and no surface) for a size sizeAllowed refuses.
    bool create(int width, int height, bool transparent, uint32_t fill, int swfVersion);
    // Frees the pixels, also for the display objects showing them (they show nothing then).
    void dispose();
    bool alive() const { return surface_ != nullptr; }

    int width() const { return surface_ ? surface_->width : 0; }
    int height() const { return surface_ ? surface_->height : 0; }
    bool transparent() const { return transparent_; }
    const std::shared_ptr<Bitmap>& surface() const { return surface_; }

    bool contains(int x, int y) const {
        return surface_ && x >= 0 && y >= 0 && x < surface_->width && y < surface_->height;
    }
    // Straight ARGB of a pixel inside the surface.
    uint32_t pixel(int x, int y) const { return unpremultiply(raw(x, y)); }
    // Stores straight ARGB (made opaque on an opaque surface).
    void setPixel(int x, int y, uint32_t argb) { setRaw(x, y, premultiply(store(argb))); }
    // Premultiplied ARGB, as kept.
    uint32_t raw(int x, int y) const;
    void setRaw(int x, int y, uint32_t premultipliedArgb);
    // The colour as this surface keeps it: alpha forced to 255 when opaque.
    uint32_t store(uint32_t argb) const { return transparent_ ? argb : argb | 0xFF000000u; }

    // `r` cut to the surface.
    PixelRect clip(PixelRect r) const;
    void fillRect(PixelRect r, uint32_t argb);
    // Fills the 4-connected area of the colour at (x, y); at most width*height pixels visited.
    // False when the fill colour is already there.
    bool floodFill(int x, int y, uint32_t argb);
    // Moves the pixels by (dx, dy); what is uncovered keeps its old pixels.
    void scroll(int dx, int dy);
    // Random channels from `seed` in [low, high]; `channels` bits 1 red, 2 green, 4 blue,
    // 8 alpha; grey uses one value for red, green and blue.
    void noise(int64_t seed, int low, int high, int channels, bool grey);
    // The smallest rectangle of pixels where (pixel & mask) == colour (masked too on a
    // transparent bitmap), or != with !find; the pixels as kept (premultiplied).
    PixelRect colorBounds(uint32_t mask, uint32_t colour, bool find) const;

    static uint32_t premultiply(uint32_t argb);
    static uint32_t unpremultiply(uint32_t premultiplied);

  private:
    std::shared_ptr<Bitmap> surface_;
    bool transparent_ = true;
};

BitmapDataObject* asBitmapData(const Value& value);

}  // namespace swf::avm1
