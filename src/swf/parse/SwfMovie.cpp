#include "swf/parse/SwfMovie.h"

#include <algorithm>
#include <cmath>

namespace swf {

int SwfHeader::widthPixels() const {
    return std::max(0, static_cast<int>(std::lround(frameSize.width() / kTwipsPerPixel)));
}

int SwfHeader::heightPixels() const {
    return std::max(0, static_cast<int>(std::lround(frameSize.height() / kTwipsPerPixel)));
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

}  // namespace swf
