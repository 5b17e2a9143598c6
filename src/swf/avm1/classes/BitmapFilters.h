#pragma once
// The flash.filters classes' shared parts: the filter object scripts hold, the conversion
// between a clip's filter list and script objects, and the filters BitmapData.applyFilter
// can compute.

#include <optional>
#include <span>
#include <vector>

#include "swf/avm1/classes/BitmapDataObject.h"
#include "swf/avm1/machine/Object.h"
#include "swf/render/SurfaceFilter.h"

namespace swf {
class DisplayObject;
}

namespace swf::avm1 {

class Machine;

class FilterObject : public Object {
  public:
    using Object::Object;
    SurfaceFilter filter;  // angle in degrees
    bool ready = false;    // set once a filter class's constructor ran on it
    Object* mapBitmap = nullptr;  // the displacement map's BitmapData object
    // A gradient keeps its colours, alphas and ratios in places that outlive a shorter list:
    // what it drops shows again when the list grows.
    struct GradientPlaces {
        std::vector<uint32_t> colors;
        std::vector<double> alphas;
        std::vector<int> ratios;
    } gradientPlaces;

    void trace(Marker& marker) const override;
};

// The settings of a filter object, or nothing when the value is not one.
std::optional<SurfaceFilter> readFilter(Machine& machine, const Value& value);
// The area a filter over `r` can change.
PixelRect filterExtent(const SurfaceFilter& filter, PixelRect r);
// Runs the filter over straight ARGB pixels; false for a filter not computed here.
bool applyFilter(const SurfaceFilter& filter, std::vector<uint32_t>& pixels, int width,
                 int height);

// A display object's filters as new script objects (angles in radians there).
Value filtersToScript(Machine& machine, const std::vector<SurfaceFilter>& filters);
// The filter objects of an array, as a display object keeps them.
std::vector<SurfaceFilter> filtersFromScript(Machine& machine, const Value& list);
// The filters a script reads from a display object: those it gave, else the placement's.
Value displayFilters(Machine& machine, const DisplayObject& object);

}  // namespace swf::avm1
