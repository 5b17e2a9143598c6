// The timeline as scripts see it across frames: removed clips and their unload handlers,
// gotos that rebuild the display list, gotos past the end or to labels, and default names
// (a button's clips, what a loop back keeps). The expected lines are what the original player
// prints.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "avm1/ScriptRun.h"
#include "support/ButtonBuilder.h"
#include "support/ClipAction.h"
#include "support/ShapeBuilder.h"
#include "support/SwfWriter.h"

namespace {

namespace st = swftest;
using avm1test::Joined;
using avm1test::RunMovie;

st::ActionBuilder code(const char* source) {
    return st::ActionBuilder::assemble(source);
}

// A one-frame sprite (id 1) whose frame runs `script`.
st::SwfWriter withSprite(const char* script = "") {
    st::SwfWriter sprite;
    sprite.doAction(code(script)).showFrame();
    st::SwfWriter movie;
    movie.version(8).defineSprite(1, sprite);
    return movie;
}

const char* kTypeOfC = R"(push "c"; getVariable; typeOf; trace)";

// Clip "c" at depth 1 in frame 1, removed in frame 2; frames 2 and 3 trace typeof c.
st::SwfWriter removedInFrameTwo(std::vector<st::ClipAction> handlers) {
    st::SwfWriter movie = withSprite();
    movie.placeObject2({.depth = 1, .character = 1, .name = "c", .clipActions = handlers})
        .showFrame();
    movie.removeObject2(1).doAction(code(kTypeOfC)).showFrame();
    movie.doAction(code(kTypeOfC)).doAction(code("stop")).showFrame();
    return movie;
}

// Lists appending "A" and "B" to s, the second branching back over `between` bytes to the first.
std::pair<st::ActionBuilder, st::ActionBuilder> appendAThenBAndBack(int between) {
    const std::string head = R"(push "s"; push "s"; getVariable; push ")";
    const std::string tail = R"("; add2; setVariable)";
    st::ActionBuilder a = code((head + "A" + tail).c_str()), b = code((head + "B" + tail).c_str());
    b.jump(static_cast<int16_t>(-6 - between - int(a.records().size() + b.records().size())));
    return {a, b};
}

struct Case {
    const char* name;
    int frames;
    std::function<st::SwfWriter()> movie;
    const char* expected;  // trace lines joined with '\n'
};

