#pragma once
// State that every display object of one playing movie shares: the movie's definitions,
// the tick count, the object budget against hostile movies, the queue of frame actions
// and the hooks the movie's actions reach (trace, fscommand, quit).

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <optional>
#include <string>
#include <vector>

#include "swf/input/InputState.h"
#include "swf/movie/SwfMovie.h"
#include "swf/render/RenderQuality.h"

namespace swf {

class ActionRunner;
class ContentRequests;
class DisplayObject;
class MovieClip;
class SoundMixer;

// An entry of the action queue. Frame and init actions point into the movie's timelines,
// which the context keeps alive as long as the queue; an event keeps its object alive, since
// an unload handler runs after the object has left the stage.
struct QueuedAction {
    enum class Kind { Init, Construct, Frame, Event, Callback };
    static constexpr size_t kKinds = 5;
    Kind kind = Kind::Frame;
    std::shared_ptr<DisplayObject> object;
    const std::vector<uint8_t>* code = nullptr;
    uint32_t event = 0;              // ClipEventFlag, for events
    std::function<void()> callback;  // for callbacks (a finished load's last event)
    uint64_t serial = 0;             // queueing order across the kinds
};
static_assert(static_cast<size_t>(QueuedAction::Kind::Callback) + 1 == QueuedAction::kKinds);

class MovieContext {
  public:
    static constexpr int kMaxNesting = 64;         // sprite-in-sprite levels
    static constexpr size_t kMaxObjects = 100000;  // display objects alive at once
    // Display objects made in one step (loading, a tick or a goto). Objects replaced while
    // they are built free their room again, so without it a button or sprite that places
    // itself twice at one depth would make exponentially many.
    static constexpr size_t kMaxObjectsMadePerStep = kMaxObjects;
    static constexpr size_t kMaxActionListsPerTick = 10000;
    // Display objects one tick may make before its scripts are stopped as runaways (a
    // layout that never fits, a spawner with no end).
    static constexpr size_t kMaxObjectsMadePerTick = 20000;

    explicit MovieContext(std::shared_ptr<const SwfMovie> movie) : movie_(std::move(movie)) {}

    const SwfMovie& movie() const { return *movie_; }
    const Dictionary& dictionary() const { return movie_->dictionary; }

    uint64_t tick() const { return tick_; }
    void nextTick() {
        ++tick_;
        objectsMadeThisTick_ = 0;
    }
    // A goto or a tick starts: the objects it makes are counted from here.
    void beginStep() { objectsMadeThisStep_ = 0; }

    // The display-object budget: every object counts itself while it lives; factories
    // ask before making one more.
    bool hasRoomForObject() const {
        return liveObjects_ < kMaxObjects && objectsMadeThisStep_ < kMaxObjectsMadePerStep;
    }
    void addObject() {
        ++liveObjects_;
        ++objectsMadeThisStep_;
        ++objectsMadeThisTick_;
    }
    size_t objectsMadeThisTick() const { return objectsMadeThisTick_; }
    void releaseObject() { --liveObjects_; }
    size_t liveObjects() const { return liveObjects_; }

    void queueActions(const std::shared_ptr<MovieClip>& clip, const std::vector<uint8_t>& code);
    void queueInitActions(const std::shared_ptr<MovieClip>& root, const std::vector<uint8_t>& code);
    void queueEvent(const std::shared_ptr<DisplayObject>& object, uint32_t event);
    // Runs `callback` in its turn among the frame actions and events queued before it.
    void queueCallback(std::function<void()> callback);
    // Keeps what a replaced timeline owned until the queue that may point into it has run.
    void retainUntilDrained(std::shared_ptr<const void> owner) {
        retained_.push_back(std::move(owner));
    }
    void queueDrained() { retained_.clear(); }
    // A timeline object's initialize event, in turn with the init actions.
    void queueInitialize(const std::shared_ptr<DisplayObject>& object);
    // Construct events and class constructors.
    void queueConstruct(const std::shared_ptr<DisplayObject>& object);
    // The object's queued load event, if any, goes behind everything queued by now.
    void requeueLoad(const DisplayObject& object);
    // Takes the entry queued first among those of `kinds`; false when none waits. Which kinds
    // go before which is the frame lifecycle's to say.
    bool takeFirstOf(std::span<const QueuedAction::Kind> kinds, QueuedAction& next);

    // The interpreter, while the movie plays; null while it is torn down.
    ActionRunner* runner() const { return runner_; }
    void setRunner(ActionRunner* runner) { runner_ = runner; }
    // Called by display lists: the object left the stage (unload events).
    void objectRemoved(DisplayObject& object) { queueUnloads(object); }
    // The object is about to leave its list: the unload events of its subtree are queued,
    // children first. True when one of them has handlers to run: the object then stays in
    // its list until the next frame's finishUnloads.
    bool startUnload(DisplayObject& object);
    // Takes the objects that waited for their unload handlers out of their lists.
    void finishUnloads();
    // Called once an object is placed and named: its script side is set up.
    void objectPlaced(DisplayObject& object);
    // Called when a clip reaches a frame by playing or a goto (ActionScript 3 frame scripts).
    void frameEntered(MovieClip& clip, int frame);
    // True once the init actions of this main-timeline frame were queued.
    bool takeInitFrame(int frame);

