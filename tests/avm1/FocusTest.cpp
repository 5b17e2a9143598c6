// Keyboard focus: the order Tab visits objects in, the events a change of focus sends, the
// keys the focused object hears, and what the focus does to a text field's selection.

#include <gtest/gtest.h>

#include "ScriptCode.h"
#include "ScriptRun.h"
#include "support/SwfWriter.h"

namespace {

namespace st = swftest;
using namespace avm1test::code;
using swf::InputEvent;

InputEvent Key(InputEvent::Type type, int code, uint32_t character = 0) {
    InputEvent event;
    event.type = type;
    event.keyCode = code;
    event.character = character;
    return event;
}
std::vector<InputEvent> Press(int code, uint32_t character = 0) {
    return {Key(InputEvent::Type::KeyDown, code, character),
            Key(InputEvent::Type::KeyUp, code, character)};
}
InputEvent Pointer(double x, double y) {
    InputEvent event;
    event.type = InputEvent::Type::MouseMove;
    event.x = x;
    event.y = y;
    return event;
}
std::vector<InputEvent> Tabs(int count) {
    std::vector<InputEvent> keys;
    for (int i = 0; i < count; ++i) keys.push_back(Key(InputEvent::Type::KeyDown, 9, 9));
    return keys;
}

// An input field `name` at (x, y) of the main timeline.
Code Field(const std::string& name, int depth, int x, int y) {
    return run(invoke(var("_root"), "createTextField",
                      {lit("\"" + name + "\""), lit(std::to_string(depth)), lit(std::to_string(x)),
                       lit(std::to_string(y)), lit("40"), lit("20")})) +
           set(name, "type", "\"input\"");
}
Code Clip(const std::string& name, int depth) {
    return run(invoke(var("_root"), "createEmptyMovieClip",
                      {lit("\"" + name + "\""), lit(std::to_string(depth))}));
}
// A method that traces its object's name and `what`.
Code Tracing(const std::string& object, const std::string& method) {
    return var(object) + "; push \"" + method + "\"; function () { push \"" + object + " " +
           method + "\"; trace }; setMember\n";
}

// Every change of focus traces "old > new".
const Code kListener =
    "push \"l\"; push 0; initObject; setVariable\n"
    "push \"l\"; getVariable; push \"onSetFocus\"; function (o, n) {"
    "  push \"o\"; getVariable; push \" > \"; add2; push \"n\"; getVariable; add2; trace };"
    "setMember\n" +
    run(invoke(var("Selection"), "addListener", {var("l")}));

struct FocusCase {
    std::string name;
    Code script;
    std::vector<InputEvent> keys;  // delivered after the first frame
    std::string trace;
    std::vector<InputEvent> later = {};  // after the second
};

TEST(Focus, TabOrderEventsAndKeysOfTheFocusedObject) {
    using T = InputEvent::Type;
    std::vector<InputEvent> shiftTab = {Key(T::KeyDown, 16), Key(T::KeyDown, 9, 9),
                                        Key(T::KeyUp, 16)};
    const std::vector<FocusCase> cases = {
        {"by position, row by row, wrapping; shift goes back",
         Field("c", 1, 10, 50) + Field("b", 2, 60, 10) + Field("a", 3, 10, 10),
         [&] {
             auto keys = Tabs(4);
             keys.insert(keys.end(), shiftTab.begin(), shiftTab.end());
             return keys;
         }(),
         "null > _level0.a\n_level0.a > _level0.b\n_level0.b > _level0.c\n"
         "_level0.c > _level0.a\n_level0.a > _level0.c"},
        {"by tabIndex as signed numbers; -1 and the unindexed stay out",
         Field("a", 1, 0, 0) + Field("b", 2, 0, 30) + Field("c", 3, 0, 60) +
             Field("d", 4, 0, 90) + set("a", "tabIndex", "4294967293") +
             set("b", "tabIndex", "-2") + set("c", "tabIndex", "-1"),
         Tabs(3), "null > _level0.a\n_level0.a > _level0.b\n_level0.b > _level0.a"},
        // An empty clip sorts first; q's field puts it lower.
        {"clips: button handlers or tabEnabled make a stop, tabChildren false hides inside",
         Clip("p", 1) + Clip("q", 2) + Field("t", 3, 0, 0) + set("p", "onRelease", "undefined") +
             set("q", "tabEnabled", "true") + set("q", "tabChildren", "false") +
             set("t", "tabEnabled", "false") +
             run(invoke(var("q"), "createTextField",
                        {lit("\"inner\""), lit("1"), lit("0"), lit("100"), lit("9"), lit("9")})) +
             assign(member(var("q"), "inner"), "type", lit("\"input\"")),
         Tabs(3), "null > _level0.p\n_level0.p > _level0.q\n_level0.q > _level0.p"},
        {"the focused clip hears the keys and Enter clicks it; hiding it drops the focus",
         Clip("k", 1) + Clip("other", 2) + set("k", "tabEnabled", "true") + Tracing("k", "onKeyDown") +
             Tracing("k", "onKeyUp") + Tracing("k", "onPress") + Tracing("k", "onRelease") +
             Tracing("k", "onRollOver") + Tracing("other", "onKeyDown") +
             var("k") + "; push \"onKillFocus\"; function () { push \"k onKillFocus\"; trace };"
             "setMember\n" +
             run(invoke(var("Selection"), "setFocus", {var("k")})) +
             trace(invoke(var("Selection"), "getFocus")) + set("k", "_visible", "false"),
         Press(13, 13),
         "null > _level0.k\n_level0.k\nk onKillFocus\n_level0.k > null\nk onRollOver"},
        {"Tab then Enter: rolled over at once, keys, press and release",
         Clip("k", 1) + set("k", "tabEnabled", "true") + Tracing("k", "onKeyDown") +
             Tracing("k", "onKeyUp") + Tracing("k", "onPress") + Tracing("k", "onRelease") +
             Tracing("k", "onRollOver"),
         [] {
             auto keys = Tabs(1);
             auto enter = Press(13, 13);
             keys.push_back(Key(InputEvent::Type::KeyUp, 9, 9));
             keys.insert(keys.end(), enter.begin(), enter.end());
             return keys;
         }(),
         "k onRollOver\nnull > _level0.k\nk onKeyUp\nk onKeyDown\nk onPress\nk onRelease\n"
         "k onKeyUp"},
        {"a Tab's highlight outlasts frames under a pointer that stands still; a move ends it",
         Clip("k", 1) + set("k", "tabEnabled", "true") + Tracing("k", "onKeyDown") +
             Tracing("k", "onRollOut"),
         {Pointer(150, 150), Key(T::KeyDown, 9, 9)},
         "null > _level0.k\nk onKeyDown\nk onRollOut",
         {Key(T::KeyDown, 65, 'a'), Pointer(151, 150), Key(T::KeyDown, 66, 'b')}},
        {"a focused field's text is all selected; replaceSel replaces it, empty does nothing",
         Field("f", 1, 0, 0) + set("f", "text", "\"abcd\"") +
             run(invoke(var("f"), "replaceSel", {lit("\"<\"")})) + show("f.text") +
             run(invoke(var("Selection"), "setFocus", {var("f")})) +
             run(invoke(var("f"), "replaceSel", {lit("\"xy\"")})) +
             run(invoke(var("f"), "replaceSel", {lit("\"z\"")})) + show("f.text") +
             run(invoke(var("f"), "replaceSel", {lit("\"\"")})) +
             trace(invoke(var("Selection"), "getBeginIndex")) + show("f.text"),
         {}, "<abcd\nnull > _level0.f\nxyz\n3\nxyz"},
        {"setSelection takes two arguments, indexes stay within the text; hiding the hidden "
         "keeps the focus",
         Field("f", 1, 0, 0) + set("f", "text", "\"abcd\"") +
             run(invoke(var("Selection"), "setFocus", {var("f")})) +
             trace(invoke(var("Selection"), "getCaretIndex")) +
             run(invoke(var("Selection"), "setSelection", {lit("1")})) +
             run(invoke(var("Selection"), "setSelection", {lit("1"), lit("3"), lit("0")})) +
             trace(invoke(var("Selection"), "getBeginIndex")) +
             run(invoke(var("Selection"), "setSelection", {lit("1"), lit("3")})) +
             set("f", "text", "\"ab\"") + trace(invoke(var("Selection"), "getEndIndex")) +
             set("f", "_visible", "false") + run(invoke(var("Selection"), "setFocus", {var("f")})) +
             set("f", "_visible", "false") + trace(invoke(var("Selection"), "getFocus")),
         {}, "null > _level0.f\n4\n0\n2\n_level0.f > null\nnull > _level0.f\n_level0.f"},
    };
    for (const FocusCase& c : cases) {
        st::SwfWriter movie;
        movie.version(8).frameSizePixels(200, 200);
        movie.doAction(st::ActionBuilder::assemble(kListener + c.script + "stop"));
        movie.showFrame();
        EXPECT_EQ(avm1test::Joined(avm1test::RunMovie(movie, 3, {c.keys, c.later})), c.trace)
            << c.name;
    }
}

// tabIndex as each kind keeps what it is given: a clip signed and cut toward zero (NaN and
// what lies beyond 32 bits the least), a text field as ToUint32; undefined clears it. A
// field's shows in for..in, a clip's never does.
TEST(Focus, TabIndexAsEachKindKeepsIt) {
    struct IndexCase {
        std::string value;
        std::string clip;
        std::string field;
    };
    const std::vector<IndexCase> cases = {
        {"4", "4", "4"},
        {"-4", "-4", "4294967292"},
        {"1.9", "1", "1"},
        {"-1.9", "-1", "4294967295"},
        {"2147483648", "-2147483648", "2147483648"},
        {"4294967298", "-2147483648", "2"},
        {"\"x\"", "-2147483648", "0"},
        {"true", "1", "1"},
        {"undefined", "undefined", "undefined"},
    };
    for (const IndexCase& c : cases) {
        Code script = Clip("c", 1) + Field("t", 2, 0, 0) + set("c", "tabIndex", c.value) +
                      set("t", "tabIndex", c.value) + show("c.tabIndex") + show("t.tabIndex");
        EXPECT_EQ(avm1test::Joined(avm1test::RunScript(script)), c.clip + "\n" + c.field)
            << c.value;
    }
    for (const char* name : {"c", "t"}) {
        Code listing = Clip("c", 1) + Field("t", 2, 0, 0) + set(name, "tabIndex", "3") +
                       "push \"" + name + "\"; getVariable; enumerate2\n"
                       "next: storeRegister 0; push null; equals2; if done\n"
                       "push r:0; push \"tabIndex\"; equals2; not; if next\n"
                       "push \"listed\"; trace; jump next\ndone:\n";
        EXPECT_EQ(avm1test::Joined(avm1test::RunScript(listing)),
                  std::string(name) == "t" ? "listed" : "")
            << name;
    }
}

}  // namespace
