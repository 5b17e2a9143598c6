#include "swf/avm1/machine/Activation.h"

#include <cmath>

#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/StageAccess.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/avm1/machine/TargetPath.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/format/LetterCase.h"

namespace swf::avm1 {

using enum ActionCode;

void Activation::gotoFrame(MovieClip* clip, const Value& frame, bool play, int sceneBias) {
    if (!clip) return;
    int target = -1;
    // Anything but a number is a frame's text: undefined and false name labels.
    if (!frame.isNumber()) {
        // A String object stands for the text it holds, whatever its toString says.
        Value held;
        Object* wrapper = frame.asObject();
        bool heldText = wrapper && wrapper->primitiveValue(held) && held.isString();
        std::string text = machine_.toString(heldText ? held : frame);
        std::string_view label = text;
        MovieClip* owner = clip;
        size_t colon = text.rfind(':');
        if (colon != std::string::npos) {
            Object* o = resolveTarget(std::string_view(text).substr(0, colon));
            owner = machine_.movieClipOf(Value(o));
            label = std::string_view(text).substr(colon + 1);
            if (!owner) return;
        }
        // Text of a fraction, like a fractional number, names a label.
        double n = stringToNumber(label, version_);
        if (!std::isnan(n) && n == std::trunc(n))
            target = static_cast<int32_t>(static_cast<uint32_t>(toInt32(n)) - 1u +
                                          static_cast<uint32_t>(sceneBias));
        else if ((target = owner->timeline().findLabel(label)) >= 0)
            target += sceneBias;  // a label counts from its scene's start too
        clip = owner;
    } else {
        double n = machine_.toNumber(frame);
        if (std::isnan(n)) return;
        if (n != std::trunc(n)) {
            // A fraction names no frame: the player looks it up as a label.
            target = clip->timeline().findLabel(machine_.toString(Value(n)));
        } else {
            // Frame numbers wrap at 32 bits, and so does one less than them.
            target = static_cast<int32_t>(static_cast<uint32_t>(toInt32(n)) - 1u +
                                          static_cast<uint32_t>(sceneBias));
        }
    }
    if (target < 0) return;
    clip->gotoFrame(target);
    if (play)
        clip->play();
    else
        clip->stop();
}

void Activation::getUrl(const std::string& url, const std::string& window, uint8_t flags) {
    constexpr std::string_view kFsCommand = "FSCommand:";
    MovieContext& context = machine_.context();
    if (startsWithIgnoringCase(url, kFsCommand)) {
        context.runFsCommand(url.substr(kFsCommand.size()), window);
        return;
    }
    // GetURL2's flags: 0x80 loads variables, 0x40 names a clip as the target; the method
    // (GET/POST) would send the clip's variables, which a local file does not take.
    constexpr uint8_t kLoadVariables = 0x80, kTargetIsClip = 0x40;
    if (!context.loader()) return;
    int level = levelNumber(window);
    DisplayObject* object = nullptr;
    if (level < 0) {
        // A browser window: nothing is opened.
        if (!(flags & (kLoadVariables | kTargetIsClip))) return;
        object = machine_.displayObjectOf(Value(resolveTarget(window)));
        if (!object) return;
    }
    machine_.stage().load(machine_, url, level, object, flags & kLoadVariables);
}

void Activation::callFrame(const Value& frame) {
    MovieClip* clip = targetClip();
    std::string text = machine_.toString(frame);
    std::string_view label = text;
    size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
        clip = machine_.movieClipOf(Value(resolveTarget(label.substr(0, colon))));
        label = label.substr(colon + 1);
    }
    if (!clip) return;
    int index = -1;
    double n = stringToNumber(label, version_);
    if (!std::isnan(n))
        index = static_cast<int32_t>(static_cast<uint32_t>(toInt32(n)) - 1u);
    else
        index = clip->timeline().findLabel(label);
    if (index < 0 || index >= clip->timeline().playableFrames()) return;
    // A frame calling frames nests like a function call, under the same depth bound.
    int& depth = machine_.callDepth();
    machine_.checkCallDepth();
    struct DepthGuard {
        int& depth;
        ~DepthGuard() { --depth; }
    } guard{++depth};
    for (const FrameTag& tag : clip->timeline().frame(index).tags)
        if (const auto* action = std::get_if<DoAction>(&tag)) {
            ActionBlock block{block_.owner, action->code, version_};
            Activation nested(machine_, block);
            StageObject* stage = machine_.stageObject(*clip);
            nested.scope_ = {{machine_.global(), false}, {stage, true}};
            nested.this_ = stage;
            nested.target_ = stage;
            nested.base_ = stage;
            nested.execute(0, block.code.size());
        }
}

