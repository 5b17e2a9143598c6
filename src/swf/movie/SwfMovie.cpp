#include "swf/movie/SwfMovie.h"

#include <algorithm>
#include <cmath>

#include "swf/format/LetterCase.h"

namespace swf {

// Differences of untrusted 32-bit fields are taken in 64 bits: they may not fit in 32.
double SwfHeader::widthTwips() const {
    return std::max<double>(0, static_cast<int64_t>(frameSize.xMax) - frameSize.xMin);
}

double SwfHeader::heightTwips() const {
    return std::max<double>(0, static_cast<int64_t>(frameSize.yMax) - frameSize.yMin);
}

int SwfHeader::widthPixels() const {
    return static_cast<int>(std::lround(widthTwips() / kTwipsPerPixel));
}

int SwfHeader::heightPixels() const {
    return static_cast<int>(std::lround(heightTwips() / kTwipsPerPixel));
}

uint32_t SwfHeader::frameIntervalMs() const {
    double rate = frameRate > 0 ? frameRate : 1.0 / 256;
    return std::max<uint32_t>(1, static_cast<uint32_t>(std::lround(1000.0 / rate)));
}

Rgba SwfMovie::backgroundColor() const {
    if (timeline)
        for (const Frame& f : timeline->frames())
            if (f.backgroundColor) return *f.backgroundColor;
    return {255, 255, 255, 255};
}

std::optional<uint16_t> SwfMovie::findExport(std::string_view name) const {
    std::optional<uint16_t> folded;
    for (const auto& [exported, id] : exports) {
        if (exported == name) return id;
        if (!folded && equalsIgnoringCase(exported, name)) folded = id;
    }
    return folded;
}

}  // namespace swf
