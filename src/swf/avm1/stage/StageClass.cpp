// Stage: the movie's stage as scripts see it. Its size is the movie's frame size, or the
// view's in "noScale" mode once the host gives the view a size; scale mode and alignment
// live with the player, which places the stage in its view by them; the menu flag and the
// display state are kept as the player keeps them, and entering or leaving full screen tells
// the listeners at once.

#include <cctype>
#include <cstring>
#include <string>
#include <utility>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/stage/StageClasses.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/SwfMovie.h"

namespace swf::avm1 {
namespace {


struct StageState {
    bool showMenu = true;
    bool fullScreen = false;
};

constexpr std::string_view kScaleModes[] = {"showAll", "exactFit", "noBorder", "noScale"};
// The control's number of each name above.
constexpr int kControlModes[] = {0, 2, 1, 3};
constexpr int kNoScale = 3;

// The letters of the text that name edges (any case, anything else ignored), in the order
// the player reports them.
std::string alignOf(const std::string& text) {
    constexpr char kEdges[] = "LTRB";
    bool seen[4] = {};
    for (char c : text) {
        char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (const char* at = std::strchr(kEdges, upper); upper && at) seen[at - kEdges] = true;
    }
    std::string result;
    for (int i = 0; i < 4; ++i)
        if (seen[i]) result += kEdges[i];
    return result;
}

// The stage's size as "noScale" shows it: the view's, once there is one.
Value stageWidth(Machine& m, Object*, std::span<const Value>) {
    const MovieContext& c = m.context();
    return Value(c.scaleMode() == kNoScale && c.viewWidth() > 0 ? double(c.viewWidth())
                                                                : c.movie().header.widthPixels());
}

Value stageHeight(Machine& m, Object*, std::span<const Value>) {
    const MovieContext& c = m.context();
    return Value(c.scaleMode() == kNoScale && c.viewHeight() > 0 ? double(c.viewHeight())
                                                                 : c.movie().header.heightPixels());
}

Value stageAlign(Machine& m, Object*, std::span<const Value>) {
    return Value(m.context().stageAlign());
}

Value setStageAlign(Machine& m, Object*, std::span<const Value> args) {
    m.context().setStageAlign(alignOf(m.toString(arg(args, 0))));
    return Value();
}

Value stageScaleMode(Machine& m, Object*, std::span<const Value>) {
    int mode = m.context().scaleMode();
    for (int i = 0; i < 4; ++i)
        if (kControlModes[i] == mode) return Value(kScaleModes[i]);
    return Value(kScaleModes[0]);
}

Value setStageScaleMode(Machine& m, Object* stage, std::span<const Value> args) {
    // Anything but the four names is showAll.
    int mode = player::matchIgnoringCase(
        m, arg(args, 0), {kScaleModes[0], kScaleModes[1], kScaleModes[2], kScaleModes[3]});
    auto size = [&] {
        return std::pair{m.toNumber(stageWidth(m, stage, {})), m.toNumber(stageHeight(m, stage, {}))};
    };
    auto before = size();
    m.context().setScaleMode(kControlModes[mode < 0 ? 0 : mode]);
    // Entering or leaving noScale in a view of another size resizes the stage.
    if (stage && size() != before) player::broadcast(m, stage, "onResize", {});
    return Value();
}

Value noSourceRect(Machine&, Object*, std::span<const Value>) {
    return Value(Null{});
}

// The whole "screen" is the video frame.
Value fullScreenHeight(Machine& m, Object*, std::span<const Value>) {
    return Value(m.context().movie().header.heightPixels());
}

Value fullScreenWidth(Machine& m, Object*, std::span<const Value>) {
    return Value(m.context().movie().header.widthPixels());
}

Value stageShowMenu(Machine& m, Object*, std::span<const Value>) {
    return Value(m.natives().state<StageState>().showMenu);
}

Value setStageShowMenu(Machine& m, Object*, std::span<const Value> args) {
    m.natives().state<StageState>().showMenu = m.toBoolean(arg(args, 0));
    return Value();
}

Value stageDisplayState(Machine& m, Object*, std::span<const Value>) {
    return Value(m.natives().state<StageState>().fullScreen ? "fullScreen" : "normal");
}

Value setStageDisplayState(Machine& m, Object* stage, std::span<const Value> args) {
    StageState& state = m.natives().state<StageState>();
    int wanted = player::matchIgnoringCase(m, arg(args, 0), {"normal", "fullScreen"});
    if (wanted < 0 || (wanted == 1) == state.fullScreen) return Value();
    state.fullScreen = wanted == 1;
    if (stage) player::broadcast(m, stage, "onFullScreen", {Value(state.fullScreen)});
    return Value();
}

using native::accessor;

constexpr NativeMember kStage[] = {
    accessor("align", stageAlign, setStageAlign, kReadOnly).numbered(666, 3, 4),
    accessor("scaleMode", stageScaleMode, setStageScaleMode, kReadOnly).numbered(666, 1, 2),
    accessor("height", stageHeight, native::nothing, kReadOnly).numbered(666, 7, 8),
    accessor("width", stageWidth, native::nothing, kReadOnly).numbered(666, 5, 6),
    accessor("showMenu", stageShowMenu, setStageShowMenu, kReadOnly),
    accessor("displayState", stageDisplayState, setStageDisplayState, kReadOnly),
    accessor("fullScreenSourceRect", noSourceRect, native::nothing, kReadOnly),
    accessor("fullScreenHeight", fullScreenHeight, native::nothing, kReadOnly),
    accessor("fullScreenWidth", fullScreenWidth, native::nothing, kReadOnly),
};

}  // namespace

void installStageClass(Machine& m) {
    Rooted<Object> stage(m.heap(), m.newObject());
    player::defineValue(m.global(), "Stage", Value(stage), kDontEnum);
    installMembers(m, stage, kStage);
    player::defineValue(stage, "wmodeGPU", Value(false), kReadOnly);
    // Listeners came with Flash 6: version 5 movies see none of the four.
    player::makeBroadcaster(m, stage, kVersion6);
}

}  // namespace swf::avm1
