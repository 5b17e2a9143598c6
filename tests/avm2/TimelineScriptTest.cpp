// ActionScript 3 movies played by the player: the document class, frame scripts and frame
// events in their order, timeline control and the display list, checked by their traces.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "ScriptEmit.h"
#include "ScriptRun.h"
#include "support/SwfWriter.h"
#include "swf/player/DrawTarget.h"
#include "swf/player/Player.h"

namespace {

using namespace avm2test;
using swftest::SwfWriter;

// The document class Main, a MovieClip, with methods whose bodies the test writes (between
// "getlocal0; pushscope" and "returnvoid"; local 1 is the first argument).
class DocumentClass {
  public:
    using Body = std::function<void(AbcCode&)>;

    uint32_t name(std::string_view text) { return abc_.publicName(text); }
    uint32_t string(std::string_view text) { return abc_.string(text); }
    uint32_t displayClass(std::string_view text) { return packageName("flash.display", text); }
    uint32_t packageName(std::string_view package, std::string_view text) { return abc_.qname(abc_.ns(0x16, package), text); }
    // A method of `parameters` untyped parameters (a listener takes one, a frame script none).
    void method(std::string_view methodName, const Body& body, size_t parameters = 0) {
        AbcBuilder::Method signature;
        signature.parameterTypes.assign(parameters, 0);
        methods_.push_back({name(methodName), AbcBuilder::kMethod, 0, 0,
                            abc_.methodWithBody(wrapped(body), {.maxStack = 8, .localCount = 3}, signature)});
    }
    // trace(<what `push` leaves on the stack>).
    void trace(AbcCode& code, const Body& push) {
        code.op(OP_findpropstrict, name("trace"));
        push(code);
        code.op(OP_callpropvoid, name("trace"), 1);
    }
    // trace(<a ScriptEmit expression>), and the expression run for its effects alone.
    void trace(AbcCode& code, const Emit& value) {
        trace(code, [&](AbcCode& c) { value(abc_, c); });
    }
    void run(AbcCode& code, const Emit& value) {
        value(abc_, code);
        code.op(OP_pop);
    }
    void traceText(AbcCode& code, std::string_view text) {
        trace(code, [&](AbcCode& c) { c.op(OP_pushstring, string(text)); });
    }
    // this.<method>(<args pushed by `push`>).
    void callOnThis(AbcCode& code, std::string_view methodName, uint32_t argc, const Body& push = {}) {
        code.op(OP_getlocal0);
        if (push) push(code);
        code.op(OP_callpropvoid, name(methodName), argc);
    }
    // The ABC with `construct` run after super().
    std::vector<uint8_t> bytes(const Body& construct) {
        uint32_t clipName = abc_.qname(abc_.ns(0x16, "flash.display"), "MovieClip");
        uint32_t mainName = name("Main");
        AbcCode ctor;
        ctor.op(OP_getlocal0).op(OP_pushscope).op(OP_getlocal0).op(OP_constructsuper, 0);
        construct(ctor);
        ctor.op(OP_returnvoid);
        AbcCode empty;
        empty.op(OP_returnvoid);
        uint32_t cls = abc_.addClass(mainName, clipName, abc_.methodWithBody(ctor, {.maxStack = 16, .localCount = 3}),
                                     abc_.methodWithBody(empty), methods_, {}, 0x01);
        abc_.classScript(mainName, clipName, cls);
        return abc_.bytes();
    }

  private:
    static AbcCode wrapped(const Body& body) {
        AbcCode code;
        code.op(OP_getlocal0).op(OP_pushscope);
        body(code);
        code.op(OP_returnvoid);
        return code;
    }
    AbcBuilder abc_;
    std::vector<AbcBuilder::Trait> methods_;
};

// Plays `frames` frames of an ActionScript 3 movie (the first comes with loading); returns
// the trace and, through `player`, what stands at the end.
std::vector<std::string> Play(swf::Player& player, SwfWriter& movie, int frames) {
    std::vector<std::string> lines;
    player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
    std::vector<uint8_t> bytes = movie.bytes();
    EXPECT_TRUE(player.LoadMovieFromMemory(bytes));
    for (int i = 1; i < frames; ++i) player.advanceFrame();
    player.SetTraceSink(nullptr);
    return lines;
}

SwfWriter As3Movie(const std::vector<uint8_t>& abc) {
    SwfWriter movie;
    movie.version(10).frameSizePixels(100, 100).frameRate(10).fileAttributes(0x08);
    movie.doAbc(abc, 1, "frame1").symbolClass({{0, "Main"}});
    return movie;
}

TEST(Avm2Timeline, FrameScriptsAndEventsRunInThePlayersOrderAndStopHolds) {
    DocumentClass main;
    // onEvent(e): trace(e.type + " " + currentFrame)
    main.method("onEvent", [&](AbcCode& c) {
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_getlocal1).op(OP_getproperty, main.name("type")).op(OP_pushstring, main.string(" ")).op(OP_add)
                .op(OP_getlocal0).op(OP_getproperty, main.name("currentFrame")).op(OP_add);
        });
    }, 1);
    main.method("first", [&](AbcCode& c) { main.traceText(c, "script 1"); });
    main.method("last", [&](AbcCode& c) {
        main.traceText(c, "script 3");
        main.callOnThis(c, "stop", 0);
    });
    auto bytes = main.bytes([&](AbcCode& c) {
        main.traceText(c, "constructed");
        main.callOnThis(c, "addFrameScript", 4, [&](AbcCode& c) {
            c.pushByte(0).op(OP_getlocal0).op(OP_getproperty, main.name("first"));
            c.pushByte(2).op(OP_getlocal0).op(OP_getproperty, main.name("last"));
        });
        for (const char* type : {"enterFrame", "frameConstructed", "exitFrame"})
            main.callOnThis(c, "addEventListener", 2, [&](AbcCode& c) {
                c.op(OP_pushstring, main.string(type)).op(OP_getlocal0).op(OP_getproperty, main.name("onEvent"));
            });
    });
    SwfWriter movie = As3Movie(bytes);
    movie.showFrame().showFrame().showFrame();
    swf::Player player;
    auto lines = Play(player, movie, 5);
    EXPECT_EQ(Joined(lines),
              "constructed\nframeConstructed 1\nscript 1\nexitFrame 1\n"
              "enterFrame 2\nframeConstructed 2\nexitFrame 2\n"
              "enterFrame 3\nframeConstructed 3\nscript 3\nexitFrame 3\n"
              "enterFrame 3\nframeConstructed 3\nexitFrame 3\n"
              "enterFrame 3\nframeConstructed 3\nexitFrame 3");
    EXPECT_EQ(player.TCurrentFrame(), 2);
    EXPECT_FALSE(player.IsPlaying());
}

