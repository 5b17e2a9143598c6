// The collector against scripts that cut the built-in classes loose: a movie deletes every
// global, collects, then makes objects of each kind the player makes itself (literals, boxed
// primitives, placed clips, buttons, text fields and videos) and calls natives kept aside,
// whose classes keep objects for the movie (a constructor to copy with, a package, shared
// objects). Freed objects would show under AddressSanitizer and as wrong traces elsewhere.

#include <gtest/gtest.h>

#include <string>

#include "ScriptRun.h"
#include "support/ButtonBuilder.h"
#include "support/EditText.h"
#include "support/ShapeBuilder.h"

namespace {

namespace st = swftest;

// DefineVideoStream: id, frame count, width, height, flags, codec (Sorenson H.263).
std::vector<uint8_t> VideoStreamBody(uint16_t id) {
    return {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), 1, 0, 32, 0, 32, 0, 0, 2};
}

// Makes enough garbage for the collector to run as the frame ends.
const std::string kMakeGarbage = R"(
        push 0; storeRegister 2; pop
        loop:
        push r:2, 30000; less2; not; if made
        push 0; initObject; pop
        push r:2; increment; storeRegister 2; pop
        jump loop
        made:)";

// Unhides every global and deletes it.
const std::string kDeleteEveryGlobal = R"(
        push 7, 0, null, "_global"; getVariable; push 4, "ASSetPropFlags"; callFunction; pop
        push "_global"; getVariable; enumerate2
        next:
        pushDuplicate; push null; equals2; if deleted
        storeRegister 1; pop
        push "_global"; getVariable; push r:1; delete; pop
        jump next
        deleted: pop
)";

TEST(CollectorRoots, ObjectsOfDeletedGlobalClassesStillGetLivePrototypes) {
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(200, 100);
    st::ShapeBuilder square;
    square.fill1(square.addFill(st::FillStyle::solid({0, 0, 255}))).rectangle(0, 0, 400, 400);
    movie.defineShape(1, square);
    st::SwfWriter clipTimeline;
    clipTimeline.place(1, 1).showFrame();
    movie.defineSprite(2, clipTimeline);
    st::ButtonBuilder button;
    button.add({.states = st::kButtonUp | st::kButtonHitTest, .character = 1});
    movie.defineButton2(3, button);
    movie.defineEditText(4, {.bounds = {0, 0, 2000, 400}, .text = "text"});
    movie.tag(60, VideoStreamBody(5));

    // Frame 1: keep one native method, unhide and delete every global, then make enough
    // garbage for the collector to run as the frame ends.
    movie.doAction(st::ActionBuilder::assemble(R"(
        push "keep", "Sound"; getVariable; push "prototype"; getMember
        push "loadSound"; getMember; setVariable
)" + kDeleteEveryGlobal + R"(
        push "_global"; getVariable; push "Video"; getMember; typeOf; trace
)" + kMakeGarbage));
    movie.showFrame();

    // Frame 2: the objects the player makes with its own prototypes. Primitives are boxed
    // through the global classes, gone now, so their methods are not found, nor a new call.
    movie.placeObject2({.depth = 1, .character = 2, .name = "clip"});
    movie.placeObject2({.depth = 2, .character = 3, .name = "btn"});
    movie.placeObject2({.depth = 3, .character = 4, .name = "field"});
    movie.placeObject2({.depth = 4, .character = 5, .name = "vid"});
    movie.doAction(st::ActionBuilder::assemble(R"(
        push "clip"; getVariable; push "getDepth"; getMember; typeOf; trace
        push 0, "btn"; getVariable; push "getDepth"; callMethod; trace
        push 0, "field"; getVariable; push "getDepth"; callMethod; trace
        push "vid"; getVariable; push "attachVideo"; getMember; typeOf; trace
        push "-", 1, 2, 1, 2; initArray; push "join"; callMethod; trace
        push 0, "ab", "toUpperCase"; callMethod; trace
        push 2, 1, 5, "toString"; callMethod; trace
        push 0, true, "toString"; callMethod; trace
        push "x", 1, "x", 1, 1; initObject; push "hasOwnProperty"; callMethod; trace
        push 0; function () { push "called"; return }; push "call"; callMethod; trace
        push "movie.mp3", 0, 0; initObject; push 2, "keep"; getVariable; push "call"; callMethod; pop
        push "kept method ran"; trace
        stop)"));
    movie.showFrame();

    EXPECT_EQ(avm1test::Joined(avm1test::RunMovie(movie, 2)),
              "undefined\nfunction\n-16382\n-16381\nfunction\n1-2\nundefined\nundefined\nundefined\ntrue\n"
              "undefined\nkept method ran");
}

// The same deleting frame as above, after keeping instances and natives whose code reaches
// objects nothing else refers to any more: the constructors copies are made with (the links
// of their prototypes and instances cut), the flash.geom package, the AsBroadcaster that
// initialize copies from, XMLNode for new nodes, and a shared object only the class holds.
TEST(CollectorRoots, NativesOfDeletedClassesStillReachWhatTheirClassesKept) {
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(200, 100);
    movie.doAction(st::ActionBuilder::assemble(R"(
        push "menu", 0, "ContextMenu"; newObject; setVariable
        push "item", 0, "ContextMenuItem"; newObject; setVariable
        push "doc", 0, "XML"; newObject; setVariable
        push "ContextMenu"; getVariable; push "prototype"; getMember; push "constructor"; delete; pop
        push "ContextMenuItem"; getVariable; push "prototype"; getMember; push "constructor"; delete; pop
        push "XMLNode"; getVariable; push "prototype"; getMember; push "constructor"; delete; pop
        push "menu"; getVariable; push "__constructor__"; delete; pop
        push "item"; getVariable; push "__constructor__"; delete; pop
        push "point", 2, 1, 2, "flash"; getVariable; push "geom"; getMember; push "Point"; newMethod; setVariable
        push "init", "AsBroadcaster"; getVariable; push "initialize"; getMember; setVariable
        push "getLocal", "SharedObject"; getVariable; push "getLocal"; getMember; setVariable
        push "b", 1, "getLocal"; callFunction; push "data"; getMember; push "x", 5; setMember
)" + kDeleteEveryGlobal + R"(
)" + kMakeGarbage));
    movie.showFrame();
    movie.doAction(st::ActionBuilder::assemble(R"(
        push 0, "menu"; getVariable; push "copy"; callMethod; push "builtInItems"; getMember
        push "print"; getMember; trace
        push 0, "item"; getVariable; push "copy"; callMethod; push "enabled"; getMember; trace
        push "point"; getVariable; push 1, "point"; getVariable; push "add"; callMethod; trace
        push "b", 1, "getLocal"; callFunction; push "data"; getMember; push "x"; getMember; trace
        push "o", 0; initObject; setVariable
        push "o"; getVariable; push 1, "init"; callFunction; pop
        push "o"; getVariable; push "addListener"; getMember; typeOf; trace
        push "a", 1, "doc"; getVariable; push "createElement"; callMethod; push "nodeName"; getMember; trace
        stop)"));
    movie.showFrame();

    EXPECT_EQ(avm1test::Joined(avm1test::RunMovie(movie, 2)),
              "true\ntrue\n(x=2, y=4)\n5\nfunction\na");
}

}  // namespace