bool Activation::frameLoaded(const Value& frame) {
    // The frame is named as a goto names it, an object by its text, though the whole movie
    // is loaded before it plays.
    if (frame.isObject()) machine_.toString(frame);
    return true;
}

Activation::Outcome Activation::runNextOrPreviousFrame(Step& step) {
    if (MovieClip* clip = targetClip()) {
        clip->gotoFrame(clip->currentFrame() + (step.record.code == kNextFrame ? 1 : -1));
        clip->stop();
    }
    return Outcome::Normal;
}

Activation::Outcome Activation::runPlay(Step&) {
    if (MovieClip* clip = targetClip()) clip->play();
    return Outcome::Normal;
}

Activation::Outcome Activation::runStop(Step&) {
    if (MovieClip* clip = targetClip()) clip->stop();
    return Outcome::Normal;
}

Activation::Outcome Activation::runStopSounds(Step&) {
    machine_.stage().stopSounds(machine_);
    return Outcome::Normal;
}

Activation::Outcome Activation::runIgnored(Step&) {
    return Outcome::Normal;
}

void Activation::setTargetPath(std::string_view path) {
    if (path.empty()) {
        restoreTarget();
        return;
    }
    // A path ending at an object that is no clip names nothing.
    Object* target = resolveTarget(path);
    setTargetClip(target && target->asStageObject() ? target : nullptr);
}

Activation::Outcome Activation::runSetTarget2(Step&) {
    // A clip is taken as it is; anything else names a path by its string.
    Value target = pop();
    // Addressing another clip is, like a call, where a script whose clip is gone stops.
    bool restores = target.isString() && target.asString().empty();
    if (!restores && ownClipRemoved()) return Outcome::Return;
    if (machine_.displayObjectOf(target)) {
        // A clip is found again by its path, so of two clips of one name the first answers.
        Object* live = machine_.liveObject(target.asObject());
        DisplayObject* shown = live ? machine_.displayObjectOf(Value(live)) : nullptr;
        Object* byPath = shown ? resolveTarget(machine_.targetPath(*shown)) : nullptr;
        setTargetClip(byPath ? byPath : live);
        return Outcome::Normal;
    }
    setTargetPath(machine_.toString(target));
    return Outcome::Normal;
}

Activation::Outcome Activation::runSetTarget(Step& step) {
    std::string path = ActionReader::textOperand(step.record);
    if (!path.empty() && ownClipRemoved()) return Outcome::Return;
    setTargetPath(path);
    return Outcome::Normal;
}

Activation::Outcome Activation::runGetProperty(Step&) {
    double index = machine_.toNumber(pop());
    Object* object = targetOperand(pop());
    push(object && !std::isnan(index)
             ? machine_.stage().getPropertyByIndex(machine_, *object, static_cast<int>(index))
             : Value());
    return Outcome::Normal;
}

Activation::Outcome Activation::runSetProperty(Step&) {
    Value value = pop();
    double index = machine_.toNumber(pop());
    Object* object = targetOperand(pop());
    if (!std::isnan(index))
        machine_.stage().setPropertyByIndex(machine_, object, static_cast<int>(index), value);
    return Outcome::Normal;
}

Activation::Outcome Activation::runCloneSprite(Step&) {
    double depth = machine_.toNumber(pop());
    std::string name = machine_.toString(pop());
    Object* object = targetOperand(pop());
    machine_.stage().duplicateClip(machine_, object, name, depth - 16384);
    return Outcome::Normal;
}

Activation::Outcome Activation::runRemoveSprite(Step&) {
    machine_.stage().removeClip(machine_, targetOperand(pop()));
    return Outcome::Normal;
}