TEST(Avm2Timeline, GotoByLabelAndNumberAndAMissingLabelIsThePlayersError) {
    DocumentClass main;
    auto traceFrame = [&](AbcCode& c) {
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_getlocal0).op(OP_getproperty, main.name("currentFrame")).op(OP_pushstring, main.string(" "))
                .op(OP_add).op(OP_getlocal0).op(OP_getproperty, main.name("currentLabel")).op(OP_add);
        });
    };
    main.method("first", [&](AbcCode& c) {
        main.callOnThis(c, "gotoAndStop", 1, [&](AbcCode& c) { c.op(OP_pushstring, main.string("end")); });
        traceFrame(c);
        main.callOnThis(c, "gotoAndStop", 1, [&](AbcCode& c) { c.op(OP_pushstring, main.string("nowhere")); });
        main.traceText(c, "not reached");
    });
    main.method("last", [&](AbcCode& c) {
        main.traceText(c, "script 4");
        main.callOnThis(c, "prevFrame", 0);
        traceFrame(c);
        main.callOnThis(c, "gotoAndStop", 1, [&](AbcCode& c) { c.pushByte(2); });
        traceFrame(c);
    });
    auto bytes = main.bytes([&](AbcCode& c) {
        main.callOnThis(c, "addFrameScript", 4, [&](AbcCode& c) {
            c.pushByte(0).op(OP_getlocal0).op(OP_getproperty, main.name("first"));
            c.pushByte(3).op(OP_getlocal0).op(OP_getproperty, main.name("last"));
        });
    });
    SwfWriter movie = As3Movie(bytes);
    movie.version(11);
    movie.frameLabel("start").showFrame().frameLabel("middle").showFrame().showFrame().frameLabel("end").showFrame();
    swf::Player player;
    auto lines = Play(player, movie, 2);
    // A goto inside the clip's own frame script waits until the script returns (the last one
    // wins); the error ends the script, and the goto it asked for before still happens.
    EXPECT_EQ(Joined(lines),
              "1 start\n"
              "ArgumentError: Error #2109: Frame label nowhere not found in scene Scene 1.\n"
              "script 4\n4 end\n4 end");
    EXPECT_EQ(player.TCurrentFrame(), 1);
    EXPECT_FALSE(player.IsPlaying());
}

// Scene data (DefineSceneAndFrameLabelData) splits the main timeline: frames count within
// their scene, gotos name a scene, its labels replace the FrameLabel tags, and the current
// label is the last one before the playhead in any scene.
TEST(Avm2Timeline, ScenesNumberTheirFramesAndGotosNameThem) {
    DocumentClass main;
    auto traceState = [&](AbcCode& c) {
        main.trace(c, [&](AbcCode& c) {
            const uint32_t space = main.string(" ");
            c.op(OP_getlocal0).op(OP_getproperty, main.name("currentScene")).op(OP_getproperty, main.name("name"));
            for (const char* field : {"currentFrame", "currentLabel"})
                c.op(OP_pushstring, space).op(OP_add).op(OP_getlocal0).op(OP_getproperty, main.name(field)).op(OP_add);
            c.op(OP_pushstring, space).op(OP_add).op(OP_getlocal0).op(OP_getproperty, main.name("currentScene"))
                .op(OP_getproperty, main.name("numFrames")).op(OP_add);
        });
    };
    main.method("first", [&](AbcCode& c) {
        traceState(c);
        main.callOnThis(c, "gotoAndStop", 2, [&](AbcCode& c) { c.pushByte(2).op(OP_pushstring, main.string("B")); });
        traceState(c);
    });
    main.method("last", [&](AbcCode& c) {
        traceState(c);
        main.callOnThis(c, "nextScene", 0);
        traceState(c);
        main.callOnThis(c, "gotoAndStop", 2, [&](AbcCode& c) { c.pushByte(1).op(OP_pushstring, main.string("C")); });
    });
    auto bytes = main.bytes([&](AbcCode& c) {
        main.callOnThis(c, "addFrameScript", 4, [&](AbcCode& c) {
            c.pushByte(0).op(OP_getlocal0).op(OP_getproperty, main.name("first"));
            c.pushByte(3).op(OP_getlocal0).op(OP_getproperty, main.name("last"));
        });
    });
    SwfWriter movie = As3Movie(bytes);
    // Scenes A (frames 0-1) and B (2-3); labels a1 on frame 0 and b2 on frame 3.
    const std::vector<uint8_t> scenes = {2, 0, 'A', 0, 2, 'B', 0, 2, 0, 'a', '1', 0, 3, 'b', '2', 0};
    movie.tag(86, scenes);
    movie.showFrame().showFrame().showFrame().frameLabel("other").showFrame();
    swf::Player player;
    auto lines = Play(player, movie, 2);
    EXPECT_EQ(Joined(lines),
              "A 1 a1 2\nA 1 a1 2\nB 2 b2 2\nB 2 b2 2\n"
              "ArgumentError: Error #2108: Scene C was not found.");
    EXPECT_EQ(player.TCurrentFrame(), 2);
}

