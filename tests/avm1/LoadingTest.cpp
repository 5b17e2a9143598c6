// Loading of local files by a playing movie: levels, loadMovie into clips, pictures,
// loadVariables, LoadVars, XML, StyleSheet and MovieClipLoader, with the files in a folder of
// their own beside the movie and one file outside it that must never be read.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ScriptRun.h"
#include "swf/player/Player.h"

namespace {

namespace fs = std::filesystem;


// A movie of `version` with one DoAction per frame.
std::vector<uint8_t> movie(int version, const std::vector<std::string>& frames) {
    swftest::SwfWriter writer;
    writer.version(static_cast<uint8_t>(version));
    for (const std::string& script : frames)
        writer.doAction(swftest::ActionBuilder::assemble(script)).showFrame();
    return writer.bytes();
}

std::vector<uint8_t> text(std::string_view s) {
    return {s.begin(), s.end()};
}

// The text as UTF-16 in either byte order, after its byte order mark.
std::vector<uint8_t> utf16(std::u16string_view s, bool bigEndian) {
    std::vector<uint8_t> out;
    for (char16_t unit : u"\uFEFF" + std::u16string(s)) {
        auto high = static_cast<uint8_t>(unit >> 8), low = static_cast<uint8_t>(unit & 0xFF);
        out.insert(out.end(), bigEndian ? std::initializer_list<uint8_t>{high, low}
                                        : std::initializer_list<uint8_t>{low, high});
    }
    return out;
}

// 1x1 GIF whose only pixel is red.
const std::vector<uint8_t> kRedGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01,
                                      0x00, 0x80, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00,
                                      0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01,
                                      0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};

// Scripts the cases share.
constexpr const char* kMakeClip =
    R"(push 1, "mc", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop)";
constexpr const char* kMakeClip2 =
    R"(push 2, "mc2", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop)";

struct LoadCase {
    std::string name;
    std::vector<std::string> frames;  // the main movie's scripts (SWF 8)
    int play = 2;                     // frames played
    std::string trace;
};