Activation::Outcome Activation::runTrace(Step&) {
    Value value = pop();
    try {
        machine_.trace(value.isUndefined() ? "undefined" : machine_.toString(value));
    } catch (const ScriptThrow&) {
        // A conversion that throws still prints the player's name for an object; the error
        // goes on to the script.
        machine_.trace("[type Object]");
        throw;
    }
    return Outcome::Normal;
}

Activation::Outcome Activation::runStartDrag(Step&) {
    // The target is named first; then the flags, read as numbers as the SWF 4 actions read
    // their operands (an object's valueOf decides, not its being an object). The limits follow
    // only when the constrain flag is 1, as true is: another number leaves them on the stack.
    Value target = pop();
    DisplayObject* object = machine_.displayObjectOf(target);
    if (!object) object = machine_.displayObjectOf(Value(resolveTarget(machine_.toString(target))));
    const double lock = machine_.toNumber(pop());
    const bool lockCenter = lock != 0 && !std::isnan(lock);
    std::optional<DragLimits> limits;
    if (machine_.toNumber(pop()) == 1) {
        limits.emplace();
        limits->bottom = machine_.toNumber(pop());
        limits->right = machine_.toNumber(pop());
        limits->top = machine_.toNumber(pop());
        limits->left = machine_.toNumber(pop());
    }
    if (object) machine_.stage().startDrag(machine_, *object, lockCenter, limits);
    return Outcome::Normal;
}

Activation::Outcome Activation::runEndDrag(Step&) {
    machine_.stage().stopDrag(machine_);
    return Outcome::Normal;
}

Activation::Outcome Activation::runGetTime(Step&) {
    push(Value(machine_.movieTimeMs()));
    return Outcome::Normal;
}

Activation::Outcome Activation::runTargetPath(Step&) {
    Value value = pop();
    DisplayObject* d = machine_.displayObjectOf(value);
    push(d ? Value(machine_.targetPath(*d)) : Value());
    return Outcome::Normal;
}

Activation::Outcome Activation::runGotoFrame(Step& step) {
    uint16_t frame = ActionReader::u16Operand(step.record);
    if (MovieClip* clip = namedTargetClip()) {
        clip->gotoFrame(frame);
        clip->stop();
    }
    return Outcome::Normal;
}

Activation::Outcome Activation::runGotoLabel(Step& step) {
    std::string label = ActionReader::textOperand(step.record);
    if (MovieClip* clip = namedTargetClip()) {
        int frame = clip->timeline().findLabel(label);
        if (frame >= 0) {
            clip->gotoFrame(frame);
            clip->stop();
        }
    }
    return Outcome::Normal;
}

Activation::Outcome Activation::runGotoFrame2(Step& step) {
    GotoFrame2Operands operands = ActionReader::gotoFrame2(step.record);
    gotoFrame(targetClip(), pop(), operands.play, operands.sceneBias);
    return Outcome::Normal;
}

Activation::Outcome Activation::runGetUrl(Step& step) {
    GetUrlOperands operands = ActionReader::getUrl(step.record);
    getUrl(operands.url, operands.window, 0);
    return Outcome::Normal;
}

Activation::Outcome Activation::runGetUrl2(Step& step) {
    uint8_t flags = ActionReader::u8Operand(step.record);
    std::string window = machine_.toString(pop());
    std::string url = machine_.toString(pop());
    getUrl(url, window, flags);
    return Outcome::Normal;
}

Activation::Outcome Activation::runWaitForFrame(Step& step) {
    WaitForFrameOperands operands = ActionReader::waitForFrame(step.record);
    if (!frameLoaded(Value(static_cast<double>(operands.frame))))
        skipActions(step.pc, step.end, operands.skip);
    return Outcome::Normal;
}

Activation::Outcome Activation::runWaitForFrame2(Step& step) {
    uint8_t skip = ActionReader::u8Operand(step.record);
    if (!frameLoaded(pop())) skipActions(step.pc, step.end, skip);
    return Outcome::Normal;
}

Activation::Outcome Activation::runCall(Step&) {
    callFrame(pop());
    return Outcome::Normal;
}

}  // namespace swf::avm1
