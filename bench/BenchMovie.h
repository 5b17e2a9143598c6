#pragma once
// The picture the conversion benchmarks draw: a gradient backdrop over the whole stage and six
// filled ellipses that cross it in 12 frames, then start over.

#include <cstdint>

#include "support/SwfWriter.h"

namespace bench {

// Defines and places the backdrop (character 1) and the ellipses (characters and depths 2 to 7).
inline void AddMovingShapes(swftest::SwfWriter& movie, int width, int height) {
    swftest::ShapeBuilder backdrop;
    backdrop
        .fill1(backdrop.addFill(swftest::FillStyle::linearGradient(
            swftest::Matrix::gradientBox(0, 0, swftest::px(width), swftest::px(height)),
            {{0, {40, 90, 160}}, {255, {230, 200, 120}}})))
        .rectangle(0, 0, swftest::px(width), swftest::px(height));
    movie.defineShape(1, backdrop).place(1, 1);
    for (uint16_t id = 2; id < 8; ++id) {
        swftest::ShapeBuilder ball;
        ball.fill1(ball.addFill(swftest::FillStyle::solid({static_cast<uint8_t>(id * 30), 60, 90})))
            .ellipse(0, 0, swftest::px(40 + id * 5), swftest::px(30 + id * 4));
        movie.defineShape(id, ball).place(id, id);
    }
}

// Moves the ellipses to where they stand in `frame`.
inline void MoveShapes(swftest::SwfWriter& movie, int frame) {
    for (uint16_t id = 2; id < 8; ++id)
        movie.move(id, swftest::Matrix::translation(swftest::px(60 + (frame % 12) * 40 + id * 20),
                                                    swftest::px(60 + id * 55)));
}

}  // namespace bench