class Loading : public ::testing::Test {
  protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("kinetrope-loading-" + std::to_string(getpid()));
        folder_ = base_ / "movie";
        fs::create_directories(folder_ / "sub");
        write(base_ / "outside.txt", text("secret=1"));
        write(folder_ / "vars.txt", text("a=1&b=hello+world%21"));
        write(folder_ / "sub" / "deep.txt", text("deep=yes"));
        write(folder_ / "doc.xml", text("<root><item/></root>"));
        write(folder_ / "le16.txt", utf16(u"a=\u00C4\u20AC\U0001F600&b=1", false));
        write(folder_ / "be16.txt", utf16(u"a=\xD83Dx&b=2", true));
        write(folder_ / "styles.css", text("a { color: #ff0000 }"));
        write(folder_ / "red.gif", kRedGif);
        write(folder_ / "notes.bin", text("neither movie nor picture"));
        write(
            folder_ / "child5.swf",
            movie(5, {R"(push 0, "this"; getVariable; push "getSWFVersion"; callMethod; trace)"}));
        // Version 5 code: names ignore case, a property hidden before version 6 is unseen.
        write(folder_ / "rules5.swf", movie(5, {R"(push "o", 0, "Object"; newObject; setVariable
            push "o"; getVariable; push "Abc", 1; setMember; push "o"; getVariable; push "v", 2; setMember
            push 128, "v", "o"; getVariable; push 3, "ASSetPropFlags"; callFunction; pop
            push "o"; getVariable; push "abc"; getMember; trace
            push "o"; getVariable; push "v"; getMember; trace)"}));
        write(folder_ / "caller5.swf", movie(5, {R"(push "g", "_level0"; getVariable; push "f"
            getMember; setVariable; push 0, "g"; callFunction; push 0, "_level0"; getVariable
            push "f"; callMethod)"}));
        write(folder_ / "named.swf", movie(8, {R"(push "_name"; getVariable; trace;
            push "v"; getVariable; typeOf; trace; push "_x"; getVariable; trace)"}));
        write(folder_ / "hello.swf", movie(8, {R"(push "hello"; trace)"}));
        write(folder_ / "targets.swf",
              movie(8, {R"(push 1, "ch", 2, "this"; getVariable; push "createEmptyMovieClip";
                callMethod; push "_target"; getMember; trace;
                push "this"; getVariable; push "_target"; getMember; trace;
                push "this"; getVariable; push "_currentframe"; getMember; trace)"}));
        swftest::SwfWriter zipped;
        zipped.compressed().doAction(swftest::ActionBuilder::assemble("push 1; pop")).showFrame();
        write(folder_ / "zipped.swf", zipped.bytes());
        // A header that promises 100 bytes more than the file holds.
        std::vector<uint8_t> cut = movie(8, {"push 1; pop"});
        cut[4] = static_cast<uint8_t>(cut.size() + 100);
        write(folder_ / "cut.swf", cut);
        write(folder_ / "slash.swf", movie(8, {R"(push "v", "own"; setVariable
            push "/:v"; getVariable; trace; push "_root"; getVariable; trace)"}));
        write(folder_ / "loop.swf", movie(8, {R"(push "c1"; trace)", R"(push "c2"; trace)"}));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(base_, ignored);
    }
    static void write(const fs::path& path, const std::vector<uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    // Plays the case's movie from `playedFolder` (the movie's own folder by default) with
    // `baseFolder` as the player's base folder (none by default).
    std::string run(const LoadCase& c, fs::path playedFolder = {}, std::string baseFolder = {}) {
        if (playedFolder.empty()) playedFolder = folder_;
        fs::create_directories(playedFolder);
        fs::path path = playedFolder / "main.swf";
        write(path, movie(8, c.frames));
        swf::Player player;
        player.SetBaseFolder(baseFolder);
        std::vector<std::string> lines;
        player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
        EXPECT_TRUE(player.LoadMovie(path.string())) << player.LoadError();
        for (int i = 1; i < c.play; ++i) player.advanceFrame();
        return avm1test::Joined(lines);
    }

    fs::path base_, folder_;
};

TEST_F(Loading, LocalFilesArriveAtTheNextFrame) {
    const std::string clip = kMakeClip;
    const std::string lvOnLoad =
        R"(push "lv", 0, "LoadVars"; newObject; setVariable;
           push "lv"; getVariable; push "onLoad"; function "" (ok) { push "ok"; getVariable; trace;
             push "this"; getVariable; push "a"; getMember; trace;
             push 0, "this"; getVariable; push "toString"; callMethod; trace }; setMember)";
    const std::string failing =
        R"(push "f", 0, "LoadVars"; newObject; setVariable;
           push "f"; getVariable; push "onLoad"; function "" (ok) { push "ok: "; push "ok"; getVariable; add2; trace }; setMember)";
    auto fLoad = [](const std::string& url) {
        return "push \"" + url + "\", 1, \"f\"; getVariable; push \"load\"; callMethod; pop;";
    };
    const std::string mclEvents =
        R"(push "l", 0, "MovieClipLoader"; newObject; setVariable;
           push "l"; getVariable; push "onLoadStart"; function "" (t) { push "start "; push "t"; getVariable; push "_name"; getMember; add2; trace }; setMember;
           push "l"; getVariable; push "onLoadProgress"; function "" (t, a, b) { push "progress "; push "a"; getVariable; add2; push "/"; add2; push "b"; getVariable; add2; trace }; setMember;
           push "l"; getVariable; push "onLoadComplete"; function "" (t) { push "complete "; push "t"; getVariable; push "_name"; getMember; add2; trace }; setMember;
           push "l"; getVariable; push "onLoadInit"; function "" (t) { push "init "; push "t"; getVariable; push "_name"; getMember; add2; trace }; setMember;
           push "l"; getVariable; push "onLoadError"; function "" (t, e) { push "error "; push "t"; getVariable; push "_name"; getMember; add2; push " "; add2; push "e"; getVariable; add2; trace }; setMember)";
    // A clip's frames loaded and in all, current frame, bytes in all, version.
    const auto states = [](const std::string& c) {
        std::string get = R"(push "_root"; getVariable; push ")" + c + R"("; getMember; )", s;
        for (const char* p :
             {"_framesloaded", "_totalframes", "_currentframe", "getBytesTotal", "getSWFVersion"})
            s += (*p == '_' ? get + "push \"" + p + "\"; getMember; "
                            : "push 0; " + get + "push \"" + p + "\"; callMethod; ") +
                 (s.empty() ? "" : "add2; ") + "push \" \"; add2; ";
        return "; " + s + "trace";
    };
    const std::string helloSize = std::to_string(movie(8, {R"(push "hello"; trace)"}).size());

    const std::vector<LoadCase> cases = {
        {"a level gets its own movie, whose version rules its scripts",
         {R"(push "main"; trace; getUrl "child5.swf" "_level1")",
          R"(push 0, "this"; getVariable; push "getSWFVersion"; callMethod; trace)"},
         2,
         "main\n8\n5"},
        {"a loaded movie's code keeps its version's rules; the main movie's code keeps its own",
         {R"(getUrl "rules5.swf" "_level1")", "",
          R"(push "_level1"; getVariable; push "o"; getMember; push "abc"; getMember; trace
             push "_level1"; getVariable; push "o"; getMember; push "v"; getMember; trace)"},
         3,
         "1\nundefined\nundefined\n2"},
        {"a later movie's function called by name from SWF 5 code runs on the caller's timeline",
         {R"(function "f" () { push "", 11; getProperty; push "getDepth"; getVariable; add2; trace }
            getUrl "caller5.swf" "_level1")", ""}, 2, "_level1\n/[type Function]"},
        {"loadMovie keeps the clip's name and place, not its variables",
         {clip + R"(; push "_root"; getVariable; push "mc"; getMember; push "v", 1; setMember;
            push "_root"; getVariable; push "mc"; getMember; push "_x", 30; setMember;
            push "named.swf", 1, "_root"; getVariable; push "mc"; getMember; push "loadMovie"; callMethod; pop)",
          ""},
         2,
         "mc\nundefined\n30"},
        {"a clip that takes a movie gets its load event again, before the movie's first frame",
         {clip, R"(push "MovieClip"; getVariable; push "prototype"; getMember; push "onLoad"
            function "" () { push "load"; trace }; setMember; push "hello.swf", 1, "_root"
            getVariable; push "mc"; getMember; push "loadMovie"; callMethod; pop)", ""}, 3, "load\nhello"},
        {"a load into an XML document keeps loaded in the document's own field",
         {R"(push "x", 0, "LoadVars"; newObject; setVariable
            push "r", 0, "XML"; newObject; setVariable
            push "r"; getVariable; push "vars.txt", 2, "x"; getVariable; push "sendAndLoad"
            callMethod; pop
            push "loaded", 1, "r"; getVariable; push "hasOwnProperty"; callMethod; trace
            push "r"; getVariable; push "loaded"; getMember; trace)"},
         1,
         "false\nfalse"},
        {"a loaded clip's _url names its own file, beside the main movie's",
         {clip + R"(; push "hello.swf", 1, "_root"; getVariable; push "mc"; getMember;
            push "loadMovie"; callMethod; pop)",
          "",
          R"(push "u", "_root"; getVariable; push "mc"; getMember; push "_url"; getMember; setVariable
            push "hello.swf", 1, "main.swf", 1, "_root"; getVariable; push "_url"; getMember
            push "split"; callMethod; push "join"; callMethod; push "u"; getVariable; equals2; trace
            push 8, 0, 2, "u"; getVariable; push "substr"; callMethod; trace)"},
         3,
         "hello\ntrue\nfile:///"},
        {"a clip whose file is missing names that file in its _url",
         {clip + R"(; push "missing.swf", 1, "_root"; getVariable; push "mc"; getMember;
            push "loadMovie"; callMethod; pop)",
          R"(push "p", "/", 1, "_root"; getVariable; push "mc"; getMember; push "_url"; getMember
            push "split"; callMethod; setVariable; push 0, "p"; getVariable; push "pop"
            callMethod; trace)"},
         2,
         "missing.swf"},
        {"the slash paths of a level's clips start with the level's name; it is on frame 1",
         {R"(getUrl "targets.swf" "_level1")", ""},
         2,
         "_level1/ch\n_level1\n1"},
        {"a level's movie starts after the next frame's enterFrame events; \"/\" is its root",
         {R"(push "_level0"; getVariable; push "onEnterFrame"; function () { push "enter"; trace }
             setMember; getUrl "slash.swf" "_level1"; push "v", "main"; setVariable)"},
         2,
         "enter\nown\n_level1"},
        {"a level's root swapped to a depth becomes that depth's level, and then stays; _target "
         "follows it, paths keep its first name; removeMovieClip takes it there, not before",
         {R"(getUrl "hello.swf" "_level1")", "",
          R"(push 0, "_level1"; getVariable; push "removeMovieClip"; callMethod; pop; push 10, 1, "_level1"; getVariable; push "swapDepths"; callMethod; pop
             push 20, 1, "_level16394"; getVariable; push "swapDepths"; callMethod; pop
             push "_level1"; getVariable; typeOf; trace
             push 0, "_level16394"; getVariable; push "getDepth"; callMethod; trace
             push 1, "c", 2, "_level16394"; getVariable; push "createEmptyMovieClip"; callMethod; push ""; add2; trace
             push "r", "_level16394"; getVariable; setVariable; push "r"; getVariable; push "_target"; getMember; trace
             push "r"; getVariable; push "onUnload"; function () { push "unload"; trace }; setMember
             push 0, "r"; getVariable; push "removeMovieClip"; callMethod; pop; push "r"; getVariable; push "_target"; getMember; typeOf; trace)", ""},
         4,
         "hello\nundefined\n10\n_level1.c\n_level16394\nundefined"},
        {"levels asked for in one frame start in the order of their numbers",
         {R"(getUrl "loop.swf" "_level3"; getUrl "hello.swf" "_level2")", ""}, 2, "hello\nc1"},
        {"unloadMovieNum removes the level as the frame ends",
         {R"(getUrl "loop.swf" "_level1")", "", R"(getUrl "" "_level1")", R"(push "main"; trace)"},
         4,
         "c1\nc2\nmain"},
        {"text with a UTF-16 byte order mark is read as UTF-16 in that order",
         {R"(push "x", 0, "LoadVars"; newObject; setVariable; push "y", 0, "LoadVars"; newObject; setVariable
            push "LoadVars"; getVariable; push "prototype"; getMember; push "onLoad"; function (ok) {
              push "this"; getVariable; push "a"; getMember; push "|"; add2; push "this"; getVariable; push "b"; getMember; add2; trace }; setMember
            push "le16.txt", 1, "x"; getVariable; push "load"; callMethod; pop
            push "be16.txt", 1, "y"; getVariable; push "load"; callMethod; pop)"},
         2,
         "\u00C4\u20AC\U0001F600|1\n\uFFFDx|2"},
        {"loadVariables sets the clip's variables, then its data event",
         {clip + R"(; push "_root"; getVariable; push "mc"; getMember; push "onData";
            function "" () { push "this"; getVariable; push "b"; getMember; trace }; setMember;
            push "vars.txt", "_root.mc"; getUrl2 loadTarget loadVariables; push "asked"; trace)",
          ""},
         2,
         "asked\nhello world!"},
        {"LoadVars reads, decodes and reports",
         {lvOnLoad + R"(; push "vars.txt", 1, "lv"; getVariable; push "load"; callMethod; trace)"},
         2,
         "true\ntrue\n1\nb=hello%20world%21&a=1&onLoad=%5Btype%20Function%5D"},
        {"a file in a folder below the movie's is read",
         {lvOnLoad + R"(; push "sub/deep.txt", 1, "lv"; getVariable; push "load"; callMethod; pop;
            push "lv"; getVariable; push "onLoad"; function "" (ok) { push "this"; getVariable; push "deep"; getMember; trace }; setMember)"},
         2,
         "yes"},
        {"files outside the folder and URLs are refused, missing ones fail",
         {failing + ";" + fLoad("missing.txt") + fLoad("../outside.txt") +
          fLoad("sub/../../outside.txt") + fLoad("http://example.com/vars.txt") +
          fLoad("file:///etc/hostname") + fLoad("/etc/hostname")},
         2,
         "Kinetrope: not loading '../outside.txt': the file is outside the movie's folder\n"
         "Kinetrope: not loading 'sub/../../outside.txt': the file is outside the movie's folder\n"
         "Kinetrope: not loading 'http://example.com/vars.txt': only local files are read, nothing "
         "is fetched\n"
         "Kinetrope: not loading 'file:///etc/hostname': the file is outside the movie's folder\n"
         "Kinetrope: not loading '/etc/hostname': the file is outside the movie's folder\n"
         "ok: false\nok: false\nok: false\nok: false\nok: false\nok: false"},
        {"StyleSheet.load reads through parse; onLoad hears whether it read",
         {R"(push "sheet", 0, "TextField"; getVariable; push "StyleSheet"; newMethod;
             setVariable; push "sheet"; getVariable; push "parse"; function "" (t) {
               push "parse"; trace; push "t"; getVariable; push 1, "sheet"; getVariable;
               push "parseCSS";
               callMethod; return }; setMember;
             push "sheet"; getVariable; push "onLoad"; function "" (ok) { push "ok"; getVariable;
               trace; push "a", 1, "sheet"; getVariable; push "getStyle"; callMethod;
               push "color"; getMember; trace }; setMember;
             push "styles.css", 1, "sheet"; getVariable; push "load"; callMethod; trace)",
          R"(push "sheet"; getVariable; push "onLoad"; function "" (ok) { push "ok"; getVariable;
               trace }; setMember;
             push "missing.css", 1, "sheet"; getVariable; push "load"; callMethod; trace)"},
         2,
         "true\nparse\ntrue\n#ff0000 \ntrue\nfalse"},
        {"LoadVars.send sends nothing",
         {R"(push "lv", 0, "LoadVars"; newObject; setVariable; push "http://example.com/", 1, "lv"; getVariable; push "send"; callMethod; trace)"},
         1,
         "Kinetrope: not sending variables to 'http://example.com/': nothing leaves the "
         "machine\nfalse"},
        {"XML.load parses the file for onLoad",
         {R"(push "x", 0, "XML"; newObject; setVariable;
            push "x"; getVariable; push "onLoad"; function "" (ok) { push "ok"; getVariable; trace;
              push "this"; getVariable; push "firstChild"; getMember; push "nodeName"; getMember; trace;
              push 0, "this"; getVariable; push "getBytesTotal"; callMethod; trace }; setMember;
            push "doc.xml", 1, "x"; getVariable; push "load"; callMethod; trace;
            push "x"; getVariable; push "loaded"; getMember; trace)"},
         2,
         "true\nfalse\ntrue\nroot\n20"},
        {"MovieClipLoader: a missing file fails as the frame ends, a file found arrives after "
         "the next frame's actions, with what its handlers ask for",
         {clip + ";" + kMakeClip2 + ";" + mclEvents + R"(;
            push "l"; getVariable; push "onLoadError"; function "" (t, e) { push "e"; getVariable; trace; push "t"; getVariable; push "hello.swf", 2, "l"; getVariable; push "loadClip"; callMethod; pop }; setMember;
            push "_root"; getVariable; push "mc"; getMember; push "hello.swf", 2, "l"; getVariable; push "loadClip"; callMethod; trace;
            push "_root"; getVariable; push "mc2"; getMember; push "missing.swf", 2, "l"; getVariable; push "loadClip"; callMethod; pop)",
          R"(push "frame 2"; trace)"},
         2,
         "true\nURLNotFound\nframe 2\nstart mc\nprogress " + helloSize + "/" + helloSize +
             "\ncomplete mc\nstart mc2\nprogress " + helloSize + "/" + helloSize +
             "\ncomplete mc2\nhello\ninit mc\nhello\ninit mc2"},
        {"a file that is neither movie nor picture loads as an empty movie",
         {clip + ";" + mclEvents + R"(;
            push "_root"; getVariable; push "mc"; getMember; push "notes.bin", 2, "l"; getVariable; push "loadClip"; callMethod; pop)"},
         2,
         "start mc\nprogress 25/25\ncomplete mc\ninit mc"},
        {"a missing file, or one neither movie nor picture, leaves the clip with no frames (-1 "
         "loaded), size or version; unloading it then leaves it none loaded",
         {clip + ";" + kMakeClip2 + R"(; push "missing.swf", 1, "_root"; getVariable; push "mc"; getMember; push "loadMovie"; callMethod; pop
            push "notes.bin", 1, "_root"; getVariable; push "mc2"; getMember; push "loadMovie"; callMethod; pop)" + states("mc"),
          states("mc") + states("mc2") + R"(; push "_root"; getVariable; push "mc"; getMember; push "unloadMovie"; callMethod; pop)",
          states("mc")},
         3, "1 1 0 0 8 \n-1 0 0 -1 -1 \n-1 0 0 -1 -1 \n0 0 0 0 8 "},
        {"a picture becomes the clip's content",
         {clip +
              R"(; push "red.gif", 1, "_root"; getVariable; push "mc"; getMember; push "loadMovie"; callMethod; pop)",
          R"(push "_root"; getVariable; push "mc"; getMember; push "_width"; getMember; trace;
            push 0, "_root"; getVariable; push "mc"; getMember; push "getBytesTotal"; callMethod; trace)"},
         2,
         "1\n35"},
        {"a removed clip takes no content and no events",
         {clip + ";" + mclEvents + R"(;
            push "_root"; getVariable; push "mc"; getMember; push "hello.swf", 2, "l"; getVariable; push "loadClip"; callMethod; pop;
            push 0, "_root"; getVariable; push "mc"; getMember; push "removeMovieClip"; callMethod; pop; push "removed"; trace)"},
         2,
         "removed"},
        {"bytes loaded are those of the file; the total is the header's length unless compressed",
         {clip + ";" + kMakeClip2 + R"(;
            push "zipped.swf", 1, "_root"; getVariable; push "mc"; getMember; push "loadMovie"; callMethod; pop;
            push "cut.swf", 1, "_root"; getVariable; push "mc2"; getMember; push "loadMovie"; callMethod; pop)",
          R"(push 0, "_root"; getVariable; push "mc"; getMember; push "getBytesLoaded"; callMethod;
            push 0, "_root"; getVariable; push "mc"; getMember; push "getBytesTotal"; callMethod; equals2; trace;
            push 0, "_root"; getVariable; push "mc2"; getMember; push "getBytesTotal"; callMethod;
            push 0, "_root"; getVariable; push "mc2"; getMember; push "getBytesLoaded"; callMethod; subtract; trace;
            push "mc2", 1, "l", 0, "MovieClipLoader"; newObject; setVariable; push "l"; getVariable; push "getProgress"; callMethod;
            push "bytesTotal"; getMember; trace)"},
         2,
         "true\n100\n" + std::to_string(movie(8, {"push 1; pop"}).size() + 100)},
        {"a shared object's path is the movie's file or a folder above it, in whole names",
         {R"(push "p", 7, 1, "_root"; getVariable; push "_url"; getMember; push "substr"; callMethod; setVariable;
            push "d", "/", 1, "p"; getVariable; push "lastIndexOf"; callMethod; push 0, 2, "p"; getVariable; push "substr"; callMethod; setVariable;
            push "/", "s", 2, "SharedObject"; getVariable; push "getLocal"; callMethod; typeOf; trace;
            push "/nowhere", "s", 2, "SharedObject"; getVariable; push "getLocal"; callMethod; trace;
            push "p"; getVariable; push "s", 2, "SharedObject"; getVariable; push "getLocal"; callMethod;
            push "s", 1, "SharedObject"; getVariable; push "getLocal"; callMethod; equals2; trace;
            push "d"; getVariable; push "s", 2, "SharedObject"; getVariable; push "getLocal"; callMethod;
            push "d"; getVariable; push "/"; add2; push "s", 2, "SharedObject"; getVariable; push "getLocal"; callMethod; equals2; trace;
            push "d"; getVariable; push "length"; getMember; push 1; subtract; push 0, 2, "d"; getVariable; push "substr"; callMethod;
            push "s", 2, "SharedObject"; getVariable; push "getLocal"; callMethod; trace;
            push "movie", "s", 2, "SharedObject"; getVariable; push "getLocal"; callMethod; trace;
            push "/", "s", 2, "SharedObject"; getVariable; push "getLocal"; callMethod;
            push "d"; getVariable; push "s", 2, "SharedObject"; getVariable; push "getLocal"; callMethod; equals2; trace;
            push true, "/", "s", 3, "SharedObject"; getVariable; push "getLocal"; callMethod; trace;
            push false, "/", "s", 3, "SharedObject"; getVariable; push "getLocal"; callMethod;
            push "/", "s", 2, "SharedObject"; getVariable; push "getLocal"; callMethod; equals2; trace)"},
         1,
         "object\nnull\ntrue\ntrue\nnull\nnull\nfalse\nnull\ntrue"},
        {"$version on _level0 is the player's version",
         {R"(push "$version"; getVariable; push "System"; getVariable; push "capabilities"; getMember;
            push "version"; getMember; equals2; trace; push "$version"; getVariable; typeOf; trace)"},
         1,
         "true\nstring"},
    };
    for (const LoadCase& c : cases) EXPECT_EQ(run(c), c.trace) << c.name;
}

// A conversion plays a copy of the movie from elsewhere: its loads still read the files
// beside the original, never the ones beside the copy.
TEST_F(Loading, ACopyLoadsFromTheBaseFolder) {
    const fs::path copies = base_ / "copies";
    fs::create_directories(copies);
    write(copies / "vars.txt", text("a=copy&b=copy"));
    const LoadCase c{"base folder",
                     {R"(push "lv", 0, "LoadVars"; newObject; setVariable;
                        push "lv"; getVariable; push "onLoad"; function "" (ok) {
                          push "this"; getVariable; push "b"; getMember; trace }; setMember;
                        push "vars.txt", 1, "lv"; getVariable; push "load"; callMethod; pop;
                        getUrl "hello.swf" "_level3")"},
                     2,
                     ""};
    EXPECT_EQ(run(c, copies, folder_.string()), "hello world!\nhello");
    // Without one, the copy's own folder is the base: its vars.txt, and no hello.swf there.
    EXPECT_EQ(run(c, copies), "copy");
}

// A movie of `version` exporting an empty sprite as "sym", with one script.
std::vector<uint8_t> exportingMovie(int version, const std::string& script) {
    swftest::SwfWriter sprite;
    sprite.showFrame();
    swftest::SwfWriter writer;
    writer.version(static_cast<uint8_t>(version)).defineSprite(1, sprite);
    const uint8_t exports[] = {1, 0, 1, 0, 's', 'y', 'm', 0};
    writer.tag(56, exports);
    writer.doAction(swftest::ActionBuilder::assemble(script)).showFrame();
    return writer.bytes();
}

// Object.registerClass by code of SWF 6 and below and by later code fill separate lists, each
// for the symbols of movies of its kind; up to SWF 6 a clip of a class has its own constructor.
TEST_F(Loading, RegisteredClassesBelongToTheirVersionsMovies) {
    const std::string attachAndCheck =
        R"(push 1, "a", "sym", 3, "this"; getVariable; push "attachMovie"; callMethod; pop
           push "a"; getVariable; push "K"; getVariable; instanceOf; trace
           push "constructor", 1, "a"; getVariable; push "hasOwnProperty"; callMethod; trace)";
    // Registers the function `name` for "SYM": names ignore case up to SWF 6 only.
    auto registerAsSym = [](const std::string& name) {
        return "push \"" + name + R"("; getVariable; push "SYM", 2, "Object"; getVariable
            push "registerClass"; callMethod; pop
)";
    };
    // The SWF 6 child registers a class of its own after the main movie's; the SWF 7 child
    // still gets the main movie's, its own "SYM" being another name.
    write(folder_ / "sym6.swf",
          exportingMovie(6, "function \"K\" () { }\n" + registerAsSym("K") + attachAndCheck));
    // Anything but a function forgets the name's class.
    const std::string forget =
        R"(
           push undefined, "sym", 2, "Object"; getVariable; push "registerClass"; callMethod; trace
           push 2, "b", "sym", 3, "this"; getVariable; push "attachMovie"; callMethod; pop
           push "b"; getVariable; push "K"; getVariable; instanceOf; trace)";
    write(folder_ / "sym7.swf",
          exportingMovie(7, R"(push "K"; push "_global"; getVariable; push "K"; getMember
                               setVariable
                               function "L" () { }
)" + registerAsSym("L") + attachAndCheck + forget));
    LoadCase c{"", {R"(push "_global"; getVariable; push "K"; function () { }; setMember
                       push "_global"; getVariable; push "K"; getMember; push "sym", 2
                       push "Object"; getVariable; push "registerClass"; callMethod; pop
                       getUrl "sym6.swf" "_level1")",
                    R"(getUrl "sym7.swf" "_level2"; stop)"},
               4, "true\ntrue\ntrue\nfalse\nfalse\nfalse"};
    EXPECT_EQ(run(c), c.trace);
}

