// Selection: which button, text field or clip has the keyboard focus (kept by the input
// dispatcher), and the selected range of a focused text field.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/stage/StageClasses.h"
#include "swf/avm1/stage/InputDispatcher.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/avm1/machine/StringFunctions.h"
#include "swf/display/DisplayObject.h"
#include "swf/display/EditTextInstance.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {
namespace {


// The range a script selected, or that a script's focus on a text field selected; the player
// reports none until one is set for this focus.
struct SelectedRange {
    int begin = -1;
    int end = -1;
    int caret = -1;
    uint64_t focus = 0;  // the dispatcher's count of focus changes when it was set
};

// The object a path names, from the main timeline ("_level0.a.b", "_root.a" or "a.b").
Value objectAtPath(Machine& m, const std::string& path) {
    MovieClip* root = m.context().root();
    if (!root) return Value();
    Value at(m.stageObject(*root));
    size_t start = 0;
    for (int steps = 0; start <= path.size() && steps < 1024; ++steps) {
        size_t dot = path.find('.', start);
        if (dot == std::string::npos) dot = path.size();
        std::string part = path.substr(start, dot - start);
        if (!(steps == 0 && (part == "_level0" || part == "_root"))) at = m.get(at, part);
        if (!at.isObject()) return Value();
        start = dot + 1;
    }
    return at;
}

bool canTakeFocus(Machine& m, DisplayObject& object) {
    if (object.isButton() || object.isEditText()) return true;
    if (!object.asMovieClip()) return false;
    Value self(m.stageObject(object));
    if (m.toBoolean(m.get(self, "focusEnabled"))) return true;
    // A clip with button handlers is a button to the player.
    for (const char* handler : {"onPress", "onRelease", "onReleaseOutside", "onRollOver",
                                "onRollOut", "onDragOver", "onDragOut"})
        if (m.get(self, handler).isObject()) return true;
    return false;
}

DisplayObject* focused(Machine& m) {
    InputDispatcher* input = InputDispatcher::of(m);
    return input ? input->focused() : nullptr;
}

SelectedRange reported(Machine& m, const SelectedRange& range) {
    InputDispatcher* input = InputDispatcher::of(m);
    return input && input->focusChanges() == range.focus ? range : SelectedRange{};
}

int clampIndex(Machine& m, const Value& value, int length) {
    double n = m.toNumber(value);
    if (std::isnan(n) || n > length) return length;
    if (n < 0) return 0;
    return static_cast<int>(n);
}

// The length of the focused text field's text, in the movie's characters.
int focusedTextLength(Machine& m, EditTextInstance& field) {
    return static_cast<int>(std::min<size_t>(
        stringLength(m.toString(m.get(Value(m.stageObject(field)), "text")), m.swfVersion()),
        1u << 30));
}

// Within the text as it is now, which may have shrunk since.
template <int SelectedRange::*field>
Value selectionIndex(Machine& m, Object*, std::span<const Value>) {
    int index = reported(m, m.natives().state<SelectedRange>()).*field;
    auto* text = dynamic_cast<EditTextInstance*>(focused(m));
    if (index > 0 && text) index = std::min(index, focusedTextLength(m, *text));
    return Value(index);
}

Value selectionGetFocus(Machine& m, Object*, std::span<const Value>) {
    DisplayObject* d = focused(m);
    return d ? Value(m.targetPath(*d)) : Value(Null{});
}

Value selectionSetFocus(Machine& m, Object*, std::span<const Value> args) {
    // Only an undefined or null argument on its own takes the focus away; a path naming
    // nothing, or no argument at all, changes nothing.
    InputDispatcher* input = InputDispatcher::of(m);
    if (args.empty() || (args[0].isNullish() && args.size() > 1)) return Value(false);
    Value wanted = args[0];
    if (wanted.isString()) {
        wanted = objectAtPath(m, wanted.asString());
        if (wanted.isNullish()) return Value(false);
    }
    DisplayObject* next = nullptr;
    if (!wanted.isNullish()) {
        next = m.displayObjectOf(wanted);
        if (!next || !canTakeFocus(m, *next)) return Value(false);
    }
    if (!input) return Value(false);
    input->setFocus(next, InputDispatcher::FocusCause::Script);
    // Once its listeners have heard of it, a text field so focused has all its text selected.
    if (auto* text = dynamic_cast<EditTextInstance*>(focused(m)); text && text == next) {
        int length = focusedTextLength(m, *text);
        m.natives().state<SelectedRange>() = {0, length, length, input->focusChanges()};
    }
    return Value(true);
}

Value selectionSetSelection(Machine& m, Object*, std::span<const Value> args) {
    // Only the two-argument form does anything.
    auto* d = dynamic_cast<EditTextInstance*>(focused(m));
    if (args.size() != 2 || !d) return Value();
    Value field(m.stageObject(*d));
    Value selectable = m.get(field, "selectable");
    if (!selectable.isUndefined() && !m.toBoolean(selectable)) return Value();
    int length = focusedTextLength(m, *d);
    int from = clampIndex(m, args[0], length);
    int to = clampIndex(m, args[1], length);
    // The caret sits where the selection was dragged to.
    SelectedRange& range = m.natives().state<SelectedRange>();
    range.begin = std::min(from, to);
    range.end = std::max(from, to);
    range.caret = to;
    range.focus = InputDispatcher::of(m)->focusChanges();
    d->select(static_cast<size_t>(range.begin), static_cast<size_t>(range.end));
    return Value();
}

using native::method;
constexpr uint16_t kSelectionFlags = kDontEnum | kReadOnly;

constexpr NativeMember kSelection[] = {
    method("getBeginIndex", selectionIndex<&SelectedRange::begin>, kSelectionFlags),
    method("getEndIndex", selectionIndex<&SelectedRange::end>, kSelectionFlags),
    method("getCaretIndex", selectionIndex<&SelectedRange::caret>, kSelectionFlags),
    method("getFocus", selectionGetFocus, kSelectionFlags),
    method("setFocus", selectionSetFocus, kSelectionFlags),
    method("setSelection", selectionSetSelection, kSelectionFlags),
};

}  // namespace

void selectionReplaced(Machine& m, const DisplayObject& field, int begin, int end, int caret) {
    InputDispatcher* input = InputDispatcher::of(m);
    if (!input || focused(m) != &field) return;
    m.natives().state<SelectedRange>() = {begin, end, caret, input->focusChanges()};
}

void installSelectionClass(Machine& m) {
    Rooted<Object> selection(m.heap(), m.newObject());
    player::defineValue(m.global(), "Selection", Value(selection), kDontEnum);
    installMembers(m, selection, kSelection);
    player::makeBroadcaster(m, selection, kReadOnly | kVersion6);
}

}  // namespace swf::avm1
