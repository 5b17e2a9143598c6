// How the player puts pixels on its view: ties of edges on pixel centres without
// anti-aliasing, cached bitmaps at whole pixels, scroll rectangles, colour transforms' rounding,
// text field borders and the stage fitted to a view of another size by scale mode and
// alignment. Each case is a written movie drawn at low quality (no partial pixels), read back
// at known points.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ScriptCode.h"
#include "ScriptRun.h"
#include "support/ButtonBuilder.h"
#include "swf/player/Player.h"

namespace {

namespace st = swftest;
namespace code = avm1test::code;
using code::lit;
using code::var;

const st::Rgba kRed{255, 0, 0};
const st::Rgba kGreen{0, 255, 0};
const st::Rgba kBlue{0, 0, 255};
const st::Rgba kWhite{255, 255, 255};
const st::Rgba kBlack{0, 0, 0};

struct Probe {
    int x, y;
    st::Rgba color;
};

struct PictureCase {
    std::string name;
    int stageWidth, stageHeight;
    int viewWidth, viewHeight;  // 0: the movie's own size
    // Definitions and placements of the first frame, before its script.
    std::function<void(st::SwfWriter&)> content;
    std::string script;
    std::vector<std::string> traces;
    std::vector<Probe> probes;
    std::vector<swf::InputEvent> input = {};  // delivered once the frame has run
};

st::ShapeBuilder Box(st::Rgba color, int x0, int y0, int x1, int y1) {
    st::ShapeBuilder shape;
    shape.fill1(shape.addFill(st::FillStyle::solid(color)))
        .rectangle(st::px(x0), st::px(y0), st::px(x1 - x0), st::px(y1 - y0));
    return shape;
}

// A sprite (id 2) holding a square of `side` pixels (shape 1) at its origin.
void SquareSprite(st::SwfWriter& movie, st::Rgba color, int side) {
    movie.defineShape(1, Box(color, 0, 0, side, side));
    st::SwfWriter timeline;
    timeline.place(1, 1).showFrame();
    movie.defineSprite(2, timeline);
}

// A sprite (id 3) named "c" at (5, 5): 40 by 10 pixels, red on its left half, green on its
// right.
void TwoColourClip(st::SwfWriter& movie) {
    movie.defineShape(1, Box(kRed, 0, 0, 20, 10)).defineShape(2, Box(kGreen, 20, 0, 40, 10));
    st::SwfWriter timeline;
    timeline.place(1, 1).place(2, 2).showFrame();
    movie.defineSprite(3, timeline);
    movie.placeObject2(
        {.depth = 1, .character = 3, .matrix = st::Matrix::translation(100, 100), .name = "c"});
}

// A 40 by 20 stage: blue, with a red square over its second quarter (x 10 to 20).
void QuarteredStage(st::SwfWriter& movie) {
    movie.defineShape(1, Box(kBlue, 0, 0, 40, 20)).defineShape(2, Box(kRed, 10, 0, 20, 20));
    movie.place(1, 1).place(2, 2);
}

std::string SetStage(const std::string& property, const std::string& value) {
    return code::assign(var("Stage"), property, lit("\"" + value + "\""));
}

class PictureRulesTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PictureRulesTest, PixelsAtKnownPoints) {
    const PictureCase& c = GetParam();
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(c.stageWidth, c.stageHeight).setBackgroundColor(kWhite);
    c.content(movie);
    if (!c.script.empty()) movie.doAction(st::ActionBuilder::assemble(c.script));
    movie.showFrame();

    swf::Player player;
    std::vector<std::string> traces;
    player.SetTraceSink([&traces](const std::string& line) { traces.push_back(line); });
    player.SetRenderQuality(swf::RenderQuality::Low);
    if (c.viewWidth > 0) player.SetViewSize(c.viewWidth, c.viewHeight);
    std::vector<uint8_t> bytes = movie.bytes();
    ASSERT_TRUE(player.LoadMovieFromMemory(bytes)) << player.LoadError();
    for (const swf::InputEvent& event : c.input) player.HandleInput(event);
    EXPECT_EQ(traces, c.traces);

    const int width = player.ViewWidth(), height = player.ViewHeight();
    ASSERT_EQ(width, c.viewWidth > 0 ? c.viewWidth : c.stageWidth);
    ASSERT_EQ(height, c.viewHeight > 0 ? c.viewHeight : c.stageHeight);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    ASSERT_TRUE(player.Draw({pixels.data(), static_cast<size_t>(width) * 3, 24, false}));
    for (const Probe& probe : c.probes) {
        const uint8_t* p = &pixels[(static_cast<size_t>(probe.y) * width + probe.x) * 3];
        EXPECT_EQ((std::vector<int>{p[2], p[1], p[0]}),
                  (std::vector<int>{probe.color.r, probe.color.g, probe.color.b}))
            << "at " << probe.x << "," << probe.y;
    }
}

