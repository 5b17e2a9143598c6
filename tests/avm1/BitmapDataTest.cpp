// flash.display.BitmapData and flash.filters: each script runs as the first frame of a movie,
// and what it traces is what the original player prints for it (premultiplied pixels, its
// noise generator, its error answers, its clamping of filter settings).

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "ScriptCode.h"
#include "ScriptRun.h"

namespace {

using avm1test::Joined;
using avm1test::RunScript;
using namespace avm1test::code;

Code bitmap(std::initializer_list<Code> args) {
    return makeFlash("display", "BitmapData", args);
}
Code filter(const Code& name, std::initializer_list<Code> args = {}) {
    return makeFlash("filters", name, args);
}
struct Case {
    const char* name;
    Code script;
    const char* trace;
};

// How many of the four pixels of the 4x1 bitmap b are red.
Code redPixels() {
    Code sum = lit("0");
    for (int x = 0; x < 4; ++x)
        sum += "; " + invoke(var("b"), "getPixel32", {lit(std::to_string(x)), lit("0")}) +
               "; push -65536; equals2; add2";
    return sum;
}

// seed = b.pixelDissolve(b, rect, point, seed, count, red), then the red pixels traced, `times`.
Code dissolve(int times, const Code& rect, const Code& point, const Code& count) {
    Code out;
    for (int i = 0; i < times; ++i)
        out += let("seed", invoke(var("b"), "pixelDissolve",
                                  {var("b"), rect, point, var("seed"), count, lit("-65536")})) +
               trace(redPixels());
    return out;
}

// The pixelDissolve cases: a black 4x1 opaque bitmap in b, seed 0.
std::vector<Case> DissolveCases() {
    const Code b = var("b"), own = member(var("b"), "rectangle");
    const Code origin = makeFlash("geom", "Point", {lit("0"), lit("0")});
    const Code fresh = let("b", bitmap({lit("4"), lit("1"), lit("false"), lit("0")})) +
                       let("seed", lit("0"));
    return {
        {"a call writes the pixel at the seed and `count` more, and hands back the last",
         fresh + dissolve(3, own, origin, lit("1")) + dissolve(1, own, origin, lit("0")),
         "2\n3\n4\n4"},
        {"a count of 0 writes the seed's pixel alone, again and again",
         fresh + dissolve(2, own, origin, lit("0")), "1\n1"},
        {"a count past the rectangle covers it once",
         fresh + dissolve(1, own, origin, lit("100")), "4"},
        {"no count, or one that is no number, writes nothing",
         fresh + run(invoke(b, "pixelDissolve", {b, own, origin})) + trace(redPixels()) +
             dissolve(1, own, origin, lit("nan")),
         "0\n0"},
        {"the walk covers only what lands inside the destination",
         fresh + dissolve(2, own, makeFlash("geom", "Point", {lit("3"), lit("0")}), lit("5")) +
             dissolve(1, makeFlash("geom", "Rectangle", {lit("-2"), lit("0"), lit("3"), lit("1")}),
                      origin, lit("9")),
         "1\n1\n2"},
        {"a source that is no live bitmap answers -1, a rectangle that is none -4",
         fresh + trace(invoke(b, "pixelDissolve", {lit("null"), own, origin})) +
             trace(invoke(b, "pixelDissolve", {lit("5"), own, origin})) +
             trace(invoke(b, "pixelDissolve", {lit("null"), lit("null"), origin})) +
             trace(invoke(b, "pixelDissolve", {b, lit("null"), origin})) +
             let("d", bitmap({lit("1"), lit("1")})) + run(invoke(var("d"), "dispose")) +
             trace(invoke(b, "pixelDissolve", {var("d"), own, origin})),
         "-1\n-1\n-1\n-4\n-1"},
    };
}

std::vector<Case> Cases() {
    const Code b = var("b"), f = var("f");
    return {
        {"sizes are whole pixels; the properties cannot be written",
         let("b", bitmap({lit("10.5"), lit("10.5"), lit("false"), lit("4294967295")})) +
             trace(member(b, "width")) + trace(member(b, "height")) +
             trace(member(b, "transparent")) + trace(invoke(member(b, "rectangle"), "toString")) +
             assign(b, "width", lit("100")) + trace(member(b, "width")),
         "10\n10\nfalse\n(x=0, y=0, w=10, h=10)\n10"},
        {"transparent pixels are kept premultiplied",
         let("b", bitmap({lit("2"), lit("2"), lit("true"), lit("2864434397")})) +
             trace(invoke(b, "getPixel32", {lit("0"), lit("0")})) +
             run(invoke(b, "setPixel32", {lit("0"), lit("0"), lit("2164260863")})) +
             trace(invoke(b, "getPixel32", {lit("0"), lit("0")})) +
             run(invoke(b, "setPixel", {lit("0"), lit("0"), lit("12303291")})) +
             trace(invoke(b, "getPixel32", {lit("0"), lit("0")})) +
             trace(invoke(b, "getPixel", {lit("0"), lit("0")})),
         "-1430532900\n-2130706433\n-2135180357\n12303291"},
        {"an opaque bitmap drops the alpha it is given",
         let("b", bitmap({lit("1"), lit("1"), lit("false")})) +
             run(invoke(b, "setPixel32", {lit("0"), lit("0"), lit("2164260863")})) +
             trace(invoke(b, "getPixel32", {lit("0"), lit("0")})),
         "-1"},
        {"too few arguments, a bad rectangle and a disposed bitmap answer -1",
         let("b", bitmap({lit("3"), lit("3")})) + trace(invoke(b, "fillRect")) +
             trace(invoke(b, "fillRect", {lit("null"), lit("0")})) +
             trace(invoke(b, "setPixel32", {lit("1")})) +
             trace(invoke(b, "getPixel", {lit("5"), lit("5")})) +
             trace(invoke(b, "colorTransform", {lit("null"), lit("null")})) +
             run(invoke(b, "dispose")) + trace(member(b, "width")) +
             trace(invoke(b, "getPixel", {lit("0"), lit("0")})),
         "-1\n-1\n-1\n0\n-2\n-1\n-1"},
        {"a rectangle of negative size fills back from its corner",
         let("b", bitmap({lit("4"), lit("4"), lit("false"), lit("4278190080")})) +
             run(invoke(b, "fillRect",
                        {makeFlash("geom", "Rectangle", {lit("3"), lit("3"), lit("-2"), lit("-2")}),
                         lit("4294901760")})) +
             trace(invoke(b, "getPixel", {lit("1"), lit("1")})) +
             trace(invoke(b, "getPixel", {lit("2"), lit("2")})) +
             trace(invoke(b, "getPixel", {lit("3"), lit("3")})) +
             trace(invoke(b, "getPixel", {lit("0"), lit("1")})),
         "16711680\n16711680\n0\n0"},
        {"noise comes from the player's generator",
         let("b", bitmap({lit("1"), lit("3"), lit("false")})) +
             run(invoke(b, "noise", {lit("1")})) +
             trace(invoke(b, "getPixel32", {lit("0"), lit("0")})) +
             run(invoke(b, "noise", {lit("1"), lit("0"), lit("255"), lit("1"), lit("true")})) +
             trace(invoke(b, "getPixel", {lit("0"), lit("1")})),
         "-5770791\n15856113"},
        {"flood fill, colour bounds and compare",
         let("b", bitmap({lit("3"), lit("3"), lit("true"), lit("4278190080")})) +
             run(invoke(b, "setPixel32", {lit("1"), lit("1"), lit("4294901760")})) +
             trace(invoke(invoke(b, "getColorBoundsRect", {lit("4294967295"), lit("4294901760")}),
                          "toString")) +
             trace(invoke(b, "floodFill", {lit("0"), lit("0"), lit("4278255360")})) +
             trace(invoke(b, "floodFill", {lit("0"), lit("0"), lit("4278255360")})) +
             trace(invoke(b, "getPixel32", {lit("2"), lit("2")})) +
             trace(invoke(b, "getPixel", {lit("1"), lit("1")})) +
             trace(invoke(b, "compare", {invoke(b, "clone")})) +
             trace(invoke(b, "compare", {bitmap({lit("2"), lit("3")})})),
         "(x=1, y=1, w=1, h=1)\n1\n0\n-16711936\n16711680\n0\n-3"},
        {"an opaque bitmap matches its colour unmasked but for the alpha, which is always full",
         let("b", bitmap({lit("2"), lit("1"), lit("false"), lit("2864434397")})) +
             trace(member(invoke(b, "getColorBoundsRect", {lit("0"), lit("221")}), "width")) +
             trace(member(invoke(b, "getColorBoundsRect", {lit("255"), lit("221")}), "width")) +
             trace(member(invoke(b, "getColorBoundsRect", {lit("4278190080"), lit("2852126720")}),
                          "width")),
         "0\n2\n2"},
        {"a match at the origin alone bounds nothing",
         let("b", bitmap({lit("3"), lit("3"), lit("true"), lit("4294967295")})) +
             run(invoke(b, "setPixel32", {lit("0"), lit("0"), lit("0")})) +
             trace(invoke(b, "getColorBoundsRect", {lit("4294967295"), lit("0")})),
         "(x=0, y=0, w=0, h=0)"},
        {"the channel constants",
         trace(member(member(member(var("flash"), "display"), "BitmapData"), "ALPHA_CHANNEL")) +
             trace(member(member(member(var("flash"), "display"), "BitmapData"), "GREEN_CHANNEL")),
         "8\n2"},
        {"filter settings clamp and convert as they are stored; the default angle is a radian "
         "constant",
         let("f", filter("DropShadowFilter")) + trace(member(f, "angle")) +
             assign(f, "quality", lit("100")) +
             assign(f, "blurX", lit("-1")) + assign(f, "strength", lit("256")) +
             assign(f, "alpha", lit("0.5")) + assign(f, "color", lit("-305419896")) +
             assign(f, "angle", lit("366")) +
             trace(member(f, "quality")) + trace(member(f, "blurX")) +
             trace(member(f, "strength")) + trace(member(f, "alpha")) +
             trace(member(f, "color")) + trace(member(f, "angle")) +
             trace(member(f, "distance")),
         "44.9999999772279\n15\n0\n255\n0.498039215686275\n13347208\n6\n4"},
        {"gradient arrays follow the colours, and entries a shorter list dropped come back; the "
         "displacement mode is one of four",
         let("f", filter("GradientGlowFilter")) +
             assign(f, "colors", lit("10, -305419896, 2; initArray")) +
             assign(f, "ratios", lit("100, 50.5, 500, 3; initArray")) +
             trace(member(f, "alphas")) + trace(member(f, "ratios")) +
             assign(f, "colors", lit("5")) + trace(member(f, "ratios")) +
             assign(f, "colors", lit("3, 2, 1, 3; initArray")) + trace(member(f, "ratios")) +
             let("f", filter("DisplacementMapFilter")) + assign(f, "mode", lit("\"Color\"")) +
             trace(member(f, "mode")) + assign(f, "mode", lit("\"clamp\"")) +
             trace(member(f, "mode")),
         "0,0\n255,50\n\n255,50,0\nwrap\nclamp"},
        {"a map point converts both coordinates though one throws; the first throw goes on",
         let("f", filter("DisplacementMapFilter")) + let("bad", lit("0; push \"Object\"; newObject")) +
             assign(var("bad"), "valueOf", "function \"\" () { push \"no\"; throw }") +
             "try catch=\"e\" {\n" +
             assign(var("f"), "mapPoint",
                    lit("\"x\", 3, \"y\"") + "; " + var("bad") + "; push 2; initObject") +
             "} catch {\n" + trace(var("e")) + "}\n" + trace(member(var("f"), "mapPoint")) +
             "try catch=\"e\" {\n" +
             assign(var("f"), "mapPoint", lit("\"x\"") + "; " + var("bad") + "; push 1; initObject") +
             "} catch {\n" + trace(var("e")) + "}\n" + trace(member(var("f"), "mapPoint")),
         "no\n(x=3, y=-2147483648)\nno\n(x=0, y=0)"},
        {"clone copies; the base class has nothing to copy",
         let("f", filter("BlurFilter", {lit("2"), lit("3")})) +
             trace(member(invoke(f, "clone"), "blurY")) +
             trace(f + "; pushDuplicate; push 0; stackSwap; push \"clone\"; callMethod; equals2") +
             trace(invoke(filter("BitmapFilter"), "clone")),
         "3\nfalse\nundefined"},
        {"copyPixels merging adds the destination scaled by what the source leaves, rounded down",
         let("n", bitmap({lit("1"), lit("1"), lit("false"), lit("4278190080")})) +
             let("t", bitmap({lit("1"), lit("1"), lit("true"), lit("4027452942")})) +
             let("r", makeFlash("geom", "Rectangle", {lit("0"), lit("0"), lit("1"), lit("1")})) +
             let("p", makeFlash("geom", "Point", {lit("0"), lit("0")})) +
             run(invoke(var("n"), "copyPixels", {var("t"), var("r"), var("p")})) +
             trace(invoke(var("n"), "getPixel32", {lit("0"), lit("0")})) +
             run(invoke(var("n"), "copyPixels",
                        {var("t"), var("r"), var("p"), lit("null"), lit("null"), lit("true")})) +
             trace(invoke(var("n"), "getPixel32", {lit("0"), lit("0")})),
         "-15921907\n-15921907"},
        {"a clip's filters go in and come out as copies",
         run(invoke(var("_root"), "createEmptyMovieClip", {lit("\"c\""), lit("1")})) +
             let("f", filter("BlurFilter", {lit("2"), lit("3")})) +
             assign(var("c"), "filters", f + "; push 1; initArray") +
             assign(f, "blurY", lit("9")) +
             trace(member(member(var("c"), "filters"), "length")) +
             trace(member(member(member(var("c"), "filters"), "0"), "blurY")),
         "1\n3"},
    };
}

TEST(BitmapData, ScriptsTraceWhatThePlayerTraces) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Joined(RunScript(c.script, 8)), c.trace);
    }
}

TEST(BitmapData, PixelDissolveWalksEachPixelOnceFromTheSeed) {
    for (const Case& c : DissolveCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Joined(RunScript(c.script, 8)), c.trace);
    }
}

}  // namespace
