#include "audio/DiskSpace.h"

#include <system_error>

namespace audio {

uint64_t GetFreeDiskSpace(const std::filesystem::path& folder) {
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(folder, error);
    return error ? 0 : space.available;
}

}  // namespace audio
