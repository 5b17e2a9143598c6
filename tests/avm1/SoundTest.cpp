// Sound: levels as the original player converts and reads them back, volume shared by the
// Sounds of one clip, exported sounds' durations, and positions and the completion event on
// the movie's clock. The movie runs at 10 frames a second and exports a one-second sound.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ScriptRun.h"
#include "support/SwfWriter.h"
#include "swf/player/Player.h"

namespace {

using avm1test::Joined;
using avm1test::PushedArguments;
using avm1test::RunMovie;

// `object.method(args)`, its result dropped or traced.
std::string call(const std::string& object, const std::string& method, const std::string& args,
                 bool traced = false) {
    std::string pushes = args.empty() ? "0" : PushedArguments(args);
    return "push " + pushes + ", \"" + object + "\"; getVariable; push \"" + method +
           "\"; callMethod; " + (traced ? "trace\n" : "pop\n");
}
std::string traced(const std::string& object, const std::string& method,
                   const std::string& args = "") {
    return call(object, method, args, true);
}
std::string newSound(const std::string& name, const std::string& target = "") {
    if (target.empty()) return "push \"" + name + "\", 0, \"Sound\"; newObject; setVariable\n";
    return "push \"" + name + "\", " + target + ", 1, \"Sound\"; newObject; setVariable\n";
}
std::string member(const std::string& object, const std::string& name) {
    return "push \"" + object + "\"; getVariable; push \"" + name + "\"; getMember; trace\n";
}

struct Case {
    const char* name;
    std::string script;
    int frames;
    const char* trace;
};

std::vector<Case> cases() {
    return {
        {"volume truncates as the processor does, pan reads back from the lowered side",
         newSound("s") + call("s", "setVolume", "nan") + traced("s", "getVolume") +
             call("s", "setVolume", "50.7") + traced("s", "getVolume") +
             call("s", "setPan", "200") + traced("s", "getPan") +
             "push 0, \"s\"; getVariable; push \"getTransform\"; callMethod; push \"ll\"; "
             "getMember; trace\n" +
             call("s", "setPan", "-30") + traced("s", "getPan"),
         1, "-2147483648\n50\n0\n-100\n-30"},
        {"setTransform takes the object's own members only, wrapping to 32 bits",
         newSound("s") +
             "push \"o\", \"rr\", 7, 1; initObject; setVariable\n"
             "push \"p\", 0, \"Object\"; newObject; setVariable\n"
             "push \"p\"; getVariable; push \"__proto__\"; push \"o\"; getVariable; setMember\n"
             "push \"p\"; getVariable; push \"ll\", d:3000000000; setMember\n" +
             "push \"p\"; getVariable; push 1, \"s\"; getVariable; push \"setTransform\"; "
             "callMethod; pop\n"
             "push \"t\", 0, \"s\"; getVariable; push \"getTransform\"; callMethod; setVariable\n" +
             member("t", "ll") + member("t", "rr") + traced("s", "getPan"),
         1, "-1294967296\n100\n-1294967196"},
        {"Sounds of one clip share its volume; the global one is apart; a renamed clip is lost",
         "push \"mc\", 1, \"mc\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; "
         "callMethod; setVariable\n" +
             newSound("a", "\"mc\"") + newSound("b", "\"_level0.mc\"") + newSound("g") +
             call("a", "setVolume", "30") + traced("b", "getVolume") + traced("g", "getVolume") +
             "push \"mc\"; getVariable; push \"_name\", \"other\"; setMember\n"
             "push \"mc\"; delete2; pop\n" +
             traced("a", "getVolume"),
         1, "30\n100\nundefined"},
        {"a clip removed while its unload handler waits is still its Sounds' clip after SWF 5",
         "push \"mc\", 1, \"mc\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; "
         "callMethod; setVariable\n" +
             newSound("a", "\"mc\"") +
             "push \"mc\"; getVariable; push \"onUnload\"; function () { }; setMember\n"
             "push 0, \"mc\"; getVariable; push \"removeMovieClip\"; callMethod; pop\n" +
             call("a", "setVolume", "30") + traced("a", "getVolume"),
         1, "30"},
        {"a path given as text is found from the timeline the code acts on, at each call",
         "push \"mc\", 1, \"mc\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; "
         "callMethod; setVariable\n"
         "push 1, \"nested\", 2, \"mc\"; getVariable; push \"createEmptyMovieClip\"; "
         "callMethod; pop\n"
         "push \"_global\"; getVariable; push \"s\", \"nested\", 1, \"Sound\"; newObject; "
         "setMember\n"
         "push \"_global\"; getVariable; push \"t\", \"mc\"; getVariable; push \"nested\"; "
         "getMember; push 1, \"Sound\"; newObject; setMember\n"
         "push 0, \"s\"; getVariable; push \"getVolume\"; callMethod; trace\n"
         "setTarget \"mc\"\n"
         "push 40, 1, \"s\"; getVariable; push \"setVolume\"; callMethod; pop\n"
         "push 0, \"s\"; getVariable; push \"getVolume\"; callMethod; trace\n"
         "setTarget \"\"\n"
         "push 0, \"s\"; getVariable; push \"getVolume\"; callMethod; trace\n"
         "push 0, \"t\"; getVariable; push \"getVolume\"; callMethod; trace\n",
         1, "undefined\n40\nundefined\n40"},
        {"a clip that Sound's methods are called on has its own levels; a plain object none",
         "push \"f\", \"Sound\"; getVariable; push \"prototype\"; getMember; push \"setVolume\"; "
         "getMember; setVariable\n"
         "push \"g\", \"Sound\"; getVariable; push \"prototype\"; getMember; push \"getVolume\"; "
         "getMember; setVariable\n"
         "push 40, \"_root\"; getVariable; push 2, \"f\"; getVariable; push \"call\"; callMethod; "
         "pop\n" +
             newSound("s", "\"_root\"") + traced("s", "getVolume") + newSound("t") +
             traced("t", "getVolume") +
             "push 0; initObject; push 1, \"g\"; getVariable; push \"call\"; callMethod; trace\n",
         1, "40\n100\nundefined"},
        {"an exported sound gives its duration; the properties appear once one is attached",
         newSound("s") + member("s", "duration") + traced("s", "getDuration") +
             call("s", "attachSound", "\"nothing\"") + traced("s", "getDuration") +
             call("s", "attachSound", "\"tone\"") + member("s", "duration") +
             member("s", "position"),
         1, "undefined\nundefined\nundefined\n1000\n0"},
        {"a started sound completes on the movie's clock, loops and offset included",
         newSound("s") + call("s", "attachSound", "\"tone\"") +
             "push \"s\"; getVariable; push \"onSoundComplete\"\n"
             "function () { push \"done \"; push \"this\"; getVariable; push \"position\"; "
             "getMember; add2; trace }; setMember\n" +
             call("s", "start", "0.5, 2") + member("s", "position"),
         14, "500\ndone 1000"},
        {"a stopped sound keeps its position and never completes",
         newSound("s") + call("s", "attachSound", "\"tone\"") +
             "push \"s\"; getVariable; push \"onSoundComplete\"\n"
             "function () { push \"done\"; trace }; setMember\n" +
             call("s", "start", "") + call("s", "stop", "\"tone\"") + member("s", "position"),
         14, "0"},
        {"a movie from memory has no folder to load from: an event sound fails as the frame ends",
         newSound("s") +
             "push \"s\"; getVariable; push \"onLoad\"\n"
             "function (ok) { push \"onLoad \"; push \"ok\"; getVariable; add2; trace }; "
             "setMember\n" +
             call("s", "loadSound", "\"x.mp3\", false") + traced("s", "getDuration") +
             "push \"after\"; trace\n",
         3,
         "Kinetrope: not loading 'x.mp3': the movie has no folder to load from\n0\nafter\n"
         "onLoad false"},
    };
}

TEST(SoundTest, AnswersAsTheOriginalPlayer) {
    // One second of 16-bit mono PCM at 11025 Hz, exported as "tone".
    std::vector<uint8_t> samples(11025 * 2, 0);
    swftest::SoundFormat format;
    format.rate = swftest::SoundRate::Hz11025;
    format.stereo = false;
    const uint8_t exports[] = {1, 0, 1, 0, 't', 'o', 'n', 'e', 0};
    for (const Case& c : cases()) {
        swftest::SwfWriter movie;
        movie.version(8).frameRate(10);
        movie.defineSound(1, format, samples).tag(56, exports);
        movie.doAction(swftest::ActionBuilder::assemble(c.script)).showFrame();
        std::vector<std::string> lines = RunMovie(movie, c.frames);
        EXPECT_EQ(Joined(lines), c.trace) << c.name;
    }
}

// An MP3 file of 40 silent frames (46080 samples at 44.1 kHz) behind an ID3 tag naming it.
std::string mp3File() {
    std::string file("ID3\x03\x00\x00\x00\x00\x00\x0f", 10);
    file += std::string("TIT2\x00\x00\x00\x05\x00\x00\x00Tone", 15);
    for (int i = 0; i < 40; ++i)
        file += std::string("\xff\xfb\x90\x00", 4) + std::string(413, '\0');
    return file;
}

TEST(SoundTest, LoadsMp3FilesOfTheMovieFolder) {
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / ("kt-sound-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "a.mp3", std::ios::binary) << mp3File();
    swftest::SwfWriter movie;
    movie.version(8).frameRate(10);
    movie.doAction(swftest::ActionBuilder::assemble(
        newSound("s") +
        "push \"s\"; getVariable; push \"onID3\"\n"
        "function () { push \"this\"; getVariable; push \"id3\"; getMember; push \"songname\"; "
        "getMember; push \" \"; add2; push 0, \"this\"; getVariable; push \"getDuration\"; "
        "callMethod; add2; trace }; setMember\n"
        "push \"s\"; getVariable; push \"onLoad\"\n"
        "function (ok) { push \"ok\"; getVariable; push \" \"; add2; push \"this\"; getVariable; "
        "push \"duration\"; getMember; add2; trace }; setMember\n"
        "push \"s\"; getVariable; push \"onSoundComplete\"\n"
        "function () { push \"done \"; push \"this\"; getVariable; push \"position\"; "
        "getMember; add2; trace }; setMember\n" +
        call("s", "loadSound", "\"a.mp3\", true") + call("s", "loadSound", "\"../a.mp3\"") +
        call("s", "loadSound", "\"a.mp3\", true") + "push \"asked\"; trace\n"));
    std::ofstream(folder / "m.swf", std::ios::binary)
        << std::string(reinterpret_cast<const char*>(movie.bytes().data()), movie.bytes().size());
    std::vector<std::string> lines;
    {
        swf::Player player;
        player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
        ASSERT_TRUE(player.LoadMovie((folder / "m.swf").string()));
        for (int i = 1; i < 14; ++i) player.advanceFrame();
    }
    fs::remove_all(folder);
    // Streams answer within loadSound; the event sound between them is refused, saying why.
    EXPECT_EQ(Joined(lines),
              "Tone 0\ntrue 1045\n"
              "Kinetrope: not loading '../a.mp3': the file is outside the movie's folder\n"
              "Tone 0\ntrue 1045\nasked\ndone 1045");
}

}  // namespace
