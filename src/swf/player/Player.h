#pragma once
// The player engine as its host sees it: load a movie, play, stop, rewind, go to a frame,
// read the main timeline's frame, scale mode and window mode, and draw the current frame
// into a caller's buffer at the view's size. It keeps no time of its own: the host calls
// advanceFrame once per frame, at the pace the movie asks for (frameIntervalMs), and the
// engine moves on by exactly one frame each time.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/action/ActionRunner.h"
#include "swf/display/MovieContext.h"
#include "swf/geom/Geometry.h"
#include "swf/input/InputEvent.h"
#include "swf/movie/SwfMovie.h"
#include "swf/player/ContentLoader.h"
#include "swf/player/DrawTarget.h"
#include "swf/player/FrameLifecycle.h"
#include "swf/render/RenderQuality.h"

namespace swf {

namespace avm2 {
class MovieScripts;
}
class Canvas;
class MovieClip;
class SoundMixer;

class Player {
  public:
    enum ScaleMode : int { ShowAll = 0, NoBorder = 1, ExactFit = 2, NoScale = 3 };
    // The largest picture Draw makes (each side, and in all): more is refused rather than
    // allocated, whatever size a movie claims for its stage.
    static constexpr int kMaxViewSide = 16384;
    static constexpr int64_t kMaxViewPixels = int64_t{8192} * 8192;
    static bool ViewSizeAllowed(int width, int height);

    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Loads a movie and shows its first frame; loading the same path again restarts it at
    // frame 0. The previous movie is unloaded first, whether the new one loads or not.
    // Returns false, with LoadError saying why, when nothing can be played.
    bool LoadMovie(const std::string& path);
    bool LoadMovieFromMemory(std::span<const uint8_t> data);
    // Plays a movie parsed before, which several players may share; `path` is the file it was
    // read from (its URL, and the folder its loads read from unless a base folder is set).
    bool LoadMovie(std::shared_ptr<const SwfMovie> movie, const std::string& path);
    const std::string& LoadError() const { return loadError_; }
    // The folder the movie's own loads (loadMovie, loadVariables, LoadVars, XML, imported
    // assets) read from, and never leave: the folder of the movie as the user chose it, when a
    // copy of it is played. Empty (the default): the folder of the file LoadMovie is given; a
    // movie from memory then loads nothing. It holds for the movies loaded after it is set.
    void SetBaseFolder(const std::string& folder) { baseFolder_ = folder; }
    const std::string& BaseFolder() const { return baseFolder_; }
    bool HasMovie() const { return root_ != nullptr; }
    const SwfHeader* Header() const;

    void Play();
    void StopPlay();
    void Rewind();
    // Puts the main timeline on `frame` (0-based, clamped); its actions run.
    void GotoFrame(int frame);
    int TCurrentFrame() const;  // 0-based frame of the main timeline
    bool IsPlaying() const;
    int TotalFrames() const;

    // The movie's Stage.scaleMode changes it too (and the host's setting holds for the
    // movies loaded after it).
    int GetScaleMode() const;
    // Setting the mode, even to its current value, redraws at the view's size.
    void SetScaleMode(int mode);
    void SetWMode(const std::string& mode) { wmode_ = mode; }
    const std::string& GetWMode() const { return wmode_; }
    // The size drawn by Draw; until set, the movie's own size, drawn 1:1 in any mode. The
    // stage is fitted to a view in the scale mode, where Stage.align puts it.
    void SetViewSize(int width, int height);
    int ViewWidth() const;
    int ViewHeight() const;
    Rgba BackgroundColor() const;

    // Receives every trace line of the movie's actions.
    void SetTraceSink(std::function<void(const std::string&)> sink);
    // Called whenever the picture changes and the host should draw again.
    void SetRedrawHandler(std::function<void()> handler) { redraw_ = std::move(handler); }
    // True once the movie's actions asked to quit (fscommand "quit"); it stands still then.
    bool QuitRequested() const;
    // The first time since loading that the movie's scripts were stopped as runaways (ran
    // too long, made too much): its tick (0: the first frame shown) and why; null if never.
    const MovieContext::ScriptStop* FirstScriptStop() const;

