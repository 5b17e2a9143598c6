#pragma once
// A timeline being played: the main movie or an instance of a sprite. It has its own
// current frame and play state and its own display list, built from its timeline's tags.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "swf/display/DisplayList.h"
#include "swf/display/DisplayObject.h"
#include "swf/movie/Timeline.h"
#include "swf/shape/Drawing.h"
#include "swf/sound/SoundClip.h"

namespace swf {

class SwfMovie;

class MovieClip : public DisplayObject, public SoundClip {
  public:
    // `character` is null for the main timeline. `nesting` counts the containers above it.
    MovieClip(MovieContext& context, std::shared_ptr<const Character> character,
              std::shared_ptr<const Timeline> timeline, int nesting);

    const Timeline& timeline() const { return *timeline_; }
    // Where the ids of its timeline are looked up: its sprite's movie, else the movie loaded
    // into it or above it, else the main movie's.
    const Dictionary& dictionary() const;

    // The movie loaded into this clip (or level), whose main timeline it plays; else null.
    const std::shared_ptr<const SwfMovie>& loadedMovie() const { return movie_; }
    // The movie the clip's timeline and scripts belong to: the one loaded into it or into the
    // nearest clip above it, else the main movie. Its version governs the clip's scripts.
    std::shared_ptr<const SwfMovie> ownerMovie() const;
    int swfVersion() const;
    // Replaces what the clip plays by a loaded movie's main timeline (null: nothing, as
    // unloadMovie leaves it, a timeline of no frames). Its children and variables go; its name,
    // depth and placement stay, with the handlers of its placement. enterFirstFrame then builds
    // the new first frame.
    void loadContent(std::shared_ptr<const SwfMovie> movie, std::string url = {});
    // Where the clip's movie came from (_url): the file loaded into it or above it, else the
    // main movie's location.
    const std::string& url() const;
    // A load into the clip failed: it names the file it asked for and keeps what it plays,
    // but reports no frames, size or version until content replaces it.
    void failLoad(std::string url);
    bool loadFailed() const { return loadFailed_; }
    // The level a level's root was made for: its name in paths ("_level5"), which it keeps
    // when swapDepths moves it to another level. -1 for every other clip.
    int levelName() const { return levelName_; }
    void setLevelName(int level) { levelName_ = level; }
    // True when the content was replaced in this tick (it does not advance again in it).
    bool contentLoadedAt(uint64_t tick) const { return contentTick_ == tick; }
    int currentFrame() const { return currentFrame_; }          // 0-based
    int frameCount() const { return timeline_->frameCount(); }  // as declared
    bool playing() const { return playing_; }
    void play() { playing_ = true; }
    void stop() { playing_ = false; }
    int nesting() const { return nesting_; }
    DisplayList& displayList() { return displayList_; }
    const DisplayList& displayList() const { return displayList_; }

    // Builds the first frame and queues its actions. Every clip placed on the way queues its
    // own first-frame actions where its PlaceObject stands among the frame's actions.
    void enterFirstFrame();
    // Puts the clip on `frame` (clamped to its playable frames): forward, the display-list tags
    // of the frames passed over are applied and only the target's actions run; backward, the
    // list is rebuilt from the first frame, keeping objects that stay the same. Actions are
    // queued.
    void gotoFrame(int frame);

    // Puts an object made for this clip (by its timeline or a script) into its display list
    // and starts it: script side, construct and load events, first frame.
    void placeAndStart(std::shared_ptr<DisplayObject> object, bool byScript);

    // One tick of the clip's own timeline: the next frame when playing, back to the first
    // after the last when the timeline loops. Children are ticked by the player's walk.
    void advance();
    DisplayList* children() override { return &displayList_; }
    MovieClip* asMovieClip() override { return this; }
    // What scripts drew into the clip, below its children; made when first drawn into.
    Drawing& drawing();
    const Drawing* drawingIfAny() const { return drawing_.get(); }
    // Scripts drew into the clip while its parents took it to the stage through
    // `parentsToStage`, in tick `tick`.
    void noteDrawn(const Matrix& parentsToStage, uint64_t tick) {
        drawnParentsToStage_ = parentsToStage;
        drawnTick_ = tick;
    }
    // That matrix while its tick lasts.
    std::optional<Matrix> drawnParentsToStage(uint64_t tick) const {
        if (drawnTick_ != tick) return std::nullopt;
        return drawnParentsToStage_;
    }
    Rect localBounds() const override;
    bool streamAudible() const override;

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    // Applies a frame's display-list tags; with `runActions` its actions are queued too.
    void applyFrame(int frame, bool runActions);
    void queueActions(int frame);
    // The frame was reached by playing or a goto (not passed over): its sounds play.
    void soundFrameEntered(int frame);
    void place(const PlaceObject& place);
    // Goes back to an earlier frame: rebuilds the display list and queues the frame's actions.
    void rewindTo(int frame);
    // True the first time this frame of a movie's main timeline is reached (init actions).
    bool takeInitFrame(int frame);
    // True the first time init actions for `spriteId` come up in a sprite's frame of this
    // movie: later ones for that sprite do not run.
    bool takeInitSprite(uint16_t spriteId);
    // The main timeline of the movie this clip belongs to (a level or a loaded movie's clip).
    const MovieClip& movieRoot() const;
    MovieClip& movieRoot();
    // Makes and places a timeline object from its accumulated placement.
    void instantiate(const PlaceObject& state, const DisplayObject* replaced);

    std::shared_ptr<const Timeline> timeline_;
    DisplayList displayList_;
    std::unique_ptr<Drawing> drawing_;
    Matrix drawnParentsToStage_;
    uint64_t drawnTick_ = UINT64_MAX;
    int currentFrame_ = 0;
    bool playing_ = true;
    int nesting_;
    std::shared_ptr<const SwfMovie> movie_;
    std::string url_;
    bool loadFailed_ = false;
    uint64_t contentTick_ = UINT64_MAX;
    int levelName_ = -1;
    std::vector<bool> initFramesDone_;  // for a loaded movie's own main timeline
    std::set<uint16_t> initSpritesDone_;  // on a movie's main timeline
};

}  // namespace swf