TEST(Avm2Timeline, DisplayListChangesDispatchThroughCaptureTargetAndBubble) {
    DocumentClass main;
    // onEvent(e): trace(e.type + " " + e.eventPhase + " " + e.currentTarget.name)
    main.method("onEvent", [&](AbcCode& c) {
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_getlocal1).op(OP_getproperty, main.name("type")).op(OP_pushstring, main.string(" ")).op(OP_add)
                .op(OP_getlocal1).op(OP_getproperty, main.name("eventPhase")).op(OP_add)
                .op(OP_pushstring, main.string(" ")).op(OP_add)
                .op(OP_getlocal1).op(OP_getproperty, main.name("currentTarget")).op(OP_getproperty, main.name("name"))
                .op(OP_add);
        });
    }, 1);
    auto bytes = main.bytes([&](AbcCode& c) {
        auto listen = [&](uint32_t local, const char* type, bool capture) {
            c.op(OP_getlocal, local).op(OP_pushstring, main.string(type)).op(OP_getlocal0)
                .op(OP_getproperty, main.name("onEvent"));
            c.op(capture ? OP_pushtrue : OP_pushfalse);
            c.op(OP_callpropvoid, main.name("addEventListener"), 3);
        };
        // var a = new Sprite(); a.name = "a"; var b = new Sprite(); b.name = "b"
        for (uint32_t local : {1u, 2u}) {
            c.op(OP_findpropstrict, main.displayClass("Sprite")).op(OP_constructprop, main.displayClass("Sprite"), 0).op(OP_setlocal, local);
            c.op(OP_getlocal, local).op(OP_pushstring, main.string(local == 1 ? "a" : "b"))
                .op(OP_setproperty, main.name("name"));
        }
        c.op(OP_getlocal0).op(OP_pushstring, main.string("root")).op(OP_setproperty, main.name("name"));
        listen(0, "added", true);
        listen(0, "added", false);
        listen(1, "added", false);
        listen(2, "added", false);
        listen(2, "addedToStage", false);
        // this.addChild(a); a.addChild(b) (b reaches the stage through a)
        c.op(OP_getlocal0).op(OP_getlocal1).op(OP_callpropvoid, main.name("addChild"), 1);
        c.op(OP_getlocal1).op(OP_getlocal2).op(OP_callpropvoid, main.name("addChild"), 1);
        // this.addChildAt(b, 0): b moves to the bottom of the root
        c.op(OP_getlocal0).op(OP_getlocal2).pushByte(0).op(OP_callpropvoid, main.name("addChildAt"), 2);
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_getlocal0).op(OP_getproperty, main.name("numChildren")).op(OP_pushstring, main.string(" "))
                .op(OP_add).op(OP_getlocal0).pushByte(0).op(OP_callproperty, main.name("getChildAt"), 1)
                .op(OP_getproperty, main.name("name")).op(OP_add)
                .op(OP_getlocal0).op(OP_getlocal1).op(OP_callproperty, main.name("getChildIndex"), 1).op(OP_add)
                .op(OP_getlocal1).op(OP_getlocal2).op(OP_callproperty, main.name("contains"), 1).op(OP_add);
        });
        // A property no display object has is the player's error; the movie goes on.
        c.op(OP_getlocal1).op(OP_getproperty, main.name("noSuchProperty")).op(OP_pop);
    });
    SwfWriter movie = As3Movie(bytes);
    movie.showFrame();
    swf::Player player;
    auto lines = Play(player, movie, 2);
    EXPECT_EQ(Joined(lines),
              "added 1 root\nadded 2 a\nadded 3 root\n"          // a into the root
              "added 1 root\nadded 2 b\nadded 3 a\nadded 3 root\n"  // b into a: captured, bubbled
              "addedToStage 2 b\n"
              "added 1 root\nadded 2 b\nadded 3 root\n"          // b moved to the root
              "addedToStage 2 b\n"
              "2 b1false\n"
              "ReferenceError: Error #1069: Property noSuchProperty not found on flash.display.Sprite and there is no default value.");
}

}  // namespace

namespace {

TEST(Avm2Timeline, AutoplayPlaysOnARootItsScriptStopped) {
    for (bool autoplay : {false, true}) {
        DocumentClass main;
        main.method("first", [&](AbcCode& c) { main.callOnThis(c, "stop", 0); });
        auto bytes = main.bytes([&](AbcCode& c) {
            main.callOnThis(c, "addFrameScript", 2, [&](AbcCode& c) {
                c.pushByte(0).op(OP_getlocal0).op(OP_getproperty, main.name("first"));
            });
        });
        SwfWriter movie = As3Movie(bytes);
        movie.showFrame().showFrame().showFrame();
        swf::Player player;
        player.SetAutoplay(autoplay);
        // A second at 10 frames a second, and a frame more.
        Play(player, movie, 12);
        EXPECT_EQ(player.TCurrentFrame(), autoplay ? 1 : 0) << autoplay;
    }
}

}  // namespace

