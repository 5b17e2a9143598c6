// Files arriving at the end of a tick: what their handlers set in variables that text fields
// are bound to is what those fields show when that very frame is drawn, not a frame later.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ScriptRun.h"
#include "support/EditText.h"
#include "swf/display/EditTextInstance.h"
#include "swf/display/MovieClip.h"
#include "swf/player/Player.h"

namespace {

namespace fs = std::filesystem;

namespace st = swftest;

std::string Utf8(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

class BoundTextAfterLoads : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("kinetrope-afterloads-" + std::to_string(getpid()));
        fs::create_directories(folder_);
        std::ofstream(folder_ / "vars.txt") << "a=1&b=two";
        std::ofstream(folder_ / "doc.xml") << "<note>hi</note>";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // A movie whose main timeline holds a field at depth 1 bound to `variable`, frame
    // `scriptFrame` runs `script` and frame 2 stops. Returns, after loading and after each of
    // three ticks, the trace lines of that step and what the field shows then:
    // "[trace...] text".
    std::vector<std::string> Play(const std::string& variable, int scriptFrame,
                                  const std::string& script) {
        st::SwfWriter movie;
        movie.version(8);
        st::EditText field;
        field.bounds = st::Rect::fromPixels(0, 0, 200, 20);
        field.text = "before";
        field.variableName = variable;
        movie.defineEditText(1, field).placeObject2({.depth = 1, .character = 1, .name = "t"});
        for (int frame = 0; frame < 2; ++frame) {
            if (frame == scriptFrame) movie.doAction(st::ActionBuilder::assemble(script));
            movie.showFrame();
        }
        movie.doAction(st::ActionBuilder::assemble("stop")).showFrame();
        const fs::path path = folder_ / "main.swf";
        movie.writeFile(path.string());
        swf::Player player;
        std::string traced;
        player.SetTraceSink([&](const std::string& line) { traced += "[" + line + "]"; });
        EXPECT_TRUE(player.LoadMovie(path.string())) << player.LoadError();
        std::vector<std::string> steps;
        for (int step = 0; step < 4; ++step) {
            if (step > 0) player.advanceFrame();
            const auto* shown = dynamic_cast<const swf::EditTextInstance*>(
                player.Root()->displayList().at(1).get());
            steps.push_back(traced + " " + (shown ? Utf8(shown->field().text()) : "(gone)"));
            traced.clear();
        }
        return steps;
    }

    fs::path folder_;
};

TEST_F(BoundTextAfterLoads, FieldsShowWhatTheHandlersSetInTheFrameTheyRan) {
    const std::string loadVars =
        R"(push "lv", 0, "LoadVars"; newObject; setVariable;
           push "lv"; getVariable; push "onLoad"; function "" (ok) {
             push "_root"; getVariable; push "shown"; push "this"; getVariable; push "b"; getMember; setMember;
             push "loaded"; trace }; setMember;
           push "vars.txt", 1, "lv"; getVariable; push "load"; callMethod; pop)";
    // The files a frame asks for arrive as that frame ends (the first frame's as loading
    // ends), and the handlers run then, after the frame's own actions.
    struct Case {
        const char* name;
        std::string variable;
        int scriptFrame;
        std::string script;
        std::vector<std::string> steps;
    };
    const Case cases[] = {
        {"LoadVars.onLoad sets the root's variable",
         "shown",
         1,
         loadVars,
         {" before", "[loaded] two", " two", " two"}},
        {"as the first frame loads",
         "shown",
         0,
         loadVars,
         {"[loaded] two", " two", " two", " two"}},
        {"a field bound by a path",
         "_root.shown",
         1,
         loadVars,
         {" before", "[loaded] two", " two", " two"}},
        {"a failed load's handler",
         "shown",
         1,
         R"(push "lv", 0, "LoadVars"; newObject; setVariable;
            push "lv"; getVariable; push "onLoad"; function "" (ok) {
              push "shown", "failed "; push "ok"; getVariable; add2; setVariable;
              push "loaded"; trace }; setMember;
            push "missing.txt", 1, "lv"; getVariable; push "load"; callMethod; pop)",
         {" before", "[loaded] failed false", " failed false", " failed false"}},
        {"XML.onLoad",
         "shown",
         1,
         R"(push "x", 0, "XML"; newObject; setVariable;
            push "x"; getVariable; push "onLoad"; function "" (ok) {
              push "shown"; push "this"; getVariable; push "firstChild"; getMember; push "nodeName"; getMember; setVariable;
              push "loaded"; trace }; setMember;
            push "doc.xml", 1, "x"; getVariable; push "load"; callMethod; pop)",
         {" before", "[loaded] note", " note", " note"}},
        {"loadVariables into the root, no handler at all",
         "a",
         1,
         R"(push "vars.txt", "_root"; getUrl2 loadTarget loadVariables)",
         {" before", " 1", " 1", " 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Play(c.variable, c.scriptFrame, c.script), c.steps);
    }
}

}  // namespace
