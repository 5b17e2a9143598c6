#pragma once
// A timeline being played: the main movie or an instance of a sprite. It has its own
// current frame and play state and its own display list, built from its timeline's tags.

#include <memory>

#include "swf/display/DisplayList.h"
#include "swf/display/DisplayObject.h"
#include "swf/display/Timeline.h"

namespace swf {

class MovieClip : public DisplayObject, public std::enable_shared_from_this<MovieClip> {
public:
    // `character` is null for the main timeline. `nesting` counts the containers above it.
    MovieClip(MovieContext& context, std::shared_ptr<const Character> character,
              std::shared_ptr<const Timeline> timeline, int nesting);

    const Timeline& timeline() const { return *timeline_; }
    int currentFrame() const { return currentFrame_; }  // 0-based
    int frameCount() const { return timeline_->frameCount(); }
    bool playing() const { return playing_; }
    void play() { playing_ = true; }
    void stop() { playing_ = false; }
    int nesting() const { return nesting_; }
    DisplayList& displayList() { return displayList_; }
    const DisplayList& displayList() const { return displayList_; }

    // Builds the first frame's display list (its actions are queued later, with the frame
    // of the parent that placed it).
    void enterFirstFrame();
    // Queues the actions of the current frame, then the first-frame actions of clips placed
    // since the last call.
    void queueCurrentFrameActions();
    // Puts the clip on `frame` (clamped to its frames): forward, the display-list tags of the
    // frames passed over are applied and only the target's actions run; backward, the list is
    // rebuilt from the first frame, keeping objects that stay the same. Actions are queued.
    void gotoFrame(int frame);

    // One tick: the next frame when playing (back to the first after the last), then every
    // child that was not placed in this same tick.
    void advance() override;
    DisplayList* children() override { return &displayList_; }
    MovieClip* asMovieClip() override { return this; }

protected:
    void draw(RenderContext& context, const Matrix& toPixels, const ColorTransform& cxform) const override;

private:
    void applyFrameTags(int frame);
    void place(const PlaceObject& place);
    void rebuildTo(int frame);
    // Makes and places a timeline object from its accumulated placement.
    void instantiate(const PlaceObject& state, const DisplayObject* replaced);
    void queuePendingChildren();

    std::shared_ptr<const Timeline> timeline_;
    DisplayList displayList_;
    int currentFrame_ = 0;
    bool playing_ = true;
    int nesting_;
    bool firstFrameActionsPending_ = true;
};

}  // namespace swf
