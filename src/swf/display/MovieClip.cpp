#include "swf/display/MovieClip.h"

#include <algorithm>
#include <map>
#include <utility>

#include "swf/action/ActionRunner.h"
#include "swf/bitmap/BitmapCharacter.h"
#include "swf/display/ButtonInstance.h"
#include "swf/display/DisplayObjectFactory.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/ClipEvent.h"
#include "swf/movie/SoundCharacter.h"
#include "swf/movie/SoundStart.h"
#include "swf/movie/SpriteCharacter.h"
#include "swf/movie/SwfMovie.h"
#include "swf/sound/SoundMixer.h"

namespace swf {

namespace {

// How many objects a goto back may make and take away again on its way.
constexpr size_t kMaxPassedObjects = 256;

bool unloadHandled(const PlaceObject& state) {
    if (!state.clipActions) return false;
    return std::any_of(state.clipActions->begin(), state.clipActions->end(),
                       [](const ClipActionRecord& r) { return r.events & kClipUnload; });
}

}  // namespace

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
    const MovieClip& root = movieRoot();
    return root.movie_ ? root.movie_ : context().moviePointer();
}

Drawing& MovieClip::drawing() {
    if (!drawing_)
        drawing_ = std::make_unique<Drawing>(ownerMovie()->actionScript3
                                                 ? Drawing::LineReach::HalfWidth
                                                 : Drawing::LineReach::WholeWidth);
    return *drawing_;
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

const MovieClip& MovieClip::movieRoot() const {
    const MovieClip* root = this;
    int steps = 0;
    for (const DisplayObject* o = parent();
         o && !root->movie_ && steps <= MovieContext::kMaxNesting; o = o->parent(), ++steps)
        if (const auto* clip = dynamic_cast<const MovieClip*>(o)) root = clip;
    return *root;
}

MovieClip& MovieClip::movieRoot() {
    return const_cast<MovieClip&>(std::as_const(*this).movieRoot());
}

bool MovieClip::takeInitSprite(uint16_t spriteId) {
    return movieRoot().initSpritesDone_.insert(spriteId).second;
}

const std::string& MovieClip::url() const {
    int steps = 0;
    for (const DisplayObject* o = this; o && steps <= MovieContext::kMaxNesting + 1;
         o = o->parent(), ++steps)
        if (const auto* clip = dynamic_cast<const MovieClip*>(o);
            clip && (clip->movie_ || !clip->url_.empty()))
            return clip->url_;
    return context().movieUrl();
}

void MovieClip::failLoad(std::string url) {
    if (!url.empty()) url_ = std::move(url);
    loadFailed_ = true;
}

void MovieClip::loadContent(std::shared_ptr<const SwfMovie> movie, std::string url) {
    // The old content's unload event comes first, while the clip's handlers are still there.
    if (ActionRunner* runner = context().runner()) runner->runClipEvent(*this, kClipUnload);
    // Actions already queued may point into the old timeline: it lives until they ran.
    context().retainUntilDrained(timeline_);
    if (movie_) context().retainUntilDrained(movie_);
    displayList_.clear();
    movie_ = std::move(movie);
    timeline_ = movie_ ? movie_->timeline : nullptr;
    if (!timeline_) timeline_ = std::make_shared<Timeline>(movie_ ? 1 : 0);
    url_ = std::move(url);
    loadFailed_ = false;
    initFramesDone_.clear();
    initSpritesDone_.clear();
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
    object->takeDefaultName();
    if (state.clipActions) object->setClipActions(state.clipActions);
    placeAndStart(std::move(object), false);
}

void MovieClip::placeAndStart(std::shared_ptr<DisplayObject> object, bool byScript) {
    displayList_.place(object);
    // Its script side (class prototype) comes at once. A script's object gets its initialize
    // event at once too and runs its constructor itself; a timeline's waits for the init
    // actions queued before it, then its construct events and constructor run, all ahead of
    // the frame actions. The load event comes before its first frame's actions.
    context().objectPlaced(*object);
    bool isClip = object->asMovieClip() != nullptr;  // only clips have initialize handlers
    if (byScript) {
        ActionRunner* runner = context().runner();
        if (runner && isClip) runner->runClipEvent(*object, kClipInitialize);
        object->setMadeByScript();
    } else {
        if (isClip) context().queueInitialize(object);
        context().queueConstruct(object);
    }
    if (MovieClip* clip = object->asMovieClip()) {
        context().queueEvent(object, kClipLoad);
        clip->enterFirstFrame();
    } else if (ButtonInstance* button = object->asButton()) {
        button->start();
    }
}

void MovieClip::place(const PlaceObject& p) {
    auto existing = displayList_.at(p.depth);
    bool newPlacement = p.version == 1 || !p.move;
    if (newPlacement) {
        // PlaceObject2 and 3 leave an occupied depth alone, and the player's log says so;
        // PlaceObject replaces.
        if (existing && p.version != 1) {
            if (context().trace && !context().movie().actionScript3)
                context().trace("Warning: Failed to place object at depth " +
                                std::to_string(p.depth) + ".");
            return;
        }
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
        // A clip stays itself and only moves; a button stays itself, with what scripts set on
        // it, and takes another button's records; anything else takes the new character.
        // Either way the object keeps its name.
        PlaceObject change = p;
        change.name.reset();
        if (existing->asMovieClip() || existing->asButton()) {
            if (ButtonInstance* button = existing->asButton())
                button->takeButton(std::dynamic_pointer_cast<const ButtonCharacter>(
                    dictionary().share(*p.characterId)));
            existing->applyPlacement(change, false);
        } else {
            change.name = existing->name();
            instantiate(change, existing.get());
        }
        return;
    }
    existing->applyPlacement(p, false);
}

void MovieClip::applyFrame(int frame, bool runActions) {
    const Frame& data = timeline_->frame(frame);
    auto self = std::static_pointer_cast<MovieClip>(shared_from_this());
    // The main timeline's init actions run the first time their frame is reached, even when a
    // goto passes over it; a sprite's own run in its movie's main timeline. Only the first
    // for each sprite runs, wherever it stands. They queue where they stand among the frame's
    // tags, ahead of the initialize events of what the frame places after them.
    const std::vector<InitAction>& inits = data.initActions;
    bool mainFirstTime = takeInitFrame(frame);
    bool initsDue = mainFirstTime || character();
    // Init actions run in the movie's main timeline; only a frame holding some looks for it.
    std::shared_ptr<MovieClip> root;
    if (initsDue && !inits.empty())
        root = std::static_pointer_cast<MovieClip>(movieRoot().shared_from_this());
    size_t nextInit = 0;
    const auto queueInitsBefore = [&](size_t tagIndex) {
        for (; initsDue && nextInit < inits.size() && inits[nextInit].tagsBefore <= tagIndex;
             ++nextInit)
            if (takeInitSprite(inits[nextInit].spriteId))
                context().queueInitActions(root, inits[nextInit].code);
    };
    for (size_t i = 0; i < data.tags.size(); ++i) {
        queueInitsBefore(i);
        const FrameTag& tag = data.tags[i];
        if (const auto* p = std::get_if<PlaceObject>(&tag)) {
            place(*p);
        } else if (const auto* r = std::get_if<RemoveObject>(&tag)) {
            displayList_.remove(r->depth);
        } else if (runActions) {
            context().queueActions(self, std::get<DoAction>(tag).code);
        }
    }
    queueInitsBefore(data.tags.size());
    // The movies this one imports from run all their init actions after its first frame's,
    // in this movie's scope, those of characters it did not import too.
    if (mainFirstTime && frame == 0 && ownerMovie())
        for (const auto& source : ownerMovie()->importedMovies)
            for (int f = 0; source->timeline && f < source->timeline->playableFrames(); ++f)
                for (const InitAction& init : source->timeline->frame(f).initActions)
                    context().queueInitActions(self, init.code);
    if (runActions) {
        soundFrameEntered(frame);
        context().frameEntered(*this, frame);
    }
}

void MovieClip::soundFrameEntered(int frame) {
    SoundMixer* mixer = context().soundMixer();
    if (!mixer) return;
    for (const KeptTag& tag : timeline_->frame(frame).soundTags) {
        auto start = SoundStart::parse(tag.code, tag.body);
        if (!start) continue;
        uint16_t id = start->soundId;
        if (!start->className.empty()) {
            auto exported = ownerMovie()->findExport(start->className);
            if (!exported) continue;
            id = *exported;
        }
        auto sound = std::dynamic_pointer_cast<const SoundCharacter>(dictionary().share(id));
        if (sound) mixer->startSound(std::move(sound), *start);
    }
    mixer->streamFrameEntered(std::static_pointer_cast<const MovieClip>(shared_from_this()),
                              timeline_, frame);
}

bool MovieClip::streamAudible() const {
    return onStage();
}

void MovieClip::queueActions(int frame) {
    soundFrameEntered(frame);
    for (const FrameTag& tag : timeline_->frame(frame).tags)
        if (const auto* action = std::get_if<DoAction>(&tag))
            context().queueActions(std::static_pointer_cast<MovieClip>(shared_from_this()),
                                   action->code);
    context().frameEntered(*this, frame);
}

void MovieClip::rewindTo(int frame) {
    // Going back, the playhead stands on the target while what it no longer shows leaves.
    currentFrame_ = frame;
    // What the timeline alone puts at each depth by the end of `frame`, and whether that
    // placement comes after the frame's first actions in the file.
    std::map<int, PlaceObject> wanted;
    std::map<int, bool> afterActions;
    // What the timeline placed and took away again in a frame before this one, when it has an
    // unload handler: the way back makes it and takes it away again, so that it unloads once
    // more. What this frame itself takes away is not made again.
    std::vector<PlaceObject> passed;
    bool actionsSeen = false;
    for (int f = 0; f <= frame; ++f) {
        for (const FrameTag& tag : timeline_->frame(f).tags) {
            if (const auto* r = std::get_if<RemoveObject>(&tag)) {
                auto it = wanted.find(r->depth);
                if (it != wanted.end() && f < frame && unloadHandled(it->second) &&
                    passed.size() < kMaxPassedObjects)
                    passed.push_back(it->second);
                wanted.erase(r->depth);
                continue;
            }
            const auto* place = std::get_if<PlaceObject>(&tag);
            if (!place) {
                actionsSeen = actionsSeen || f == frame;
                continue;
            }
            const PlaceObject& p = *place;
            auto it = wanted.find(p.depth);
            if (p.version == 1 || !p.move) {
                if (it == wanted.end() || p.version == 1) {
                    wanted[p.depth] = p;
                    afterActions[p.depth] = actionsSeen;
                }
            } else if (it != wanted.end()) {
                p.mergeInto(it->second);
            } else if (p.characterId) {
                wanted[p.depth] = p;
                afterActions[p.depth] = actionsSeen;
            }
        }
    }
    bool actionScript2 = ownerMovie() && !ownerMovie()->actionScript3;
    if (actionScript2) {
        for (const PlaceObject& state : passed) {
            std::shared_ptr<DisplayObject> standing = displayList_.at(state.depth);
            if (standing) displayList_.takeOut(state.depth);
            instantiate(state, nullptr);
            displayList_.remove(state.depth);
            if (standing) displayList_.place(standing);
        }
    }
    // Only the timeline's depths are rebuilt; what waits for its unload event and what stands
    // at the scripts' depths stay. There, what a script made goes; a timeline object stays
    // when the timeline has a placement at its depth with its ratio (the authoring tools'
    // mark of one placement; a clip stays whatever the character), keeping its name, and
    // takes that placement unless a script took it over. Anything else is placed anew.
    for (const auto& object : displayList_.snapshot()) {
        int depth = object->depth();
        if (depth < 0 || depth >= kFirstScriptDepth) continue;
        auto it = wanted.find(depth);
        if (object->madeByScript() || it == wanted.end() ||
            it->second.ratio.value_or(0) != object->ratio() ||
            (!object->asMovieClip() &&
             it->second.characterId.value_or(0) != object->characterId())) {
            displayList_.remove(depth);
        } else if (object->placedByTimeline()) {
            PlaceObject state = it->second;
            state.name = object->name();
            object->applyPlacement(state, true);
        }
    }
    // New objects start in the order of their tags around the frame's actions, as when the
    // frame is played forward. An object that stays still costs the number its placement's
    // new object took before the player kept the old one instead.
    for (bool late : {false, true}) {
        if (late) queueActions(frame);
        for (const auto& [depth, state] : wanted) {
            if (afterActions[depth] != late) continue;
            std::shared_ptr<DisplayObject> standing = displayList_.at(depth);
            if (!standing)
                instantiate(state, nullptr);
            else if (actionScript2 && state.characterId)
                standing->spendDefaultNumber(state.name.has_value());
        }
    }
}

void MovieClip::gotoFrame(int frame) {
    // Past the end the playhead stops on the last frame, which it passes over: its actions
    // do not run.
    int last = timeline_->playableFrames() - 1;
    bool reached = frame <= last;
    frame = std::clamp(frame, 0, last);
    if (frame == currentFrame_) return;
    if (frame > currentFrame_) {
        for (int f = currentFrame_ + 1; f <= frame; ++f) applyFrame(f, reached && f == frame);
        currentFrame_ = frame;
    } else {
        rewindTo(frame);
    }
}

void MovieClip::advance() {
    if (!playing_) return;
    int next = currentFrame_ + 1;
    if (next < timeline_->playableFrames()) {
        // Going on, what the next frame removes leaves while the playhead is still here.
        applyFrame(next, true);
        currentFrame_ = next;
    } else if (timeline_->loops() && currentFrame_ > 0) {
        rewindTo(0);
    }
}

void MovieClip::draw(RenderContext& context, const Matrix& toPixels,
                     const ColorTransform& cxform) const {
    std::optional<ScalingGrid> grid = slicing(context, toPixels);
    const ScalingGrid* sliced = grid ? &*grid : nullptr;
    if (drawing_ && !drawing_->empty()) {
        auto drawDrawing = [&](const Matrix& m) {
            context.canvas.drawShape(drawing_->shape(), m, cxform, context.bitmaps);
        };
        if (sliced)
            sliced->drawSliced(context.canvas, drawDrawing);
        else
            drawDrawing(toPixels);
    }
    if (!movie_) return displayList_.render(context, toPixels, cxform, sliced);
    // A loaded movie's bitmap fills name its own characters.
    const Dictionary& own = movie_->dictionary;
    RenderContext inner{context.canvas,
                        own,
                        [&own](uint16_t id) -> const Bitmap* {
                            const auto* bitmap = own.findAs<BitmapCharacter>(id);
                            return bitmap ? &bitmap->bitmap() : nullptr;
                        },
                        context.maskPass,
                        context.viewScaleX,
                        context.viewScaleY};
    displayList_.render(inner, toPixels, cxform, sliced);
}

Rect MovieClip::localBounds() const {
    Rect bounds = drawing_ && !drawing_->empty() ? drawing_->shape().bounds : kNoBounds;
    return unionBounds(bounds, displayList_.bounds());
}

}  // namespace swf
