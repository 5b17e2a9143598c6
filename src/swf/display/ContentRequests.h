#pragma once
// What a playing movie's scripts may ask for: movies and pictures loaded into clips and
// levels, and text files. The host decides where the files come from; a request is answered
// when the frame that asked ends, so that what was loaded shows in the next picture, unless
// its events ask for later.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace swf {

class MovieClip;

// Where a movie goes: a clip, or the level `level` when it is 0 or more.
struct LoadTarget {
    std::weak_ptr<MovieClip> clip;
    int level = -1;
    // An ActionScript 3 Loader's content loads whether or not the loader is shown.
    bool evenOffStage = false;
};

// What a movie load reports as it goes (MovieClipLoader's events); any may be empty.
struct MovieLoadEvents {
    std::function<void(MovieClip&)> start;
    std::function<void(MovieClip&, size_t loaded, size_t total)> progress;
    std::function<void(MovieClip&, size_t bytes)> complete;
    std::function<void(MovieClip&)> init;  // once the first frame's actions ran
    // "URLNotFound" or "LoadNeverCompleted"; the clip is null for a level that never was.
    std::function<void(MovieClip*, const std::string& code)> error;
    // ActionScript 3's Loader fails on content that is neither movie nor picture; the older
    // loads show it as an empty movie.
    bool unknownContentFails = false;
    // MovieClipLoader's files arrive a frame later than loadMovie's: after the next frame's
    // actions.
    bool arrivesAfterNextFrame = false;
};

class ContentRequests {
  public:
    // loadMovie, loadMovieNum, MovieClipLoader.loadClip: a movie or a JPEG, PNG or GIF picture.
    virtual void loadMovie(const LoadTarget& target, const std::string& url,
                           MovieLoadEvents events = {}) = 0;
    // A movie or picture a script holds as bytes (Loader.loadBytes), answered as a file is.
    virtual void loadMovieData(const LoadTarget& target, std::vector<uint8_t> data,
                               MovieLoadEvents events = {}) = 0;
    // unloadMovie, unloadMovieNum: the content goes when the frame ends (a level entirely).
    virtual void unloadMovie(const LoadTarget& target) = 0;
    // The text of a file (loadVariables, LoadVars, XML); nullopt when it could not be read.
    using TextDone = std::function<void(const std::optional<std::string>& text, size_t bytes)>;
    virtual void loadText(const std::string& url, TextDone done) = 0;
    // A file read within the call, for what the player answers at once (a streaming sound).
    virtual std::optional<std::string> readNow(const std::string& url) = 0;

    // Answers the requests made so far; the ones their answers make wait for the next frame.
    virtual void completePending() = 0;
    // The level movies earlier steps asked for: their first frames run now.
    virtual void arriveLevels() = 0;
    virtual size_t pendingCount() const = 0;

  protected:
    ~ContentRequests() = default;
};

}  // namespace swf
