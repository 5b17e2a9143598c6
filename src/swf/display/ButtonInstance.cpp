#include "swf/display/ButtonInstance.h"

#include "swf/display/DisplayObjectFactory.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/SoundCharacter.h"
#include "swf/sound/SoundMixer.h"

namespace swf {
namespace {

uint8_t recordFlag(ButtonInstance::State state) {
    switch (state) {
        case ButtonInstance::State::Over: return ButtonRecord::Over;
        case ButtonInstance::State::Down: return ButtonRecord::Down;
        default: return ButtonRecord::Up;
    }
}

}  // namespace

ButtonInstance::ButtonInstance(MovieContext& context, std::shared_ptr<const ButtonCharacter> button,
                               int nesting)
    : DisplayObject(context, button),
      button_(std::move(button)),
      nesting_(nesting),
      state_(this),
      hitArea_(this) {
    makeHitArea();
}

void ButtonInstance::makeHitArea() {
    hitArea_.clear();
    for (const ButtonRecord& record : button_->records()) {
        if (!(record.states & ButtonRecord::HitTest)) continue;
        if (auto object = makeRecord(record)) hitArea_.place(std::move(object));
    }
}

void ButtonInstance::takeButton(std::shared_ptr<const ButtonCharacter> button) {
    if (!button) return;
    setCharacter(button);
    button_ = std::move(button);
    makeHitArea();
    showRecords();
}

// What a state holds stands one above the depth its record gives, as scripts see in
// getDepth.
int ButtonInstance::placedDepth(const ButtonRecord& record) { return record.depth + 1; }

std::shared_ptr<DisplayObject> ButtonInstance::makeRecord(const ButtonRecord& record) {
    auto object = DisplayObjectFactory::create(context(), context().dictionary(), record.characterId,
                                               nesting_);
    if (!object) return nullptr;
    object->setDepth(placedDepth(record));
    object->setMatrix(record.matrix);
    object->setColorTransform(record.colorTransform);
    return object;
}

void ButtonInstance::setState(State state) {
    if (state == state_kind_) return;
    playSound(state_kind_, state);
    state_kind_ = state;
    showRecords();
}

void ButtonInstance::playSound(State from, State to) {
    SoundMixer* mixer = context().soundMixer();
    const auto& buttons = context().movie().buttonSounds;
    auto sounds = buttons.find(static_cast<uint16_t>(characterId()));
    if (!mixer || sounds == buttons.end()) return;
    // Roll out, roll over, press, release: the order DefineButtonSound lists them in.
    const int change = from == State::Over && to == State::Up     ? 0
                       : from == State::Up && to == State::Over   ? 1
                       : from == State::Over && to == State::Down ? 2
                       : from == State::Down && to == State::Over ? 3
                                                                  : -1;
    if (change < 0 || sounds->second[change].soundId == 0) return;
    const SoundStart& how = sounds->second[change];
    mixer->startSound(
        std::dynamic_pointer_cast<const SoundCharacter>(context().dictionary().share(how.soundId)),
        how);
}

void ButtonInstance::showRecords() {
    uint8_t flag = recordFlag(state_kind_);
    std::map<int, const ButtonRecord*> wanted;
    for (const ButtonRecord& record : button_->records())
        if (record.states & flag) wanted.emplace(placedDepth(record), &record);
    for (const auto& object : state_.snapshot()) {
        auto it = wanted.find(object->depth());
        if (it == wanted.end() || it->second->characterId != object->characterId())
            state_.remove(object->depth());
    }
    for (const auto& [depth, record] : wanted) {
        if (state_.at(depth)) continue;
        auto object = makeRecord(*record);
        if (!object) continue;
        object->takeDefaultName();
        MovieClip* clip = object->asMovieClip();
        state_.place(std::move(object));
        if (clip) clip->enterFirstFrame();
    }
}

void ButtonInstance::draw(RenderContext& context, const Matrix& toPixels,
                          const ColorTransform& cxform) const {
    std::optional<ScalingGrid> grid = slicing(context, toPixels);
    state_.render(context, toPixels, cxform, grid ? &*grid : nullptr);
}

Rect ButtonInstance::localBounds() const {
    return state_.bounds();
}

}  // namespace swf
