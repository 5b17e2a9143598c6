#include "swf/render/GradientLutCache.h"

#include <algorithm>

namespace swf {

uint64_t GradientLutCache::hash(const Gradient& gradient, const ColorTransform& cxform) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    auto add = [&h](int64_t value) {
        h ^= static_cast<uint64_t>(value);
        h *= 1099511628211ull;
    };
    add(static_cast<int64_t>(gradient.interpolation));
    for (const GradientStop& stop : gradient.stops) {
        add(stop.ratio);
        add(stop.color.r | stop.color.g << 8 | stop.color.b << 16 | stop.color.a << 24);
    }
    for (int32_t term : {cxform.rMul, cxform.gMul, cxform.bMul, cxform.aMul, cxform.rAdd,
                         cxform.gAdd, cxform.bAdd, cxform.aAdd})
        add(term);
    return h;
}

bool GradientLutCache::matches(const Entry& entry, const Gradient& gradient,
                               const ColorTransform& cxform) {
    return entry.interpolation == gradient.interpolation && entry.cxform == cxform &&
           std::equal(entry.stops.begin(), entry.stops.end(), gradient.stops.begin(),
                      gradient.stops.end(), [](const GradientStop& a, const GradientStop& b) {
                          return a.ratio == b.ratio && a.color == b.color;
                      });
}

std::shared_ptr<const GradientLut> GradientLutCache::lut(const Gradient& gradient,
                                                         const ColorTransform& cxform) {
    uint64_t key = hash(gradient, cxform);
    auto [first, last] = tables_.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (matches(it->second, gradient, cxform)) return it->second.lut;
    }
    if (tables_.size() >= kMaxTables) tables_.clear();
    auto made = std::make_shared<const GradientLut>(gradient.stops, gradient.interpolation, cxform);
    tables_.emplace(key, Entry{gradient.stops, gradient.interpolation, cxform, made});
    return made;
}

}  // namespace swf
