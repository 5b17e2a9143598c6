// make-demo-movies OUT_DIR: writes ten small ActionScript 2 movies of the kinds real Flash
// movies are made of, for checking the engine by eye: a preloader, a scene built with
// attachMovie, text bound to variables, intervals, a plot drawn with the drawing API, a
// "Play" button, a class registered for an exported symbol, Color tints, duplicated
// particles and variables loaded from a file beside the movie. Each script is written in
// the test assembler's text form.
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "support/SwfWriter.h"

namespace {

using namespace swftest;
namespace fs = std::filesystem;

constexpr int kWidth = 550;
constexpr int kHeight = 400;

SwfWriter stage(Rgba background) {
    SwfWriter movie;
    movie.version(8).frameSizePixels(kWidth, kHeight).frameRate(24).compressed();
    movie.setBackgroundColor(background);
    return movie;
}

ActionBuilder script(std::string_view source) {
    return ActionBuilder::assemble(source);
}

// ExportAssets with one symbol.
void exportSymbol(SwfWriter& movie, uint16_t id, std::string_view name) {
    std::vector<uint8_t> body = {1, 0, static_cast<uint8_t>(id & 0xFF),
                                 static_cast<uint8_t>(id >> 8)};
    body.insert(body.end(), name.begin(), name.end());
    body.push_back(0);
    movie.tag(56, body);
}

ShapeBuilder disc(int radius, Rgba color, Rgba edge = {40, 40, 40}) {
    ShapeBuilder shape;
    const int fill = shape.addFill(FillStyle::solid(color));
    const int line = shape.addLine(LineStyle::solid(40, edge));
    shape.fill1(fill).line(line).ellipse(0, 0, px(radius), px(radius));
    return shape;
}

ShapeBuilder box(int x, int y, int width, int height, Rgba color) {
    ShapeBuilder shape;
    shape.fill1(shape.addFill(FillStyle::solid(color))).rectangle(px(x), px(y), px(width),
                                                                   px(height));
    return shape;
}

// A sprite holding one shape at its origin.
SwfWriter spriteOf(uint16_t shapeId) {
    SwfWriter timeline;
    timeline.version(8).place(shapeId, 1).showFrame();
    return timeline;
}

EditText label(int x, int y, int width, int height, std::string variable, int size = 20,
               Rgba color = {20, 20, 20}) {
    return {.bounds = Rect::fromPixels(x, y, width, height),
            .fontHeight = static_cast<uint16_t>(px(size)),
            .color = color,
            .variableName = std::move(variable),
            .noSelect = true};
}

// Frames 1 and 2 loop until every byte is in, filling a bar; frame 3 on, a ball bounces
// across the stage and the movie stops on its last frame.
SwfWriter preloader() {
    SwfWriter movie = stage({236, 240, 244});
    movie.defineShape(1, box(0, 0, 200, 16, {60, 170, 90}))
        .defineSprite(2, spriteOf(1))
        .defineShape(3, [] {
            ShapeBuilder frame;
            frame.line(frame.addLine(LineStyle::solid(40, {30, 30, 30})))
                .rectangle(0, 0, px(200), px(16));
            return frame;
        }())
        .defineShape(4, disc(24, {230, 90, 40}))
        .defineEditText(5, label(175, 150, 260, 30, "status"));
    movie.placeObject2({.depth = 2, .character = 2, .matrix = Matrix::translation(px(175), px(190)),
                        .name = "bar"})
        .place(3, 3, Matrix::translation(px(175), px(190)))
        .place(5, 4)
        .doAction(script(R"(
            push "loaded", 0, "_root"; getVariable; push "getBytesLoaded"; callMethod; setVariable
            push "total", 0, "_root"; getVariable; push "getBytesTotal"; callMethod; setVariable
            push "share"; push "loaded"; getVariable; push "total"; getVariable; divide; setVariable
            push "bar"; getVariable; push "_xscale"; push "share"; getVariable; push 100; multiply; setMember
            push "status", "Loaded "; push "share"; getVariable; push 100; multiply; push 1, "Math"; getVariable; push "round"; callMethod; add2; push "%"; add2; setVariable
            push "share"; getVariable; push 1; less2; if waiting
            gotoFrame 2; play
            waiting:)"))
        .showFrame()
        .doAction(script("gotoFrame 0; play"))
        .showFrame();
    const int bounceFrames = 72;
    for (int i = 0; i < bounceFrames; ++i) {
        const double t = static_cast<double>(i) / bounceFrames;
        const double height = 1 - std::abs(std::cos(t * 3 * 3.14159265));
        const Matrix at = Matrix::translation(px(40 + 470 * t), px(360 - 140 * height));
        if (i == 0)
            movie.place(4, 10, at);
        else
            movie.move(10, at);
        if (i == bounceFrames - 1) movie.doAction(script("stop"));
        movie.showFrame();
    }
    return movie;
}

// 36 tiles attached from an exported symbol, laid out in a grid, each turning on its own.
SwfWriter attachedScene() {
    SwfWriter movie = stage({250, 246, 236});
    ShapeBuilder tile;
    tile.fill1(tile.addFill(FillStyle::linearGradient(
                   Matrix::gradientBox(-px(20), -px(20), px(40), px(40), 45),
                   {{0, {255, 200, 60}}, {255, {210, 60, 90}}})))
        .roundedRectangle(-px(20), -px(20), px(40), px(40), px(8));
    movie.defineShape(1, tile).defineSprite(2, spriteOf(1));
    exportSymbol(movie, 2, "tile");
    movie.doAction(script(R"(
        function "spin" () { push "this"; getVariable; push "_rotation"; push "this"; getVariable; push "_rotation"; getMember; push 4; add2; setMember }
        push "n", 0; setVariable
        loop:
        push "n"; getVariable; push 36; less2; not; if done
        push "clip"; push "n"; getVariable; increment; push "t"; push "n"; getVariable; add2; push "tile", 3, "_root"; getVariable; push "attachMovie"; callMethod; setVariable
        push "clip"; getVariable; push "_x"; push "n"; getVariable; push 9; modulo; push 55; multiply; push 55; add2; setMember
        push "clip"; getVariable; push "_y"; push "n"; getVariable; push 9; divide; push 1, "Math"; getVariable; push "floor"; callMethod; push 80; multiply; push 70; add2; setMember
        push "clip"; getVariable; push "_rotation"; push "n"; getVariable; push 10; multiply; setMember
        push "clip"; getVariable; push "_alpha"; push "n"; getVariable; push 2; multiply; push 30; add2; setMember
        push "clip"; getVariable; push "_xscale"; push "n"; getVariable; push 2; multiply; push 60; add2; setMember
        push "clip"; getVariable; push "_yscale"; push "clip"; getVariable; push "_xscale"; getMember; setMember
        push "clip"; getVariable; push "onEnterFrame"; push "spin"; getVariable; setMember
        push "n"; push "n"; getVariable; increment; setVariable
        jump loop
        done:)"))
        .showFrame();
    return movie;
}

// Fields bound to timeline variables: a frame counter, a message changed every second, and
// a field whose text the script sets through the TextField object.
SwfWriter boundText() {
    SwfWriter movie = stage({255, 255, 255});
    movie.defineEditText(1, label(40, 60, 400, 40, "counter", 32, {0, 70, 160}))
        .defineEditText(2, label(40, 130, 400, 30, "message", 20))
        .defineEditText(3, label(40, 190, 400, 30, "", 20, {150, 30, 30}))
        .place(1, 1)
        .place(2, 2)
        .placeObject2({.depth = 3, .character = 3, .name = "twice"})
        .doAction(script(R"(
            push "counter", 0; setVariable
            push "message", "Counting frames"; setVariable
            push "_root"; getVariable; push "onEnterFrame"
            function "" () {
                push "counter"; push "counter"; getVariable; increment; setVariable
                push "twice"; getVariable; push "text", "Twice the counter: "; push "counter"; getVariable; push 2; multiply; add2; setMember
                push "counter"; getVariable; push 24; modulo; push 0; equals2; not; if same
                push "message", "Seconds shown: "; push "counter"; getVariable; push 24; divide; add2; setVariable
                same:
            }
            setMember)"))
        .showFrame();
    return movie;
}

// Three intervals: one moves a ball, one blinks a square, one counts to 20 and clears itself.
SwfWriter intervals() {
    SwfWriter movie = stage({230, 236, 250});
    movie.defineShape(1, disc(20, {40, 120, 220}))
        .defineSprite(2, spriteOf(1))
        .defineShape(3, box(-30, -30, 60, 60, {240, 160, 30}))
        .defineSprite(4, spriteOf(3))
        .defineEditText(5, label(40, 40, 300, 30, "ticks"))
        .placeObject2({.depth = 1, .character = 2, .matrix = Matrix::translation(px(30), px(200)),
                       .name = "ball"})
        .placeObject2({.depth = 2, .character = 4, .matrix = Matrix::translation(px(450), px(320)),
                       .name = "blinker"})
        .place(5, 3)
        .doAction(script(R"(
            push "ticks", 0; setVariable
            push 50
            function "" () {
                push "ball"; getVariable; push "_x"; push "ball"; getVariable; push "_x"; getMember; push 12; add2; setMember
                push "ball"; getVariable; push "_x"; getMember; push 520; greater; not; if inside
                push "ball"; getVariable; push "_x", 30; setMember
                inside:
            }
            push 2, "setInterval"; callFunction; pop
            push 400
            function "" () { push "blinker"; getVariable; push "_visible"; push "blinker"; getVariable; push "_visible"; getMember; not; setMember }
            push 2, "setInterval"; callFunction; pop
            push "counterId"; push 250
            function "" () {
                push "ticks"; push "ticks"; getVariable; increment; setVariable
                push "ticks"; getVariable; push 20; less2; if going
                push "counterId"; getVariable; push 1, "clearInterval"; callFunction; pop
                going:
            }
            push 2, "setInterval"; callFunction; setVariable)"))
        .showFrame();
    return movie;
}

// A plot redrawn every frame with the drawing API: axes, a filled cosine, a sine line and a
// square with a radial gradient, the curves sliding as the phase grows.
SwfWriter drawnPlot() {
    SwfWriter movie = stage({255, 255, 255});
    movie.doAction(script(R"(
        function "wave" (mc, amplitude, phase, shift) {
            push "x", 0; defineLocal
            more:
            push "x"; getVariable; push 490; greater; if end
            push "x"; getVariable; push 40; divide; push "phase"; getVariable; add2; push "shift"; getVariable; add2; push 1, "Math"; getVariable; push "sin"; callMethod; push "amplitude"; getVariable; multiply; push 200; stackSwap; subtract
            push "x"; getVariable; push 40; add2
            push 2; push "mc"; getVariable; push "lineTo"; callMethod; pop
            push "x"; push "x"; getVariable; push 10; add2; setVariable
            jump more
            end:
        }
        function "draw" (phase) {
            push "mc"; push "plot"; getVariable; defineLocal
            push 0; push "mc"; getVariable; push "clear"; callMethod; pop
            push 6710886, 1, 2; push "mc"; getVariable; push "lineStyle"; callMethod; pop
            push 200, 20, 2; push "mc"; getVariable; push "moveTo"; callMethod; pop
            push 200, 530, 2; push "mc"; getVariable; push "lineTo"; callMethod; pop
            push 30, 40, 2; push "mc"; getVariable; push "moveTo"; callMethod; pop
            push 370, 40, 2; push "mc"; getVariable; push "lineTo"; callMethod; pop
            push 0; push "mc"; getVariable; push "lineStyle"; callMethod; pop
            push 35, 3368652, 2; push "mc"; getVariable; push "beginFill"; callMethod; pop
            push 200, 40, 2; push "mc"; getVariable; push "moveTo"; callMethod; pop
            push 1.5708; push "phase"; getVariable; push 80; push "mc"; getVariable; push 4, "wave"; callFunction; pop
            push 200, 530, 2; push "mc"; getVariable; push "lineTo"; callMethod; pop
            push 0; push "mc"; getVariable; push "endFill"; callMethod; pop
            push 100, 13378048, 3, 3; push "mc"; getVariable; push "lineStyle"; callMethod; pop
            push "phase"; getVariable; push 1, "Math"; getVariable; push "sin"; callMethod; push 120; multiply; push 200; stackSwap; subtract; push 40, 2; push "mc"; getVariable; push "moveTo"; callMethod; pop
            push 0; push "phase"; getVariable; push 120; push "mc"; getVariable; push 4, "wave"; callFunction; pop
            push 0; push "mc"; getVariable; push "lineStyle"; callMethod; pop
            push "r", 0, "h", 80, "w", 80, "y", 30, "x", 440, "matrixType", "box", 6; initObject
            push 255, 0, 2; initArray; push 100, 100, 2; initArray; push 16737792, 16776960, 2; initArray; push "radial", 5; push "mc"; getVariable; push "beginGradientFill"; callMethod; pop
            push 30, 440, 2; push "mc"; getVariable; push "moveTo"; callMethod; pop
            push 30, 520, 2; push "mc"; getVariable; push "lineTo"; callMethod; pop
            push 110, 520, 2; push "mc"; getVariable; push "lineTo"; callMethod; pop
            push 110, 440, 2; push "mc"; getVariable; push "lineTo"; callMethod; pop
            push 0; push "mc"; getVariable; push "endFill"; callMethod; pop
        }
        push 1, "plot", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
        push "phase", 0; setVariable
        push "_root"; getVariable; push "onEnterFrame"
        function "" () {
            push "phase"; push "phase"; getVariable; push 0.15; add2; setVariable
            push "phase"; getVariable; push 1, "draw"; callFunction; pop
        }
        setMember)"))
        .showFrame();
    return movie;
}

// Stops on frame 1 until the button is released; then a star turns and crosses the stage.
SwfWriter playButton() {
    SwfWriter movie = stage({30, 34, 48});
    ShapeBuilder star;
    star.fill1(star.addFill(FillStyle::solid({255, 220, 60})));
    star.moveTo(0, -px(40));
    for (int point = 1; point <= 10; ++point) {
        const double angle = point * 3.14159265 / 5;
        const double radius = point % 2 ? 16 : 40;
        star.lineTo(px(radius * std::sin(angle)), -px(radius * std::cos(angle)));
    }
    ButtonBuilder button;
    button.add({.states = kButtonUp | kButtonHitTest, .character = 1, .depth = 1})
        .add({.states = kButtonOver | kButtonDown, .character = 2, .depth = 1})
        .add({.states = kButtonUp | kButtonOver | kButtonDown, .character = 3, .depth = 2})
        .addActions(kCondOverDownToOverUp, script("play"));
    movie.defineShape(1, [] {
            ShapeBuilder shape;
            shape.fill1(shape.addFill(FillStyle::solid({60, 160, 80})))
                .roundedRectangle(0, 0, px(140), px(50), px(12));
            return shape;
        }())
        .defineShape(2, [] {
            ShapeBuilder shape;
            shape.fill1(shape.addFill(FillStyle::solid({90, 200, 110})))
                .roundedRectangle(0, 0, px(140), px(50), px(12));
            return shape;
        }())
        .defineShape(3, [] {
            ShapeBuilder arrow;
            arrow.fill1(arrow.addFill(FillStyle::solid({255, 255, 255})))
                .moveTo(px(58), px(12))
                .lineTo(px(88), px(25))
                .lineTo(px(58), px(38))
                .lineTo(px(58), px(12));
            return arrow;
        }())
        .defineButton2(4, button)
        .defineShape(5, star)
        .place(4, 1, Matrix::translation(px(205), px(175)))
        .doAction(script("stop"))
        .showFrame()
        .removeObject2(1);
    const int flightFrames = 48;
    for (int i = 0; i < flightFrames; ++i) {
        const Matrix at = Matrix::rotation(i * 15, px(60 + 430.0 * i / flightFrames),
                                           px(200 + 100 * std::sin(i / 6.0)));
        if (i == 0)
            movie.place(5, 2, at);
        else
            movie.move(2, at);
        movie.showFrame();
    }
    return movie;
}

// Bubble is registered for the exported "bubble" symbol; its prototype's onEnterFrame
// bounces each attached bubble off the stage's edges with the speeds its init object gave.
SwfWriter registeredClass() {
    SwfWriter movie = stage({210, 236, 245});
    movie.defineShape(1, disc(22, {120, 200, 255, 180}, {255, 255, 255}))
        .defineSprite(2, spriteOf(1));
    exportSymbol(movie, 2, "bubble");
    movie.doAction(script(R"(
        function "Bubble" () {}
        push "Bubble"; getVariable; push "prototype"; push 0, "MovieClip"; newObject; setMember
        push "Bubble"; getVariable; push "prototype"; getMember; push "onEnterFrame"
        function "" () {
            push "this"; getVariable; push "_x"; push "this"; getVariable; push "_x"; getMember; push "this"; getVariable; push "vx"; getMember; add2; setMember
            push "this"; getVariable; push "_y"; push "this"; getVariable; push "_y"; getMember; push "this"; getVariable; push "vy"; getMember; add2; setMember
            push "this"; getVariable; push "_x"; getMember; push 25; less2; push "this"; getVariable; push "_x"; getMember; push 525; greater; or; not; if keepX
            push "this"; getVariable; push "vx"; push 0; push "this"; getVariable; push "vx"; getMember; subtract; setMember
            keepX:
            push "this"; getVariable; push "_y"; getMember; push 25; less2; push "this"; getVariable; push "_y"; getMember; push 375; greater; or; not; if keepY
            push "this"; getVariable; push "vy"; push 0; push "this"; getVariable; push "vy"; getMember; subtract; setMember
            keepY:
        }
        setMember
        push "Bubble"; getVariable; push "bubble", 2, "Object"; getVariable; push "registerClass"; callMethod; pop
        push "i", 0; setVariable
        loop:
        push "i"; getVariable; push 12; less2; not; if done
        push "_x"; push "i"; getVariable; push 40; multiply; push 50; add2
        push "_y"; push "i"; getVariable; push 4; modulo; push 80; multiply; push 70; add2
        push "vx"; push "i"; getVariable; push 3; modulo; push 2; add2
        push "vy"; push "i"; getVariable; push 5; modulo; push 1; add2
        push "_xscale"; push "i"; getVariable; push 8; multiply; push 60; add2
        push "_yscale"; push "i"; getVariable; push 8; multiply; push 60; add2
        push 6; initObject
        push "i"; getVariable; increment; push "b"; push "i"; getVariable; add2; push "bubble", 4, "_root"; getVariable; push "attachMovie"; callMethod; pop
        push "i"; push "i"; getVariable; increment; setVariable
        jump loop
        done:)"))
        .showFrame();
    return movie;
}

// Six white discs tinted every frame through Color.setRGB, their hues turning at offsets.
SwfWriter colorTints() {
    SwfWriter movie = stage({20, 20, 24});
    movie.defineShape(1, disc(36, {255, 255, 255}, {255, 255, 255})).defineSprite(2, spriteOf(1));
    for (int i = 0; i < 6; ++i)
        movie.placeObject2({.depth = static_cast<uint16_t>(i + 1),
                            .character = 2,
                            .matrix = Matrix::translation(px(75 + i * 80), px(200)),
                            .name = "c" + std::to_string(i)});
    movie.doAction(script(R"(
        function "channel" (angle) { push "angle"; getVariable; push 1, "Math"; getVariable; push "sin"; callMethod; push 127; multiply; push 128; add2; push 1, "Math"; getVariable; push "floor"; callMethod; return }
        push "t", 0; setVariable
        push "_root"; getVariable; push "onEnterFrame"
        function "" () {
            push "t"; push "t"; getVariable; push 0.12; add2; setVariable
            push "i", 0; defineLocal
            next:
            push "i"; getVariable; push 6; less2; not; if done
            push "a"; push "t"; getVariable; push "i"; getVariable; push 0.9; multiply; add2; defineLocal
            push "a"; getVariable; push 1, "channel"; callFunction; push 16; bitLShift
            push "a"; getVariable; push 2.1; add2; push 1, "channel"; callFunction; push 8; bitLShift; bitOr
            push "a"; getVariable; push 4.2; add2; push 1, "channel"; callFunction; bitOr
            push 1; push "_root"; getVariable; push "c"; push "i"; getVariable; add2; getMember; push 1, "Color"; newObject; push "setRGB"; callMethod; pop
            push "i"; push "i"; getVariable; increment; setVariable
            jump next
            done:
        }
        setMember)"))
        .showFrame();
    return movie;
}

// A fountain: three particles duplicated from "p" every frame, each falling and fading on
// its own onEnterFrame, removed once invisible; depths wrap so the count stays bounded.
SwfWriter particles() {
    SwfWriter movie = stage({16, 24, 40});
    movie.defineShape(1, disc(6, {255, 180, 80}, {255, 240, 200}))
        .defineSprite(2, spriteOf(1))
        .placeObject2({.depth = 1, .character = 2, .matrix = Matrix::translation(px(275), px(360)),
                       .name = "p"})
        .doAction(script(R"(
            push "p"; getVariable; push "_visible", false; setMember
            push "depth", 10; setVariable
            function "fall" () {
                push "this"; getVariable; push "vy"; push "this"; getVariable; push "vy"; getMember; push 0.4; add2; setMember
                push "this"; getVariable; push "_x"; push "this"; getVariable; push "_x"; getMember; push "this"; getVariable; push "vx"; getMember; add2; setMember
                push "this"; getVariable; push "_y"; push "this"; getVariable; push "_y"; getMember; push "this"; getVariable; push "vy"; getMember; add2; setMember
                push "this"; getVariable; push "_alpha"; push "this"; getVariable; push "_alpha"; getMember; push 2; subtract; setMember
                push "this"; getVariable; push "_alpha"; getMember; push 0; greater; if alive
                push 0; push "this"; getVariable; push "removeMovieClip"; callMethod; pop
                alive:
            }
            push "_root"; getVariable; push "onEnterFrame"
            function "" () {
                push "k", 0; defineLocal
                spawn:
                push "k"; getVariable; push 3; less2; not; if done
                push "depth"; push "depth"; getVariable; increment; setVariable
                push "depth"; getVariable; push 400; greater; not; if fresh
                push "depth", 10; setVariable
                fresh:
                push "q"; push "depth"; getVariable; push "q"; push "depth"; getVariable; add2; push 2, "p"; getVariable; push "duplicateMovieClip"; callMethod; defineLocal
                push "q"; getVariable; push "_visible", true; setMember
                push "q"; getVariable; push "vx"; push 0, "Math"; getVariable; push "random"; callMethod; push 8; multiply; push 4; subtract; setMember
                push "q"; getVariable; push "vy"; push 0, "Math"; getVariable; push "random"; callMethod; push 6; multiply; push 9; add2; push -1; multiply; setMember
                push "q"; getVariable; push "onEnterFrame"; push "fall"; getVariable; setMember
                push "k"; push "k"; getVariable; increment; setVariable
                jump spawn
                done:
            }
            setMember)"))
        .showFrame();
    return movie;
}

// LoadVars reads data.txt beside the movie; onLoad shows its title in a bound field and makes
// a text field for each item of its list.
SwfWriter loadedVariables() {
    SwfWriter movie = stage({255, 250, 240});
    movie.defineEditText(1, label(40, 40, 460, 40, "title", 28, {120, 40, 20}))
        .place(1, 1)
        .doAction(script(R"(
            push "title", "Loading data.txt..."; setVariable
            push "lv"; push 0, "LoadVars"; newObject; setVariable
            push "lv"; getVariable; push "onLoad"
            function "" (ok) {
                push "ok"; getVariable; if loaded
                push "title", "data.txt could not be read"; setVariable
                push "i", 100; defineLocal
                loaded:
                push "title"; push "this"; getVariable; push "title"; getMember; setVariable
                push "list"; push ",", 1; push "this"; getVariable; push "items"; getMember; push "split"; callMethod; defineLocal
                push "i", 0; defineLocal
                next:
                push "i"; getVariable; push "list"; getVariable; push "length"; getMember; less2; not; if done
                push 30, 400; push "i"; getVariable; push 40; multiply; push 110; add2; push 60; push "i"; getVariable; push 10; add2; push "item"; push "i"; getVariable; add2; push 6, "_root"; getVariable; push "createTextField"; callMethod; pop
                push "_root"; getVariable; push "item"; push "i"; getVariable; add2; getMember; push "text"; push "i"; getVariable; increment; push ". "; add2; push "list"; getVariable; push "i"; getVariable; getMember; add2; setMember
                push "i"; push "i"; getVariable; increment; setVariable
                jump next
                done:
            }
            setMember
            push "data.txt", 1; push "lv"; getVariable; push "load"; callMethod; pop)"))
        .showFrame();
    return movie;
}

void writeText(const fs::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-demo-movies OUT_DIR\n");
        return 2;
    }
    try {
        const fs::path folder = argv[1];
        fs::create_directories(folder);
        const std::pair<const char*, SwfWriter> movies[] = {
            {"01-preloader.swf", preloader()},       {"02-attached-scene.swf", attachedScene()},
            {"03-bound-text.swf", boundText()},      {"04-intervals.swf", intervals()},
            {"05-drawn-plot.swf", drawnPlot()},      {"06-play-button.swf", playButton()},
            {"07-registered-class.swf", registeredClass()},
            {"08-color-tints.swf", colorTints()},    {"09-particles.swf", particles()},
            {"10-loaded-variables.swf", loadedVariables()},
        };
        for (const auto& [name, movie] : movies) movie.writeFile(folder / name);
        writeText(folder / "data.txt",
                  "title=Variables%20from%20a%20file&items=apples,pears,plums,cherries");
        // Clicks the play button of 06 after its first frame.
        writeText(folder / "06-play-button.input.json",
                  R"([{"type": "MouseMove", "pos": [275, 200]}, {"type": "MouseDown", "pos": [275, 200], "btn": "Left"}, {"type": "MouseUp", "pos": [275, 200], "btn": "Left"}, {"type": "Wait"}])"
                  "\n");
        std::printf("wrote %zu demo movies to %s\n", std::size(movies), folder.c_str());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-demo-movies: %s\n", error.what());
        return 1;
    }
}
