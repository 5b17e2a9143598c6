// Typing into the focused text field: typed characters and pasted text replace the selection
// through the field's restrict pattern and maxChars, line breaks only in multiline fields,
// editing commands move the caret and delete; each change sets the bound variable and tells
// the field's listeners (onChanged). A click places the caret or follows a link; a password
// field's text never reaches the clipboard. The wheel scrolls the field under the pointer.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ScriptRun.h"
#include "support/ActionBuilder.h"
#include "support/EditText.h"
#include "support/SwfWriter.h"

namespace {

namespace st = swftest;
using swf::InputEvent;
using Control = InputEvent::TextControl;
using avm1test::Pointer;

InputEvent Event(InputEvent::Type type) {
    InputEvent event;
    event.type = type;
    return event;
}
InputEvent Typed(char32_t c) {
    InputEvent event = Event(InputEvent::Type::TextInput);
    event.codepoint = c;
    return event;
}
InputEvent Command(Control control) {
    InputEvent event = Event(InputEvent::Type::TextControl);
    event.control = control;
    return event;
}
InputEvent Wheel(int lines) {
    InputEvent event = Event(InputEvent::Type::MouseWheel);
    event.wheelDelta = lines;
    return event;
}
InputEvent Down(double x, double y) { return Pointer(InputEvent::Type::MouseDown, x, y); }
InputEvent Up(double x, double y) { return Pointer(InputEvent::Type::MouseUp, x, y); }
InputEvent Clipboard(const std::string& text) {
    InputEvent event = Event(InputEvent::Type::SetClipboardText);
    event.text = text;
    return event;
}

// Field "t" bound to variable "v", focused by the script; every change traces the text (line
// breaks as '/') and the variable.
st::SwfWriter Editor(bool multiline, const std::string& settings) {
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(200, 100);
    st::EditText field;
    field.bounds = st::Rect::fromPixels(0, 0, 200, 100);
    field.variableName = "v";
    field.readOnly = false;
    field.multiline = multiline;
    movie.defineEditText(1, field);
    movie.placeObject2({.depth = 1, .character = 1, .name = "t"});
    movie.doAction(st::ActionBuilder::assemble(
        settings +
        "push \"t\"; getVariable; push \"onChanged\"; function () {"
        "  push \"/\", 1, \"\\r\", 1, \"t\"; getVariable; push \"text\"; getMember;"
        "  push \"split\"; callMethod; push \"join\"; callMethod;"
        "  push \" \"; add2; push \"v\"; getVariable; add2; trace }; setMember;"
        "push \"t\", 1, \"Selection\"; getVariable; push \"setFocus\"; callMethod; pop; stop"));
    movie.showFrame();
    return movie;
}

TEST(TextEditing, TypingPastingAndCommandsChangeTheFocusedField) {
    struct Case {
        const char* name;
        bool multiline;
        std::string settings;  // script run before the field takes the focus
        std::vector<InputEvent> input;
        std::string trace;
    };
    const std::vector<Case> cases = {
        {"typed characters and Enter in a multiline field",
         true,
         "",
         {Typed('a'), Typed('b'), Command(Control::Enter), Typed(U'\u00E9'), Typed(0x1F600)},
         "a a\nab ab\nab/ ab\r\nab/\u00E9 ab\r\u00E9\nab/\u00E9\U0001F600 ab\r\u00E9\U0001F600"},
        {"Enter and control characters do nothing in a single-line field",
         false,
         "",
         {Typed('a'), Command(Control::Enter), Typed(7), Typed('b')},
         "a a\nab ab"},
        {"restrict filters, letters change case, maxChars cuts a paste",
         true,
         "push \"t\"; getVariable; push \"restrict\", \"a-c\\\\-\"; setMember;"
         "push \"t\"; getVariable; push \"maxChars\", 4; setMember;",
         {Typed('B'), Typed('x'), Clipboard("a-Zcba\nb"), Command(Control::Paste)},
         "b b\nba-c ba-c"},
        {"caret moves, deletes and selections",
         true,
         "",
         {Clipboard("abc\ndef"), Command(Control::Paste), Command(Control::MoveLeftLine),
          Command(Control::Backspace), Command(Control::MoveRightLine), Command(Control::MoveLeft),
          Command(Control::Delete), Command(Control::SelectAll), Command(Control::Cut),
          Command(Control::Paste), Command(Control::Paste)},
         "abc/def abc\rdef\nabcdef abcdef\nabcde abcde\n \nabcde abcde\nabcdeabcde abcdeabcde"},
        {"a password field keeps its text: copying and cutting do nothing",
         true,
         "push \"t\"; getVariable; push \"password\", true; setMember;",
         {Clipboard("pw"), Command(Control::Paste), Clipboard("x"), Command(Control::SelectAll),
          Command(Control::Cut), Command(Control::Copy), Command(Control::MoveRightLine),
          Command(Control::Paste)},
         "pw pw\npwx pwx"},
        {"a click puts the caret at the nearer edge of the character under it, or at the end "
         "of the line beside it",
         false,
         "push \"t\"; getVariable; push \"text\", \"ab\"; setMember;",
         {Down(150, 5), Up(150, 5), Typed('c'), Down(0, 5), Up(0, 5), Typed('d'), Down(150, 90),
          Up(150, 90), Typed('e')},
         "abc abc\ndabc dabc\ndabce dabce"},
        {"a click on an asfunction link calls the function with its argument",
         false,
         "push \"hit\"; function (a) { push \"called\", \"a\"; getVariable; add2; trace };"
         "setVariable; push \"t\"; getVariable; push \"html\", true; setMember;"
         "push \"t\"; getVariable; push \"htmlText\", "
         "\"<a href='asfunction:hit,one'>a</a>b<a href='asfunction:miss'>c</a>\"; setMember;",
         {Down(4, 6), Up(4, 6), Down(150, 6), Up(150, 6)},
         "calledone"},
        {"a link's function not on the field's timeline is a global one, called on _global",
         false,
         "push \"_global\"; getVariable; push \"g\"; function () { push \"this\"; getVariable;"
         "push \"_global\"; getVariable; equals2; trace }; setMember;"
         "push \"t\"; getVariable; push \"html\", true; setMember;"
         "push \"t\"; getVariable; push \"htmlText\", \"<a href='asfunction:g'>a</a>\"; setMember;",
         {Down(4, 6), Up(4, 6)},
         "true"},
        {"the wheel scrolls the field under the pointer by its lines, up for positive ones",
         true,
         "push \"t\"; getVariable; push \"text\", \"" + std::string(30, '\r') + "\"; setMember;"
         "push \"Mouse\"; getVariable; push \"onMouseWheel\"; function () { push \"t\";"
         "getVariable; push \"scroll\"; getMember; trace }; setMember;"
         "push \"Mouse\"; getVariable; push 1, \"Mouse\"; getVariable; push \"addListener\";"
         "callMethod; pop;",
         {Pointer(InputEvent::Type::MouseMove, 5, 5), Wheel(-2), Wheel(5), Wheel(-1)},
         "3\n1\n2"},
        {"a read-only field takes nothing",
         true,
         "push \"t\"; getVariable; push \"type\", \"dynamic\"; setMember;",
         {Typed('a'), Clipboard("b"), Command(Control::Paste)},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The trace log ends a line at a carriage return.
        std::string expected = c.trace;
        std::replace(expected.begin(), expected.end(), '\r', '\n');
        EXPECT_EQ(
            avm1test::Joined(avm1test::RunMovie(Editor(c.multiline, c.settings), 1, {c.input})),
            expected);
    }
}

}  // namespace