    std::shared_ptr<const SwfMovie> moviePointer() const { return movie_; }
    // Numbers the default names ("instance1", ...) of unnamed objects.
    int nextInstanceNumber() { return ++instanceNumber_; }
    // The movie's location as scripts see it (_url).
    const std::string& movieUrl() const { return movieUrl_; }
    void setMovieUrl(std::string url) { movieUrl_ = std::move(url); }
    // The drawing quality: the host's choice until the movie sets _quality or _highquality.
    RenderQuality quality() const { return quality_; }
    void setQuality(RenderQuality quality) { quality_ = quality; }

    // How the stage fits the host's view: the control's scale modes (0 show all, 1 no border,
    // 2 exact fit, 3 no scale), which Stage.scaleMode sets too, and Stage.align's edges (some
    // of "LTRB"). The view's size in pixels, 0 until the host gives one.
    int scaleMode() const { return scaleMode_; }
    void setScaleMode(int mode) { scaleMode_ = mode; }
    const std::string& stageAlign() const { return stageAlign_; }
    void setStageAlign(std::string edges) { stageAlign_ = std::move(edges); }
    int viewWidth() const { return viewWidth_; }
    int viewHeight() const { return viewHeight_; }
    void setViewSize(int width, int height) {
        viewWidth_ = width;
        viewHeight_ = height;
    }

    // Clips in the order they were made. Each tick visits them newest first (a clip's
    // children before the clip itself), as the original player's execution list does.
    void registerClip(const std::shared_ptr<MovieClip>& clip) { clips_.push_back(clip); }
    // The clips alive now, newest first; forgets the ones that are gone.
    std::vector<std::shared_ptr<MovieClip>> clipsNewestFirst();

    MovieClip* root() const { return root_; }
    void setRoot(MovieClip* root) { root_ = root; }

    // The levels above _level0 (the main movie, root()), by number.
    static constexpr int kMaxLevel = 16383;
    MovieClip* level(int number) const;
    const std::map<int, std::shared_ptr<MovieClip>>& levels() const { return levels_; }
    // Puts a movie's root at a level (replacing what stood there, which is returned).
    std::shared_ptr<MovieClip> setLevel(int number, std::shared_ptr<MovieClip> root);
    std::shared_ptr<MovieClip> removeLevel(int number);
    // Exchanges the roots of two levels above 0 (either may be empty), each taking its new
    // number as its depth.
    void swapLevels(int a, int b);
    // The level number of a clip that is the root of one, else -1.
    int levelOf(const DisplayObject* object) const;
    // True for _level0 and the roots of the other levels: the tops of the stage's trees.
    bool isLevelRoot(const DisplayObject* object) const { return levelOf(object) >= 0; }

    // Reads the files the movie asks for; null in tests that build a context alone.
    ContentRequests* loader() const { return loader_; }
    void setLoader(ContentRequests* loader) { loader_ = loader; }
    // The movie's sound, while the host wants it; else null.
    SoundMixer* soundMixer() const { return soundMixer_; }
    void setSoundMixer(SoundMixer* mixer) { soundMixer_ = mixer; }
    // Called once a clip's content was replaced by a loaded movie: its script side starts over.
    std::function<void(MovieClip&)> contentReplaced;

    // The mouse and keyboard as the host last reported them.
    InputState& input() { return input_; }
    // Where the keyboard focus rectangle stands, in stage twips; empty while none shows.
    const Rect& focusHighlight() const { return focusHighlight_; }
    void setFocusHighlight(const Rect& bounds) { focusHighlight_ = bounds; }

    // Hooks for the movie's actions.
    std::function<void(const std::string&)> trace;
    std::function<void(const std::string& command, const std::string& args)> fsCommand;
    // An fscommand from either script machine: "quit" stops the movie, the rest go to the
    // host's hook.
    void runFsCommand(const std::string& command, const std::string& args);
    bool quitRequested() const { return quitRequested_; }
    // The first time the movie's scripts were stopped as runaways: the tick and why.
    struct ScriptStop {
        uint64_t tick = 0;
        std::string reason;
    };
    const std::optional<ScriptStop>& firstScriptStop() const { return firstScriptStop_; }
    void noteScriptStop(std::string reason) {
        if (!firstScriptStop_) firstScriptStop_ = ScriptStop{tick_, std::move(reason)};
    }

  private:
    bool queueUnloads(DisplayObject& object);

    std::shared_ptr<const SwfMovie> movie_;
    uint64_t tick_ = 0;
    size_t liveObjects_ = 0;
    size_t objectsMadeThisStep_ = 0;
    size_t objectsMadeThisTick_ = 0;
    void enqueue(QueuedAction entry);

    // One queue per kind keeps taking the first of some kinds cheap however many wait.
    std::array<std::deque<QueuedAction>, QueuedAction::kKinds> queues_;
    uint64_t queued_ = 0;
    ActionRunner* runner_ = nullptr;
    std::vector<bool> initFramesDone_;
    std::string movieUrl_;
    RenderQuality quality_ = RenderQuality::High;
    int scaleMode_ = 0;
    std::string stageAlign_;
    int viewWidth_ = 0;
    int viewHeight_ = 0;
    int instanceNumber_ = 0;
    std::vector<std::weak_ptr<MovieClip>> clips_;
    MovieClip* root_ = nullptr;
    std::map<int, std::shared_ptr<MovieClip>> levels_;
    ContentRequests* loader_ = nullptr;
    SoundMixer* soundMixer_ = nullptr;
    std::vector<std::shared_ptr<const void>> retained_;
    std::vector<std::weak_ptr<DisplayObject>> unloading_;
    bool quitRequested_ = false;
    std::optional<ScriptStop> firstScriptStop_;
    InputState input_;
    Rect focusHighlight_;
};

}  // namespace swf
