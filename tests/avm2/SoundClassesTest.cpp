// ActionScript 3's sounds: a Sound subclass bound to an embedded sound, its channels, their
// levels and completion, checked by trace and in the movie's mixed sound.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ScriptEmit.h"
#include "ScriptRun.h"
#include "support/SoundFormat.h"
#include "support/SwfWriter.h"
#include "swf/player/Player.h"

namespace {

using namespace avm2test;
using swftest::SwfWriter;

constexpr uint32_t kMixRate = 44100;
constexpr size_t kFrameSamples = 4410;  // a frame at 10 frames a second

// A movie at 10 frames a second whose sound 1 (4410 mono samples of `level`, 100 ms) is bound
// to the class Beep, a Sound; the document class Main runs `construct` and has the methods
// `methods` (their argument, if any, in local 1) and frame scripts for the frames listed.
class SoundMovie {
  public:
    struct Method {
        std::string name;
        std::vector<Emit> statements;  // each value dropped
        size_t parameters = 1;         // a listener takes the event, a frame script nothing
    };

    SoundMovie(std::vector<Emit> construct, std::vector<Method> methods,
               std::vector<std::pair<int, std::string>> frameScripts = {}) {
        std::vector<AbcBuilder::Trait> traits;
        for (const Method& method : methods) {
            AbcBuilder::Method signature;
            signature.parameterTypes.assign(method.parameters, 0);
            traits.push_back({abc_.publicName(method.name), AbcBuilder::kMethod, 0, 0,
                              abc_.methodWithBody(body(method.statements), {.maxStack = 8, .localCount = 3}, signature)});
        }
        if (!frameScripts.empty()) {
            construct.push_back([frameScripts](AbcBuilder& abc, AbcCode& code) {
                code.op(OP_getlocal0);
                for (const auto& [frame, method] : frameScripts)
                    code.pushByte(static_cast<int8_t>(frame)).op(OP_getlocal0).op(OP_getproperty, abc.publicName(method));
                code.op(OP_callproperty, abc.publicName("addFrameScript"), static_cast<uint32_t>(2 * frameScripts.size()));
            });
        }
        AbcCode ctor;
        ctor.op(OP_getlocal0).op(OP_pushscope).op(OP_getlocal0).op(OP_constructsuper, 0);
        statements(construct, ctor);
        ctor.op(OP_returnvoid);
        AbcCode empty;
        empty.op(OP_returnvoid);
        const uint32_t sound = ClassName(abc_, "flash.media::Sound");
        const uint32_t beep = abc_.publicName("Beep");
        abc_.classScript(beep, sound, abc_.addClass(beep, sound, abc_.methodWithBody(empty), abc_.methodWithBody(empty)));
        const uint32_t clip = ClassName(abc_, "flash.display::MovieClip");
        const uint32_t main = abc_.publicName("Main");
        abc_.classScript(main, clip,
                         abc_.addClass(main, clip, abc_.methodWithBody(ctor, {.maxStack = 16, .localCount = 3}),
                                       abc_.methodWithBody(empty), traits, {}, 0x00));
    }

    SwfWriter movie(int16_t level, int frames) const {
        SwfWriter movie;
        movie.version(10).frameSizePixels(100, 100).frameRate(10).fileAttributes(0x08);
        const std::vector<int16_t> samples(kFrameSamples, level);
        movie.defineSound(1, {swftest::SoundCodec::LittleEndianPcm, swftest::SoundRate::Hz44100, true, false},
                          swftest::SoundFormat::littleEndian(samples));
        movie.doAbc(abc_.bytes(), 1, "frame1").symbolClass({{1, "Beep"}, {0, "Main"}});
        for (int i = 0; i < frames; ++i) movie.showFrame();
        return movie;
    }