namespace {

// A field a script makes: its text as the engine lays it out, formats by range, and its
// box drawn once it is on the stage.
TEST(Avm2Timeline, TextFieldsMadeByScriptsHoldTextAndFormatsAndDraw) {
    DocumentClass main;
    const Emit field = Local(1);
    auto bytes = main.bytes([&](AbcCode& c) {
        main.run(c, Kept(1, New("flash.text::TextField", {})));
        main.trace(c, Get(field, "width"));
        for (auto [name, value] : std::vector<std::pair<const char*, double>>{
                 {"x", 10}, {"y", 10}, {"width", 50}, {"height", 20}, {"backgroundColor", 0xFF0000}})
            main.run(c, Assigned(field, name, Num(value)));
        main.run(c, Assigned(field, "background", Num(1)));
        main.run(c, Assigned(field, "multiline", Num(1)));
        main.run(c, Assigned(field, "text", Str("ab\ncd")));
        main.run(c, Having(field, "appendText", {Str("e")}));
        main.run(c, Having(field, "replaceText", {Num(0), Num(1), Str("xy")}));
        for (const char* name : {"length", "numLines"}) main.trace(c, Get(field, name));
        main.trace(c, Call(field, "getLineText", {Num(1)}));
        main.trace(c, Call(field, "getLineOffset", {Num(1)}));
        main.trace(c, Call(field, "getLineIndexOfChar", {Num(4)}));
        // The first three characters bold: a range over more of them has no one weight.
        main.run(c, Having(field, "setTextFormat", {Assigned(New("flash.text::TextFormat", {}), "bold", Num(1)), Num(0), Num(3)}));
        main.trace(c, Get(Call(field, "getTextFormat", {Num(0), Num(3)}), "bold"));
        main.trace(c, Get(Call(field, "getTextFormat", {}), "bold"));
        main.trace(c, Get(Call(field, "getTextFormat", {Num(4)}), "bold"));
        main.trace(c, Get(New("flash.text::TextFormat", {Str("Arial"), Num(12.7)}), "size"));
        main.run(c, Assigned(field, "htmlText", Str("<b>bold</b> and <i>not</i>")));
        main.trace(c, Get(field, "text"));
        main.trace(c, Get(Call(field, "getTextFormat", {Num(1)}), "bold"));
        main.run(c, Assigned(field, "autoSize", Str("left")));
        main.trace(c, Get(field, "autoSize"));
        main.run(c, Having(Local(0), "addChild", {field}));
    });
    SwfWriter movie = As3Movie(bytes);
    movie.showFrame();
    swf::Player player;
    auto lines = Play(player, movie, 1);
    EXPECT_EQ(Joined(lines), "100\n7\n2\ncde\n4\n1\ntrue\nnull\nfalse\n12\nbold and not\ntrue\nleft");
    // The background shows where the field stands, and nowhere else.
    player.SetViewSize(100, 100);
    std::vector<uint8_t> pixels(100 * 100 * 3);
    ASSERT_TRUE(player.Draw({pixels.data(), 100 * 3, 24, false}));
    auto bgr = [&](int x, int y) {
        const uint8_t* p = &pixels[(static_cast<size_t>(y) * 100 + x) * 3];
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(bgr(11, 11), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(bgr(5, 5), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(bgr(12, 45), (std::array<int, 3>{255, 255, 255}));
}

}  // namespace

namespace {

// flash.utils.<function>(args...)
Emit UtilsCall(std::string function, std::vector<Emit> args) {
    return [function, args](AbcBuilder& abc, AbcCode& code) {
        uint32_t name = ClassName(abc, "flash.utils::" + function);
        code.op(OP_findpropstrict, name);
        for (const Emit& a : args) a(abc, code);
        code.op(OP_callproperty, name, static_cast<uint32_t>(args.size()));
    };
}

// A timeout calls its function once, an interval every time until it is cleared; both pass
// the arguments after the delay and fire between frames, at most once a frame.
TEST(Avm2Timeline, TimeoutsAndIntervalsCallTheirFunctionsBetweenFrames) {
    DocumentClass main;
    auto bytes = main.bytes([&](AbcCode& c) {
        main.run(c, UtilsCall("setTimeout", {Global("trace"), Num(150), Str("timeout")}));
        main.run(c, UtilsCall("setInterval", {Global("trace"), Num(100), Str("interval")}));
        main.run(c, UtilsCall("clearInterval", {UtilsCall("setInterval", {Global("trace"), Num(100), Str("cleared")})}));
    });
    SwfWriter movie = As3Movie(bytes);
    movie.showFrame();
    swf::Player player;
    // Due together, they run in the order they were set.
    EXPECT_EQ(Joined(Play(player, movie, 4)), "interval\ntimeout\ninterval\ninterval");
}

}  // namespace

namespace {

// Display objects' geometry through flash.geom (in pixels, the engine keeps twips), and the
// player's errors for what a text field refuses, each in a frame script of its own.
TEST(Avm2Timeline, DisplayGeometryGoesThroughFlashGeomAndFieldsRefuseBadValues) {
    DocumentClass main;
    const Emit sprite = Local(1);
    const Emit field = Local(2);
    main.method("badAutoSize", [&](AbcCode& c) {
        main.run(c, Assigned(New("flash.text::TextField", {}), "autoSize", Str("middle")));
    });
    main.method("badLine", [&](AbcCode& c) { main.run(c, Call(New("flash.text::TextField", {}), "getLineText", {Num(3)})); });
    auto bytes = main.bytes([&](AbcCode& c) {
        main.run(c, Kept(1, New("flash.display::Sprite", {})));
        for (auto [name, value] : std::vector<std::pair<const char*, double>>{{"x", 10}, {"y", 20}, {"scaleX", 2}})
            main.run(c, Assigned(sprite, name, Num(value)));
        main.run(c, Having(Local(0), "addChild", {sprite}));
        main.trace(c, Get(Get(sprite, "transform"), "matrix"));
        main.trace(c, Call(sprite, "localToGlobal", {New("flash.geom::Point", {Num(1), Num(1)})}));
        main.trace(c, Call(sprite, "globalToLocal", {New("flash.geom::Point", {Num(12), Num(21)})}));
        main.run(c, Assigned(Get(sprite, "transform"), "colorTransform", New("flash.geom::ColorTransform", {Num(0.5)})));
        main.trace(c, Get(Get(Get(sprite, "transform"), "colorTransform"), "redMultiplier"));
        main.run(c, Assigned(Get(sprite, "transform"), "matrix", New("flash.geom::Matrix", {Num(1), Num(0), Num(0), Num(1), Num(3), Num(4)})));
        main.trace(c, Get(sprite, "x"));
        // A field in the sprite: its box, in the sprite's space and on the stage.
        main.run(c, Kept(2, New("flash.text::TextField", {})));
        main.run(c, Assigned(field, "width", Num(50)));
        main.run(c, Assigned(field, "height", Num(20)));
        main.run(c, Assigned(field, "x", Num(5)));
        main.run(c, Having(sprite, "addChild", {field}));
        main.trace(c, Call(field, "getBounds", {sprite}));
        main.trace(c, Call(field, "getBounds", {Local(0)}));
        main.callOnThis(c, "addFrameScript", 4, [&](AbcCode& c) {
            c.pushByte(0).op(OP_getlocal0).op(OP_getproperty, main.name("badAutoSize"));
            c.pushByte(1).op(OP_getlocal0).op(OP_getproperty, main.name("badLine"));
        });
    });
    SwfWriter movie = As3Movie(bytes);
    movie.showFrame().showFrame();
    swf::Player player;
    EXPECT_EQ(Joined(Play(player, movie, 2)),
              "(a=2, b=0, c=0, d=1, tx=10, ty=20)\n(x=12, y=21)\n(x=1, y=1)\n0.5\n3\n"
              "(x=5, y=0, w=50, h=20)\n(x=8, y=4, w=50, h=20)\n"
              "ArgumentError: Error #2008: Parameter autoSize must be one of the accepted values.\n"
              "RangeError: Error #2006: The supplied index is out of bounds.");
}

}  // namespace

namespace {

// Hit tests by extent and by what a drawing fills, the overlap of two objects' extents, and a
// mask limiting what its object draws.
TEST(Avm2Timeline, HitTestsMeasureExtentsOrFillsAndAMaskLimitsTheDrawing) {
    DocumentClass main;
    const Emit circle = Local(1);
    const Emit square = Local(2);
    auto graphics = [](const Emit& owner, const char* method, std::vector<Emit> args) {
        return Having(Get(owner, "graphics"), method, std::move(args));
    };
    auto bytes = main.bytes([&](AbcCode& c) {
        // A red circle about (50, 50) of radius 20 on the stage; a square 60..80 off it.
        main.run(c, Kept(1, New("flash.display::Sprite", {})));
        main.run(c, graphics(circle, "beginFill", {Num(0xFF0000)}));
        main.run(c, graphics(circle, "drawCircle", {Num(50), Num(50), Num(20)}));
        main.run(c, Having(Local(0), "addChild", {circle}));
        main.run(c, Kept(2, New("flash.display::Sprite", {})));
        main.run(c, graphics(square, "beginFill", {Num(0)}));
        main.run(c, graphics(square, "drawRect", {Num(60), Num(60), Num(20), Num(20)}));
        main.trace(c, Call(circle, "hitTestPoint", {Num(33), Num(33)}));
        main.trace(c, Call(circle, "hitTestPoint", {Num(33), Num(33), Num(1)}));
        main.trace(c, Call(circle, "hitTestPoint", {Num(50), Num(50), Num(1)}));
        main.trace(c, Call(circle, "hitTestPoint", {Num(75), Num(50)}));
        main.trace(c, Call(circle, "hitTestObject", {square}));
        main.run(c, Assigned(square, "x", Num(20)));
        main.trace(c, Call(circle, "hitTestObject", {square}));
        main.run(c, Assigned(square, "x", Num(0)));
        main.trace(c, Get(circle, "mask"));
        main.run(c, Assigned(circle, "mask", square));
        main.trace(c, Get(circle, "mask"));
    });
    SwfWriter movie = As3Movie(bytes);
    movie.showFrame();
    swf::Player player;
    EXPECT_EQ(Joined(Play(player, movie, 1)), "true\nfalse\ntrue\nfalse\ntrue\nfalse\nnull\n[object Sprite]");
    // Only where the square covers the circle is red; the square itself is not drawn.
    player.SetViewSize(100, 100);
    std::vector<uint8_t> pixels(100 * 100 * 3);
    ASSERT_TRUE(player.Draw({pixels.data(), 100 * 3, 24, false}));
    auto red = [&](int x, int y) {
        const uint8_t* p = &pixels[(static_cast<size_t>(y) * 100 + x) * 3];
        return p[2] > 200 && p[1] < 60 && p[0] < 60;
    };
    auto white = [&](int x, int y) {
        const uint8_t* p = &pixels[(static_cast<size_t>(y) * 100 + x) * 3];
        return p[0] > 200 && p[1] > 200 && p[2] > 200;
    };
    EXPECT_TRUE(red(63, 63));
    EXPECT_TRUE(white(45, 45));
    EXPECT_TRUE(white(77, 77));
}

// What a frame removes leaves while the playhead still stands on the frame before; going back
// to the first frame, it stands on the target. A goto in an exitFrame listener constructs the
// frame and runs its script between the frame's own events.
TEST(Avm2Timeline, RemovalsSeeTheFrameTheyLeaveAndAListenersGotoRunsTheFrameScriptAtOnce) {
    DocumentClass main;
    auto traceEvent = [&](AbcCode& c) {
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_getlocal1).op(OP_getproperty, main.name("type")).op(OP_pushstring, main.string(" ")).op(OP_add)
                .op(OP_getlocal0).op(OP_getproperty, main.name("currentFrame")).op(OP_add);
        });
    };
    main.method("onRemoved", traceEvent, 1);
    // onExit(e): on frame 3, trace and gotoAndStop(1) once
    main.method("onExit", [&](AbcCode& c) {
        AbcCode::Label skip = c.newLabel();
        c.op(OP_getlocal0).op(OP_getproperty, main.name("currentFrame")).pushByte(3).branch(OP_ifne, skip);
        traceEvent(c);
        main.callOnThis(c, "gotoAndStop", 1, [&](AbcCode& c) { c.pushByte(1); });
        main.traceText(c, "goto done");
        c.bind(skip);
    }, 1);
    main.method("first", [&](AbcCode& c) { main.traceText(c, "script 1"); });
    auto bytes = main.bytes([&](AbcCode& c) {
        main.callOnThis(c, "addFrameScript", 2, [&](AbcCode& c) {
            c.pushByte(0).op(OP_getlocal0).op(OP_getproperty, main.name("first"));
        });
        main.callOnThis(c, "addEventListener", 3, [&](AbcCode& c) {
            c.op(OP_pushstring, main.string("removed")).op(OP_getlocal0).op(OP_getproperty, main.name("onRemoved"))
                .op(OP_pushtrue);
        });
        main.callOnThis(c, "addEventListener", 2, [&](AbcCode& c) {
            c.op(OP_pushstring, main.string("exitFrame")).op(OP_getlocal0).op(OP_getproperty, main.name("onExit"));
        });
    });
    SwfWriter movie = As3Movie(bytes);
    // A shape on frame 1, removed on frame 2, and another on frame 3 at the same depth.
    swftest::ShapeBuilder box;
    box.fill1(box.addFill(swftest::FillStyle::solid({0, 128, 255}))).rectangle(0, 0, swftest::px(10), swftest::px(10));
    movie.defineShape(1, box).defineShape(2, box).place(1, 1).showFrame();
    movie.removeObject2(1).showFrame();
    movie.place(2, 1).showFrame();
    swf::Player player;
    EXPECT_EQ(Joined(Play(player, movie, 3)),
              "script 1\nremoved 1\n"           // leaving frame 1
              "exitFrame 3\nremoved 1\nscript 1\ngoto done");  // back to 1 from an exitFrame listener
    EXPECT_EQ(player.TCurrentFrame(), 0);
}

}  // namespace

