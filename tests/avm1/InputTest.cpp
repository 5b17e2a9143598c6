// Mouse and keyboard delivered to a movie: the events every clip and listener hears, and
// the button or clip under the pointer with its roll, press, release and drag events.

#include <gtest/gtest.h>

#include "ScriptRun.h"
#include "support/ButtonBuilder.h"
#include "support/ShapeBuilder.h"

namespace {

namespace st = swftest;
using swf::InputEvent;
using avm1test::Joined;
using avm1test::Pointer;
using avm1test::RunMovie;

InputEvent Move(double x, double y) { return Pointer(InputEvent::Type::MouseMove, x, y); }
InputEvent Down(double x, double y) { return Pointer(InputEvent::Type::MouseDown, x, y); }
InputEvent Up(double x, double y) { return Pointer(InputEvent::Type::MouseUp, x, y); }
InputEvent Key(InputEvent::Type type, int code, uint32_t character) {
    InputEvent event;
    event.type = type;
    event.keyCode = code;
    event.character = character;
    return event;
}

st::ActionBuilder Trace(const std::string& text) {
    return st::ActionBuilder::assemble("push \"" + text + "\"; trace");
}

// A 200 x 100 px movie of version 8 with a blue 50 px square as character 1.
st::SwfWriter SquareMovie() {
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(200, 100);
    st::ShapeBuilder square;
    square.fill1(square.addFill(st::FillStyle::solid({0, 0, 255}))).rectangle(0, 0, 1000, 1000);
    movie.defineShape(1, square);
    return movie;
}

// A 200 x 100 px stage: a button over (0,0)-(50,50) whose actions trace its transitions and
// the key "a"; a clip "box" over (101.5,0)-(151.5,50) whose methods trace the same with
// _xmouse; a Mouse and a
// Key listener; every clip's onClipEvent(mouseDown); then `laterActions`.
st::SwfWriter Stage(const std::string& laterActions = "") {
    st::SwfWriter movie = SquareMovie();
    st::ButtonBuilder button;
    button.add({.states = st::kButtonUp | st::kButtonOver | st::kButtonDown | st::kButtonHitTest,
                .character = 1})
        .addActions(st::kCondIdleToOverUp, Trace("button rollOver"))
        .addActions(st::kCondOverUpToIdle, Trace("button rollOut"))
        .addActions(st::kCondOverUpToOverDown, Trace("button press"))
        .addActions(st::kCondOverDownToOverUp, Trace("button release"))
        .addActions(st::buttonKeyCondition('a'), Trace("button key a"));
    movie.defineButton2(2, button);
    st::SwfWriter boxTimeline;
    boxTimeline.place(1, 1).showFrame();
    movie.defineSprite(3, boxTimeline);
    movie.placeObject2({.depth = 1, .character = 2, .name = "btn"});
    movie.placeObject2({.depth = 2,
                        .character = 3,
                        .matrix = st::Matrix::translation(2030, 0),  // 101.5 px: drawn from 102
                        .name = "box",
                        .clipActions = {{.events = st::kClipMouseDown, .actions = Trace("box mouseDown")}}});
    std::string methods;
    for (const char* name : {"onPress", "onRelease", "onReleaseOutside", "onRollOver",
                             "onRollOut", "onDragOut", "onDragOver"})
        methods += "push \"box\"; getVariable; push \"" + std::string(name) +
                   "\"; function () { push \"box " + name +
                   " \"; push \"box\"; getVariable; push \"_xmouse\"; getMember; add2; trace }; "
                   "setMember; ";
    // The main timeline is never a button, whatever handlers it has.
    methods += "push \"_root\"; getVariable; push \"onPress\"; function () { push \"root "
               "onPress\"; trace }; setMember; ";
    movie.doAction(st::ActionBuilder::assemble(
        methods +
        "push \"listener\"; push 0; initObject; setVariable;"
        "push \"listener\"; getVariable; push \"onMouseDown\"; function () {"
        "  push \"Mouse down\"; trace }; setMember;"
        "push \"listener\"; getVariable; push \"onKeyDown\"; function () {"
        "  push \"Key down \"; push 0, \"Key\"; getVariable; push \"getCode\"; callMethod; add2;"
        "  push \" \"; add2; push 65, 1, \"Key\"; getVariable; push \"isDown\"; callMethod; add2;"
        "  trace }; setMember;"
        "push \"listener\"; getVariable; push 1, \"Mouse\"; getVariable; push \"addListener\";"
        "callMethod; pop;"
        "push \"listener\"; getVariable; push 1, \"Key\"; getVariable; push \"addListener\";"
        "callMethod; pop;" + laterActions + "stop"));
    movie.showFrame();
    return movie;
}

TEST(Input, PointerAndKeysReachClipsListenersAndTheObjectUnderThePointer) {
    using T = InputEvent::Type;
    std::vector<std::vector<InputEvent>> input = {
        {Move(10, 10), Down(10, 10), Up(10, 10), Move(70, 10)},        // the button
        {Move(110, 10), Down(110, 10), Move(160, 10), Up(160, 10)},    // the clip, let go outside
        {Move(120, 20), Down(120, 20), Up(120, 20)},                   // the clip again
        {Key(T::KeyDown, 65, 'a'), Key(T::KeyUp, 65, 'a'), Key(T::KeyDown, 66, 'b')},
        {Move(180, 80), Down(180, 80), Up(180, 80)},                   // nothing but the stage
    };
    EXPECT_EQ(Joined(RunMovie(Stage(), 5, input)),
              "button rollOver\n"
              "box mouseDown\nMouse down\nbutton press\n"
              "button release\n"
              "button rollOut\n"
              "box onRollOver 8\n"
              "box mouseDown\nMouse down\nbox onPress 8\n"
              "box onDragOut 58\n"
              "box onReleaseOutside 58\n"
              "box onRollOver 18\n"
              "box mouseDown\nMouse down\nbox onPress 18\n"
              "box onRelease 18\n"
              "Key down 65 true\nbutton key a\n"
              "Key down 66 false\n"
              "box onRollOut 78\nbox mouseDown\nMouse down");
}

// A clip disabled under the pointer stays there unheard: no roll out, and enabled again (by
// a key here) no second roll over; it rolls out once the pointer leaves it.
TEST(Input, AClipDisabledUnderThePointerKeepsItUnheard) {
    st::SwfWriter movie = Stage(
        "push \"box\"; getVariable; push \"onRollOver\"; function () { push \"over\"; trace;"
        "  push \"box\"; getVariable; push \"enabled\", false; setMember }; setMember;"
        "push \"listener\"; getVariable; push \"onKeyDown\"; function () {"
        "  push \"box\"; getVariable; push \"enabled\", true; setMember }; setMember;");
    std::vector<std::vector<InputEvent>> input = {
        {Move(110, 10)},
        {Move(120, 20), Key(InputEvent::Type::KeyDown, 65, 'a')},
        {Move(125, 25)},
        {Move(180, 80)},
    };
    EXPECT_EQ(Joined(RunMovie(movie, 4, input)), "over\nbutton key a\nbox onRollOut 78");
}

// A clip's hitArea, while it names an object, is where the clip is hit; set to anything
// else, the clip is hit on its own content again.
TEST(Input, AClipIsHitOnItsHitArea) {
    st::SwfWriter movie = Stage(
        "push \"box\"; getVariable; push \"hitArea\", \"btn\"; getVariable; setMember;"
        "push \"listener\"; getVariable; push \"onKeyDown\"; function () {"
        "  push \"box\"; getVariable; push \"hitArea\", 1; setMember }; setMember;");
    std::vector<std::vector<InputEvent>> input = {
        {Move(110, 10), Move(10, 10), Move(180, 80)},
        {Key(InputEvent::Type::KeyDown, 66, 'b'), Move(10, 10), Move(110, 10)},
    };
    EXPECT_EQ(Joined(RunMovie(movie, 2, input)),
              "box onRollOver -92\nbox onRollOut 78\n"
              "button rollOver\nbutton rollOut\nbox onRollOver 8");
}

// A button the timeline takes away and puts back every frame, the pointer still, is the same
// button to the pointer: it is not rolled over again, and a press on one instance is dragged
// out of and back over the next.
TEST(Input, AButtonPutBackInItsPlaceKeepsItsPartUnderThePointer) {
    st::SwfWriter movie = SquareMovie();
    st::ButtonBuilder button;
    button.add({.states = st::kButtonUp | st::kButtonHitTest, .character = 1})
        .addActions(st::kCondIdleToOverUp, Trace("rollOver"))
        .addActions(st::kCondOverUpToIdle, Trace("rollOut"))
        .addActions(st::kCondOverDownToOutDown, Trace("dragOut"))
        .addActions(st::kCondOutDownToOverDown, Trace("dragOver"));
    movie.defineButton2(2, button);
    movie.place(2, 1).showFrame();
    movie.removeObject2(1).doAction(st::ActionBuilder::assemble("gotoFrame 0; play")).showFrame();
    std::vector<std::vector<InputEvent>> input = {
        {Move(10, 10)}, {}, {Down(10, 10)}, {}, {Move(100, 50)}, {},
        {Move(10, 10)}, {}, {Up(10, 10)},   {}, {Move(100, 50)},
    };
    EXPECT_EQ(Joined(RunMovie(movie, 11, input)), "rollOver\ndragOut\ndragOver\nrollOut");
}

// A clip dragged by its press and dropped by its release keeps its offset from the pointer
// and names the clip it was dropped on; the action form stays inside its limits.
TEST(Input, DraggingFollowsThePointerAndNamesTheDropTarget) {
    st::SwfWriter movie = SquareMovie();
    st::SwfWriter squareTimeline;
    squareTimeline.place(1, 1).showFrame();
    movie.defineSprite(2, squareTimeline);
    movie.placeObject2({.depth = 1, .character = 2, .name = "target"});
    movie.placeObject2(
        {.depth = 2, .character = 2, .matrix = st::Matrix::translation(2000, 0), .name = "box"});
    movie.doAction(st::ActionBuilder::assemble(
        "push \"box\"; getVariable; push \"onPress\"; function () {"
        "  push false, 1, \"box\"; getVariable; push \"startDrag\"; callMethod; pop }; setMember;"
        "push \"box\"; getVariable; push \"onRelease\"; function () {"
        "  push 0, \"box\"; getVariable; push \"stopDrag\"; callMethod; pop;"
        "  push \"box\"; getVariable; push \"_x\"; getMember; push \" \"; add2;"
        "  push \"box\"; getVariable; push \"_droptarget\"; getMember; add2; trace }; setMember;"
        // The action form, centred on the pointer and kept within x 0..30, y 0..30.
        "push \"target\"; getVariable; push \"onPress\"; function () {"
        "  push 0, 0, 30, 30, true, true, \"/target\"; startDrag }; setMember;"
        "push \"target\"; getVariable; push \"onRelease\"; function () {"
        "  endDrag; push \"target\"; getVariable; push \"_x\"; getMember; push \" \"; add2;"
        "  push \"target\"; getVariable; push \"_y\"; getMember; add2; trace }; setMember;"
        "stop"));
    movie.showFrame();
    std::vector<std::vector<InputEvent>> input = {
        {Move(110, 10), Down(110, 10), Move(20, 20), Up(20, 20)},
        {Move(5, 5), Down(5, 5), Move(70, 70), Up(70, 70)},
    };
    EXPECT_EQ(Joined(RunMovie(movie, 2, input)), "10 /target\n30 30");
}

}  // namespace
