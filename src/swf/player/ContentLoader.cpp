#include "swf/player/ContentLoader.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "swf/bitmap/BitmapCharacter.h"
#include "swf/bitmap/ImageDecoder.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/format/LetterCase.h"
#include "swf/movie/ClipEvent.h"
#include "swf/movie/SwfMovie.h"
#include "swf/parse/MovieParser.h"

namespace swf {

namespace fs = std::filesystem;

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// %XX escapes of a URL's path become their bytes; backslashes count as slashes.
std::string decodePath(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i] == '\\' ? '/' : text[i];
        }
    }
    return out;
}

// True when `path` is `folder` or below it (both normal, absolute).
bool within(const fs::path& path, const fs::path& folder) {
    fs::path relative = path.lexically_relative(folder);
    if (relative.empty()) return false;
    auto first = relative.begin();
    return *first != ".." && relative != ".";
}

}  // namespace

void ContentLoader::setBaseFolder(const fs::path& folder) {
    baseFolder_.clear();
    if (folder.empty()) return;
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error);
    if (error) return;
    baseFolder_ = absolute.lexically_normal();
    // "a/b/" normalises with an empty last part; the folder is "a/b".
    if (!baseFolder_.has_filename() && baseFolder_.has_parent_path() &&
        baseFolder_ != baseFolder_.root_path())
        baseFolder_ = baseFolder_.parent_path();
}

std::optional<fs::path> ContentLoader::resolve(const std::string& url, std::string& refusal) const {
    std::string_view text = url;
    // A query or a fragment means nothing to a file.
    text = text.substr(0, std::min(text.find_first_of("?#"), text.size()));
    if (text.empty()) {
        refusal = "no file is named";
        return std::nullopt;
    }
    if (baseFolder_.empty()) {
        refusal = "the movie has no folder to load from";
        return std::nullopt;
    }
    fs::path path;
    if (startsWithIgnoringCase(text, "file://")) {
        std::string rest = decodePath(text.substr(7));
        if (rest.empty() || rest[0] != '/') {
            refusal = "only files on this machine are read";
            return std::nullopt;
        }
        path = rest;
    } else {
        size_t colon = text.find(':');
        size_t slash = text.find_first_of("/\\");
        if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) {
            refusal = "only local files are read, nothing is fetched";
            return std::nullopt;
        }
        path = decodePath(text);
        if (path.is_relative()) path = baseFolder_ / path;
    }
    path = path.lexically_normal();
    if (!within(path, baseFolder_)) {
        refusal = "the file is outside the movie's folder";
        return std::nullopt;
    }
    // A link inside the folder must not lead out of it either.
    std::error_code e1, e2;
    fs::path real = fs::weakly_canonical(path, e1);
    fs::path realBase = fs::weakly_canonical(baseFolder_, e2);
    if (!e1 && !e2 && !within(real, realBase)) {
        refusal = "the file is outside the movie's folder";
        return std::nullopt;
    }
    return path;
}

void ContentLoader::log(const std::string& line) const {
    if (context_.trace) context_.trace(line);
}

std::string ContentLoader::urlOf(const std::string& path) const {
    const std::string& movieUrl = context_.movieUrl();
    const fs::path relative = fs::path(path).lexically_relative(baseFolder_);
    if (movieUrl.empty() || relative.empty() || *relative.begin() == "..")
        return "file://" + fs::path(path).generic_string();
    return movieUrl.substr(0, movieUrl.rfind('/') + 1) + relative.generic_string();
}

bool ContentLoader::readFile(const std::string& url, Pending& pending) {
    pending.errorCode = "URLNotFound";
    std::string refusal;
    auto path = resolve(url, refusal);
    if (!path) {
        log("Kinetrope: not loading '" + url + "': " + refusal);
        if (url.find("://") != std::string::npos) pending.url = url;
        return false;
    }
    pending.url = urlOf(path->string());
    std::error_code error;
    if (!fs::is_regular_file(*path, error)) return false;
    uintmax_t size = fs::file_size(*path, error);
    if (error) return false;
    if (size > kMaxFileBytes || pendingBytes_ + size > kMaxPendingBytes) {
        log("Kinetrope: not loading '" + url + "': the file is larger than 64 MiB");
        return false;
    }
    std::ifstream file(*path, std::ios::binary);
    pending.data.resize(static_cast<size_t>(size));
    if (!file || !file.read(reinterpret_cast<char*>(pending.data.data()),
                            static_cast<std::streamsize>(size))) {
        pending.data.clear();
        return false;
    }
    pendingBytes_ += pending.data.size();
    pending.errorCode.clear();
    // A movie's URL parameters become its variables, as the host page's would.
    size_t query = url.find('?');
    if (query != std::string::npos) pending.query = url.substr(query, url.find('#', query) - query);
    return true;
}

