#pragma once
// Free space on the disk that holds a folder, as the disk checks before a recording or a
// conversion ask for it.

#include <cstdint>
#include <filesystem>
#include <functional>

namespace audio {

// Bytes available to this user in `folder`; 0 when the disk cannot be asked.
uint64_t GetFreeDiskSpace(const std::filesystem::path& folder);

// Tests stand in a full or nearly full disk through one of these.
using FreeSpaceQuery = std::function<uint64_t(const std::filesystem::path&)>;

}  // namespace audio
