#pragma once
// How finely the engine draws, as the player's quality setting chooses: low paints each pixel
// fully or not at all and samples bitmaps at the nearest texel; medium anti-aliases; high and
// best anti-alias and smooth the bitmaps that ask for it.

namespace swf {

enum class RenderQuality { Low, Medium, High, Best };

inline bool antiAliases(RenderQuality quality) {
    return quality != RenderQuality::Low;
}

inline bool smoothsBitmaps(RenderQuality quality) {
    return quality == RenderQuality::High || quality == RenderQuality::Best;
}

}  // namespace swf