TEST(TimelineOrder, FramesGotosAndUnloadsFollowThePlayer) {
    const Case cases[] = {
        {"a clip with an unload handler waits below the timeline's depths until the next frame", 3,
         [] {
             return removedInFrameTwo({{st::kClipUnload, 0, code(R"(
                 push "unload"; trace
                 push 0, "this"; getVariable; push "getDepth"; callMethod; trace)")}});
         },
         "unload\n-16386\nmovieclip\nundefined"},
        {"clips removed from one depth in turn all wait there, each found by its name", 1,
         [] {
             st::ClipAction unload{st::kClipUnload, 0, code(R"(push "this"; getVariable
                 push "_name"; getMember; trace)")};
             st::SwfWriter movie = withSprite();
             for (const char* name : {"a", "b"})
                 movie
                     .placeObject2(
                         {.depth = 1, .character = 1, .name = name, .clipActions = {unload}})
                     .removeObject2(1);
             return movie
                 .doAction(code(R"(push "a"; getVariable; push "_target"; getMember; trace
                 push 0, "b"; getVariable; push "getDepth"; callMethod; trace)"))
                 .showFrame();
         },
         "a\nb\n/a\n-16386"},
        {"a goto back remakes what it passes that has an unload handler, and unloads it", 4,
         [] {
             st::ClipAction made{st::kClipConstruct, 0, code(R"(push "made"; trace)")};
             st::ClipAction unload{st::kClipUnload, 0, code(R"(push "unload"; trace)")};
             st::SwfWriter movie = withSprite();
             movie.placeObject2({.depth = 1, .character = 1, .clipActions = {made, unload}})
                 .placeObject2({.depth = 2, .character = 1, .clipActions = {made}})
                 .showFrame();
             movie.removeObject2(1).removeObject2(2).showFrame().showFrame();
             return movie.doAction(code("gotoFrame 2\nstop")).showFrame();
         },
         "made\nmade\nunload\nmade\nunload"},
        {"a goto over a clip waiting to unload still loads it; its plain children go at once", 1,
         [] {
             st::ClipAction load{st::kClipLoad, 0, code(R"(push "load"; trace)")};
             st::ClipAction unload{st::kClipUnload, 0, code(R"(push "this"; getVariable
                 push "k"; getMember; typeOf; trace)")};
             st::SwfWriter movie = withSprite();
             st::SwfWriter parent;
             parent.placeObject2({.depth = 1, .character = 1, .name = "k"}).showFrame();
             movie.defineSprite(2, parent).doAction(code("gotoFrame 2\nstop")).showFrame();
             movie.placeObject2({.depth = 1, .character = 2, .clipActions = {load, unload}})
                 .showFrame();
             return movie.removeObject2(1).showFrame().showFrame();
         },
         "load\nundefined"},
        {"the main movie's load event follows its first frame's actions", 1,
         [] {
             return withSprite().doAction(code(R"(push "_root"; getVariable; push "onLoad"
                 function "" () { push "load"; trace }; setMember; push "frame"; trace)"))
                 .showFrame();
         },
         "frame\nload"},
        {"a clip of a class placed bare loads behind the frame's actions; what it replaced, "
         "gone at once, calls no handler",
         2,
         [] {
             st::SwfWriter empty, parent, movie;
             parent.placeObject2({.depth = 1, .character = 3, .name = "k"}).showFrame();
             parent.removeObject2(1).placeObject2({.depth = 1, .character = 1, .name = "k"});
             const uint8_t exports[] = {1, 0, 1, 0, 'k', 0};
             movie.version(8)
                 .defineSprite(1, empty.showFrame())
                 .defineSprite(3, empty)
                 .tag(56, exports);
             movie.defineSprite(2, parent.showFrame())
                 .doAction(code(R"(
                 function "K" () { push "ctor"; trace }; push "K"; getVariable; push "prototype"
                 getMember; push "p"; stackSwap; setVariable; push "K"; getVariable; push "k", 2
                 push "Object"; getVariable; push "registerClass"; callMethod; pop; push "p"
                 getVariable; push "onLoad"; function "" () { push "load"; trace }; setMember
                 push "p"; getVariable; push "onUnload"; function "" () { push "unload"; trace }
                 setMember; push "_root"; getVariable; push "onEnterFrame"
                 function "" () { push "enter"; trace }; setMember)"))
                 .place(2, 1)
                 .showFrame();
             return movie.doAction(code(R"(push "frame 2"; trace; stop)")).showFrame();
         },
         "ctor\nenter\nframe 2\nload"},
        {"a clip without one goes at once", 3, [] { return removedInFrameTwo({}); },
         "undefined\nundefined"},
        {"a rewind keeps timeline clips, drops what scripts made at the timeline's depths", 2,
         [] {
             st::SwfWriter movie = withSprite();
             movie.placeObject2({.depth = 1, .character = 1, .name = "a"});
             movie.doAction(code(R"(
                 push "low"; getVariable; typeOf; trace
                 push "high"; getVariable; typeOf; trace
                 push "a"; getVariable; push "v"; getMember; trace)"));
             movie.showFrame();
             movie.doAction(code(R"(
                 push "a"; getVariable; push "v", "kept"; setMember
                 push -100, "low", 2, "_root"; getVariable; push "createEmptyMovieClip"
                 callMethod; pop
                 push 5, "high", 2, "_root"; getVariable; push "createEmptyMovieClip"
                 callMethod; pop
                 gotoFrame 0)"));
             return movie.showFrame();
         },
         "undefined\nundefined\nundefined\nundefined\nmovieclip\nkept"},
        {"a goto past the end stops on the last frame without running it", 2,
         [] {
             st::SwfWriter movie;
             movie.version(8);
             movie.doAction(code(R"(
                 push 99; gotoFrame2 stop
                 push "", 4; getProperty; trace)"));
             movie.showFrame().doAction(code(R"(push "last"; trace)")).showFrame();
             return movie;
         },
         "2"},
        {"gotoAndStop takes anything but a number as a label's text", 1,
         [] {
             st::SwfWriter movie;
             movie.version(8);
             movie.doAction(code(R"(
                 push undefined; gotoFrame2 stop
                 push "", 4; getProperty; trace)"));
             movie.showFrame().showFrame();
             movie.frameLabel("undefined").doAction(code(R"(push "labelled"; trace)"));
             return movie.showFrame();
         },
         "3\nlabelled"},
        {"a fraction's text names a label; a String object, the text it holds", 1,
         [] {
             st::SwfWriter movie;
             movie.version(8);
             movie.doAction(code(R"(
                 push "4.8"; gotoFrame2 stop
                 push "", 4; getProperty; trace
                 push "s", "2", 1, "String"; newObject; setVariable
                 push "s"; getVariable; push "toString"; function "" () { push "3"; return }
                 setMember
                 push "s"; getVariable; gotoFrame2 stop
                 push "", 4; getProperty; trace)"));
             movie.showFrame().showFrame();
             return movie.frameLabel("4.8").showFrame().showFrame().showFrame();
         },
         "3\n2"},
        {"after tellTarget names nothing, GotoFrame and GotoLabel go nowhere, GotoFrame2 to _root",
         1,
         [] {
             st::SwfWriter movie;
             movie.version(8).doAction(code(R"(setTarget "x"; gotoFrame 1; gotoLabel "end"
                 push 2; gotoFrame2 stop; setTarget ""; push "", 4; getProperty; trace)"));
             return movie.showFrame().showFrame().frameLabel("end").showFrame();
         },
         "2"},
        {"a sprite's init actions run once its frame is reached, the first for each sprite only "
         "(the main timeline's too)",
         1,
         [] {
             st::SwfWriter first, second, movie = withSprite();
             first.doInitAction(1, code(R"(push "this"; getVariable; trace)")).showFrame();
             second.doInitAction(1, code(R"(push "again"; trace)")).showFrame();
             movie.defineSprite(2, first).defineSprite(3, second).place(2, 1).place(2, 2);
             return movie.place(3, 3).doInitAction(1, code(R"(push "again"; trace)")).showFrame();
         },
         "_level0"},
        {"init actions queue in tag order with initialize events, ahead of construct events", 1,
         [] {
             const auto t = [](int n) {
                 return code(("push " + std::to_string(n) + "; trace").c_str());
             };
             st::SwfWriter movie = withSprite();
             movie.defineSprite(2, st::SwfWriter().showFrame()).doAction(t(0));
             for (uint16_t id : {1, 2})
                 movie.doInitAction(id, t(10 + id)).placeObject2({.depth = id, .character = id,
                     .clipActions = {{st::kClipInitialize, 0, t(20 + id)},
                                     {st::kClipConstruct, 0, t(30 + id)}}});
             return movie.showFrame();
         },
         "11\n21\n12\n22\n31\n32\n0"},
        {"a class's clip without handlers loads behind what is queued as its constructor runs", 1,
         [] {
             const uint8_t exports[] = {1, 0, 1, 0, 'l', 'i', 'b', 0};
             return withSprite(R"(push "", 13; getProperty; trace)").tag(56, exports)
                 .doInitAction(1, code(R"(function "C" () { }; push "C"; getVariable
                     push "prototype"; getMember; push "onLoad"; function () { push "this"
                     getVariable; trace }; setMember; push "C"; getVariable; push "lib", 2
                     push "Object"; getVariable; push "registerClass"; callMethod; pop
                     push 1, "s", "lib", 3, "_root"; getVariable; push "attachMovie"; callMethod)"))
                 .placeObject2({.depth = 2, .character = 1, .name = "t"}).showFrame();
         },
         "t\ns\n_level0.s\n_level0.t"},
        {"a dragged clip is the drag's to move, not the timeline's, the pointer off the stage", 2,
         [] {
             return withSprite().placeObject2({.depth = 1, .character = 1, .name = "c"})
                 .doAction(code(R"(push 0, "c"; getVariable; push "startDrag"; callMethod)"))
                 .showFrame().move(1, st::Matrix::translation(4000, 0))
                 .doAction(code(R"(push "c", 0; getProperty; trace)")).showFrame();
         },
         "0"},
        {"a sprite that declares no frames counts none, yet runs its actions", 1,
         [] {
             st::SwfWriter sprite;
             sprite.overrideFrameCount(0).doAction(code(R"(
                 push "", 5; getProperty; trace
                 push "", 12; getProperty; trace
                 push "", 4; getProperty; trace)"));
             st::SwfWriter movie;
             movie.version(8).defineSprite(1, sprite.showFrame()).place(1, 1);
             return movie.showFrame();
         },
         "0\n0\n0"},
        {"a button moved to another button stays itself, yet a goto back remakes it", 3,
         [] {
             st::SwfWriter movie = withSprite();
             st::ButtonBuilder button;
             button.add({.states = st::kButtonUp, .character = 1});
             movie.defineButton2(2, button).defineButton2(3, button);
             const char* trace = R"(push "b"; getVariable; push "v"; getMember; trace)";
             movie.placeObject2({.depth = 3, .character = 2, .name = "b"})
                 .doAction(code(trace))
                 .doAction(code(R"(push "b"; getVariable; push "v", "kept"; setMember)"))
                 .showFrame();
             movie.placeObject2({.depth = 3, .move = true, .character = 3}).doAction(code(trace));
             return movie.showFrame().doAction(code("gotoFrame 0\nstop")).showFrame();
         },
         "undefined\nkept\nundefined"},
        {"a button's clips are named after the button", 1,
         [] {
             st::SwfWriter movie = withSprite(R"(push "this"; getVariable; trace)");
             st::ButtonBuilder button;
             button.add({.states = st::kButtonUp, .character = 1});
             movie.defineButton2(2, button).place(2, 1);
             return movie.showFrame();
         },
         "_level0.instance1.instance2"},
        {"a loop back spends a number on each unnamed clip it keeps, none on shapes or names", 4,
         [] {
             st::SwfWriter movie = withSprite(R"(push "this"; getVariable; trace)");
             movie.defineShape(3, st::ShapeBuilder()).place(1, 1).place(3, 2);
             movie.placeObject2({.depth = 3, .character = 1, .name = "n"}).showFrame();
             return movie.place(1, 4).showFrame();
         },
         "_level0.instance1\n_level0.n\n_level0.instance2\n_level0.instance4"},
        {"a branch back past a list's start runs the list before it (a frame's, a handler's)", 2,
         [] {
             auto [a, b] = appendAThenBAndBack(2);  // a tag header between
             auto [c, d] = appendAThenBAndBack(8);  // a handler's events and size between
             st::SwfWriter movie = withSprite();
             movie.placeObject2({.depth = 1, .character = 1, .name = "c",
                                 .clipActions = {{st::kClipLoad, 0, c}, {st::kClipLoad, 0, d}}});
             movie.doAction(a).doAction(b).showFrame();
             return movie.doAction(code(R"(push "s"; getVariable; trace; push "c.s"; getVariable
                                           trace)")).showFrame();
         },
         "undefinedABA\nundefinedABA"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Joined(RunMovie(c.movie(), c.frames)), c.expected) << c.name;
}

}  // namespace
