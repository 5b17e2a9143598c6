#pragma once
// How finely the engine draws, as the player's quality setting chooses: low paints each pixel
// fully or not at all and samples bitmaps at the nearest texel; medium anti-aliases on a 2x2
// grid; high and best anti-alias on a 4x4 grid and smooth the bitmaps that ask for it.

namespace swf {

enum class RenderQuality { Low, Medium, High, Best };

inline bool antiAliases(RenderQuality quality) {
    return quality != RenderQuality::Low;
}

// Edges are anti-aliased by point samples on a grid in each pixel: one sample at low quality,
// 2x2 at medium, 4x4 at high and best.
inline int samplesPerSide(RenderQuality quality) {
    switch (quality) {
        case RenderQuality::Low:
            return 1;
        case RenderQuality::Medium:
            return 2;
        default:
            return 4;
    }
}

inline bool smoothsBitmaps(RenderQuality quality) {
    return quality == RenderQuality::High || quality == RenderQuality::Best;
}

}  // namespace swf