void ContentLoader::add(Pending pending) {
    if (pending_.size() >= kMaxPending) {
        log("Kinetrope: not loading more than 256 files in one frame");
        return;
    }
    // What the handlers of this step's arrivals ask for opens with them: it arrives with the
    // next step's files.
    if (passTick_ && *passTick_ == context_.tick()) pending.events.arrivesAfterNextFrame = false;
    // A newer load or unload of the same clip or level takes the place of an older one.
    if (pending.kind != Pending::Kind::Text) {
        auto same = [&](const Pending& other) {
            if (other.kind == Pending::Kind::Text) return false;
            if (pending.target.level >= 0) return other.target.level == pending.target.level;
            auto a = pending.target.clip.lock(), b = other.target.clip.lock();
            return a && a == b && other.target.level < 0;
        };
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (same(*it)) {
                pendingBytes_ -= it->data.size();
                it = pending_.erase(it);
            } else {
                ++it;
            }
        }
    }
    pending.tick = context_.tick();
    pending_.push_back(std::move(pending));
}

void ContentLoader::loadMovie(const LoadTarget& target, const std::string& url,
                              MovieLoadEvents events) {
    Pending pending;
    pending.kind = Pending::Kind::Movie;
    pending.target = target;
    pending.events = std::move(events);
    // A level's movie arrives in the next step, after the enterFrame events of the clips
    // already there (MovieClipLoader's keep their own time).
    pending.nextStep = target.level >= 0 && !pending.events.arrivesAfterNextFrame;
    readFile(url, pending);
    add(std::move(pending));
}

void ContentLoader::loadMovieData(const LoadTarget& target, std::vector<uint8_t> data,
                                  MovieLoadEvents events) {
    Pending pending;
    pending.kind = Pending::Kind::Movie;
    pending.target = target;
    pending.events = std::move(events);
    if (data.size() > kMaxFileBytes || pendingBytes_ + data.size() > kMaxPendingBytes) {
        log("Kinetrope: not loading bytes larger than 64 MiB");
        pending.errorCode = "URLNotFound";
    } else {
        pendingBytes_ += data.size();
        pending.data = std::move(data);
    }
    add(std::move(pending));
}

void ContentLoader::unloadMovie(const LoadTarget& target) {
    Pending pending;
    pending.kind = Pending::Kind::Unload;
    pending.target = target;
    add(std::move(pending));
}

void ContentLoader::loadText(const std::string& url, TextDone done) {
    Pending pending;
    pending.kind = Pending::Kind::Text;
    pending.done = std::move(done);
    readFile(url, pending);
    add(std::move(pending));
}

std::optional<std::string> ContentLoader::readNow(const std::string& url) {
    Pending pending;
    bool read = readFile(url, pending);
    pendingBytes_ -= pending.data.size();  // answered here, never pending
    if (!read) return std::nullopt;
    return std::string(pending.data.begin(), pending.data.end());
}

void ContentLoader::completePending() {
    passTick_ = context_.tick();
    std::deque<Pending> now = std::move(pending_);
    pending_.clear();
    pendingBytes_ = 0;
    for (Pending& pending : now) {
        // A missing file is known at once; a file found arrives a frame later.
        if (pending.kind == Pending::Kind::Movie && pending.errorCode.empty() &&
            (pending.events.arrivesAfterNextFrame || pending.nextStep)) {
            pending.events.arrivesAfterNextFrame = false;
            pendingBytes_ += pending.data.size();
            pending_.push_back(std::move(pending));
            continue;
        }
        switch (pending.kind) {
            case Pending::Kind::Movie:
                completeMovie(pending);
                break;
            case Pending::Kind::Unload:
                completeUnload(pending);
                break;
            case Pending::Kind::Text:
                if (!pending.done) break;
                if (pending.errorCode.empty())
                    pending.done(std::string(pending.data.begin(), pending.data.end()),
                                 pending.data.size());
                else
                    pending.done(std::nullopt, 0);
                break;
        }
        if (context_.quitRequested()) break;
    }
}

