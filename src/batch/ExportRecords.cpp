#include "batch/ExportRecords.h"

namespace batch {

void ExportRecords::PrepareForBatch(int32_t areaWidth, int32_t areaHeight,
                                    const convert::MovieHeader* openMovie) {
    const int32_t originalSize =
        !openMovie || (openMovie->width == areaWidth && openMovie->height == areaHeight) ? 1 : 0;
    avi.width = image.width = video.width = areaWidth;
    avi.height = image.height = video.height = areaHeight;
    avi.useOriginalSize = image.useOriginalSize = video.useOriginalSize = originalSize;
}

}  // namespace batch
