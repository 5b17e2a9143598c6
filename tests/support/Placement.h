#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/ClipAction.h"
#include "support/ColorTransform.h"
#include "support/Matrix.h"
#include "support/Rgba.h"

namespace swftest {

class BitWriter;

// The fields of a PlaceObject2 / PlaceObject3 tag; every optional field that is set is
// written with its flag. Designated initialisers read well:
//   writer.placeObject2({.depth = 1, .character = 5, .matrix = Matrix::translation(px(10), 0)});
//   writer.placeObject2({.depth = 1, .move = true, .colorTransform = ColorTransform::alpha(0.5)});
struct Placement {
    uint16_t depth = 1;
    bool move = false;  // modify (or, with a character, replace) the object at the depth
    std::optional<uint16_t> character = std::nullopt;
    std::optional<Matrix> matrix = std::nullopt;
    std::optional<ColorTransform> colorTransform = std::nullopt;  // written as CXFORMWITHALPHA
    std::optional<uint16_t> ratio = std::nullopt;
    std::optional<std::string> name = std::nullopt;
    std::optional<uint16_t> clipDepth = std::nullopt;
    // onClipEvent handlers (sprites, SWF 5 and later); written when not empty.
    std::vector<ClipAction> clipActions = {};
    // PlaceObject3 only:
    std::optional<uint8_t> blendMode =
        std::nullopt;  // 1 normal, 2 layer, 3 multiply, 4 screen, ...
    std::optional<bool> cacheAsBitmap = std::nullopt;
    // A SURFACEFILTERLIST as it is written, count first; written when not empty.
    std::vector<uint8_t> filters = {};
    std::optional<Rgba> opaqueBackground = std::nullopt;

    // The body of PlaceObject2 (placeVersion 2) or PlaceObject3 (placeVersion 3); the movie's
    // SWF version decides the width of clip event fields.
    void write(BitWriter& out, int placeVersion, int swfVersion) const;
};

}  // namespace swftest