// Code of SWF 6 and before and code of SWF 7 and later each have their own _global and
// built-in classes: what one family adds is not seen by the other, and a movie's clips are
// instances of its own family's MovieClip.
TEST_F(Loading, EachFamilyOfVersionsHasItsOwnBuiltIns) {
    const std::string seen =
        R"(push "_global"; getVariable; push "mark"; getMember; trace
           push 0, "Object"; newObject; push "seen"; getMember; trace
           push "_level0"; getVariable; push "MovieClip"; getVariable; instanceOf; trace
           push 10, 10, 0, 0, 1, "field", 6, "this"; getVariable; push "createTextField"
           callMethod; pop; push "text", 1, "TextField"; getVariable; push "prototype"
           getMember; push "hasOwnProperty"; callMethod; trace)";
    write(folder_ / "family6.swf", movie(6, {seen}));
    write(folder_ / "family7.swf", movie(7, {seen}));
    LoadCase c{"",
               {R"(push 10, 10, 0, 0, 1, "field", 6, "this"; getVariable
                   push "createTextField"; callMethod; pop
                   push "_global"; getVariable; push "mark", "main"; setMember
                   push "Object"; getVariable; push "prototype"; getMember; push "seen", "yes"
                   setMember; getUrl "family6.swf" "_level1")",
                R"(getUrl "family7.swf" "_level2")", "",
                R"(push "_level1"; getVariable; push "MovieClip"; getVariable; instanceOf; trace
                   push "_level2"; getVariable; push "MovieClip"; getVariable; instanceOf; trace
                   stop)"},
               5, "undefined\nundefined\nfalse\ntrue\nmain\nyes\ntrue\ntrue\nfalse\ntrue"};
    EXPECT_EQ(run(c), c.trace);
}

}  // namespace
