// AsBroadcaster, flash.geom (Point, Rectangle, Matrix, ColorTransform, Transform) and Color:
// each script runs as the first frame of a movie of the given version, and what it traces is
// what the original player prints for it.

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

Code geomClass(const Code& name) {
    return member(member(var("flash"), "geom"), name);
}
Code make(const Code& name, std::initializer_list<Code> args = {}) {
    return pushArgs(args) + "; " + member(var("flash"), "geom") + "; push \"" + name +
           "\"; newMethod";
}
// ASSetPropFlags(_global, "flash", 0, <version bits>): shows the package to older movies.
const Code kShowFlash =
    "push 29824, 0, \"flash\", \"_global\"; getVariable; push 4, \"ASSetPropFlags\"; "
    "callFunction; pop\n";

struct Case {
    const char* name;
    int version;
    Code script;
    const char* trace;
};

std::vector<Case> Cases() {
    const Code b = var("b");
    return {
        {"AsBroadcaster: adding again moves a listener last, messages go in order", 8,
         "function \"show\" (x) { push \"this\"; getVariable; push \"n\"; getMember; push "
         "\"x\"; getVariable; add2; trace }\n" +
             let("b", "push 0, \"Object\"; newObject") +
             run(invoke(var("AsBroadcaster"), "initialize", {b})) +
             let("a", "push \"n\", \"a\", \"m\"; push \"show\"; getVariable; push 2; initObject") +
             let("c", "push \"n\", \"c\", \"m\"; push \"show\"; getVariable; push 2; initObject") +
             trace(invoke(b, "addListener", {var("a")})) +
             trace(invoke(b, "addListener", {var("c")})) +
             trace(invoke(b, "addListener", {var("a")})) +
             trace(invoke(b, "broadcastMessage", {lit("\"m\""), lit("1")})) +
             trace(invoke(b, "removeListener", {var("c")})) +
             trace(invoke(b, "removeListener", {var("c")})) + trace(invoke(b, "broadcastMessage")) +
             trace(member(member(b, "_listeners"), "length")) +
             trace(invoke(b, "isPropertyEnumerable", {lit("\"_listeners\"")})) +
             trace(invoke(b, "isPropertyEnumerable", {lit("\"addListener\"")})) +
             run(invoke(b, "removeListener", {var("a")})) +
             trace(invoke(b, "broadcastMessage", {lit("\"m\"")})) +
             trace(member(b, "addListener") + "; " + member(var("AsBroadcaster"), "addListener") +
                   "; strictEquals"),
         "true\ntrue\ntrue\nc1\na1\ntrue\ntrue\nfalse\nundefined\n1\nfalse\nfalse\nundefined\ntru"
         "e"},
        {"AsBroadcaster: listeners compare with ==, an empty message calls the listener", 8,
         "function \"f\" () { push \"called with \"; push \"arguments\"; getVariable; push "
         "\"length\"; getMember; add2; trace }\n" +
             let("b", "push 0, \"Object\"; newObject") +
             run(invoke(var("AsBroadcaster"), "initialize", {b})) +
             run(invoke(b, "addListener", {lit("undefined")})) +
             run(invoke(b, "addListener", {lit("null")})) + trace(member(b, "_listeners")) +
             trace(invoke(b, "removeListener", {})) +
             trace(member(member(b, "_listeners"), "length")) +
             run(invoke(b, "addListener", {var("f")})) +
             trace(invoke(b, "broadcastMessage", {lit("\"\""), lit("1"), lit("2")})) +
             trace(member(var("AsBroadcaster"), "prototype") + "; typeOf"),
         "null\ntrue\n0\ncalled with 2\ntrue\nobject"},
        {"AsBroadcaster: version 5 movies see no prototype", 5,
         trace(var("AsBroadcaster") + "; typeOf") +
             trace(member(var("AsBroadcaster"), "prototype") + "; typeOf"),
         "function\nundefined"},
        {"flash is hidden from version 6 movies until shown", 6,
         trace(var("flash") + "; typeOf") + kShowFlash + trace(geomClass("Point") + "; typeOf"),
         "undefined\nfunction"},
        {"flash is gone in version 5", 5, kShowFlash + trace(var("flash") + "; typeOf"),
         "undefined"},
        {"Point: + joins, - makes numbers, statics go through the points' methods", 8,
         trace(make("Point")) + trace(make("Point", {lit("1")})) +
             let("p", make("Point", {lit("\"x\""), lit("\"y\"")})) +
             trace(invoke(var("p"), "add", {make("Point", {lit("1"), lit("2")})})) +
             trace(invoke(var("p"), "subtract", {make("Point", {lit("1"), lit("2")})})) +
             let("q", make("Point", {lit("3"), lit("4")})) + trace(member(var("q"), "length")) +
             run(invoke(var("q"), "normalize", {lit("10")})) + trace(var("q")) +
             trace(invoke(var("q"), "equals", {lit("\"x\", 6, \"y\", 8, 2; initObject")})) +
             trace(invoke(var("q"), "equals", {invoke(var("q"), "clone")})) +
             run(invoke(var("q"), "offset", {lit("1"), lit("\"z\"")})) + trace(var("q")) +
             trace(invoke(geomClass("Point"), "distance",
                          {lit("\"x\", 0, \"y\", 0, 2; initObject"), var("q")})) +
             trace(invoke(
                 geomClass("Point"), "distance",
                 {make("Point", {lit("0"), lit("0")}), make("Point", {lit("3"), lit("4")})})) +
             trace(invoke(geomClass("Point"), "interpolate",
                          {make("Point", {lit("-100"), lit("-200")}),
                           make("Point", {lit("100"), lit("200")}), lit("0.5")})) +
             trace(invoke(geomClass("Point"), "polar",
                          {lit("5"), invoke(var("Math"), "atan", {lit("0.75")})})),
         "(x=0, y=0)\n(x=1, y=undefined)\n(x=x1, y=y2)\n(x=NaN, y=NaN)\n5\n(x=6, y=8)\nfalse\n"
         "true\n(x=7, y=8z)\nundefined\n5\n(x=0, y=0)\n(x=4, y=3)"},
        {"Point: normalize leaves a point without a length alone", 8,
         let("p", make("Point", {lit("100"), lit("null")})) +
             run(invoke(var("p"), "normalize", {lit("1")})) + trace(var("p")),
         "(x=100, y=null)"},
        {"Rectangle: edges, corners and size move as the player's do", 8,
         let("r", make("Rectangle", {lit("1"), lit("3"), lit("5"), lit("7")})) +
             trace(member(var("r"), "right")) + trace(member(var("r"), "bottom")) +
             trace(member(var("r"), "topLeft")) + trace(member(var("r"), "size")) +
             assign(var("r"), "left", lit("0")) + trace(var("r")) +
             assign(var("r"), "bottomRight", make("Point", {lit("10"), lit("20")})) +
             trace(var("r")) + assign(var("r"), "top", "push 0; initObject") + trace(var("r")) +
             trace(make("Rectangle", {lit("1")})),
         "6\n10\n(x=1, y=3)\n(x=5, y=7)\n(x=0, y=3, w=6, h=7)\n(x=0, y=3, w=10, h=17)\n"
         "(x=0, y=[object Object], w=10, h=NaN)\n(x=1, y=undefined, w=undefined, h=undefined)"},
        {"Rectangle: tests give what && gives, undefined for NaN", 8,
         let("r", make("Rectangle", {lit("1"), lit("3"), lit("5"), lit("7")})) +
             trace(invoke(var("r"), "contains", {lit("1"), lit("3")})) +
             trace(invoke(var("r"), "contains", {lit("1")})) +
             trace(invoke(var("r"), "contains", {lit("1"), lit("2")})) +
             trace(invoke(var("r"), "contains", {lit("6"), lit("10")})) +
             trace(invoke(var("r"), "containsRectangle",
                          {make("Rectangle", {lit("1"), lit("3"), lit("5"), lit("7")})})) +
             trace(invoke(var("r"), "containsRectangle",
                          {make("Rectangle", {lit("5"), lit("5"), lit("nan"), lit("1")})})) +
             trace(invoke(var("r"), "isEmpty")) +
             trace(
                 invoke(make("Rectangle", {lit("1"), lit("2"), lit("nan"), lit("4")}), "isEmpty")),
         "true\nundefined\nfalse\nfalse\ntrue\nundefined\nfalse\ntrue"},
        {"Rectangle: intersection, union, inflate and offset", 8,
         let("r", make("Rectangle", {lit("1"), lit("3"), lit("5"), lit("7")})) +
             let("s", make("Rectangle", {lit("3"), lit("5"), lit("7"), lit("9")})) +
             trace(invoke(var("r"), "intersection", {var("s")})) +
             trace(invoke(var("r"), "union", {var("s")})) +
             trace(invoke(var("r"), "intersection",
                          {make("Rectangle", {lit("30"), lit("50"), lit("1"), lit("1")})})) +
             trace(
                 invoke(var("r"), "intersects",
                        {lit("\"x\", 3, \"y\", 5, \"width\", 7, \"height\", 1, 4; initObject")})) +
             trace(invoke(var("r"), "union", {})) +
             run(invoke(var("r"), "inflate", {lit("1"), lit("2")})) + trace(var("r")) +
             run(invoke(var("r"), "offset", {lit("1"), lit("\"a\"")})) + trace(var("r")) +
             trace(invoke(var("r"), "equals", {invoke(var("r"), "clone")})) +
             trace(invoke(
                 var("r"), "equals",
                 {lit("\"x\", 1, \"y\", \"1a\", \"width\", 7, \"height\", 11, 4; initObject")})),
         "(x=3, y=5, w=3, h=5)\n(x=1, y=3, w=9, h=11)\n(x=0, y=0, w=0, h=0)\ntrue\n"
         "(x=NaN, y=NaN, w=NaN, h=NaN)\n(x=0, y=1, w=7, h=11)\n(x=1, y=1a, w=7, "
         "h=11)\ntrue\nfalse"},
        {"Matrix: products, inverse, points and boxes", 8,
         trace(make("Matrix")) + trace(make("Matrix", {lit("1"), lit("2")})) +
             let("m",
                 make("Matrix", {lit("2"), lit("3"), lit("5"), lit("7"), lit("9"), lit("11")})) +
             run(invoke(var("m"), "invert")) + trace(var("m")) +
             let("m",
                 make("Matrix", {lit("2"), lit("3"), lit("5"), lit("7"), lit("11"), lit("13")})) +
             trace(invoke(var("m"), "transformPoint", {make("Point", {lit("1"), lit("1")})})) +
             trace(invoke(var("m"), "deltaTransformPoint", {make("Point", {lit("1"), lit("1")})})) +
             let("m", make("Matrix",
                           {lit("11"), lit("13"), lit("17"), lit("19"), lit("23"), lit("29")})) +
             let("s", make("Matrix")) + run(invoke(var("s"), "scale", {lit("3"), lit("5")})) +
             run(invoke(var("m"), "concat", {var("s")})) + trace(var("m")) +
             run(invoke(var("m"), "translate", {lit("7"), lit("\"px\"")})) + trace(var("m")) +
             let("m", make("Matrix")) + run(invoke(var("m"), "createBox", {lit("2"), lit("3")})) +
             trace(var("m")) +
             run(invoke(var("m"), "createBox", {lit("2"), lit("3"), lit("0"), lit("\"t\"")})) +
             trace(var("m")) +
             run(invoke(var("m"), "createGradientBox", {lit("200"), lit("300")})) +
             trace(var("m")) +
             run(invoke(var("m"), "createGradientBox",
                        {lit("40"), lit("49"), lit("0"), lit("\"s\""), lit("undefined")})) +
             trace(var("m")),
         "(a=1, b=0, c=0, d=1, tx=0, ty=0)\n"
         "(a=1, b=2, c=undefined, d=undefined, tx=undefined, ty=undefined)\n"
         "(a=-7, b=3, c=5, d=-2, tx=8, ty=-5)\n(x=18, y=23)\n(x=7, y=10)\n"
         "(a=33, b=65, c=51, d=95, tx=69, ty=145)\n(a=33, b=65, c=51, d=95, tx=76, ty=145px)\n"
         "(a=NaN, b=NaN, c=NaN, d=NaN, tx=0, ty=0)\n(a=2, b=0, c=0, d=3, tx=t, ty=0)\n"
         "(a=0.1220703125, b=0, c=0, d=0.18310546875, tx=100, ty=150)\n"
         "(a=0.0244140625, b=0, c=0, d=0.0299072265625, tx=s20, ty=NaN)"},
        {"Matrix: copied methods work through the other object's own", 8,
         let("o",
             lit("\"a\", 1, \"b\", 1, \"c\", 1, \"d\", 1, \"tx\", 5, \"ty\", 5, 6; initObject")) +
             assign(var("o"), "rotate",
                    member(member(geomClass("Matrix"), "prototype"), "rotate")) +
             assign(var("o"), "translate",
                    member(member(geomClass("Matrix"), "prototype"), "translate")) +
             assign(var("o"), "invert",
                    member(member(geomClass("Matrix"), "prototype"), "invert")) +
             run(invoke(var("o"), "rotate", {lit("1")})) + trace(member(var("o"), "a")) +
             run(invoke(var("o"), "translate", {lit("200"), lit("400")})) +
             trace(member(var("o"), "tx")) + assign(var("o"), "a", lit("3")) +
             run(invoke(var("o"), "invert")) + trace(member(var("o"), "a")) +
             trace(member(var("o"), "tx")),
         "1\n205\n0.5\nNaN"},
        {"Matrix: a box turned by 0 keeps b and c at 0 in version 6", 6,
         kShowFlash + let("m", make("Matrix")) +
             run(invoke(var("m"), "createBox", {lit("\"a\""), lit("\"b\"")})) + trace(var("m")),
         "(a=NaN, b=0, c=0, d=NaN, tx=0, ty=0)"},
        {"ColorTransform: numbers of its own, rgb and concat", 8,
         trace(make("ColorTransform")) +
             trace(make("ColorTransform",
                        {lit("2"), lit("2"), lit("2"), lit("2"), lit("2"), lit("2"), lit("2")})) +
             let("c", make("ColorTransform", {lit("0.5"), lit("0.5"), lit("0.5"), lit("0.5"),
                                              lit("10"), lit("20"), lit("30"), lit("40")})) +
             run(invoke(
                 var("c"), "concat",
                 {make("ColorTransform", {lit("0.5"), lit("0.5"), lit("0.5"), lit("0.5"), lit("50"),
                                          lit("60"), lit("70"), lit("\"80\"")})})) +
             trace(var("c")) + trace(member(var("c"), "rgb")) +
             assign(var("c"), "rgb", lit("2109504")) + trace(var("c")) +
             assign(var("c"), "redMultiplier", lit("\"x\"")) +
             trace(member(var("c"), "redMultiplier")) +
             run(invoke(var("c"), "concat", {lit("undefined")})) +
             trace(member(var("c"), "blueOffset")) +
             trace(invoke(var("c"), "hasOwnProperty", {lit("\"rgb\"")})),
         "(redMultiplier=1, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, redOffset=0, "
         "greenOffset=0, blueOffset=0, alphaOffset=0)\n"
         "(redMultiplier=1, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, redOffset=0, "
         "greenOffset=0, blueOffset=0, alphaOffset=0)\n"
         "(redMultiplier=0.25, greenMultiplier=0.25, blueMultiplier=0.25, alphaMultiplier=0.25, "
         "redOffset=35, greenOffset=50, blueOffset=65, alphaOffset=80)\n2306625\n"
         "(redMultiplier=0, greenMultiplier=0, blueMultiplier=0, alphaMultiplier=0.25, "
         "redOffset=32, greenOffset=48, blueOffset=64, alphaOffset=80)\nNaN\n64\nfalse"},
        {"ColorTransform: rgb wraps to 32 bits; the prototype's members enumerate", 8,
         let("c", make("ColorTransform", {lit("1"), lit("1"), lit("1"), lit("1"), lit("1000000"),
                                          lit("1000"), lit("1000"), lit("0")})) +
             trace(member(var("c"), "rgb")) + member(geomClass("ColorTransform"), "prototype") +
             "; enumerate2\nnext: storeRegister 0; push null; equals2; if done; push r:0; trace; "
             "jump next\ndone:\n",
         "1111747560\ntoString\nconcat\nrgb\nblueOffset\ngreenOffset\nredOffset\nalphaOffset\n"
         "blueMultiplier\ngreenMultiplier\nredMultiplier\nalphaMultiplier"},
        {"Transform: the clip's matrix and colour transform, both ways", 8,
         let("t", make("Transform", {var("_root")})) + trace(member(var("t"), "matrix")) +
             assign(
                 var("t"), "matrix",
                 make("Matrix", {lit("2"), lit("0"), lit("0"), lit("2"), lit("10"), lit("11")})) +
             trace(member(var("_root"), "_xscale")) + trace(member(var("_root"), "_y")) +
             trace(member(member(var("t"), "concatenatedMatrix"), "tx")) +
             assign(var("t"), "colorTransform",
                    make("ColorTransform", {lit("1"), lit("1"), lit("1"), lit("0.5"), lit("300"),
                                            lit("0"), lit("0"), lit("0")})) +
             trace(member(var("_root"), "_alpha")) +
             trace(
                 member(member(member(var("_root"), "transform"), "colorTransform"), "redOffset")) +
             trace(member(var("_root"), "transform") + "; " + geomClass("Transform") +
                   "; instanceOf"),
         "(a=1, b=0, c=0, d=1, tx=0, ty=0)\n200\n11\n10\n50\n300\ntrue"},
        {"Color: tints in percent and offsets, 16 bits each, through the target", 8,
         let("c", "push \"_root\"; getVariable; push 1, \"Color\"; newObject") +
             run(invoke(var("c"), "setRGB", {lit("16711782")})) +
             trace(invoke(var("c"), "getRGB")) + let("o", invoke(var("c"), "getTransform")) +
             trace(member(var("o"), "ra")) + trace(member(var("o"), "rb")) +
             trace(member(var("o"), "bb")) + trace(member(var("o"), "aa")) +
             run(invoke(var("c"), "setTransform",
                        {lit("\"ra\", 12800, \"gb\", -32832, \"aa\", 1, \"bb\", \"0x10\", 4; "
                             "initObject")})) +
             let("o", invoke(var("c"), "getTransform")) + trace(member(var("o"), "ra")) +
             trace(member(var("o"), "gb")) + trace(member(var("o"), "aa")) +
             trace(member(var("o"), "rb")) + trace(member(var("o"), "bb")) +
             trace(invoke("push \"_root\"; push 1, \"Color\"; newObject", "getRGB")) +
             trace(invoke("push 0, \"Color\"; newObject", "getRGB")) +
             trace(invoke("push \"nowhere\"; push 1, \"Color\"; newObject", "getRGB")) +
             trace(invoke(var("c"), "hasOwnProperty", {lit("\"target\"")})),
         "16711782\n0\n255\n102\n100\n-12800\n32704\n0.78125\n255\n16\n16760848\nundefined\n"
         "undefined\ntrue"},
    };
}

TEST(GeometryClasses, ScriptsTraceWhatThePlayerTraces) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Joined(RunScript(c.script, c.version)), c.trace);
    }
}

}  // namespace
