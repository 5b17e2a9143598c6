#include "convert/TempFile.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace convert {

std::string MakeTempFileName() {
    const char* folder = std::getenv("TMPDIR");
    if (!folder || !*folder) folder = "/tmp";
    std::string path = (std::filesystem::path(folder) / "KTPXXXXXX").string();
    const int fd = mkstemp(path.data());
    if (fd < 0) return {};
    close(fd);
    return path;
}

}  // namespace convert