void ContentLoader::arriveLevels() {
    std::deque<Pending> now;
    for (auto it = pending_.begin(); it != pending_.end();) {
        // Only what an earlier step asked for: not what this step's scripts ask.
        if (it->kind == Pending::Kind::Movie && it->nextStep && it->tick < context_.tick()) {
            pendingBytes_ -= it->data.size();
            now.push_back(std::move(*it));
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    // Levels arriving together start in the order of their numbers, not of their requests.
    std::stable_sort(now.begin(), now.end(), [](const Pending& a, const Pending& b) {
        return a.target.level < b.target.level;
    });
    for (Pending& pending : now) {
        completeMovie(pending);
        if (context_.quitRequested()) break;
    }
}

std::shared_ptr<MovieClip> ContentLoader::targetClip(const LoadTarget& target, bool makeLevel) {
    if (target.level < 0) {
        auto clip = target.clip.lock();
        // A clip removed while its file was on the way takes nothing.
        return clip && (clip->onStage() || target.evenOffStage) ? clip : nullptr;
    }
    if (MovieClip* existing = context_.level(target.level))
        return std::static_pointer_cast<MovieClip>(existing->shared_from_this());
    if (!makeLevel || target.level > MovieContext::kMaxLevel ||
        context_.levels().size() >= kMaxLevels || !context_.root())
        return nullptr;
    auto root = std::make_shared<MovieClip>(context_, nullptr, nullptr, 0);
    root->setDepth(target.level);
    root->setLevelName(target.level);
    context_.setLevel(target.level, root);
    context_.registerClip(root);
    return root;
}

std::shared_ptr<SwfMovie> ContentLoader::pictureMovie(const std::vector<uint8_t>& data,
                                                      bool emptyUnlessPicture) {
    std::optional<Bitmap> bitmap;
    std::span<const uint8_t> bytes(data);
    if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8)
        bitmap = DecodeJpeg({}, bytes);
    else if (data.size() >= 8 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' &&
             data[3] == 'G')
        bitmap = DecodePng(bytes);
    else if (data.size() >= 6 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F')
        bitmap = DecodeGif(bytes);
    if (!bitmap && !emptyUnlessPicture) return nullptr;
    auto movie = std::make_shared<SwfMovie>();
    movie->header.version = 0;  // no movie: getSWFVersion says -1
    movie->header.frameCount = 1;
    movie->header.declaredLength = static_cast<uint32_t>(data.size());
    movie->header.fileLength = data.size();
    auto timeline = std::make_shared<Timeline>(1);
    Frame frame;
    if (bitmap) {
        movie->header.frameSize = {0, bitmap->width * 20, 0, bitmap->height * 20};
        movie->dictionary.add(std::make_shared<BitmapCharacter>(1, std::move(*bitmap)));
        PlaceObject place;
        place.depth = 1;
        place.characterId = 1;
        frame.tags.emplace_back(place);
    }
    timeline->frames().push_back(std::move(frame));
    timeline->setShownFrames(1, false, true);
    movie->timeline = std::move(timeline);
    return movie;
}

void ContentLoader::completeMovie(Pending& pending) {
    const MovieLoadEvents& events = pending.events;
    if (!pending.errorCode.empty()) {
        auto clip = targetClip(pending.target, false);
        if (pending.target.level < 0 && !clip) return;
        // The clip names the file it asked for even when there was none to read.
        if (clip) clip->failLoad(pending.url);
        if (events.error) events.error(clip.get(), pending.errorCode);
        return;
    }
    // The movies loaded earlier that are still alive count against the bound.
    std::erase_if(loadedMovies_, [](const auto& weak) { return weak.expired(); });
    std::shared_ptr<SwfMovie> movie;
    bool neither = false;  // read, but neither movie nor picture
    std::string error;
    if (loadedMovies_.size() >= kMaxLoadedMovies) {
        log("Kinetrope: not loading more than 64 movies at once");
    } else {
        fs::path folder = baseFolder_;
        movie = MovieParser::parseWithImports(pending.data, error, folder);
        if (!movie) {
            movie = pictureMovie(pending.data, !events.unknownContentFails);
            neither = movie && movie->dictionary.size() == 0;
        }
    }
    std::shared_ptr<MovieClip> clip = targetClip(pending.target, movie != nullptr);
    if (!clip) return;  // cancelled, or a level past the bound
    if (!movie) {
        clip->failLoad(pending.url);
        if (events.error) events.error(clip.get(), "LoadNeverCompleted");
        return;
    }
    loadedMovies_.push_back(movie);
    size_t bytes = pending.data.size();
    // A movie loaded into _level0 takes the whole stage.
    if (pending.target.level == 0) {
        std::vector<int> others;
        for (const auto& [number, root] : context_.levels()) others.push_back(number);
        for (int number : others) removeLevel(number);
    }
    // The old content goes before the events, which see (and may set variables of) the clip
    // that will show the movie; its first frame comes after them.
    clip->loadContent(std::move(movie), pending.url + pending.query);
    // Such a file is reported read, but the clip tells it failed.
    if (neither) clip->failLoad({});
    auto wanted = [&] { return clip->onStage() || pending.target.evenOffStage; };
    if (events.start) events.start(*clip);
    if (events.progress && wanted()) events.progress(*clip, bytes, bytes);
    if (events.complete && wanted()) events.complete(*clip, bytes);
    if (!wanted()) return;
    // As for a placed clip, its load event comes before its new first frame's actions.
    context_.queueEvent(clip, kClipLoad);
    clip->enterFirstFrame();
    if (events.init) {
        std::weak_ptr<MovieClip> weak = clip;
        auto init = events.init;
        context_.queueCallback([weak, init] {
            if (auto loaded = weak.lock(); loaded && loaded->onStage()) init(*loaded);
        });
    }
}

void ContentLoader::removeLevel(int number) {
    std::shared_ptr<MovieClip> old = context_.removeLevel(number);
    if (!old) return;
    context_.objectRemoved(*old);
    old->detach();
    context_.retainUntilDrained(old);
}

void ContentLoader::completeUnload(Pending& pending) {
    if (pending.target.level > 0) return removeLevel(pending.target.level);
    std::shared_ptr<MovieClip> clip = targetClip(pending.target, false);
    if (!clip) return;
    if (pending.target.level == 0) {
        std::vector<int> others;
        for (const auto& [number, root] : context_.levels()) others.push_back(number);
        for (int number : others) removeLevel(number);
    }
    clip->loadContent(nullptr);
    clip->enterFirstFrame();
}

}  // namespace swf
