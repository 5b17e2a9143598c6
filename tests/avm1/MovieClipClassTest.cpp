// Movie clips as scripts see them: the display properties with the player's units and
// rounding, depths, paths to clips, bounds, hit tests and point conversion. The expected
// lines are what the original player prints for the same scripts.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "avm1/ScriptCode.h"
#include "avm1/ScriptRun.h"
#include "support/ButtonBuilder.h"
#include "support/ShapeBuilder.h"
#include "support/SwfWriter.h"
#include "support/TextBuilder.h"

namespace {

namespace st = swftest;
using namespace avm1test::code;
using avm1test::Joined;
using avm1test::RunMovie;


// Register `r` holds the clip in variable `name`.
std::string reg(int r, std::string_view name) {
    return "push \"" + std::string(name) + "\"; getVariable; storeRegister " + std::to_string(r) +
           "; pop\n";
}

// trace(r.xMin), ... for a rectangle object in `name`.
std::string showRect(std::string_view name) {
    std::string n(name);
    return show(n + ".xMin") + show(n + ".xMax") + show(n + ".yMin") + show(n + ".yMax");
}

// A square filled from `from` to `to` px on both axes, drawn into the clip in variable `name`.
std::string drawSquare(std::string_view name, int from, int to) {
    std::string a = std::to_string(from), b = std::to_string(to), out;
    for (auto [x, y] : {std::pair{a, a}, {b, a}, {b, b}, {a, b}})
        out += call(name, out.empty() ? "moveTo" : "lineTo", {x, y}) + "pop\n";
    return call(name, "beginFill", {"255"}) + "pop\n" + out;
}

// Character 2: a clip holding a red rectangle (character 1) of the size given in twips.
void defineRedBox(st::SwfWriter& movie, int width, int height) {
    st::ShapeBuilder rectangle;
    rectangle.fill1(rectangle.addFill(st::FillStyle::solid({255, 0, 0})))
        .rectangle(0, 0, width, height);
    movie.defineShape(1, rectangle);
    st::SwfWriter boxTimeline;
    boxTimeline.place(1, 1).showFrame();
    movie.defineSprite(2, boxTimeline);
}

// The stage: "box", a clip holding a 100 x 50 px rectangle, at (50, 50); "ring", a clip
// holding a ring (an outer and an inner square, even-odd) at (200, 200); a named shape
// "plain" at depth 3; the rectangle clip exported as "Box"; more below.
st::SwfWriter stage(int version, std::string_view script) {
    st::SwfWriter movie;
    movie.version(static_cast<uint8_t>(version));
    defineRedBox(movie, 2000, 1000);
    st::ShapeBuilder ring;
    ring.fill1(ring.addFill(st::FillStyle::solid({0, 0, 255})))
        .rectangle(0, 0, 2000, 2000)
        .rectangle(500, 500, 1000, 1000);
    movie.defineShape(3, ring);
    st::SwfWriter ringTimeline;
    ringTimeline.place(3, 1).showFrame();
    movie.defineSprite(4, ringTimeline);
    const uint8_t exports[] = {1, 0, 2, 0, 'B', 'o', 'x', 0};
    movie.tag(56, exports);
    movie.placeObject2(
        {.depth = 1, .character = 2, .matrix = st::Matrix::translation(1000, 1000), .name = "box"});
    movie.placeObject2({.depth = 2,
                        .character = 4,
                        .matrix = st::Matrix::translation(4000, 4000),
                        .name = "ring"});
    movie.placeObject2({.depth = 3, .character = 1, .name = "plain"});
    // "outer" holds "inner" turned 45 degrees, which holds the rectangle turned back: its
    // leaves line up again.
    st::SwfWriter innerTimeline;
    innerTimeline.place(1, 1, st::Matrix::rotation(-45)).showFrame();
    movie.defineSprite(5, innerTimeline);
    st::SwfWriter outerTimeline;
    outerTimeline.placeObject2(
        {.depth = 1, .character = 5, .matrix = st::Matrix::rotation(45), .name = "inner"});
    outerTimeline.showFrame();
    movie.defineSprite(6, outerTimeline);
    movie.placeObject2({.depth = 4,
                        .character = 6,
                        .matrix = st::Matrix::translation(10000, 1000),
                        .name = "outer"});
    // "layered": a clip layer over the rectangle's left half.
    st::SwfWriter layeredTimeline;
    layeredTimeline.placeObject2(
        {.depth = 1, .character = 1, .matrix = st::Matrix::scaling(0.5, 1), .clipDepth = 3});
    layeredTimeline.place(1, 2).showFrame();
    movie.defineSprite(7, layeredTimeline);
    movie.placeObject2({.depth = 5,
                        .character = 7,
                        .matrix = st::Matrix::translation(1000, 6000),
                        .name = "layered"});
    // "btn", a button over the box.
    st::ButtonBuilder button;
    button.add({.states = st::kButtonUp | st::kButtonHitTest, .character = 1});
    movie.defineButton2(8, button);
    const uint8_t buttonExport[] = {1, 0, 8, 0, 'B', 't', 'n', 0};
    movie.tag(56, buttonExport);
    movie.placeObject2(
        {.depth = 6, .character = 8, .matrix = st::Matrix::translation(1000, 1000), .name = "btn"});
    // "aaText" at (400, 300): a clip of a glyphless 100 x 20 px static text turned 45 degrees,
    // drawn with advanced anti-aliasing.
    st::TextBuilder text;
    text.setBounds(st::Rect::fromPixels(0, 0, 100, 20));
    const uint8_t advanced[] = {9, 0, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    movie.defineText(9, text).tag(74, advanced);
    st::SwfWriter aaTimeline;
    aaTimeline.place(9, 1, st::Matrix::rotation(45)).showFrame();
    movie.defineSprite(10, aaTimeline);
    movie.placeObject2({.depth = 7,
                        .character = 10,
                        .matrix = st::Matrix::translation(8000, 6000),
                        .name = "aaText"});
    movie.doAction(st::ActionBuilder::assemble(script)).showFrame();
    return movie;
}

struct Case {
    const char* name;
    int version;
    std::string script;
    const char* expected;  // the trace lines joined with '\n'
};

TEST(MovieClipClass, ScriptsSeeClipsAsThePlayerShowsThem) {
    const Case cases[] = {
        {"scales and rotation read back as set, the rotation wrapped", 8,
         set("box", "_xscale", "-321") + set("box", "_yscale", "123") +
             set("box", "_rotation", "-333") + show("box._xscale") + show("box._yscale") +
             show("box._rotation") + set("box", "_rotation", "181") + show("box._rotation") +
             set("box", "_rotation", "\"abc\"") + show("box._rotation"),
         "-321\n123\n27\n-179\n-179"},
        {"a zero scale keeps the rotation", 8,
         set("box", "_rotation", "30") + set("box", "_xscale", "0") + set("box", "_yscale", "0") +
             show("box._rotation") + set("box", "_xscale", "100") + show("box._rotation"),
         "30\n30"},
        {"positions go through whole twips; NaN, undefined and null are ignored", 6,
         set("box", "_x", "1.5") + show("box._x") + set("box", "_x", "\"10x\"") + show("box._x") +
             set("box", "_x", "undefined") + show("box._x") + set("box", "_y", "null") +
             show("box._y") + "push \"box\"; getVariable; push \"_x\", 1, 0; divide; setMember\n" +
             show("box._x"),
         "1.5\n1.5\n1.5\n50\n-107374182.4"},
        {"alpha is an 8.8 fixed-point multiplier", 8,
         set("box", "_alpha", "2") + show("box._alpha") + set("box", "_alpha", "-5") +
             show("box._alpha") +
             "push \"box\"; getVariable; push \"_alpha\", 1, 0; divide; "
             "setMember\n" +
             show("box._alpha"),
         "1.953125\n-4.6875\n0"},
        {"width and height in whole twips; the setter scales along the clip's own axes", 8,
         show("box._width") + show("box._height") + set("box", "_rotation", "90") +
             show("box._width") + show("box._height") + set("box", "_width", "40") +
             show("box._xscale") + show("box._yscale") + show("box._width") + show("box._height"),
         "100\n50\n50\n100\n80\n100\n50\n80"},
        {"a named shape is its clip; so is a button before SWF 6", 5,
         show("plain") + show("btn") + "push \"btn\"; getVariable; typeOf; trace\n",
         "_level0\n_level0\nmovieclip"},
        {"a button is an object of its own from SWF 6", 6,
         show("plain") + show("btn") + "push \"btn\"; getVariable; typeOf; trace\n",
         "_level0\n_level0.btn\nobject"},
        {"a button's members all show in for..in, newest first", 6,
         "push \"btn\"; getVariable; enumerate2\nnext: storeRegister 0; push null; equals2; "
         "if done\npush r:0; trace; jump next\ndone:\n",
         "tabIndex\nblendMode\ncacheAsBitmap\nfilters\nscale9Grid\ngetDepth\nenabled\nuseHandCursor"},
        {"an axis with no extent scales to 0, and stays so when content comes", 8,
         call("_root", "createEmptyMovieClip", {"\"e\"", "7"}) + "pop\n" +
             set("e", "_width", "20") + show("e._xscale") + show("e._yscale") +
             call("e", "attachMovie", {"\"Box\"", "\"in\"", "1"}) + "pop\n" +
             show("e._width") + show("e._height") + set("e", "_xscale", "100") +
             show("e._width"),
         "0\n0\n0\n0\n100"},
        {"property names ignore case even in version 7; the frame properties", 7,
         "push \"box\"; getVariable; push \"_X\"; getMember; trace\n" + show("box._currentframe") +
             show("box._totalframes") +
             "push \"e\", 5, \"e\", 2, \"_root\"; getVariable; "
             "push \"createEmptyMovieClip\"; callMethod; setVariable\n" +
             show("e._currentframe") + show("e._totalframes"),
         "50\n1\n1\n0\n1"},
        {"_name takes the text an object's toString gives, else [type Object]", 6,
         "push \"box\"; getVariable; push \"_name\", \"toString\"; "
         "function \"\" () { push 5; return }\npush 1; initObject; setMember\n" +
             show("box") +
             "push \"_root\"; getVariable; push \"[type Object]\"; getMember; trace\n",
         "undefined\n_level0.[type Object]"},
        {"quality, sound buffer and the focus rectangle are the player's", 6,
         set("box", "_quality", "\"low\"") + show("_root._quality") + show("_root._highquality") +
             set("_root", "_highquality", "7") + show("box._quality") +
             set("box", "_soundbuftime", "2.9") + show("_root._soundbuftime") +
             show("box._focusrect") + show("_root._focusrect") +
             set("_root", "_focusrect", "\"abc\"") + show("_root._focusrect") +
             set("_root", "_focusrect", "0") + show("_root._focusrect") +
             set("box", "_focusrect", "\"abc\"") + show("box._focusrect") +
             show("_root._focusrect"),
         "LOW\n0\nBEST\n2\nnull\ntrue\ntrue\nfalse\nfalse\nfalse"},
        {"SWF 5 clips have no createEmptyMovieClip or drawing methods", 5,
         show("box.createEmptyMovieClip") + show("box.lineTo") + show("box.createTextField"),
         "undefined\nundefined\n[type Function]"},
        {"before version 6 _focusrect is the player's number on every clip", 5,
         set("box", "_focusrect", "0") + show("_root._focusrect") + show("box._focusrect"), "0\n0"},
        {"depths wrap to 32 bits and stay within the scripts' range", 8,
         call("_root", "createEmptyMovieClip", {"\"a\"", "4294967301"}) + "pop\n" +
             call("a", "getDepth") + "trace\n" + call("a", "swapDepths", {"undefined"}) + "pop\n" +
             call("a", "getDepth") + "trace\n" + call("a", "swapDepths", {"\"INVALID\""}) +
             "pop\n" + call("a", "getDepth") + "trace\n" + call("a", "swapDepths", {"2130690045"}) +
             "pop\n" + call("a", "getDepth") + "trace\n" + call("a", "swapDepths", {"2130690044"}) +
             "pop\n" + call("_root", "getNextHighestDepth") + "trace\n" +
             call("_root", "attachMovie", {"\"Box\"", "\"b\"", "-16385"}) + "trace\n",
         "5\n5\n0\n0\n2130690045\nundefined"},
        {"an empty clip may stand beyond the scripts' depths, where it neither swaps nor goes", 6,
         call("_root", "createEmptyMovieClip", {"\"a\"", "-30000"}) + "trace\n" +
             call("a", "swapDepths", {"5"}) + "pop\n" + call("a", "getDepth") + "trace\n" +
             call("_root", "attachMovie", {"\"Box\"", "\"b\"", "-30001"}) + "trace\n" +
             call("_root", "createEmptyMovieClip", {"\"c\"", "1048576"}) + "pop\n" +
             call("c", "removeMovieClip") + "pop\n" + show("c"),
         "_level0.a\n-30000\nundefined\n_level0.c"},
        {"swapDepths takes a sibling or its path", 8,
         call("box", "swapDepths", {"\"../ring\""}) + "pop\n" + call("box", "getDepth") +
             "trace\n" + call("ring", "getDepth") + "trace\n" + reg(1, "ring") +
             call("box", "swapDepths", {"r:1"}) + "pop\n" + call("box", "getDepth") + "trace\n",
         "-16382\n-16383\n-16383"},
        {"shapes are no objects: by name or depth they stand for their clip", 8,
         show("_root.plain") + call("_root", "getInstanceAtDepth", {"-16381"}) + "trace\n" +
             call("_root", "getInstanceAtDepth", {"-16383"}) + "trace\n" +
             call("_root", "getInstanceAtDepth", {"-100"}) + "trace\n",
         "_level0\n_level0\n_level0.box\nundefined"},
        {"removeMovieClip leaves the timeline's depths alone", 8,
         call("box", "removeMovieClip") + "pop\n" + show("box") +
             call("_root", "createEmptyMovieClip", {"\"a\"", "2130690031"}) + "pop\n" +
             call("_root", "createEmptyMovieClip", {"\"b\"", "2130690032"}) + "pop\n" +
             call("a", "removeMovieClip") + "pop\n" + call("b", "removeMovieClip") + "pop\n" +
             show("a") + show("b"),
         "_level0.box\nundefined\n_level0.b"},
        {"attachMovie finds the export regardless of case, a button's too", 8,
         call("_root", "attachMovie", {"\"bOx\"", "\"copy\"", "10"}) + "trace\n" +
             show("copy._width") + call("_root", "attachMovie", {"\"Nothing\"", "\"x\"", "11"}) +
             "trace\n" + call("_root", "attachMovie", {"\"btn\"", "\"b2\"", "12"}) +
             "typeOf\ntrace\n" + show("b2"),
         "_level0.copy\n100\nundefined\nobject\n_level0.b2"},
        {"getBounds: in the clip's own space, in another clip's, and when empty", 8,
         "push \"r\"; " + call("box", "getBounds") + "setVariable\n" + showRect("r") +
             "push \"r\"; " + call("box", "getBounds", {"\"_root\""}) + "setVariable\n" +
             showRect("r") + "push \"r\"; " + call("box", "getBounds", {"\"../ring\""}) +
             "setVariable\n" + showRect("r") +
             call("_root", "createEmptyMovieClip", {"\"e\"", "7"}) + "pop\n" + "push \"r\"; " +
             call("e", "getBounds") + "setVariable\n" + show("r.xMin") + "push \"r\"; " +
             call("e", "getBounds", {"\"nowhere\""}) + "setVariable\n" + show("r"),
         "0\n100\n0\n50\n50\n150\n50\n100\n-150\n-50\n-150\n-100\n6710886.35\nundefined"},
        {"hitTest: boxes in the stage's space, or the shapes without their top left edges", 8,
         call("ring", "hitTest", {"250", "250"}) + "trace\n" +
             call("box", "hitTest", {"50", "50", "true"}) + "trace\n" +
             call("box", "hitTest", {"51", "51", "true"}) + "trace\n" +
             call("ring", "hitTest", {"250", "250", "true"}) + "trace\n" +
             call("ring", "hitTest", {"210", "210", "true"}) + "trace\n" +
             call("ring", "hitTest", {"10", "10"}) + "trace\n" + reg(1, "ring") +
             call("box", "hitTest", {"r:1"}) + "trace\n" +
             call("box", "hitTest", {"\"_root.plain\""}) + "trace\n",
         "true\nfalse\ntrue\nfalse\ntrue\nfalse\nfalse\ntrue"},
        {"hitTest: the point lands on whole twips of the stage", 8,
         set("_root", "_xscale", "50") + call("box", "hitTest", {"150.04", "60"}) + "trace\n" +
             call("box", "hitTest", {"150.06", "60"}) + "trace\n",
         "true\nfalse"},
        {"a script's rotation keeps the matrix in 16.16 fixed point", 8,
         set("box", "_rotation", "90") + show("box.transform.matrix.a") +
             set("box", "_rotation", "5") + show("box.transform.matrix.b"),
         "0\n0.087158203125"},
        {"localToGlobal and globalToLocal change a point's own numbers in place", 8,
         "push \"p\", \"x\", 10, \"y\", 20, 2; initObject; setVariable\n" + reg(1, "p") +
             call("box", "localToGlobal", {"r:1"}) + "pop\n" + show("p.x") + show("p.y") +
             call("ring", "globalToLocal", {"r:1"}) + "pop\n" + show("p.x") + show("p.y") +
             "push \"q\", \"x\", 10, \"y\", \"20\", 2; initObject; setVariable\n" + reg(1, "q") +
             call("box", "localToGlobal", {"r:1"}) + "pop\n" + show("q.x"),
         "60\n70\n-140\n-130\n10"},
        {"_lockroot makes a clip the _root of what it holds", 8,
         call("box", "createEmptyMovieClip", {"\"inner\"", "1"}) + "pop\n" +
             show("box.inner._root") + set("box", "_lockroot", "\"yes\"") + show("box._lockroot") +
             show("box.inner._root") + show("box._root"),
         "_level0\ntrue\n_level0.box\n_level0.box"},
        {"setMask answers whether the mask was found", 8,
         call("box", "setMask", {"\"ring\""}) + "trace\n" +
             call("box", "setMask", {"\"nothing\""}) + "trace\n" +
             call("box", "setMask", {"null"}) + "trace\n" + call("box", "setMask") + "trace\n",
         "true\nfalse\ntrue\nundefined"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Joined(RunMovie(stage(c.version, c.script))), c.expected) << c.name;
}

TEST(MovieClipClass, ContainersAndPlacementFieldsFollowThePlayer) {
    const Case cases[] = {
        {"a container is measured by its leaves, not by the boxes between", 8,
         "push \"r\"; " + call("outer", "getBounds") + "setVariable\n" + showRect("r") +
             show("outer._width") + show("outer.inner._width"),
         "0\n100\n0\n50\n100\n150"},
        {"a clip layer is not hit itself and limits what it covers", 8,
         call("layered", "hitTest", {"60", "310", "true"}) + "trace\n" +
             call("layered", "hitTest", {"140", "310", "true"}) + "trace\n" +
             call("layered", "hitTest", {"140", "310"}) + "trace\n",
         "true\nfalse\ntrue"},
        {"text with advanced anti-aliasing is hit all over its box on the stage", 8,
         call("aaText", "hitTest", {"460", "310", "true"}) + "trace\n" +
             call("aaText", "hitTest", {"475", "310", "true"}) + "trace\n",
         "true\nfalse"},
        {"an empty clip duplicates as an empty clip with nothing loaded", 8,
         call("_root", "createEmptyMovieClip", {"\"e\"", "1"}) + "pop\n" +
             call("e", "duplicateMovieClip", {"\"f\"", "2"}) + "trace\n" +
             call("f", "getBytesLoaded") + "trace\n" +
             call("box", "duplicateMovieClip", {"\"g\"", "2130690045"}) + "trace\n",
         "_level0.f\n0\nundefined"},
        {"from version 7 a NaN names a clip 0", 7,
         "push \"box\"; getVariable; push \"_name\", 0, 0; divide; setMember\n" +
             show("_root.0._name"),
         "0"},
        {"blendMode, cacheAsBitmap and filters are the placement's", 8,
         show("box.blendMode") + set("box", "blendMode", "\"add\"") + show("box.blendMode") +
             set("box", "blendMode", "3") + show("box.blendMode") +
             set("box", "blendMode", "\"bogus\"") + show("box.blendMode") +
             show("box.cacheAsBitmap") + set("box", "cacheAsBitmap", "1") +
             show("box.cacheAsBitmap") + show("box.filters.length"),
         "normal\nadd\nmultiply\nmultiply\nfalse\ntrue\n0"},
        {"the placement fields are not there before version 8", 7, show("box.blendMode"),
         "undefined"},
        {"a drawing's extent keeps its parents' placement of when it was drawn, in that tick", 6,
         "push \"b\"\n" + call("box", "createEmptyMovieClip", {"\"b\"", "2"}) + "setVariable\n" +
             drawSquare("b", 100, 150) + set("b", "_x", "-50") +
             call("b", "hitTest", {"110", "170", "true"}) + "trace\n" + set("box", "_y", "150") +
             call("b", "hitTest", {"110", "170", "true"}) + "trace\n" +
             call("b", "hitTest", {"110", "270", "true"}) + "trace\n" +
             call("b", "lineTo", {"100", "100"}) + "pop\n" +
             call("b", "hitTest", {"110", "270", "true"}) + "trace\n",
         "true\nfalse\nfalse\ntrue"},
        {"masks that hold their clip or mask each other end a shape test", 8,
         call("_root", "createEmptyMovieClip", {"\"a\"", "1"}) + "pop\n" +
             call("_root", "createEmptyMovieClip", {"\"b\"", "2"}) + "pop\n" +
             call("a", "setMask", {"\"b\""}) + "pop\n" + call("b", "setMask", {"\"a\""}) + "pop\n" +
             call("ring", "setMask", {"\"_root\""}) + "pop\n" +
             call("box", "setMask", {"\"ring\""}) + "pop\n" +
             call("_root", "hitTest", {"20", "20", "true"}) + "trace\n" +
             call("box", "hitTest", {"60", "60", "true"}) + "trace\n" +
             call("a", "hitTest", {"60", "60", "true"}) + "trace\n",
         "true\nfalse\nfalse"},
        {"a script's mask is hit only as a button; a clip given a mask masks nothing", 8,
         call("box", "setMask", {"\"ring\""}) + "pop\n" +
             call("ring", "hitTest", {"210", "210", "true"}) + "trace\n" +
             "push \"ring\"; getVariable; push \"onRollOver\"; function \"\" () { push 5; "
             "return }\nsetMember\n" +
             call("ring", "hitTest", {"210", "210", "true"}) + "trace\n" +
             call("box", "hitTest", {"60", "60", "true"}) + "trace\n" +
             call("_root", "createEmptyMovieClip", {"\"e\"", "7"}) + "pop\n" +
             call("ring", "setMask", {"\"e\""}) + "pop\n" +
             call("box", "hitTest", {"60", "60", "true"}) + "trace\n",
         "false\ntrue\nfalse\ntrue"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Joined(RunMovie(stage(c.version, c.script))), c.expected) << c.name;
}

// "turned" (turned 45 degrees and scaled) holds "inner" (turned back and shrunk), which holds
// a square and a sheared clip of a smaller one: the fixed-point matrices and whole-twip
// translations of a measurement between them show in the last digit.
st::SwfWriter turnedStage(int version, std::string_view script) {
    st::SwfWriter movie;
    movie.version(static_cast<uint8_t>(version));
    auto square = [&](uint16_t id, int32_t from, int32_t to) {
        st::ShapeBuilder shape;
        shape.fill1(shape.addFill(st::FillStyle::solid({0, 128, 0})))
            .rectangle(from, from, to - from, to - from);
        movie.defineShape(id, shape);
    };
    square(1, -1000, 1000);
    square(2, 0, 1000);
    st::SwfWriter small;
    small.place(2, 1).showFrame();
    movie.defineSprite(3, small);
    st::SwfWriter inner;
    inner.place(1, 1);
    inner.placeObject2({.depth = 2,
                        .character = 3,
                        .matrix = st::Matrix::affine(1, 2, 0, 1, 2099, -2240),
                        .name = "sheared"});
    inner.showFrame();
    movie.defineSprite(4, inner);
    st::SwfWriter turned;
    turned.placeObject2({.depth = 1,
                         .character = 4,
                         .matrix = st::Matrix::affine(0.3535614013671875, 0.3535614013671875,
                                                      -0.353546142578125, 0.3535614013671875,
                                                      0, 0),
                         .name = "inner"});
    turned.showFrame();
    movie.defineSprite(5, turned);
    movie.placeObject2({.depth = 1,
                        .character = 5,
                        .matrix = st::Matrix::affine(1.414215087890625, 1.414215087890625,
                                                     -1.414215087890625, 1.414215087890625,
                                                     2999, 3000),
                        .name = "turned"});
    // "btn", a button over the box.
    st::ButtonBuilder button;
    button.add({.states = st::kButtonUp | st::kButtonHitTest, .character = 1});
    movie.defineButton2(8, button);
    movie.placeObject2(
        {.depth = 6, .character = 8, .matrix = st::Matrix::translation(1000, 1000), .name = "btn"});
    movie.doAction(st::ActionBuilder::assemble(script)).showFrame();
    return movie;
}

TEST(MovieClipClass, BoundsInAnotherClipsSpaceRoundAsThePlayers) {
    const std::string inner = "push \"turned\"; getVariable; push \"inner\"; getMember; ";
    // r = turned.inner.getBounds(target), `target` the code pushing it.
    auto boundsIn = [&](const std::string& target) {
        return "push \"r\"; " + target + "; push 1; " + inner +
               "push \"getBounds\"; callMethod; setVariable\n" + showRect("r");
    };
    const std::string emptyInRoot =
        call("_root", "createEmptyMovieClip", {"\"e\"", "2"}) + "pop\npush \"r\"; " +
        call("e", "getBounds", {"\"_root\""}) + "setVariable\n" + show("r.xMin");
    const Case cases[] = {
        {"in its parent's space", 8, boundsIn(var("turned")), "-35.35\n94.4\n-57.25\n72.5"},
        {"in the stage's space", 8, boundsIn(var("_root")), "99.95\n261.95\n100\n304.95"},
        {"in its child's space", 8, boundsIn(member(member(var("turned"), "inner"), "sheared")),
         "-154.95\n50\n-100\n471.9"},
        {"its parent in its child's space: corners in whole stage twips first", 8,
         "push \"r\"; " + member(member(var("turned"), "inner"), "sheared") +
             "; push 1, \"turned\"; getVariable; push \"getBounds\"; callMethod; setVariable\n" +
             showRect("r"),
         "-204.95\n99.95\n-99.9\n521.9"},
        {"an empty clip's extent stays whole before version 8", 7, emptyInRoot, "6710886.35"},
        {"from version 8 it goes through single precision", 8, emptyInRoot, "6710886.4"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Joined(RunMovie(turnedStage(c.version, c.script))), c.expected) << c.name;
}

// "box" placed on frame 1, where `script` runs, and moved to x = 100 px by frame 2, which
// traces its position.
st::SwfWriter movedOnFrameTwo(std::string_view script) {
    st::SwfWriter movie;
    movie.version(8);
    defineRedBox(movie, 200, 200);
    movie.placeObject2({.depth = 1, .character = 2, .name = "box"});
    movie.doAction(st::ActionBuilder::assemble(script)).showFrame();
    movie.placeObject2({.depth = 1, .move = true, .matrix = st::Matrix::translation(2000, 0)});
    movie.doAction(st::ActionBuilder::assemble(show("box._x") + "stop")).showFrame();
    return movie;
}

TEST(MovieClipClass, ATimelineNoLongerMovesWhatAScriptRecoloured) {
    const std::string color = "push \"box\"; getVariable; push 1, \"Color\"; newObject";
    const Case cases[] = {
        {"untouched, the timeline moves it", 8, "", "100"},
        {"after setTransform", 8,
         run(invoke(color, "setTransform", {lit("\"rb\", 10, 1; initObject")})), "0"},
        {"after setRGB", 8, run(invoke(color, "setRGB", {lit("255")})), "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Joined(RunMovie(movedOnFrameTwo(c.script), 2)), c.expected) << c.name;
}

// "holder" runs `setup` on frame 1; its own timeline defines whereIsRoot(), which answers the
// _root it was preloaded with; frame 2 traces what it answers.
st::SwfWriter rootPreloaded(std::string_view setup) {
    st::SwfWriter movie;
    movie.version(8);
    st::SwfWriter holder;
    holder.doAction(st::ActionBuilder::assemble(
        R"(function2 "whereIsRoot" () flags=preloadRoot { push r:1; return })"));
    holder.showFrame();
    movie.defineSprite(1, holder);
    movie.placeObject2({.depth = 1, .character = 1, .name = "holder"});
    movie.doAction(st::ActionBuilder::assemble(setup)).showFrame();
    movie.doAction(st::ActionBuilder::assemble(call("holder", "whereIsRoot") + "trace\nstop"))
        .showFrame();
    return movie;
}

TEST(MovieClipClass, APreloadedRootIsTheOneTheFunctionsClipSees) {
    const Case cases[] = {
        {"the main timeline", 8, "", "_level0"},
        {"a clip with _lockroot", 8, set("holder", "_lockroot", "true"), "_level0.holder"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Joined(RunMovie(rootPreloaded(c.script), 2)), c.expected) << c.name;
}

}  // namespace