swf::InputEvent Event(swf::InputEvent::Type type, int keyCode = 0, double x = 0, double y = 0) {
    swf::InputEvent event;
    event.type = type;
    event.keyCode = keyCode;
    event.x = x;
    event.y = y;
    return event;
}
const swf::InputEvent kTab = Event(swf::InputEvent::Type::KeyDown, 9);
const st::Rgba kYellow{255, 255, 0};

// A tab-enabled blue square sprite "c" of 20 pixels at (10, 10).
void TabbableSquare(st::SwfWriter& movie) {
    SquareSprite(movie, kBlue, 20);
    movie.placeObject2(
        {.depth = 1, .character = 2, .matrix = st::Matrix::translation(200, 200), .name = "c"});
}
const std::string kTabEnabled = code::assign(var("c"), "tabEnabled", lit("true"));
// Where a focus rectangle would be yellow, and the square's middle, blue in any case.
const std::vector<Probe> kFramed = {
    {10, 10, kYellow}, {12, 12, kYellow}, {29, 20, kYellow}, {20, 27, kYellow},
    {13, 13, kBlue},   {26, 26, kBlue},   {9, 9, kWhite},    {30, 30, kWhite}};
std::vector<Probe> Unframed() {
    return {{10, 10, kBlue}, {12, 12, kBlue}, {29, 20, kBlue}, {13, 13, kBlue}};
}

const std::string kScrollRect =
    code::assign(var("c"), "scrollRect",
                 code::makeFlash("geom", "Rectangle", {lit("15"), lit("0"), lit("10"), lit("10")}));

