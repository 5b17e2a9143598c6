// Scripts meeting the display list and the frame lifecycle: clips by name and reference,
// references to removed clips, clip events, init actions, timers and the collector.

#include <gtest/gtest.h>

#include <filesystem>

#include "ScriptRun.h"
#include "support/ClipAction.h"
#include "swf/player/Player.h"

namespace {

namespace st = swftest;
using avm1test::Joined;
using avm1test::RunMovie;
using avm1test::RunScript;

TEST(StageScript, AReferenceToARemovedClipFindsWhatStandsAtItsPathOrNothing) {
    const char* script = R"(
        push 1, "a", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod
        storeRegister 1; pop
        push r:1; targetPath; trace
        push 0, r:1, "removeMovieClip"; callMethod; pop
        push r:1; targetPath; trace
        push r:1, "_name"; getMember; trace
        push 1, "a", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
        push r:1, "_name"; getMember; trace)";
    EXPECT_EQ(Joined(RunScript(script)), "_level0.a\nundefined\nundefined\na");
}

TEST(StageScript, PathsFindClipsAsThePlayerDoes) {
    // "c" holds v = 5; "d" twice, the first at the lower depth.
    const std::string clips = R"(
        push 1, "c", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod
        push "v", 5; setMember
        push 2, "d", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod
        push "x", "first"; setMember
        push 3, "d", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod
        storeRegister 1; push "x", "second"; setMember
    )";
    const std::vector<avm1test::ScriptCase> cases = {
        {"colons before a name are skipped, not after the last", 7, clips + R"(
            push "::c:v"; getVariable; trace
            push "/:c:v"; getVariable; trace
            push "c::v"; getVariable; trace
            push "c:::v"; getVariable; trace)",
         "5\n5\n5\nundefined"},
        {"a slash path alone names a clip, else it is a variable's whole name", 7, clips + R"(
            push "c/v", 9; setVariable
            push "_root"; getVariable; push "c/v"; getMember; trace
            push "c"; getVariable; push "v"; getMember; trace
            push "this/c", 7; setVariable
            push "this/c"; getVariable; trace
            push "/c"; getVariable; targetPath; trace)",
         "9\n5\n7\n_level0.c"},
        {"tellTarget with a clip finds it again by its path", 7, clips + R"(
            push r:1; setTarget2; push "x"; getVariable; trace; setTarget "")",
         "first"},
        {"two clips at one path are equal", 7, clips + R"(
            push 2, 1, "_root"; getVariable; push "getInstanceAtDepth"; callMethod
            push r:1; strictEquals; trace
            push "c"; getVariable; push r:1; strictEquals; trace)",
         "true\nfalse"},
        {"a removed clip's reference follows its placed path, not a later name", 7, R"(
            push 4, "e", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod
            storeRegister 2; pop
            push r:2, "_name", "f"; setMember
            push 0, r:2, "removeMovieClip"; callMethod; pop
            push 4, "e", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
            push r:2; targetPath; trace)",
         "_level0.e"},
    };
    avm1test::ExpectTraces(cases);
}

TEST(StageScript, ALoopStartsNewChildrenInTheOrderOfTheFramesTags) {
    st::SwfWriter sprite;
    sprite.doAction(st::ActionBuilder::assemble(R"(push "child"; trace; stop)")).showFrame();
    st::SwfWriter movie;
    movie.version(6);
    movie.defineSprite(1, sprite);
    movie.doAction(st::ActionBuilder::assemble(R"(push "main 1"; trace)"));
    movie.placeObject2({.depth = 1, .character = 1, .name = "clip"}).showFrame();
    movie.removeObject2(1).doAction(st::ActionBuilder::assemble(R"(push "main 2"; trace)"));
    movie.showFrame();
    EXPECT_EQ(Joined(RunMovie(movie, 3)), "main 1\nchild\nmain 2\nmain 1\nchild");
}

TEST(StageScript, Swf4PathsAreSlashPathsFromALevelOrTheTimeline) {
    // Each line: the _target a path names ("" none), then what getVariable reads by path.
    st::SwfWriter movie;
    movie.version(4);
    movie.defineSprite(1, st::SwfWriter{});
    movie.placeObject2({.depth = 1, .character = 1, .name = "a"});
    std::string script = R"(push "v", 1; setVariable
)";
    for (const char* path : {"a/..:", "_level0:_level0:/", "_flash0..", "/_level0", "_root", "a/"})
        script += std::string(R"(push "t:", ")") + path + R"(", 11; getProperty; stringAdd; trace
)";
    for (const char* path : {"a/..:a", "_level0.v", "_level0/:v", ":v"})
        script += std::string(R"(push ")") + path + R"("; getVariable; typeOf; trace
)";
    movie.doAction(st::ActionBuilder::assemble(script)).showFrame();
    EXPECT_EQ(Joined(RunMovie(movie, 1)),
              "t:\nt:/\nt:/\nt:\nt:\nt:/a\nundefined\nundefined\nnumber\nundefined");
}

