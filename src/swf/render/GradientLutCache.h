#pragma once
// The colour tables of the gradients drawn lately. A gradient drawn again with the same stops
// under the same colour transform, in this picture or a later one, reuses its table instead
// of building it anew.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/render/GradientLut.h"
#include "swf/shape/Shape.h"

namespace swf {

class GradientLutCache {
  public:
    // Beyond this many tables the cache starts afresh; tables in use stay alive with their
    // users.
    static constexpr size_t kMaxTables = 256;

    std::shared_ptr<const GradientLut> lut(const Gradient& gradient, const ColorTransform& cxform);

  private:
    struct Entry {
        std::vector<GradientStop> stops;
        InterpolationMode interpolation;
        ColorTransform cxform;
        std::shared_ptr<const GradientLut> lut;
    };

    static uint64_t hash(const Gradient& gradient, const ColorTransform& cxform);
    static bool matches(const Entry& entry, const Gradient& gradient, const ColorTransform& cxform);

    std::unordered_multimap<uint64_t, Entry> tables_;
};

}  // namespace swf
