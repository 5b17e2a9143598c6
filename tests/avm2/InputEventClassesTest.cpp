// flash.events' KeyboardEvent and FocusEvent as scripts make them, Event.formatToString and
// flash.ui.Keyboard, checked by what they trace.

#include <gtest/gtest.h>

#include "ScriptEmit.h"

namespace {

using namespace avm2test;

TEST(Avm2InputEvents, EventsPrintTheirFieldsAsThePlayerDoes) {
    const Emit key = New("flash.events::KeyboardEvent",
                         {Str("keyDown"), Num(1), Num(0), Num(97), Num(65), Num(1), Num(1), Num(0), Num(1)});
    const std::vector<Case> cases = {
        {"a keyboard event's fields in the player's order", key,
         "[KeyboardEvent type=\"keyDown\" bubbles=true cancelable=false eventPhase=0 charCode=97 keyCode=65 "
         "keyLocation=1 ctrlKey=true altKey=false shiftKey=true]"},
        {"a clone keeps the key", Get(Call(key, "clone", {}), "keyCode"), "65"},
        {"a focus event bubbles unless told", New("flash.events::FocusEvent", {Str("focusOut")}),
         "[FocusEvent type=\"focusOut\" bubbles=true cancelable=false eventPhase=0 relatedObject=null "
         "shiftKey=false keyCode=0]"},
        {"formatToString quotes strings only",
         Call(New("flash.events::Event", {Str("change"), Num(1)}), "formatToString",
              {Str("Custom"), Str("type"), Str("bubbles"), Str("eventPhase")}),
         "[Custom type=\"change\" bubbles=true eventPhase=0]"},
        {"key codes by name", Get(Global("flash.ui::Keyboard"), "LEFT"), "37"},
        {"letters are their capitals' codes", Get(Global("flash.ui::Keyboard"), "Q"), "81"},
        {"function keys count from 112", Get(Global("flash.ui::Keyboard"), "F12"), "123"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

}  // namespace