namespace {

// The pointer's events go to the interactive object under it, through its parents to the stage:
// a shape makes its sprite the target, a container whose children take no mouse takes it
// itself, and where nothing is hit the stage hears the press alone.
TEST(Avm2Timeline, MouseEventsGoToTheInteractiveObjectUnderThePointer) {
    DocumentClass main;
    // onMouse(e): trace(e.type + " " + e.currentTarget.name + " " + e.target.name + " " + e.localX)
    main.method("onMouse", [&](AbcCode& c) {
        main.trace(c, [&](AbcCode& c) {
            const uint32_t space = main.string(" ");
            c.op(OP_getlocal1).op(OP_getproperty, main.name("type")).op(OP_pushstring, space).op(OP_add);
            c.op(OP_getlocal1).op(OP_getproperty, main.name("currentTarget")).op(OP_getproperty, main.name("name"))
                .op(OP_add).op(OP_pushstring, space).op(OP_add);
            c.op(OP_getlocal1).op(OP_getproperty, main.name("target")).op(OP_getproperty, main.name("name"))
                .op(OP_add).op(OP_pushstring, space).op(OP_add);
            c.op(OP_getlocal1).op(OP_getproperty, main.name("localX")).op(OP_add);
        });
    }, 1);
    const Emit outer = Local(1);
    const Emit inner = Local(2);
    auto listen = [&](AbcCode& c, const Emit& target, const char* type) {
        main.run(c, Having(target, "addEventListener", {Str(type), Get(Local(0), "onMouse")}));
    };
    auto bytes = main.bytes([&](AbcCode& c) {
        // outer (at x 20) holds inner, which draws a 20 px square and takes no mouse itself.
        main.run(c, Kept(1, Assigned(Assigned(New("flash.display::Sprite", {}), "name", Str("outer")), "x", Num(20))));
        main.run(c, Kept(2, Assigned(Assigned(New("flash.display::Sprite", {}), "name", Str("inner")), "mouseEnabled",
                                     Num(0))));
        main.run(c, Having(Get(inner, "graphics"), "beginFill", {Num(0)}));
        main.run(c, Having(Get(inner, "graphics"), "drawRect", {Num(0), Num(0), Num(20), Num(20)}));
        main.run(c, Having(outer, "addChild", {inner}));
        main.run(c, Having(Local(0), "addChild", {outer}));
        for (const char* type : {"mouseDown", "mouseUp", "click", "rollOver", "mouseOut"}) listen(c, outer, type);
        listen(c, Get(Local(0), "stage"), "mouseDown");
    });
    SwfWriter movie = As3Movie(bytes);
    movie.showFrame().showFrame();
    swf::Player player;
    player.SetViewSize(100, 100);
    swf::InputEvent at25;
    at25.type = swf::InputEvent::Type::MouseDown;
    at25.x = 25;
    at25.y = 5;
    swf::InputEvent up25 = at25;
    up25.type = swf::InputEvent::Type::MouseUp;
    swf::InputEvent at80 = at25;
    at80.x = 80;
    player.SetScriptedInput({{at25, up25, at80}});
    EXPECT_EQ(Joined(Play(player, movie, 2)),
              "rollOver outer outer 5\nmouseDown outer outer 5\nmouseDown null outer 5\n"
              "mouseUp outer outer 5\nclick outer outer 5\n"
              "mouseOut outer outer 60\nmouseDown null null 80");
}

// Three tab stops at c (0,0), a (50,0) and b (0,10): the automatic order is c, a, b, where a
// step down weighs six steps right. With `indexed`, b has tabIndex 1 and a 2, and c drops out.
// The stage traces every key, focus and click event it sees as "<target name> <event>".
std::vector<std::string> PlayKeysAndFocus(bool indexed, const std::vector<swf::InputEvent>& input) {
    DocumentClass main;
    main.method("onEvent", [&](AbcCode& c) {
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_getlocal1).op(OP_getproperty, main.name("target")).op(OP_getproperty, main.name("name"));
            c.op(OP_pushstring, main.string(" ")).op(OP_add).op(OP_getlocal1).op(OP_add);
        });
    }, 1);
    auto bytes = main.bytes([&](AbcCode& c) {
        struct Stop {
            const char* name;
            double x, y, tabIndex;
        };
        for (const Stop& stop : {Stop{"c", 0, 0, -1}, Stop{"a", 50, 0, 2}, Stop{"b", 0, 10, 1}}) {
            Emit sprite = Assigned(Assigned(Assigned(New("flash.display::Sprite", {}), "name", Str(stop.name)), "x",
                                            Num(stop.x)), "y", Num(stop.y));
            main.run(c, Kept(1, Assigned(Assigned(sprite, "tabEnabled", Num(1)), "doubleClickEnabled", Num(1))));
            if (indexed) main.run(c, Assigned(Local(1), "tabIndex", Num(stop.tabIndex)));
            main.run(c, Having(Get(Local(1), "graphics"), "beginFill", {Num(0)}));
            main.run(c, Having(Get(Local(1), "graphics"), "drawRect", {Num(0), Num(0), Num(10), Num(10)}));
            main.run(c, Having(Local(0), "addChild", {Local(1)}));
        }
        for (const char* type : {"keyDown", "keyUp", "keyFocusChange", "mouseFocusChange", "focusIn", "focusOut",
                                 "click", "doubleClick"})
            main.run(c, Having(Get(Local(0), "stage"), "addEventListener", {Str(type), Get(Local(0), "onEvent")}));
    });
    SwfWriter movie = As3Movie(bytes);
    movie.showFrame().showFrame();
    swf::Player player;
    player.SetViewSize(100, 100);
    player.SetScriptedInput({input});
    return Play(player, movie, 2);
}

