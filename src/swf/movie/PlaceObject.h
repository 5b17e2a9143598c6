#pragma once
// What a PlaceObject, PlaceObject2 or PlaceObject3 tag says about one depth. Absent fields
// leave the object's current value (on a move) or its default (on a new placement).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/movie/ClipEvent.h"

namespace swf {

struct PlaceObject {
    int version = 2;  // 1, 2 or 3
    uint16_t depth = 0;
    bool move = false;
    std::optional<uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clipDepth;
    // PlaceObject3: kept for the renderer and scripts of later versions.
    std::optional<uint8_t> blendMode;
    std::optional<std::vector<uint8_t>> filters;  // the raw SURFACEFILTERLIST
    std::optional<bool> cacheAsBitmap;
    std::optional<std::string> className;
    std::optional<bool> visible;
    std::optional<Rgba> opaqueBackground;
    // The onClipEvent handlers, in file order; shared with the objects placed from this tag,
    // which keep them while they live.
    std::shared_ptr<const std::vector<ClipActionRecord>> clipActions;

    // Applies the fields this tag carries over `state` (for a move, or when simulating a
    // timeline): fields the tag leaves out keep their earlier values.
    void mergeInto(PlaceObject& state) const;
};

struct RemoveObject {
    uint16_t depth = 0;
};

}  // namespace swf
