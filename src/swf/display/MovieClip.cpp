#include "swf/display/MovieClip.h"

#include <algorithm>
#include <map>
#include <set>

#include "swf/action/ActionRunner.h"
#include "swf/bitmap/BitmapCharacter.h"
#include "swf/character/SpriteCharacter.h"
#include "swf/display/ClipEvent.h"
#include "swf/display/DisplayObjectFactory.h"
#include "swf/display/MovieContext.h"
#include "swf/parse/SwfMovie.h"
#include "swf/sound/SoundMixer.h"

namespace swf {

MovieClip::MovieClip(MovieContext& context, std::shared_ptr<const Character> character,
                     std::shared_ptr<const Timeline> timeline, int nesting)
    : DisplayObject(context, std::move(character)),
      timeline_(std::move(timeline)),
      displayList_(this),
      nesting_(nesting) {
    if (!timeline_) timeline_ = std::make_shared<Timeline>();
}

const Dictionary& MovieClip::dictionary() const {
    if (movie_) return movie_->dictionary;
    if (const auto* sprite = dynamic_cast<const SpriteCharacter*>(character()))
        if (sprite->dictionary()) return *sprite->dictionary();
    if (auto owner = ownerMovie(); owner && owner.get() != &context().movie())
        return owner->dictionary;
    return context().dictionary();
}

std::shared_ptr<const SwfMovie> MovieClip::ownerMovie() const {
    int steps = 0;
    for (const DisplayObject* o = this; o && steps <= MovieContext::kMaxNesting + 1;
         o = o->parent(), ++steps)
        if (const auto* clip = dynamic_cast<const MovieClip*>(o); clip && clip->movie_)
            return clip->movie_;
    return context().moviePointer();
}

int MovieClip::swfVersion() const {
    return ownerMovie()->header.version;
}

bool MovieClip::takeInitFrame(int frame) {
    if (!movie_) return !character() && context().takeInitFrame(frame);
    if (frame < 0) return false;
    size_t index = static_cast<size_t>(frame);
    if (index >= initFramesDone_.size()) initFramesDone_.resize(index + 1, false);
    if (initFramesDone_[index]) return false;
    initFramesDone_[index] = true;
    return true;
}

const std::string& MovieClip::url() const {
    int steps = 0;
    for (const DisplayObject* o = this; o && steps <= MovieContext::kMaxNesting + 1;
         o = o->parent(), ++steps)
        if (const auto* clip = dynamic_cast<const MovieClip*>(o); clip && clip->movie_)
            return clip->url_;
    return context().movieUrl();
}

void MovieClip::loadContent(std::shared_ptr<const SwfMovie> movie, size_t bytes, std::string url) {
    // The old content's unload event comes first, while the clip's handlers are still there.
    if (ActionRunner* runner = context().runner()) runner->runClipEvent(*this, kClipUnload);
    // Actions already queued may point into the old timeline: it lives until they ran.
    context().retainUntilDrained(timeline_);
    if (movie_) context().retainUntilDrained(movie_);
    displayList_.clear();
    movie_ = std::move(movie);
    timeline_ = movie_ ? movie_->timeline : nullptr;
    if (!timeline_) timeline_ = std::make_shared<Timeline>();
    loadedBytes_ = movie_ ? bytes : 0;
    url_ = std::move(url);
    initFramesDone_.clear();
    currentFrame_ = 0;
    playing_ = true;
    contentTick_ = context().tick();
    if (context().contentReplaced) context().contentReplaced(*this);
}

void MovieClip::enterFirstFrame() {
    currentFrame_ = 0;
    applyFrame(0, true);
}

void MovieClip::instantiate(const PlaceObject& state, const DisplayObject* replaced) {
    if (!state.characterId) return;
    auto object =
        DisplayObjectFactory::create(context(), dictionary(), *state.characterId, nesting_);
    if (!object) return;
    if (replaced) object->takePlacementOf(*replaced);
    object->setDepth(state.depth);
    object->applyPlacement(state, replaced == nullptr);
    object->setPlacedByTimeline(true);
    // Unnamed clips, buttons and text fields get the player's default names.
    if (object->name().empty() &&
        (object->asMovieClip() || object->isButton() || object->isEditText()))
        object->setName("instance" + std::to_string(context().nextInstanceNumber()));
    if (state.clipActions) object->setClipActions(state.clipActions);
    placeAndStart(std::move(object), false);
}

void MovieClip::placeAndStart(std::shared_ptr<DisplayObject> object, bool byScript) {
    displayList_.place(object);
    // Its script side (class prototype, initialize events) comes at once; its construct events
    // and constructor run ahead of the frame actions (at once when a script made it, which
    // runs them itself), its load event before its first frame's actions.
    context().objectPlaced(*object);
    if (!byScript) context().queueConstruct(object);
    if (MovieClip* clip = object->asMovieClip()) {
        context().queueEvent(object, kClipLoad);
        clip->enterFirstFrame();
    }
}

void MovieClip::place(const PlaceObject& p) {
    auto existing = displayList_.at(p.depth);
    bool newPlacement = p.version == 1 || !p.move;
    if (newPlacement) {
        // PlaceObject2 and 3 leave an occupied depth alone; PlaceObject replaces.
        if (existing && p.version != 1) return;
        instantiate(p, nullptr);
        return;
    }
    if (!existing) {
        instantiate(p, nullptr);
        return;
    }
    // What a script made or moved to this depth is no longer the timeline's to move.
    if (!existing->placedByTimeline()) return;
    if (p.characterId && static_cast<int>(*p.characterId) != existing->characterId()) {
        instantiate(p, existing.get());
        return;
    }
    existing->applyPlacement(p, false);
}

void MovieClip::applyFrame(int frame, bool runActions) {
    // The main timeline's init actions run the first time their frame is reached, before
    // anything else of that frame, even when a goto passes over it.
    if (takeInitFrame(frame))
        for (const InitAction& init : timeline_->frame(frame).initActions)
            context().queueInitActions(std::static_pointer_cast<MovieClip>(shared_from_this()),
                                       init.code);
    for (const FrameTag& tag : timeline_->frame(frame).tags) {
        if (const auto* p = std::get_if<PlaceObject>(&tag)) {
            place(*p);
        } else if (const auto* r = std::get_if<RemoveObject>(&tag)) {
            displayList_.remove(r->depth);
        } else if (runActions) {
            context().queueActions(std::static_pointer_cast<MovieClip>(shared_from_this()),
                                   std::get<DoAction>(tag).code);
        }
    }
    if (runActions) soundFrameEntered(frame);
}

void MovieClip::soundFrameEntered(int frame) {
    if (SoundMixer* mixer = context().soundMixer()) mixer->frameEntered(*this, timeline_, frame);
}

void MovieClip::queueActions(int frame) {
    soundFrameEntered(frame);
    for (const FrameTag& tag : timeline_->frame(frame).tags)
        if (const auto* action = std::get_if<DoAction>(&tag))
            context().queueActions(std::static_pointer_cast<MovieClip>(shared_from_this()),
                                   action->code);
}

void MovieClip::rebuildTo(int frame) {
    // What the timeline alone puts at each depth by the end of `frame`.
    std::map<int, PlaceObject> wanted;
    for (int f = 0; f <= frame; ++f) {
        for (const FrameTag& tag : timeline_->frame(f).tags) {
            if (const auto* r = std::get_if<RemoveObject>(&tag)) {
                wanted.erase(r->depth);
                continue;
            }
            const auto* place = std::get_if<PlaceObject>(&tag);
            if (!place) continue;
            const PlaceObject& p = *place;
            auto it = wanted.find(p.depth);
            if (p.version == 1 || !p.move) {
                if (it == wanted.end() || p.version == 1) wanted[p.depth] = p;
            } else if (it != wanted.end()) {
                p.mergeInto(it->second);
            } else if (p.characterId) {
                wanted[p.depth] = p;
            }
        }
    }
    // An object stays when the timeline puts the same character at its depth with the same
    // ratio (the authoring tools' mark of one placement); anything else is placed anew.
    std::set<int> kept;
    for (const auto& object : displayList_.snapshot()) {
        if (!object->placedByTimeline()) continue;
        auto it = wanted.find(object->depth());
        if (it != wanted.end() && it->second.characterId &&
            static_cast<int>(*it->second.characterId) == object->characterId() &&
            it->second.ratio.value_or(0) == object->ratio()) {
            object->applyPlacement(it->second, true);
            kept.insert(object->depth());
        } else {
            displayList_.remove(object->depth());
        }
    }
    for (const auto& [depth, state] : wanted)
        if (!kept.count(depth) && !displayList_.at(depth)) instantiate(state, nullptr);
    currentFrame_ = frame;
}

void MovieClip::gotoFrame(int frame) {
    frame = std::clamp(frame, 0, timeline_->playableFrames() - 1);
    if (frame == currentFrame_) return;
    if (frame > currentFrame_) {
        for (int f = currentFrame_ + 1; f <= frame; ++f) applyFrame(f, f == frame);
        currentFrame_ = frame;
    } else {
        rebuildTo(frame);
        queueActions(frame);
    }
}

void MovieClip::advance() {
    if (!playing_) return;
    int next = currentFrame_ + 1;
    if (next < timeline_->playableFrames()) {
        currentFrame_ = next;
        applyFrame(next, true);
    } else if (timeline_->loops() && currentFrame_ > 0) {
        rebuildTo(0);
        queueActions(0);
    }
}

void MovieClip::draw(RenderContext& context, const Matrix& toPixels,
                     const ColorTransform& cxform) const {
    if (drawing_ && !drawing_->empty())
        context.canvas.drawShape(drawing_->shape(), toPixels, cxform, context.bitmaps);
    if (!movie_) return displayList_.render(context, toPixels, cxform);
    // A loaded movie's bitmap fills name its own characters.
    const Dictionary& own = movie_->dictionary;
    RenderContext inner{context.canvas, own,
                        [&own](uint16_t id) -> const Bitmap* {
                            const auto* bitmap = own.findAs<BitmapCharacter>(id);
                            return bitmap ? &bitmap->bitmap() : nullptr;
                        },
                        context.maskPass, context.viewScaleX, context.viewScaleY};
    displayList_.render(inner, toPixels, cxform);
}

Rect MovieClip::localBounds() const {
    Rect bounds = drawing_ && !drawing_->empty() ? drawing_->shape().bounds : kNoBounds;
    for (const auto& [depth, child] : displayList_.objects())
        bounds = unionBounds(bounds, child->boundsInParent());
    return bounds;
}

}  // namespace swf