swf::InputEvent Key(swf::InputEvent::Type type, int keyCode, uint32_t character = 0) {
    swf::InputEvent key;
    key.type = type;
    key.keyCode = keyCode;
    key.character = character;
    return key;
}

std::vector<swf::InputEvent> Pressed(int keyCode, uint32_t character = 0) {
    return {Key(swf::InputEvent::Type::KeyDown, keyCode, character), Key(swf::InputEvent::Type::KeyUp, keyCode, character)};
}

std::vector<swf::InputEvent> Clicked(double x, double y, int clickCount = 1) {
    swf::InputEvent down;
    down.type = swf::InputEvent::Type::MouseDown;
    down.x = x;
    down.y = y;
    down.clickCount = clickCount;
    swf::InputEvent up = down;
    up.type = swf::InputEvent::Type::MouseUp;
    return {down, up};
}

std::string KeyText(const char* target, const char* type, int phase, int charCode, int keyCode, bool shift) {
    return std::string(target) + " [KeyboardEvent type=\"" + type + "\" bubbles=true cancelable=false eventPhase=" +
           std::to_string(phase) + " charCode=" + std::to_string(charCode) + " keyCode=" + std::to_string(keyCode) +
           " keyLocation=0 ctrlKey=false altKey=false shiftKey=" + (shift ? "true" : "false") + "]";
}