INSTANTIATE_TEST_SUITE_P(
    Pictures, PictureRulesTest,
    ::testing::Values(
        // Tab frames the focused object in yellow, three pixels just inside its bounds.
        PictureCase{"focusRectangleAfterTab", 40, 40, 0, 0, TabbableSquare, kTabEnabled, {},
                    kFramed, {kTab}},
        // A click takes it away; _focusrect false when the focus comes keeps it off.
        PictureCase{"focusRectangleGoneAfterClick", 40, 40, 0, 0, TabbableSquare, kTabEnabled,
                    {}, Unframed(),
                    {kTab, Event(swf::InputEvent::Type::MouseDown, 0, 35, 35)}},
        PictureCase{"focusRectangleOffByFocusrect", 40, 40, 0, 0, TabbableSquare,
                    kTabEnabled + code::assign(var("c"), "_focusrect", lit("false")), {},
                    Unframed(), {kTab}},
        // A button is framed by its hit area (the inner 10 pixels here), not what it shows
        // (its over state, rolled over by the Tab).
        PictureCase{"focusRectangleOfAButtonFramesItsHitArea", 40, 40, 0, 0,
                    [](st::SwfWriter& movie) {
                        movie.defineShape(1, Box(kBlue, 10, 10, 30, 30))
                            .defineShape(3, Box(kBlue, 15, 15, 25, 25));
                        st::ButtonBuilder button;
                        button.add({.states = st::kButtonUp | st::kButtonOver, .character = 1})
                            .add({.states = st::kButtonHitTest, .character = 3, .depth = 2});
                        movie.defineButton2(2, button);
                        movie.placeObject2({.depth = 1, .character = 2, .name = "c"});
                    },
                    "", {},
                    {{15, 15, kYellow}, {24, 24, kYellow}, {18, 18, kBlue}, {12, 12, kBlue}},
                    {kTab}},
        // A red square from 10 to 20 pixels outlined by a one-twip line: the line on each
        // boundary paints the pixel before it, so the square takes columns and rows 9 to 19.
        PictureCase{"hairlineOnPixelBoundary", 40, 40, 0, 0,
                    [](st::SwfWriter& movie) {
                        st::ShapeBuilder shape;
                        shape.fill1(shape.addFill(st::FillStyle::solid(kRed)))
                            .line(shape.addLine(st::LineStyle::solid(1, kRed)))
                            .rectangle(st::px(10), st::px(10), st::px(10), st::px(10));
                        movie.defineShape(1, shape).place(1, 1);
                    },
                    "",
                    {},
                    {{8, 15, kWhite},
                     {9, 15, kRed},
                     {19, 15, kRed},
                     {20, 15, kWhite},
                     {15, 9, kRed},
                     {15, 19, kRed},
                     {15, 20, kWhite}}},
        // A fill from 12.5 to 32.5 pixels: the pixel whose centre is on its left edge is in,
        // the one whose centre is on its right edge is out.
        PictureCase{"fillOnHalfPixels", 40, 40, 0, 0,
                    [](st::SwfWriter& movie) {
                        SquareSprite(movie, kBlue, 20);
                        movie.place(2, 1, st::Matrix::translation(250, 250));
                    },
                    "",
                    {},
                    {{11, 20, kWhite}, {12, 20, kBlue}, {31, 20, kBlue}, {32, 20, kWhite}}},
        // The same clip cached as a bitmap is drawn at its offset rounded: 13 to 33.
        PictureCase{"cachedBitmapAtWholePixels", 40, 40, 0, 0,
                    [](st::SwfWriter& movie) {
                        SquareSprite(movie, kBlue, 20);
                        movie.placeObject3({.depth = 1,
                                            .character = 2,
                                            .matrix = st::Matrix::translation(250, 250),
                                            .cacheAsBitmap = true});
                    },
                    "",
                    {},
                    {{12, 20, kWhite}, {13, 13, kBlue}, {32, 32, kBlue}, {33, 20, kWhite}}},
        // Filters cache the object as a bitmap: drawn at whole pixels too, its shadow (red,
        // unblurred, 5 pixels to the right) with it.
        PictureCase{"filteredAtWholePixels", 40, 40, 0, 0,
                    [](st::SwfWriter& movie) {
                        SquareSprite(movie, kBlue, 20);
                        movie.placeObject3({.depth = 1,
                                            .character = 2,
                                            .matrix = st::Matrix::translation(250, 250),
                                            .filters = {1, 0, 255, 0, 0, 255, 0, 0, 0, 0, 0, 0,
                                                        0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 1, 0x21}});
                    },
                    "",
                    {},
                    {{12, 20, kWhite},
                     {13, 13, kBlue},
                     {32, 32, kBlue},
                     {33, 20, kRed},
                     {37, 25, kRed},
                     {38, 20, kWhite}}},
        // A shadow cast 10 pixels down onto the stage from a square above it: what lies off the
        // stage still casts it.
        PictureCase{"shadowFromOffTheStage", 40, 40, 0, 0,
                    [](st::SwfWriter& movie) {
                        SquareSprite(movie, kBlue, 20);
                        movie.placeObject3({.depth = 1,
                                            .character = 2,
                                            .matrix = st::Matrix::translation(200, -300),
                                            .filters = {1, 0, 255, 0, 0, 255, 0, 0, 0, 0, 0, 0,
                                                        0, 0, 0x20, 0x92, 1, 0, 0, 0, 10, 0, 0,
                                                        1, 0x21}});
                    },
                    "",
                    {},
                    {{15, 3, kBlue}, {15, 7, kRed}, {15, 14, kRed}, {15, 15, kWhite}, {9, 7, kWhite}}},
        // What moves to whole pixels is the corner of the cached object's extent: a one-pixel
        // outline reaches half a pixel before its edges, so placed at (10, 10) its lines move
        // half a pixel on, onto columns 10 and 30.
        PictureCase{"cachedBitmapCornerOnAPixel", 40, 40, 0, 0,
                    [](st::SwfWriter& movie) {
                        st::ShapeBuilder outline;
                        outline.line(outline.addLine(st::LineStyle::solid(20, kRed)))
                            .rectangle(0, 0, st::px(20), st::px(20));
                        movie.defineShape(1, outline);
                        st::SwfWriter timeline;
                        timeline.place(1, 1).showFrame();
                        movie.defineSprite(2, timeline);
                        movie.placeObject3({.depth = 1,
                                            .character = 2,
                                            .matrix = st::Matrix::translation(200, 200),
                                            .cacheAsBitmap = true});
                    },
                    "",
                    {},
                    {{9, 15, kWhite},
                     {10, 15, kRed},
                     {11, 15, kWhite},
                     {29, 15, kWhite},
                     {30, 15, kRed},
                     {31, 15, kWhite},
                     {15, 9, kWhite},
                     {15, 10, kRed}}},
        // Showing x 15 to 25 of the clip: its red half's last five columns, then five green,
        // at the clip's origin; nothing past the rectangle. Its size is the rectangle's.
        PictureCase{"scrollRectShowsItsPart", 40, 40, 0, 0, TwoColourClip,
                    kScrollRect + code::trace(code::member(var("c"), "_width")) +
                        code::trace(code::member(var("c"), "_height")) +
                        code::trace(code::member(code::member(var("c"), "scrollRect"), "x")),
                    {"10", "10", "15"},
                    {{4, 8, kWhite},
                     {5, 8, kRed},
                     {9, 14, kRed},
                     {10, 5, kGreen},
                     {14, 8, kGreen},
                     {15, 8, kWhite},
                     {30, 8, kWhite},
                     {8, 15, kWhite}}},
        // Set to anything but an object, it goes: the whole clip shows again.
        PictureCase{"scrollRectTakenAway", 50, 20, 0, 0, TwoColourClip,
                    kScrollRect + code::assign(var("c"), "scrollRect", lit("undefined")) +
                        code::trace(code::member(var("c"), "scrollRect")) +
                        code::trace(code::member(var("c"), "_width")),
                    {"undefined", "40"},
                    {{5, 8, kRed}, {30, 8, kGreen}, {44, 8, kGreen}, {45, 8, kWhite}}},
        // _alpha 30 is a gain of 76/256: blue at 255 * 76 / 256 = 75.7, rounded to 76, over
        // white leaves 179 of its red and green.
        PictureCase{"alphaGainRoundsToNearest", 40, 40, 0, 0,
                    [](st::SwfWriter& movie) {
                        SquareSprite(movie, kBlue, 20);
                        movie.placeObject2({.depth = 1, .character = 2, .name = "c"});
                    },
                    code::assign(var("c"), "_alpha", lit("30")),
                    {},
                    {{10, 10, {179, 179, 255}}, {30, 30, kWhite}}},
        // A text field's border: the top row and left column in full, the right column and
        // bottom row one pixel short, the bottom-right corner left out.
        PictureCase{"textFieldBorder", 30, 30, 0, 0,
                    [](st::SwfWriter& movie) {
                        movie.defineEditText(
                            1, {.bounds = st::Rect::fromPixels(0, 0, 10, 10), .border = true});
                        movie.place(1, 1, st::Matrix::translation(100, 100));
                    },
                    "",
                    {},
                    {{5, 5, kBlack},
                     {15, 5, kBlack},
                     {5, 15, kBlack},
                     {14, 15, kBlack},
                     {15, 14, kBlack},
                     {15, 15, kWhite},
                     {10, 10, kWhite},
                     {4, 5, kWhite},
                     {16, 5, kWhite}}},
        // Show all (the default) in a square view twice the stage's width: scaled by 2, the
        // free rows above and below split evenly.
        PictureCase{"showAllCentres", 40, 20, 80, 80, QuarteredStage,
                    code::trace(code::member(var("Stage"), "scaleMode")),
                    {"showAll"},
                    {{70, 19, kWhite},
                     {70, 20, kBlue},
                     {70, 59, kBlue},
                     {70, 60, kWhite},
                     {19, 40, kBlue},
                     {20, 40, kRed},
                     {39, 40, kRed},
                     {40, 40, kBlue}}},
        PictureCase{"alignTopLeft", 40, 20, 80, 80, QuarteredStage, SetStage("align", "TL"),
                    {},
                    {{70, 0, kBlue}, {70, 39, kBlue}, {70, 40, kWhite}, {30, 20, kRed}}},
        PictureCase{"exactFitStretches", 40, 20, 80, 80, QuarteredStage,
                    SetStage("scaleMode", "exactFit") +
                        code::trace(code::member(var("Stage"), "scaleMode")),
                    {"exactFit"},
                    {{70, 0, kBlue}, {70, 79, kBlue}, {19, 79, kBlue}, {20, 79, kRed}}},
        // No border fills the view, cropping the stage's sides: scaled by 4, the red square
        // lands on the view's left half.
        PictureCase{"noBorderCrops", 40, 20, 80, 80, QuarteredStage,
                    SetStage("scaleMode", "noBorder"),
                    {},
                    {{0, 0, kRed}, {39, 79, kRed}, {40, 40, kBlue}, {79, 40, kBlue}}},
        // No scale keeps the stage's size at the bottom right; the stage is the view then,
        // and the change of size tells the Stage's listeners.
        PictureCase{"noScaleBottomRight", 40, 20, 80, 80, QuarteredStage,
                    "push \"l\", 0, \"Object\"; newObject; setVariable;"
                    "push \"l\"; getVariable; push \"onResize\";"
                    "function \"\" () { push \"resized\"; trace }; setMember;"
                    "push \"l\"; getVariable; push 1, \"Stage\"; getVariable;"
                    "push \"addListener\"; callMethod; pop;\n" +
                        SetStage("scaleMode", "noScale") + SetStage("align", "BR") +
                        code::trace(code::member(var("Stage"), "width")) +
                        code::trace(code::member(var("Stage"), "align")),
                    {"resized", "80", "RB"},
                    {{39, 70, kWhite},
                     {40, 60, kBlue},
                     {50, 60, kRed},
                     {79, 79, kBlue},
                     {60, 59, kWhite}}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