  private:
    void statements(const std::vector<Emit>& list, AbcCode& code) {
        for (const Emit& statement : list) {
            statement(abc_, code);
            code.op(OP_pop);
        }
    }
    AbcCode body(const std::vector<Emit>& list) {
        AbcCode code;
        code.op(OP_getlocal0).op(OP_pushscope);
        statements(list, code);
        code.op(OP_returnvoid);
        return code;
    }
    AbcBuilder abc_;
};

// trace(value), as a statement.
Emit Trace(Emit value) {
    return [value](AbcBuilder& abc, AbcCode& code) {
        code.op(OP_findpropstrict, abc.publicName("trace"));
        value(abc, code);
        code.op(OP_callproperty, abc.publicName("trace"), 1);
    };
}
Emit This() {
    return [](AbcBuilder&, AbcCode& code) { code.op(OP_getlocal0); };
}
Emit Plus(Emit a, Emit b) {
    return [a, b](AbcBuilder& abc, AbcCode& code) {
        a(abc, code);
        b(abc, code);
        code.op(OP_add);
    };
}
Emit Listen(Emit target, const char* type, const char* method) {
    return Call(target, "addEventListener", {Str(type), Get(This(), method)});
}

TEST(Avm2Sound, ChannelsPlayStopAndCompleteOnTheFrameClock) {
    // Two loops of the 100 ms sound from the first frame: heard to the end of the second
    // frame, so complete when the fourth begins. A stopped channel never completes.
    SoundMovie main(
        {Trace(Get(New("Beep", {}), "length")),
         Kept(1, New("Beep", {})),
         Kept(2, Call(Local(1), "play", {Num(0), Num(2), New("flash.media::SoundTransform", {Num(0.5), Num(-1)})})),
         Trace(Local(2)),
         Trace(Call(Local(1), "play", {Num(100)})),
         Trace(Get(Get(Local(2), "soundTransform"), "volume")),
         Trace(Get(Get(Local(2), "soundTransform"), "leftToLeft")),
         Listen(Local(2), "soundComplete", "onComplete"),
         Kept(2, Call(Local(1), "play", {Num(50)})),
         Listen(Local(2), "soundComplete", "onComplete"),
         Call(Local(2), "stop", {}),
         Trace(Get(Local(2), "position")),
         Assigned(Global("flash.media::SoundMixer"), "soundTransform",
                  Assigned(New("flash.media::SoundTransform", {}), "pan", Num(-0.5))),
         Trace(Get(Get(Global("flash.media::SoundMixer"), "soundTransform"), "leftToLeft")),
         Trace(Get(Get(Global("flash.media::SoundMixer"), "soundTransform"), "pan")),
         Trace(Get(New("flash.media::Sound", {}), "length")),
         Trace(Call(New("flash.media::Sound", {}), "play", {}))},
        {{"onComplete",
          {Trace(Plus(Plus(Plus(Str("complete "), Get(This(), "currentFrame")), Str(" ")),
                      Get(Get(Local(1), "target"), "position")))}}});
    swf::Player player;
    std::vector<std::string> lines;
    player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
    const std::vector<uint8_t> bytes = main.movie(1000, 6).bytes();
    ASSERT_TRUE(player.LoadMovieFromMemory(bytes));
    for (int i = 1; i < 6; ++i) player.advanceFrame();
    // pan -0.5 sets leftToLeft to the square root of 1.5, kept as whole percent.
    EXPECT_EQ(Joined(lines),
              "100\n[object SoundChannel]\nnull\n0.5\n1.41\n50\n1.22\n-0.48839999999999995\n0\nnull\n"
              "complete 4 100");
}

TEST(Avm2Sound, ALoadThatFindsNoSoundFileEndsInTheStreamError) {
    SoundMovie main({Kept(1, New("flash.media::Sound", {})),
                     Listen(Local(1), "ioError", "onError"),
                     Call(Local(1), "load", {New("flash.net::URLRequest", {Str("missing.mp3")})}),
                     Trace(Get(Local(1), "bytesLoaded"))},
                    {{"onError", {Trace(Plus(Get(Local(1), "type"), Plus(Str(" "), Get(Local(1), "text"))))}}});
    swf::Player player;
    std::vector<std::string> lines;
    player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
    const std::vector<uint8_t> bytes = main.movie(1000, 3).bytes();
    ASSERT_TRUE(player.LoadMovieFromMemory(bytes));
    player.advanceFrame();
    // A movie loaded from memory has no folder: the loader says so, and the load fails.
    EXPECT_EQ(Joined(lines),
              "Kinetrope: not loading 'missing.mp3': the movie has no folder to load from\n"
              "0\nioError Error #2032: Stream Error. URL: missing.mp3");
}

TEST(Avm2Sound, ScriptSoundIsMixedFromItsFrameAtItsLevels) {
    // The second frame's script plays the sound at half volume, panned right: the right
    // channel has it at 0.5 * 1.41 (whole percent) for that frame, the left nothing.
    SoundMovie main({}, {{"second",
                          {Call(New("Beep", {}), "play", {Num(0), Num(0), New("flash.media::SoundTransform", {Num(0.5), Num(1)})})},
                          0}},
                    {{1, "second"}});
    swf::Player player;
    player.SetSoundOutput(kMixRate, 2);
    const std::vector<uint8_t> bytes = main.movie(10000, 4).bytes();
    ASSERT_TRUE(player.LoadMovieFromMemory(bytes));
    std::vector<int16_t> sound;
    for (int frame = 0; frame < 4; ++frame) {
        player.advanceFrame();
        std::vector<int16_t> interval(kFrameSamples * 2);
        ASSERT_EQ(player.TakeSound(interval), interval.size()) << frame;
        sound.insert(sound.end(), interval.begin(), interval.end());
    }
    for (size_t i = 0; i < sound.size() / 2; ++i) {
        const bool heard = i >= kFrameSamples && i < 2 * kFrameSamples;
        ASSERT_EQ(sound[2 * i], 0) << i;
        ASSERT_EQ(sound[2 * i + 1], heard ? 7050 : 0) << i;
    }
}

}  // namespace
