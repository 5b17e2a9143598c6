// flash.geom's Point, Rectangle, Matrix, Vector3D and ColorTransform, run as small ABC
// scripts and checked by what they trace (the player's toString formats included).

#include <gtest/gtest.h>

#include <cmath>

#include "ScriptEmit.h"

namespace {

using namespace avm2test;

Emit Point(double x, double y) {
    return New("flash.geom::Point", {Num(x), Num(y)});
}
Emit Rect(double x, double y, double w, double h) {
    return New("flash.geom::Rectangle", {Num(x), Num(y), Num(w), Num(h)});
}
Emit Mat(double a, double b, double c, double d, double tx, double ty) {
    return New("flash.geom::Matrix", {Num(a), Num(b), Num(c), Num(d), Num(tx), Num(ty)});
}

TEST(Avm2Geom, MethodsComputeAndPrintAsThePlayerDoes) {
    const std::vector<Case> cases = {
        {"point arithmetic", Call(Point(1, 2), "add", {Point(3, -5)}), "(x=4, y=-3)"},
        {"point length", Get(Point(3, 4), "length"), "5"},
        {"normalize scales to the thickness", Having(Point(3, 4), "normalize", {Num(10)}), "(x=6, y=8)"},
        {"interpolate leans to the first", Static("flash.geom::Point", "interpolate", {Point(0, 0), Point(10, 20), Num(0.25)}),
         "(x=7.5, y=15)"},
        {"fields are Numbers", Assigned(Point(0, 0), "x", Str("12.5")), "(x=12.5, y=0)"},
        {"rectangle edges", Get(Rect(1, 2, 3, 4), "bottomRight"), "(x=4, y=6)"},
        {"setting left keeps the right edge", Assigned(Rect(1, 2, 3, 4), "left", Num(-1)), "(x=-1, y=2, w=5, h=4)"},
        {"intersection", Call(Rect(0, 0, 10, 10), "intersection", {Rect(5, -5, 10, 10)}), "(x=5, y=0, w=5, h=5)"},
        {"disjoint rectangles meet in an empty one", Call(Rect(0, 0, 1, 1), "intersection", {Rect(5, 5, 1, 1)}),
         "(x=0, y=0, w=0, h=0)"},
        {"union takes NaN as Math.max does", Call(Rect(1, 3, 5, 7), "union", {Rect(-1, -3, NAN, 7)}),
         "(x=-1, y=-3, w=NaN, h=13)"},
        {"a NaN size is not empty", Call(Rect(1, 2, NAN, NAN), "isEmpty", {}), "false"},
        {"containsRect", Call(Rect(0, 0, 10, 10), "containsRect", {Rect(2, 2, 8, 8)}), "true"},
        {"contains excludes the far edges", Call(Rect(0, 0, 10, 10), "contains", {Num(10), Num(5)}), "false"},
        {"concat applies the argument after", Having(Mat(2, 0, 0, 2, 1, 1), "concat", {Mat(1, 0, 0, 1, 5, 0)}),
         "(a=2, b=0, c=0, d=2, tx=6, ty=1)"},
        {"invert", Having(Mat(2, 0, 0, 4, 10, 20), "invert", {}), "(a=0.5, b=0, c=0, d=0.25, tx=-5, ty=-5)"},
        {"a singular matrix inverts to the identity", Having(Mat(1, 2, 2, 4, 3, 3), "invert", {}),
         "(a=1, b=0, c=0, d=1, tx=0, ty=0)"},
        {"transformPoint", Call(Mat(0, 1, -1, 0, 10, 0), "transformPoint", {Point(2, 3)}), "(x=7, y=2)"},
        {"createGradientBox", Having(New("flash.geom::Matrix", {}), "createGradientBox", {Num(1638.4), Num(819.2), Num(0), Num(10), Num(20)}),
         "(a=1, b=0, c=0, d=0.5, tx=829.2, ty=429.6)"},
        {"Vector3D prints x, y and z", New("flash.geom::Vector3D", {Num(9), Num(8), Num(7), Num(6)}),
         "Vector3D(9, 8, 7)"},
        {"copyColumnFrom fills a row as the player does",
         Having(Mat(2, 3, 5, 7, 11, 13), "copyColumnFrom", {Num(1), New("flash.geom::Vector3D", {Num(17), Num(19), Num(23)})}),
         "(a=2, b=17, c=5, d=19, tx=11, ty=23)"},
        {"colour offsets", Get(Assigned(New("flash.geom::ColorTransform", {}), "color", Num(0x123456)), "blueOffset"), "86"},
        {"concat multiplies and offsets",
         Having(New("flash.geom::ColorTransform", {Num(0.5), Num(1), Num(1), Num(1), Num(10)}), "concat",
                {New("flash.geom::ColorTransform", {Num(0.5), Num(1), Num(1), Num(1), Num(100)})}),
         "(redMultiplier=0.25, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, redOffset=60, greenOffset=0, "
         "blueOffset=0, alphaOffset=0)"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
    EXPECT_EQ(ThrownBy(Call(Rect(0, 0, 1, 1), "union", {Global("undefined")})),
              "TypeError: Error #1009: Cannot access a property or method of a null object reference.");
}

}  // namespace
