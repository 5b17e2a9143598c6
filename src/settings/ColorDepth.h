#pragma once
// The colour depths an export offers, in the order of the dialogs' radio buttons.

#include <array>
#include <cstdint>

namespace settings {

struct ColorDepthChoice {
    int32_t bitsPerPixel;
    const char* label;
};

inline constexpr int32_t kColorDepthRgb = 24;
inline constexpr int32_t kColorDepthRgba = 32;

inline constexpr std::array<ColorDepthChoice, 2> kColorDepthChoices = {{
    {kColorDepthRgb, "24 bits RGB"},
    {kColorDepthRgba, "32 bits RGB with Alpha"},
}};

}  // namespace settings
