#include "settings/OfferedSettings.h"

#include <cmath>
#include <limits>

namespace settings {
namespace {

template <typename Settings>
void SetFrameRange(Settings& settings, const convert::MovieHeader& movie) {
    settings.startFrame = 0;
    settings.endFrame = movie.frameCount - 1;
}

template <typename Settings>
void Offer(Settings& settings, const convert::MovieHeader& movie, const PlayerArea& area) {
    SetFrameRangeFor(settings, movie);
    settings.width = area.width;
    settings.height = area.height;
    settings.keepAspectRatio = area.keepAspectRatio ? 1 : 0;
    settings.useOriginalSize = area.width == movie.width && area.height == movie.height ? 1 : 0;
}

}  // namespace

int32_t FrameRate100(double framesPerSecond) {
    const double rate100 = std::trunc(framesPerSecond * 100.0);
    if (!(rate100 > 0)) return 0;  // also a rate that is not a number
    if (rate100 >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(rate100);
}

void SetFrameRangeFor(AviExportSettings& settings, const convert::MovieHeader& movie) {
    SetFrameRange(settings, movie);
    settings.frameRate100 = FrameRate100(movie.frameRate);
}

void SetFrameRangeFor(ImageSequenceSettings& settings, const convert::MovieHeader& movie) {
    SetFrameRange(settings, movie);
}

void OfferFor(AviExportSettings& settings, const convert::MovieHeader& movie,
              const PlayerArea& area) {
    Offer(settings, movie, area);
}

void OfferFor(ImageSequenceSettings& settings, const convert::MovieHeader& movie,
              const PlayerArea& area) {
    Offer(settings, movie, area);
}

}  // namespace settings