TEST(StageScript, FrameLabelsIgnoreTheCaseOfAsciiLettersOnly) {
    st::SwfWriter movie;
    movie.version(6);
    movie.doAction(st::ActionBuilder::assemble(
        "gotoLabel \"B\xC3\x80" "D\"; push \"\", 4; getProperty; trace\n"
        "gotoLabel \"BAD\"; push \"\", 4; getProperty; trace; stop"));
    movie.showFrame();
    movie.frameLabel("bad").showFrame();
    movie.frameLabel("b\xC3\xA0" "d").showFrame();
    EXPECT_EQ(Joined(RunMovie(movie, 1)), "1\n2");
}

// The player's own calls of handlers do not ask __resolve for a missing one; a script's do.
TEST(StageScript, ClipEventsRunInTheirOrderAroundTheFirstFrameAndPassResolveBy) {
    st::SwfWriter sprite;
    sprite.doAction(st::ActionBuilder::assemble(R"(push "frame 1"; trace
        push "this"; getVariable; push "__resolve"
        function (n) { push "resolve "; push "n"; getVariable; add2; trace }; setMember
        stop)")).showFrame();
    st::SwfWriter movie;
    movie.version(6);
    movie.defineSprite(1, sprite);
    std::vector<st::ClipAction> events = {
        {st::kClipLoad, 0, st::ActionBuilder::assemble(R"(push "load"; trace)")},
        {st::kClipEnterFrame, 0, st::ActionBuilder::assemble(R"(push "enterFrame"; trace)")},
        {st::kClipInitialize, 0, st::ActionBuilder::assemble(R"(push "initialize"; trace)")},
    };
    movie.placeObject2({.depth = 1, .character = 1, .name = "clip", .clipActions = events});
    movie.doAction(st::ActionBuilder::assemble(R"(push "main"; trace
        push 0, "clip"; getVariable; push "missing"; callMethod; pop; stop)")).showFrame();
    EXPECT_EQ(Joined(RunMovie(movie, 3)),
              "initialize\nload\nframe 1\nmain\nresolve missing\nenterFrame\nenterFrame");
}

TEST(StageScript, InitActionsRunOnceBeforeTheirFramesScripts) {
    st::SwfWriter sprite;
    sprite.showFrame();
    st::SwfWriter movie;
    movie.defineSprite(1, sprite);
    movie.doAction(st::ActionBuilder::assemble(R"(push "frame"; trace)"));
    movie.doInitAction(1, st::ActionBuilder::assemble(R"(push "init"; trace)"));
    movie.showFrame().showFrame();
    EXPECT_EQ(Joined(RunMovie(movie, 3)), "init\nframe\nframe");
}

TEST(StageScript, IntervalsFollowTheMovieClock) {
    // 10 frames a second: an interval of 250 ms fires in frames 3, 5 and 7, after the scripts
    // of the frame whose time it falls in.
    st::SwfWriter movie;
    movie.frameRate(10);
    movie.doAction(st::ActionBuilder::assemble(R"(
        push "n", 0; setVariable
        function "tick" () {
            push "n"; push "n"; getVariable; increment; setVariable
            push "tick "; push "n"; getVariable; add2; trace
            push "n"; getVariable; push 3; equals2; not; if keep
            push "id"; getVariable; push 1, "clearInterval"; callFunction; pop
            keep:
        }
        push "id"; push 250; push "tick"; getVariable; push 2, "setInterval"; callFunction; setVariable)"));
    movie.showFrame();
    EXPECT_EQ(Joined(RunMovie(movie, 12)), "tick 1\ntick 2\ntick 3");
}

TEST(StageScript, TimersThatSpinShareOneBoundForTheFrame) {
    // Three intervals that loop forever: each firing is its own action list, but together
    // they stop at the frame's bound, once a frame, and the movie plays on.
    st::SwfWriter movie;
    movie.frameRate(10);
    movie.doAction(st::ActionBuilder::assemble(R"(
        function "spin" () { loop: jump loop }
        push 1, "spin"; getVariable; push 2, "setInterval"; callFunction; pop
        push 1, "spin"; getVariable; push 2, "setInterval"; callFunction; pop
        push 1, "spin"; getVariable; push 2, "setInterval"; callFunction; pop)"));
    movie.showFrame();
    movie.doAction(st::ActionBuilder::assemble(R"(push "frame 2"; trace; stop)")).showFrame();
    const std::string stopped =
        "Error: the script ran too long in one frame (more than 5,000,000 actions); the "
        "script was stopped.\n"
        "Error: the scripts ran too long in one frame (more than 10,000,000 actions in all); "
        "the script was stopped.";
    EXPECT_EQ(Joined(RunMovie(movie, 2)), stopped + "\nframe 2\n" + stopped);
}

TEST(StageScript, TheCollectorReclaimsCyclesBuiltEveryFrame) {
    // Each frame makes 5000 objects in pairs that refer to each other, then drops them.
    st::SwfWriter movie;
    movie.doAction(st::ActionBuilder::assemble(R"(
        push "i", 0; setVariable
        loop:
        push "i"; getVariable; push 2500; less2; not; if done
        push 0, "Object"; newObject; storeRegister 1; pop
        push 0, "Object"; newObject; storeRegister 2; pop
        push r:1, "other", r:2; setMember
        push r:2, "other", r:1; setMember
        push "i"; push "i"; getVariable; increment; setVariable
        jump loop
        done:)"));
    movie.showFrame().showFrame();
    swf::Player player;
    std::vector<uint8_t> bytes = movie.bytes();
    ASSERT_TRUE(player.LoadMovieFromMemory(bytes));
    for (int i = 0; i < 200; ++i) player.advanceFrame();
    EXPECT_LT(player.ScriptObjectCount(), 60000u);
}

}  // namespace

namespace {

std::vector<uint8_t> NamedAssetTag(std::string_view url, uint16_t id, std::string_view name) {
    std::vector<uint8_t> body(url.begin(), url.end());
    if (!url.empty()) body.push_back(0);
    body.push_back(1);  // one asset
    body.push_back(0);
    body.push_back(static_cast<uint8_t>(id));
    body.push_back(static_cast<uint8_t>(id >> 8));
    body.insert(body.end(), name.begin(), name.end());
    body.push_back(0);
    return body;
}

std::vector<std::string> RunFile(const std::filesystem::path& path, int frames) {
    swf::Player player;
    std::vector<std::string> lines;
    player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
    EXPECT_TRUE(player.LoadMovie(path.string())) << player.LoadError();
    for (int i = 1; i < frames; ++i) player.advanceFrame();
    return lines;
}

// An import brings its library's init actions (all of them, after the importer's own, in the
// importer's scope) and its name for attachMovie.
TEST(StageScript, ImportedSpritesPlayFromTheirOwnMovieAndOnlyFilesBesideTheMovieAreRead) {
    auto folder = std::filesystem::temp_directory_path() / "kinetrope-import-test";
    std::filesystem::create_directories(folder / "sub");
    // The library exports its sprite 2 as "shared"; the main movie imports it as 5.
    st::SwfWriter inner;
    inner.doAction(st::ActionBuilder::assemble(R"(push "library frame"; trace)")).showFrame();
    st::SwfWriter library;
    library.defineSprite(1, st::SwfWriter().showFrame());
    library.defineSprite(2, inner);
    library.tag(56, NamedAssetTag("", 2, "shared"));
    library.doInitAction(1, st::ActionBuilder::assemble(R"(push "library init "; push "this"
        getVariable; add2; trace)"));
    library.showFrame();
    library.writeFile(folder / "sub" / "library.swf");
    library.writeFile(std::filesystem::temp_directory_path() / "outside.swf");

    for (const char* url : {"sub/library.swf", "../outside.swf", "file:///tmp/outside.swf"}) {
        st::SwfWriter movie;
        movie.doInitAction(9, st::ActionBuilder::assemble(R"(push "main init"; trace)"));
        movie.tag(57, NamedAssetTag(url, 5, "shared"));
        movie.placeObject2({.depth = 1, .character = 5, .name = "lib"});
        movie.doAction(st::ActionBuilder::assemble(R"(push "main"; trace
            push 2, "again", "shared", 3, "_root"; getVariable; push "attachMovie"; callMethod
            typeOf; trace)"));
        movie.showFrame();
        movie.writeFile(folder / "main.swf");
        bool local = std::string_view(url) == "sub/library.swf";
        EXPECT_EQ(Joined(RunFile(folder / "main.swf", 1)),
                  local ? "main init\nlibrary init _level0\nlibrary frame\nmain\nmovieclip\n"
                          "library frame"
                        : "main init\nmain\nundefined")
            << url;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