std::string FocusText(const char* target, const char* type, int phase, bool related, int keyCode = 0, bool shift = false) {
    bool cancelable = std::string_view(type).ends_with("Change");
    return std::string(target) + " [FocusEvent type=\"" + type + "\" bubbles=true cancelable=" +
           (cancelable ? "true" : "false") + " eventPhase=" + std::to_string(phase) +
           " relatedObject=" + (related ? "[object Sprite]" : "null") + " shiftKey=" + (shift ? "true" : "false") +
           " keyCode=" + std::to_string(keyCode) + "]";
}

std::string ClickText(const char* type) {
    return std::string("b [MouseEvent type=\"") + type +
           "\" bubbles=true cancelable=false eventPhase=3 relatedObject=null ctrlKey=false altKey=false "
           "shiftKey=false buttonDown=false delta=0]";
}

// Keys go to the focus (the stage without one) through the three phases; Tab asks with
// keyFocusChange and moves the focus along the tab order, Shift+Tab back; a press asks with
// mouseFocusChange and focuses what it is on; a double click's second press is a doubleClick.
TEST(Avm2Timeline, KeysGoToTheFocusAndTabAndPressesMoveItInThePlayersOrder) {
    using Type = swf::InputEvent::Type;
    std::vector<swf::InputEvent> tabTabShiftTab = Pressed(9, 9);
    for (const auto& more : {Pressed(9, 9), {Key(Type::KeyDown, 16)}, Pressed(9, 9), {Key(Type::KeyUp, 16)}})
        tabTabShiftTab.insert(tabTabShiftTab.end(), more.begin(), more.end());
    std::vector<swf::InputEvent> clickThenKey = Clicked(5, 15);
    for (const auto& more : {Clicked(5, 15, 2), Pressed(65, 'a')})
        clickThenKey.insert(clickThenKey.end(), more.begin(), more.end());
    std::vector<swf::InputEvent> tabTabTab = Pressed(9, 9);
    for (int i = 0; i < 2; ++i) tabTabTab.insert(tabTabTab.end(), tabTabTab.begin(), tabTabTab.begin() + 2);
    std::vector<swf::InputEvent> tabThenStagePress = Pressed(9, 9);
    for (const swf::InputEvent& press : Clicked(90, 90)) tabThenStagePress.push_back(press);
    struct Case {
        const char* name;
        bool indexed;
        std::vector<swf::InputEvent> input;
        std::vector<std::string> trace;
    };
    const Case cases[] = {
        {"a key without a focus goes to the stage", false, Pressed(65, 'a'),
         {KeyText("null", "keyDown", 2, 97, 65, false), KeyText("null", "keyUp", 2, 97, 65, false)}},
        {"Tab by position, Shift+Tab back", false, tabTabShiftTab,
         {KeyText("null", "keyDown", 2, 9, 9, false), FocusText("null", "keyFocusChange", 2, true, 9),
          FocusText("c", "focusIn", 3, false), KeyText("c", "keyUp", 3, 9, 9, false),
          KeyText("c", "keyDown", 3, 9, 9, false), FocusText("c", "keyFocusChange", 3, true, 9),
          FocusText("c", "focusOut", 3, true), FocusText("a", "focusIn", 3, true), KeyText("a", "keyUp", 3, 9, 9, false),
          KeyText("a", "keyDown", 3, 0, 16, true), KeyText("a", "keyDown", 3, 9, 9, true),
          FocusText("a", "keyFocusChange", 3, true, 9, true), FocusText("a", "focusOut", 3, true),
          FocusText("c", "focusIn", 3, true), KeyText("c", "keyUp", 3, 9, 9, true), KeyText("c", "keyUp", 3, 0, 16, false)}},
        {"tabIndex order leaves out the stops without one and comes round", true, tabTabTab,
         {KeyText("null", "keyDown", 2, 9, 9, false), FocusText("null", "keyFocusChange", 2, true, 9),
          FocusText("b", "focusIn", 3, false), KeyText("b", "keyUp", 3, 9, 9, false),
          KeyText("b", "keyDown", 3, 9, 9, false), FocusText("b", "keyFocusChange", 3, true, 9),
          FocusText("b", "focusOut", 3, true), FocusText("a", "focusIn", 3, true), KeyText("a", "keyUp", 3, 9, 9, false),
          KeyText("a", "keyDown", 3, 9, 9, false), FocusText("a", "keyFocusChange", 3, true, 9),
          FocusText("a", "focusOut", 3, true), FocusText("b", "focusIn", 3, true), KeyText("b", "keyUp", 3, 9, 9, false)}},
        {"a press focuses what it is on, which then hears the keys", false, clickThenKey,
         {FocusText("null", "mouseFocusChange", 2, true), FocusText("b", "focusIn", 3, false), ClickText("click"),
          ClickText("doubleClick"), KeyText("b", "keyDown", 3, 97, 65, false), KeyText("b", "keyUp", 3, 97, 65, false)}},
        {"a press on the stage takes the focus away", false, tabThenStagePress,
         {KeyText("null", "keyDown", 2, 9, 9, false), FocusText("null", "keyFocusChange", 2, true, 9),
          FocusText("c", "focusIn", 3, false), KeyText("c", "keyUp", 3, 9, 9, false),
          FocusText("c", "mouseFocusChange", 3, false), FocusText("c", "focusOut", 3, false),
          "null [MouseEvent type=\"click\" bubbles=true cancelable=false eventPhase=2 relatedObject=null ctrlKey=false "
          "altKey=false shiftKey=false buttonDown=false delta=0]"}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(Joined(PlayKeysAndFocus(test.indexed, test.input)), Joined(test.trace)) << test.name;
}

}  // namespace

namespace {

// A Loader reads a movie beside the playing one: its info's events come in the player's order
// with the sizes and facts of what was read, the content becomes the loader's child, a missing
// file or one that is neither movie nor picture is an ioError with the player's text, and
// unload takes the content away.
TEST(Avm2Timeline, LoadersReadMoviesBesideTheMovieAndReportThemInOrder) {
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / ("kt-as3-loader-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(folder);
    auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    SwfWriter child;
    child.version(9).frameSizePixels(40, 30).frameRate(12);
    // An ActionScript 1 movie: scripts see its root as an AVM1Movie.
    child.showFrame();
    std::vector<uint8_t> childBytes = child.bytes();
    write("child.swf", childBytes);
    write("notes.txt", {'h', 'i'});

    DocumentClass main;
    auto info = [&](AbcCode& c) { c.op(OP_getlocal1).op(OP_getproperty, main.name("target")); };
    auto field = [&](AbcCode& c, std::string_view name) {
        c.op(OP_pushstring, main.string(" ")).op(OP_add);
        info(c);
        c.op(OP_getproperty, main.name(name)).op(OP_add);
    };
    main.method("heard", [&](AbcCode& c) {
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_getlocal1).op(OP_getproperty, main.name("type"));
            for (const char* name : {"bytesLoaded", "bytesTotal"}) field(c, name);
            c.op(OP_pushstring, main.string(" child:")).op(OP_add);
            info(c);
            c.op(OP_getproperty, main.name("loader")).op(OP_getproperty, main.name("numChildren")).op(OP_add);
        });
    }, 1);
    main.method("done", [&](AbcCode& c) {
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_pushstring, main.string("read"));
            for (const char* name : {"width", "height", "frameRate", "swfVersion", "actionScriptVersion"}) field(c, name);
            c.op(OP_pushstring, main.string(" content:")).op(OP_add);
            info(c);
            c.op(OP_getproperty, main.name("content")).op(OP_add);
        });
        info(c);
        c.op(OP_getproperty, main.name("loader")).op(OP_callpropvoid, main.name("unload"), 0);
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_pushstring, main.string("unloaded "));
            info(c);
            c.op(OP_getproperty, main.name("loader")).op(OP_getproperty, main.name("content")).op(OP_add);
        });
    }, 1);
    main.method("failed", [&](AbcCode& c) {
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_getlocal1).op(OP_getproperty, main.name("type"));
            c.op(OP_pushstring, main.string(" ")).op(OP_add);
            c.op(OP_getlocal1).op(OP_getproperty, main.name("text")).op(OP_add);
        });
    }, 1);
    uint32_t loaderClass = main.displayClass("Loader");
    uint32_t requestClass = main.packageName("flash.net", "URLRequest");
    // A loader for `file` in local 1 whose info's events of `types` go to `listener`.
    auto load = [&](AbcCode& c, std::string_view file, std::vector<const char*> types, std::string_view listener) {
        c.op(OP_findpropstrict, loaderClass).op(OP_constructprop, loaderClass, 0).op(OP_setlocal1);
        for (const char* type : types) {
            c.op(OP_getlocal1).op(OP_getproperty, main.name("contentLoaderInfo"));
            c.op(OP_pushstring, main.string(type)).op(OP_getlocal0).op(OP_getproperty, main.name(listener));
            c.op(OP_callpropvoid, main.name("addEventListener"), 2);
        }
        c.op(OP_getlocal1).op(OP_findpropstrict, requestClass).op(OP_pushstring, main.string(file));
        c.op(OP_constructprop, requestClass, 1).op(OP_callpropvoid, main.name("load"), 1);
    };
    auto bytes = main.bytes([&](AbcCode& c) {
        load(c, "child.swf", {"open", "progress", "init", "complete"}, "heard");
        c.op(OP_getlocal1).op(OP_getproperty, main.name("contentLoaderInfo"));
        c.op(OP_pushstring, main.string("complete")).op(OP_getlocal0).op(OP_getproperty, main.name("done"));
        c.op(OP_callpropvoid, main.name("addEventListener"), 2);
        main.trace(c, [&](AbcCode& c) {
            c.op(OP_pushstring, main.string("asked "));
            c.op(OP_getlocal1).op(OP_getproperty, main.name("contentLoaderInfo")).op(OP_getproperty, main.name("bytesTotal"));
            c.op(OP_add);
        });
        load(c, "missing.swf", {"ioError"}, "failed");
        load(c, "notes.txt", {"ioError"}, "failed");
    });
    SwfWriter movie = As3Movie(bytes);
    movie.showFrame().showFrame();
    write("main.swf", movie.bytes());

    swf::Player player;
    std::vector<std::string> lines;
    player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
    EXPECT_TRUE(player.LoadMovie((folder / "main.swf").string())) << player.LoadError();
    player.advanceFrame();
    player.SetTraceSink(nullptr);
    std::error_code ignored;
    fs::remove_all(folder, ignored);

    const std::string size = std::to_string(childBytes.size());
    EXPECT_EQ(Joined(lines), Joined({"asked 0",
                                     "open 0 0 child:0",
                                     "progress 0 " + size + " child:0",
                                     "progress " + size + " " + size + " child:0",
                                     "init " + size + " " + size + " child:1",
                                     "complete " + size + " " + size + " child:1",
                                     "read 40 30 12 9 2 content:[object AVM1Movie]",
                                     "unloaded null",
                                     "ioError Error #2035: URL Not Found. URL: missing.swf",
                                     "ioError Error #2124: Loaded file is an unknown type. URL: "
                                     "notes.txt"}));
}

}  // namespace
