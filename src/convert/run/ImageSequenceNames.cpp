#include "convert/run/ImageSequenceNames.h"

#include <strings.h>

#include <cstdio>

namespace convert {

ImageSequenceNames::ImageSequenceNames(const std::string& outputPath, int32_t startFrame,
                                       int32_t endFrame) {
    // Only a '.' in the file name starts the extension, not one in a folder's name.
    const size_t nameStart = outputPath.find_last_of('/') + 1;
    const size_t dot = outputPath.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot >= nameStart;
    stem_ = hasExtension ? outputPath.substr(0, dot) : outputPath;
    extension_ = hasExtension ? outputPath.substr(dot) : std::string();
    for (int64_t span = int64_t{endFrame} - startFrame; span > 0; span /= 10) ++digits_;
}

std::string ImageSequenceNames::Name(int32_t index) const {
    char number[16];
    std::snprintf(number, sizeof number, "%0*d", digits_, index);
    return stem_ + number + extension_;
}

bool ImageSequenceNames::IsTga() const {
    return strcasecmp(extension_.c_str(), ".tga") == 0;
}

}  // namespace convert
