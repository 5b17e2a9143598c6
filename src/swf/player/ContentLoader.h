#pragma once
// The files a playing movie asks for: movies and pictures loaded into clips and levels, and
// text for loadVariables, LoadVars and XML. As the player does with a movie opened from disk,
// a request reads its file at once and is answered when the frame that asked ends, so that
// what was loaded shows in the next picture (a MovieClipLoader's file found, a frame later).
// Only local
// files in the base folder (the folder of the movie as the user chose it) or below it are
// read; anything else is refused with a line in the trace log and fails as a missing file.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/display/ContentRequests.h"

namespace swf {

class MovieContext;
class SwfMovie;

class ContentLoader final : public ContentRequests {
  public:
    static constexpr size_t kMaxFileBytes = size_t{64} << 20;
    static constexpr size_t kMaxPendingBytes = size_t{256} << 20;  // read, not yet answered
    static constexpr size_t kMaxPending = 256;                     // requests in one frame
    static constexpr size_t kMaxLoadedMovies = 64;                 // loaded movies alive at once
    static constexpr size_t kMaxLevels = 64;

    explicit ContentLoader(MovieContext& context) : context_(context) {}

    // The folder relative URLs start from; nothing outside it is read. Empty: nothing is.
    void setBaseFolder(const std::filesystem::path& folder);
    const std::filesystem::path& baseFolder() const { return baseFolder_; }

    // The local file a URL names, or nullopt with the reason it is refused.
    std::optional<std::filesystem::path> resolve(const std::string& url,
                                                 std::string& refusal) const;

    void loadMovie(const LoadTarget& target, const std::string& url,
                   MovieLoadEvents events) override;
    void loadMovieData(const LoadTarget& target, std::vector<uint8_t> data,
                       MovieLoadEvents events) override;
    void unloadMovie(const LoadTarget& target) override;
    void loadText(const std::string& url, TextDone done) override;
    std::optional<std::string> readNow(const std::string& url) override;
    void completePending() override;
    void arriveLevels() override;
    size_t pendingCount() const override { return pending_.size(); }

    // A JPEG, PNG or GIF picture as a movie of one frame showing it, and what is neither
    // movie nor picture as one empty frame when `emptyUnlessPicture`, else null (both of
    // version 0, since they are no movie).
    static std::shared_ptr<SwfMovie> pictureMovie(const std::vector<uint8_t>& data,
                                                  bool emptyUnlessPicture);

  private:
    struct Pending {
        enum class Kind { Movie, Unload, Text };
        Kind kind = Kind::Movie;
        LoadTarget target;
        MovieLoadEvents events;
        TextDone done;
        std::vector<uint8_t> data;
        std::string errorCode;  // empty when the file was read
        std::string url;        // where the clip says its file came from, read or not
        std::string query;      // "?a=1&b=2" of the URL, if any
        bool nextStep = false;  // a level's movie, arriving in the next step's actions
        uint64_t tick = 0;      // the step that asked
    };

    // Reads the file of a request; false with the error code set when it cannot be.
    bool readFile(const std::string& url, Pending& pending);
    void add(Pending pending);
    void completeMovie(Pending& pending);
    void completeUnload(Pending& pending);
    void removeLevel(int number);
    // The clip a target names now, making an empty level root for a level that is free.
    std::shared_ptr<MovieClip> targetClip(const LoadTarget& target, bool makeLevel);
    void log(const std::string& line) const;
    // The URL of a file read: beside the main movie's own URL when it lies in its folder.
    std::string urlOf(const std::string& path) const;

    MovieContext& context_;
    std::filesystem::path baseFolder_;
    std::deque<Pending> pending_;
    size_t pendingBytes_ = 0;
    std::optional<uint64_t> passTick_;  // the tick of the last arrivals
    std::vector<std::weak_ptr<const SwfMovie>> loadedMovies_;
};

}  // namespace swf
