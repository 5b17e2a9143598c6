#pragma once
// Reads a whole movie: the header (FWS, CWS inflated with zlib or ZWS decoded with LZMA), then
// the tag stream into the dictionary and the main timeline. Damaged or unknown tags are
// skipped; a stream cut short ends the movie where the data ends.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "swf/format/TagStream.h"
#include "swf/movie/SwfMovie.h"
#include "swf/parse/ParseBudget.h"

namespace swf {

class MovieParser {
  public:
    // The largest movie taken, uncompressed: more is refused rather than held in memory.
    static constexpr size_t kMaxMovieBytes = size_t{256} << 20;

    // Null with a sentence in `error` when the data holds no playable movie. `budget` bounds
    // what the movie's definitions may hold in memory.
    static std::shared_ptr<SwfMovie> parse(std::span<const uint8_t> data, std::string& error,
                                           const ParseBudget& budget = {});
    // Reads a movie file; the movies it imports from (files beside it or below its folder,
    // at most kMaxImportedMovies in all) are read with it.
    static std::shared_ptr<SwfMovie> parseFile(const std::string& path, std::string& error);
    // The same with the movies it imports from looked for in `importFolder` (the folder of the
    // movie as the user chose it, when a copy of it is played) instead of beside the file.
    static std::shared_ptr<SwfMovie> parseFile(const std::string& path, std::string& error,
                                               const std::filesystem::path& importFolder);
    // A movie read into memory by a loading movie; its imports come from `importFolder`.
    static std::shared_ptr<SwfMovie> parseWithImports(std::span<const uint8_t> data,
                                                      std::string& error,
                                                      const std::filesystem::path& importFolder);
    static constexpr int kMaxImportedMovies = 16;

  private:
    // Inflates the zlib stream after a CWS header, stopping cleanly where the data ends.
    static bool inflateBody(std::span<const uint8_t> compressed, std::vector<uint8_t>& out,
                            std::string& error);
    // ExportAssets: names under which characters can be attached by scripts.
    static void readExports(std::span<const uint8_t> body, SwfMovie& movie, ParseBudget& budget);
    static void readImport(const Tag& tag, SwfMovie& movie, ParseBudget& budget);
    static void readButtonSounds(const Tag& tag, SwfMovie& movie);
    // DoABC (with its flags and name) and DoABC2 (the bytecode alone).
    static void readAbc(const Tag& tag, int frame, SwfMovie& movie, ParseBudget& budget);
    static void readSymbolClasses(std::span<const uint8_t> body, SwfMovie& movie, ParseBudget& budget);
    static void readSceneData(std::span<const uint8_t> body, SwfMovie& movie, ParseBudget& budget);
    static std::shared_ptr<SwfMovie> parseFileWithin(
        const std::string& path, std::string& error, int& moviesLeft,
        const std::filesystem::path* importFolder = nullptr);
    static void resolveImports(SwfMovie& movie, const std::filesystem::path& folder,
                               int& moviesLeft);
    static void readTags(std::span<const uint8_t> tags, SwfMovie& movie, const ParseBudget& budget);
};

}  // namespace swf
