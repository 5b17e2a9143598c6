#pragma once
// The 256 colours of a GIF file, chosen for all of its frames: the exact colours when the
// frames have no more than 256, else a median cut of their colours counted at 6 bits a
// channel. Pixels then map to the nearest colour, without dithering (flat cartoon colours
// stay flat; gradients show bands).

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace convert {

class GifPalette {
  public:
    static constexpr size_t kMaxColours = 256;

    GifPalette();
    // Counts the colours of `count` pixels of blue, green, red bytes.
    void Add(const uint8_t* bgr, size_t count);
    // Chooses the colours of everything added; nothing can be added afterwards.
    void Build();
    // The index of the colour nearest to this one.
    uint8_t IndexOf(uint8_t blue, uint8_t green, uint8_t red);
    // 0xAARRGGBB, opaque, as many as were chosen.
    const std::vector<uint32_t>& Colours() const { return colours_; }

  private:
    static uint32_t Key(uint8_t blue, uint8_t green, uint8_t red);

    std::vector<uint64_t> histogram_;  // by Key
    std::vector<uint32_t> exact_;      // every colour seen while there are few, 0xRRGGBB
    bool manyColours_ = false;
    uint32_t lastExact_ = 0xFFFFFFFFu;
    std::vector<uint32_t> colours_;
    std::unordered_map<uint32_t, uint8_t> exactIndex_;
    std::vector<uint16_t> nearest_;  // by Key, filled as pixels ask; 0xFFFF not yet known
};

}  // namespace convert
