#pragma once
// Helpers the engine tests share: loading a written movie into a player, advancing it and
// reading the display list back as depth -> character id.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/SwfWriter.h"
#include "swf/display/MovieClip.h"
#include "swf/player/Player.h"

namespace enginetest {

inline void Load(swf::Player& player, const swftest::SwfWriter& movie) {
    std::vector<uint8_t> bytes = movie.bytes();
    ASSERT_TRUE(player.LoadMovieFromMemory(bytes)) << player.LoadError();
}

// Advances the player `frames` frames, as its host does once per frame interval.
inline void Advance(swf::Player& player, int frames) {
    for (int i = 0; i < frames; ++i) player.advanceFrame();
}

// depth -> character id of the clip's display list.
inline std::map<int, int> Layers(swf::MovieClip& clip) {
    std::map<int, int> out;
    for (const auto& [depth, object] : clip.displayList().objects())
        out[depth] = object->characterId();
    return out;
}

inline swf::MovieClip* ClipAt(swf::MovieClip& parent, int depth) {
    auto object = parent.displayList().at(depth);
    return object ? object->asMovieClip() : nullptr;
}

// A filled square of `size` twips at the origin.
inline swftest::ShapeBuilder Square(swftest::Rgba color, int32_t size) {
    swftest::ShapeBuilder shape;
    shape.fill1(shape.addFill(swftest::FillStyle::solid(color))).rectangle(0, 0, size, size);
    return shape;
}

// A sprite timeline whose frames each trace their own name ("<prefix><frame>").
inline swftest::SwfWriter TracingFrames(const std::string& prefix, int frames) {
    swftest::SwfWriter timeline;
    for (int f = 0; f < frames; ++f)
        timeline.doAction(swftest::ActionBuilder().pushString(prefix + std::to_string(f)).trace())
            .showFrame();
    return timeline;
}

}  // namespace enginetest
