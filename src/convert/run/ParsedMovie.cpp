#include "convert/run/ParsedMovie.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "convert/MovieFile.h"
#include "swf/parse/MovieParser.h"
#include "swf/player/Player.h"

namespace convert {
namespace {

constexpr uint64_t kMaxFileBytes = swf::MovieParser::kMaxMovieBytes + 8;

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return false;
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > kMaxFileBytes) return false;
    bytes.resize(static_cast<size_t>(size));
    file.seekg(0);
    return static_cast<bool>(file.read(reinterpret_cast<char*>(bytes.data()), size));
}

}  // namespace

bool ParsedMovie::Open(const std::string& path) {
    *this = ParsedMovie();
    std::vector<uint8_t> bytes;
    MovieHeader header;
    if (!ReadFile(path, bytes) || ReadSwfHeader(bytes, header) != 0) return false;
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    std::string error;
    std::shared_ptr<const swf::SwfMovie> movie =
        swf::MovieParser::parseWithImports(bytes, error, absolute.parent_path());
    if (!movie || !movie->timeline) return false;
    const int32_t complete = movie->timeline->shownFrames();
    // A download that stopped before its first frame was whole has nothing to convert.
    if (movie->truncated && complete == 0) return false;

    // Only the frames the file holds are converted: a download cut short holds fewer than its
    // header announces, and some writers leave a placeholder count there.
    announcedFrames_ = header.frameCount;
    if (complete > 0) header.frameCount = std::min(header.frameCount, complete);
    movie_ = std::move(movie);
    header_ = header;
    cutShort_ = movie_->truncated;
    completeFrames_ = complete;
    path_ = absolute.string();
    return true;
}

bool ParsedMovie::LoadInto(swf::Player& player) const {
    return movie_ && player.LoadMovie(movie_, path_);
}

}  // namespace convert
