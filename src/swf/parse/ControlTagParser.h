#pragma once
// Reads the display-list tags: PlaceObject 1 to 3 and RemoveObject 1 and 2.

#include <cstdint>
#include <optional>
#include <span>

#include "swf/display/PlaceObject.h"

namespace swf {

class ControlTagParser {
  public:
    // `code` is PlaceObject, PlaceObject2 or PlaceObject3; null when the body is too short
    // for its required fields. An optional field cut short is dropped with all after it.
    static std::optional<PlaceObject> parsePlaceObject(uint16_t code,
                                                       std::span<const uint8_t> body);
    static std::optional<RemoveObject> parseRemoveObject(uint16_t code,
                                                         std::span<const uint8_t> body);
    // The size in bytes of a SURFACEFILTERLIST at the start of `data`, or nothing when it
    // names an unknown filter or runs past the end.
    static std::optional<size_t> filterListSize(std::span<const uint8_t> data);
};

}  // namespace swf
