#include "swf/avm1/stage/StageBridge.h"

#include "swf/avm1/stage/DisplayProperties.h"
#include "swf/avm1/stage/Dragging.h"
#include "swf/avm1/classes/LoadRequests.h"
#include "swf/avm1/stage/MovieClipClass.h"
#include "swf/avm1/classes/SoundChannelState.h"
#include "swf/avm1/stage/TextFieldClass.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/sound/SoundMixer.h"

namespace swf::avm1 {

bool StageBridge::getProperty(Machine& machine, DisplayObject& object, std::string_view name,
                              Value& out) {
    auto index = displayPropertyIndex(machine, name);
    if (!index) return false;
    out = getDisplayProperty(machine, object, *index);
    return true;
}

bool StageBridge::setProperty(Machine& machine, DisplayObject& object, std::string_view name,
                              const Value& value) {
    if (setTextFieldExtent(machine, object, name, value)) return true;
    auto index = displayPropertyIndex(machine, name);
    if (!index) return false;
    setDisplayProperty(machine, object, *index, value);
    return true;
}

Value StageBridge::getPropertyByIndex(Machine& machine, Object& object, int index) {
    return getDisplayPropertyByIndex(machine, object, index);
}

void StageBridge::setPropertyByIndex(Machine& machine, Object* object, int index,
                                     const Value& value) {
    setDisplayPropertyByIndex(machine, object, index, value);
}

void StageBridge::duplicateClip(Machine& machine, Object* source, std::string_view name,
                                double depth) {
    avm1::duplicateClip(machine, source, name, depth, nullptr);
}

void StageBridge::removeClip(Machine& machine, Object* clip) {
    avm1::removeClip(machine, clip);
}

void StageBridge::startDrag(Machine& machine, DisplayObject& object, bool lockCenter,
                            const std::optional<DragLimits>& limits) {
    avm1::startDrag(machine, object, lockCenter, limits);
}

void StageBridge::stopDrag(Machine& machine) {
    avm1::stopDrag(machine);
}

void StageBridge::stopSounds(Machine& machine) {
    if (auto sounds = SoundChannelState::find(machine.context())) sounds->stopWhere(nullptr, nullptr);
    if (SoundMixer* mixer = machine.context().soundMixer()) mixer->stopAll();
}

void StageBridge::load(Machine& machine, const std::string& url, int level,
                       DisplayObject* object, bool variables) {
    ContentRequests* loader = machine.context().loader();
    if (!loader) return;
    LoadTarget target;
    target.level = level;
    if (object) {
        // Variables may go to a text field too; movies only to clips.
        if (variables && !object->asMovieClip())
            return requestVariables(machine, -1, object->shared_from_this(), url);
        MovieClip* clip = object->asMovieClip();
        if (!clip) return;
        target = loadTargetOf(machine, *clip);
    }
    if (variables)
        requestVariables(machine, target, url);
    else if (url.empty())
        loader->unloadMovie(target);
    else
        loader->loadMovie(target, url);
}

}  // namespace swf::avm1