    // Draws the current frame at the view's size: 24 bits over the background colour, or
    // 32 bits whose alpha is the picture's coverage over a transparent stage (colour not
    // premultiplied). False when no movie is loaded, the view is empty or larger than
    // allowed, or the target is unusable. The canvas is kept from call to call while the
    // view keeps its size, so calls must not overlap (one thread draws).
    bool Draw(const DrawTarget& target) const;

    // One frame: the movie's sound, timelines, scripts, timers and loads take their turns
    // (FrameLifecycle orders them). Nothing without a movie or once it asked to quit.
    void advanceFrame();
    // The pace the loaded movie asks for, in milliseconds per frame; 0 without a movie.
    uint32_t frameIntervalMs() const;
    // Called with the frame interval whenever a movie starts playing, so that the host paces
    // its advanceFrame calls to it.
    void setFrameIntervalHandler(std::function<void(uint32_t)> handler) {
        frameInterval_ = std::move(handler);
    }

    // The movie's sound, mixed at `rate` with 1 or 2 channels; 0 (the default) mixes none.
    // Each tick first mixes the sound of the frame shown until then, one frame interval of
    // it in whole samples, onto a queue that TakeSound empties. Holds for the movies loaded
    // after it is set.
    void SetSoundOutput(uint32_t rate, int channels);
    // Interleaved 16-bit samples off the queue; silence for what it does not hold. Returns
    // how many samples the queue had.
    size_t TakeSound(std::span<int16_t> samples);
    // How many samples the queue holds: one frame interval's after each tick when the host
    // takes them every tick.
    size_t QueuedSound() const;
    // The rate and channels the loaded movie's sound is mixed at; a rate of 0 mixes none.
    uint32_t MixRate() const;
    int MixChannels() const;

    // A mouse or keyboard event of the host, between two frames; positions in view pixels.
    // Its scripts run at once.
    void HandleInput(const InputEvent& event);
    // Input to deliver without a window: framesOfEvents[K - 1] once the K-th frame since
    // loading has been shown (loading shows the first), before anything draws it.
    void SetScriptedInput(std::vector<std::vector<InputEvent>> framesOfEvents) {
        scriptedInput_ = std::move(framesOfEvents);
    }
    // With autoplay on, a main timeline that has stood stopped before its last frame for a
    // second, with no interval left to move it, plays on (movies that wait on a button).
    void SetAutoplay(bool autoplay);
    // How finely Draw draws (High until set), for this movie and the ones loaded after it;
    // the movie's _quality and _highquality change it while it plays.
    void SetRenderQuality(RenderQuality quality);

    // The main timeline, for the scripting engine and tests; null without a movie.
    MovieClip* Root() const { return root_.get(); }
    size_t DisplayObjectCount() const;
    size_t ScriptObjectCount() const;
    uint64_t ScriptActionsRun() const;

  private:
    const ActionRunner* activeRunner() const;
    bool start(std::shared_ptr<const SwfMovie> movie, const std::string& loadFolder);
    void unload();
    void requestRedraw() const;
    void frameShown(size_t frame);
    Matrix stageMatrix() const;

    std::shared_ptr<const SwfMovie> movie_;
    std::unique_ptr<MovieContext> context_;
    std::unique_ptr<ActionRunner> runner_;  // the interpreter, made for each movie
    std::unique_ptr<ContentLoader> loader_;
    std::shared_ptr<MovieClip> root_;       // declared after both: destroyed before them
    std::unique_ptr<FrameLifecycle> lifecycle_;
    // The ActionScript 3 machine of a movie marked for it, else null.
    std::unique_ptr<avm2::MovieScripts> scripts3_;
    std::unique_ptr<SoundMixer> sound_;
    uint32_t soundRate_ = 0;
    int soundChannels_ = 2;
    std::string movieUrl_;
    std::string baseFolder_;
    std::function<void(const std::string&)> trace_;
    std::function<void()> redraw_;
    std::function<void(uint32_t)> frameInterval_;
    // Draw's working surface, kept between frames of the same size: a cache, not state.
    mutable std::unique_ptr<Canvas> canvas_;

    std::string loadError_;
    int scaleMode_ = ShowAll;
    std::string wmode_ = "Window";
    int viewWidth_ = 0;
    int viewHeight_ = 0;
    bool autoplay_ = false;
    RenderQuality quality_ = RenderQuality::High;
    std::vector<std::vector<InputEvent>> scriptedInput_;
};

}  // namespace swf
