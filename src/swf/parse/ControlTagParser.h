#pragma once
// Reads the display-list tags: PlaceObject 1 to 3 and RemoveObject 1 and 2.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "swf/movie/PlaceObject.h"

namespace swf {

class ControlTagParser {
  public:
    // `code` is PlaceObject, PlaceObject2 or PlaceObject3; null when the body is too short
    // for its required fields. An optional field cut short is dropped with all after it.
    // `swfVersion` is the movie's: it sets the width of clip event fields.
    static std::optional<PlaceObject> parsePlaceObject(uint16_t code, std::span<const uint8_t> body,
                                                       int swfVersion);
    static std::optional<RemoveObject> parseRemoveObject(uint16_t code,
                                                         std::span<const uint8_t> body);
    // The size in bytes of a SURFACEFILTERLIST at the start of `data`, or nothing when it
    // names an unknown filter or runs past the end.
    static std::optional<size_t> filterListSize(std::span<const uint8_t> data);
    // The handler records of a CLIPACTIONS field at the start of `data` (event fields are 16
    // bits before SWF 6, 32 bits from it). A record cut short ends the list; the records
    // before it are kept.
    static std::vector<ClipActionRecord> parseClipActions(std::span<const uint8_t> data,
                                                          int swfVersion);
};

}  // namespace swf
