#include "swf/display/MovieClip.h"

#include <algorithm>
#include <map>
#include <set>

#include "swf/display/DisplayObjectFactory.h"
#include "swf/display/MovieContext.h"

namespace swf {

MovieClip::MovieClip(MovieContext& context, std::shared_ptr<const Character> character,
                     std::shared_ptr<const Timeline> timeline, int nesting)
    : DisplayObject(context, std::move(character)), timeline_(std::move(timeline)), displayList_(this),
      nesting_(nesting) {
    if (!timeline_) timeline_ = std::make_shared<Timeline>();
}

void MovieClip::enterFirstFrame() {
    currentFrame_ = 0;
    applyFrameTags(0);
}

void MovieClip::instantiate(const PlaceObject& state, const DisplayObject* replaced) {
    if (!state.characterId) return;
    auto object = DisplayObjectFactory::create(context(), *state.characterId, nesting_);
    if (!object) return;
    if (replaced) object->takePlacementOf(*replaced);
    object->setDepth(state.depth);
    object->applyPlacement(state, replaced == nullptr);
    object->setPlacedByTimeline(true);
    displayList_.place(std::move(object));
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
    if (p.characterId && static_cast<int>(*p.characterId) != existing->characterId()) {
        instantiate(p, existing.get());
        return;
    }
    existing->applyPlacement(p, false);
}

void MovieClip::applyFrameTags(int frame) {
    for (const DisplayListTag& tag : timeline_->frame(frame).displayTags) {
        if (const auto* p = std::get_if<PlaceObject>(&tag)) {
            place(*p);
        } else {
            displayList_.remove(std::get<RemoveObject>(tag).depth);
        }
    }
}

void MovieClip::rebuildTo(int frame) {
    // What the timeline alone puts at each depth by the end of `frame`.
    std::map<int, PlaceObject> wanted;
    for (int f = 0; f <= frame; ++f) {
        for (const DisplayListTag& tag : timeline_->frame(f).displayTags) {
            if (const auto* r = std::get_if<RemoveObject>(&tag)) {
                wanted.erase(r->depth);
                continue;
            }
            const PlaceObject& p = std::get<PlaceObject>(tag);
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
    std::set<int> kept;
    for (const auto& object : displayList_.snapshot()) {
        if (!object->placedByTimeline()) continue;
        auto it = wanted.find(object->depth());
        if (it != wanted.end() && it->second.characterId &&
            static_cast<int>(*it->second.characterId) == object->characterId()) {
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
    frame = std::clamp(frame, 0, frameCount() - 1);
    if (frame == currentFrame_) return;
    if (frame > currentFrame_) {
        for (int f = currentFrame_ + 1; f <= frame; ++f) applyFrameTags(f);
        currentFrame_ = frame;
    } else {
        rebuildTo(frame);
    }
    queueCurrentFrameActions();
}

void MovieClip::queueCurrentFrameActions() {
    firstFrameActionsPending_ = false;
    auto self = shared_from_this();
    for (const auto& code : timeline_->frame(currentFrame_).actions) context().queueActions(self, code);
    queuePendingChildren();
}

void MovieClip::queuePendingChildren() {
    for (const auto& [depth, object] : displayList_.objects()) {
        if (MovieClip* clip = object->asMovieClip()) {
            if (clip->firstFrameActionsPending_) {
                clip->queueCurrentFrameActions();
            } else {
                clip->queuePendingChildren();
            }
        }
    }
}

void MovieClip::advance() {
    if (playing_ && frameCount() > 1) {
        int next = currentFrame_ + 1;
        if (next >= frameCount()) {
            rebuildTo(0);
        } else {
            applyFrameTags(next);
            currentFrame_ = next;
        }
        queueCurrentFrameActions();
    }
    for (const auto& child : displayList_.snapshot())
        if (child->bornTick() != context().tick()) child->advance();
}

void MovieClip::draw(RenderContext& context, const Matrix& toPixels, const ColorTransform& cxform) const {
    displayList_.render(context, toPixels, cxform);
}

}  // namespace swf
