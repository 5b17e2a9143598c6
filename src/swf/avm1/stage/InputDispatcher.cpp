#include "swf/avm1/stage/InputDispatcher.h"

#include "swf/avm1/machine/Activation.h"
#include "swf/avm1/stage/DisplayProperties.h"
#include "swf/avm1/stage/Dragging.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/stage/ScriptEngine.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/avm1/stage/TabOrder.h"
#include "swf/avm1/stage/TextFieldClass.h"
#include "swf/display/ButtonInstance.h"
#include "swf/display/EditTextInstance.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/format/LetterCase.h"
#include "swf/movie/ClipEvent.h"
#include "swf/text/TextDecoding.h"

namespace swf::avm1 {

// One change of a button's state: the condition its actions answer, the clip event (and so
// the event method) that goes with it, and the state it shows after.
struct InputDispatcher::Transition {
    uint16_t condition;
    uint32_t clipEvent;
    ButtonInstance::State state;
};

namespace {

using State = ButtonInstance::State;

constexpr InputDispatcher::Transition kRollOver{kIdleToOverUp, kClipRollOver, State::Over};
constexpr InputDispatcher::Transition kRollOut{kOverUpToIdle, kClipRollOut, State::Up};
constexpr InputDispatcher::Transition kPress{kOverUpToOverDown, kClipPress, State::Down};
constexpr InputDispatcher::Transition kRelease{kOverDownToOverUp, kClipRelease, State::Over};
constexpr InputDispatcher::Transition kDragOut{kOverDownToOutDown, kClipDragOut, State::Over};
constexpr InputDispatcher::Transition kDragOver{kOutDownToOverDown, kClipDragOver, State::Down};
constexpr InputDispatcher::Transition kReleaseOutside{kOutDownToIdle, kClipReleaseOutside,
                                                      State::Up};

// The events that make a clip act as a button.
constexpr uint32_t kButtonClipEvents = kClipPress | kClipRelease | kClipReleaseOutside |
                                       kClipRollOver | kClipRollOut | kClipDragOver | kClipDragOut;
constexpr const char* kButtonMethods[] = {"onPress",    "onRelease",  "onReleaseOutside",
                                          "onRollOver", "onRollOut",  "onDragOver",
                                          "onDragOut"};

// The key number a button's key-press condition uses for a key: its own numbers for the
// keys without a character, the character's code for the others.
int keyPressCode(int keyCode, uint32_t character) {
    switch (keyCode) {
        case 37: return 1;   // left
        case 39: return 2;   // right
        case 36: return 3;   // home
        case 35: return 4;   // end
        case 45: return 5;   // insert
        case 46: return 6;   // delete
        case 8: return 8;    // backspace
        case 13: return 13;  // enter
        case 38: return 14;  // up
        case 40: return 15;  // down
        case 33: return 16;  // page up
        case 34: return 17;  // page down
        case 9: return 18;   // tab
        case 27: return 19;  // escape
        default: return character >= 32 && character < 127 ? static_cast<int>(character) : 0;
    }
}

// A property of the object or its prototypes, without running getters.
Property* inChain(Object* object, std::string_view name) {
    for (int level = 0; object && level < 256; ++level, object = object->proto())
        if (Property* p = object->findOwn(name)) return p;
    return nullptr;
}

// The key codes the player gives the mouse buttons.
int mouseButtonCode(InputEvent::Button button) {
    switch (button) {
        case InputEvent::Button::Right: return 2;
        case InputEvent::Button::Middle: return 4;
        default: return 1;
    }
}

}  // namespace

InputDispatcher::InputDispatcher(ScriptEngine& engine)
    : engine_(engine), context_(engine.machine().context()) {}

void InputDispatcher::handle(const InputEvent& event) {
    takeSuccessors();
    handleEvent(event);
    placeFocusHighlight();
    notePlaces();
}

void InputDispatcher::handleEvent(const InputEvent& event) {
    InputState& input = context_.input();
    switch (event.type) {
        case InputEvent::Type::MouseMove:
            input.mouse = Point{event.x, event.y};
            input.mouseInside = true;
            return mouseMoved();
        case InputEvent::Type::MouseDown:
            // A press is over the stage even when no move came first.
            input.mouse = Point{event.x, event.y};
            input.mouseInside = true;
            input.press(mouseButtonCode(event.button), true);
            if (event.button != InputEvent::Button::Left) return;
            input.mouseDown = true;
            return mousePressed();
        case InputEvent::Type::MouseUp:
            input.mouse = Point{event.x, event.y};
            input.press(mouseButtonCode(event.button), false);
            if (event.button != InputEvent::Button::Left || !input.mouseDown) return;
            input.mouseDown = false;
            return mouseReleased();
        case InputEvent::Type::KeyDown: return keyChanged(event, true);
        case InputEvent::Type::KeyUp: return keyChanged(event, false);
        case InputEvent::Type::TextInput: {
            const char32_t typed = static_cast<char32_t>(event.codepoint);
            return textTyped(std::u32string_view(&typed, 1));
        }
        case InputEvent::Type::TextControl:
            return textControl(event.control);
        case InputEvent::Type::SetClipboardText:
            clipboard_ = DecodeMovieText(event.text);
            return;
        case InputEvent::Type::FocusLost: return setFocus(nullptr, FocusCause::Keyboard);
        case InputEvent::Type::MouseWheel: return wheelTurned(event.wheelDelta);
        default: return;
    }
}

void InputDispatcher::frameDone() {
    takeSuccessors();
    // What moves under a pointer that stands still rolls over or out all the same, unless
    // the keyboard highlighted something since the pointer last moved.
    if (context_.input().mouseInside && !keyboardHighlight_) followPointer();
    placeFocusHighlight();
    notePlaces();
}

void InputDispatcher::notePlaces() {
    auto note = [](const std::weak_ptr<DisplayObject>& tracked, Place& place) {
        auto object = tracked.lock();
        if (!object || !object->onStage() || !object->parent()) return;
        place = {object->parent()->weak_from_this(), object->depth(), object->sharedCharacter()};
    };
    note(hovered_, hoveredPlace_);
    note(pressed_, pressedPlace_);
}

void InputDispatcher::takeSuccessors() {
    // The successor shows the state its forerunner had.
    auto follow = [](std::weak_ptr<DisplayObject>& tracked, const Place& place,
                     const Transition& shown) {
        // Only an object that was tracked, alive or not, has a successor.
        const std::weak_ptr<DisplayObject> none;
        if (!tracked.owner_before(none) && !none.owner_before(tracked)) return;
        if (auto object = tracked.lock(); object && object->onStage()) return;
        auto parent = place.parent.lock();
        auto character = place.character.lock();
        DisplayList* list = parent && parent->onStage() ? parent->children() : nullptr;
        auto successor = list ? list->at(place.depth) : nullptr;
        if (!successor || !character || successor->sharedCharacter() != character) return;
        tracked = successor;
        if (ButtonInstance* button = successor->asButton()) button->setState(shown.state);
    };
    const bool pressedOver = !hovered_.owner_before(pressed_) && !pressed_.owner_before(hovered_);
    follow(hovered_, hoveredPlace_, kRollOver);
    follow(pressed_, pressedPlace_, pressedOver ? kPress : kDragOut);
}

bool InputDispatcher::showsFocusRect(DisplayObject& object) {
    const std::optional<bool>& own =
        object.scriptObject() ? object.scriptObject()->focusRect() : std::optional<bool>();
    return own.value_or(playerSettings(engine_.machine()).focusRect);
}

void InputDispatcher::placeFocusHighlight() {
    DisplayObject* target = focusRectShown_ ? focused() : nullptr;
    ButtonInstance* button = target ? target->asButton() : nullptr;
    if (!button) {
        context_.setFocusHighlight(target ? stageBounds(engine_.machine(), *target) : Rect{});
        return;
    }
    // A button's rectangle frames its hit area, whichever state it shows.
    Rect bounds = kNoBounds;
    for (const auto& [depth, object] : button->hitArea().objects())
        bounds = unionBounds(bounds, stageBounds(engine_.machine(), *object));
    context_.setFocusHighlight(bounds);
}

void InputDispatcher::announce(uint32_t clipEvent, const char* broadcaster, const char* message) {
    for (const auto& clip : context_.clipsNewestFirst()) engine_.runClipEvent(*clip, clipEvent);
    engine_.broadcast(broadcaster, message, {});
}

void InputDispatcher::mouseMoved() {
    followDrag(engine_.machine());
    announce(kClipMouseMove, "Mouse", "onMouseMove");
    followPointer();
}

void InputDispatcher::mousePressed() {
    announce(kClipMouseDown, "Mouse", "onMouseDown");
    // A click gives the focus to a selectable text field and takes it from anything else.
    DisplayObject* clicked = objectUnderPointer(true);
    auto* field = dynamic_cast<EditTextInstance*>(clicked);
    if (field && !field->field().settings().selectable) field = nullptr;  // clicked for a link
    setFocus(field, FocusCause::Mouse);
    if (field) {
        if (std::optional<Matrix> toLocal = invertMatrix(matrixToStage(*field))) {
            const size_t caret = field->field().caretIndexAt(
                toLocal->apply(context_.input().mouse), field->dictionary());
            field->select(caret, caret);
        }
    }
    DisplayObject* target = objectUnderPointer();
    hovered_ = target ? target->weak_from_this() : std::weak_ptr<DisplayObject>();
    keyboardHighlight_ = false;
    if (!target) return;
    pressed_ = target->weak_from_this();
    fire(*target, kPress);
}

void InputDispatcher::mouseReleased() {
    announce(kClipMouseUp, "Mouse", "onMouseUp");
    if (auto* field = dynamic_cast<EditTextInstance*>(objectUnderPointer(true))) {
        auto keep = field->shared_from_this();
        const TextField& text = field->field();
        if (std::optional<Matrix> toLocal = invertMatrix(matrixToStage(*field)))
            if (std::optional<size_t> at =
                    text.characterAt(toLocal->apply(context_.input().mouse), field->dictionary()))
                if (const TextFormat* format = text.runs().at(*at); format && format->url)
                    followLink(*field, *format->url);
    }
    auto pressed = pressed_.lock();
    pressed_.reset();
    if (pressed && pressed->onStage()) {
        bool over = objectUnderPointer() == pressed.get();
        fire(*pressed, over ? kRelease : kReleaseOutside);
        hovered_ = over ? pressed : std::shared_ptr<DisplayObject>();
    }
    followPointer();
}

void InputDispatcher::followLink(EditTextInstance& field, const std::string& url) {
    // "asfunction:path,argument" calls the function the path names from the field's
    // timeline, its first name found there or else among the globals; other links would
    // open a browser window, which there is none of.
    constexpr std::string_view kAsFunction = "asfunction:";
    if (!startsWithIgnoringCase(url, kAsFunction) || !field.parent()) return;
    const std::string_view call = std::string_view(url).substr(kAsFunction.size());
    const size_t comma = call.find(',');
    std::string_view path = call.substr(0, comma);
    Machine& m = engine_.machine();
    m.startActionList();
    Activation::runGuarded(m, [&] {
        Value self(m.stageObject(*field.parent()));
        const size_t firstDot = path.find('.');
        if (m.get(self, path.substr(0, firstDot)).isUndefined()) self = Value(m.global());
        size_t dot = firstDot;
        for (; dot != std::string_view::npos && self.asObject(); dot = path.find('.')) {
            self = m.get(self, path.substr(0, dot));
            path = path.substr(dot + 1);
        }
        if (!self.asObject()) return;
        const Value function = m.get(self, path);
        std::vector<Value> args;
        if (comma != std::string_view::npos) args.emplace_back(std::string(call.substr(comma + 1)));
        m.call(function, self.asObject(), args);
    });
}

void InputDispatcher::followPointer() {
    keyboardHighlight_ = false;
    DisplayObject* target = objectUnderPointer();
    auto hovered = hovered_.lock();
    if (hovered && !hovered->onStage()) hovered.reset();
    // What is disabled while the pointer is over it stays under the pointer, unheard,
    // until the pointer leaves it: enabled again there, it does not roll over a second time.
    if (hovered && isDisabled(*hovered) && objectUnderPointer(false, true) == hovered.get())
        return;
    if (auto pressed = pressed_.lock(); pressed && pressed->onStage()) {
        // While a press lasts only the pressed object hears of the pointer.
        bool wasOver = hovered == pressed;
        bool isOver = target == pressed.get();
        hovered_ = isOver ? pressed : std::shared_ptr<DisplayObject>();
        if (wasOver && !isOver) fire(*pressed, kDragOut);
        if (!wasOver && isOver) fire(*pressed, kDragOver);
        return;
    }
    if (target == hovered.get()) return;
    hovered_ = target ? target->weak_from_this() : std::weak_ptr<DisplayObject>();
    if (hovered) fire(*hovered, kRollOut);
    if (target && target->onStage()) fire(*target, kRollOver);
}

void InputDispatcher::fire(DisplayObject& object, const Transition& transition) {
    if (isDisabled(object)) return;
    auto keep = object.shared_from_this();  // its handlers may remove it
    if (ButtonInstance* button = object.asButton()) {
        button->setState(transition.state);
        DisplayObject* parent = object.parent();
        for (const ButtonAction& action : button->button().actions())
            if ((action.conditions & transition.condition) && parent && parent->onStage())
                engine_.runButtonActions(action.code, *parent);
    }
    if (object.onStage()) engine_.runClipEvent(object, transition.clipEvent);
}

void InputDispatcher::keyChanged(const InputEvent& event, bool down) {
    InputState& input = context_.input();
    input.press(event.keyCode, down);
    if (down) {
        input.lastKeyCode = event.keyCode;
        input.lastCharacter = event.character;
    }
    for (const auto& clip : context_.clipsNewestFirst())
        engine_.runClipEvent(*clip, down ? kClipKeyDown : kClipKeyUp);
    // Of the event methods, only the focused object's run, and only while it is highlighted:
    // the pointer moving off it ends that.
    std::shared_ptr<DisplayObject> target = focused() ? focus_.lock() : nullptr;
    if (target != hovered_.lock()) target.reset();
    if (target) {
        engine_.machine().startActionList();
        engine_.machine().callEventMethod(*target, down ? "onKeyDown" : "onKeyUp");
    }
    engine_.broadcast("Key", down ? "onKeyDown" : "onKeyUp", {});
    if (!down || runKeyPress(event.keyCode, event.character)) return;
    if (event.keyCode == 9) return moveFocusByTab(input.isKeyDown(16));
    // Enter and Space click it while its focus rectangle is on.
    bool clicks = event.keyCode == 13 || event.keyCode == 32;
    if (!clicks || !target || !target->onStage() || !showsFocusRect(*target)) return;
    fire(*target, kPress);
    if (target->onStage()) fire(*target, kRelease);
}

void InputDispatcher::textTyped(std::u32string_view text) {
    auto* field = dynamic_cast<EditTextInstance*>(focused());
    if (field && field->typeText(text)) fieldEdited(*field);
}

void InputDispatcher::fieldEdited(EditTextInstance& field) {
    auto keep = field.shared_from_this();  // its listeners may remove it
    engine_.machine().startActionList();
    Activation::runGuarded(engine_.machine(), [&] { textFieldTyped(engine_.machine(), field); });
}

void InputDispatcher::textControl(InputEvent::TextControl control) {
    using Control = InputEvent::TextControl;
    auto* field = dynamic_cast<EditTextInstance*>(focused());
    if (!field) return;
    if (control == Control::Copy || control == Control::Cut) {
        // A password field's text does not leave it: copying and cutting do nothing there.
        if (field->field().settings().password) return;
        clipboard_ = field->selectedText();
    }
    if (control == Control::Paste) return textTyped(clipboard_);
    if (field->edit(control)) fieldEdited(*field);
}

void InputDispatcher::wheelTurned(int lines) {
    auto* field = dynamic_cast<EditTextInstance*>(objectUnderPointer(true));
    if (field && field->field().settings().mouseWheelEnabled) {
        TextField& text = field->field();
        const int64_t line = int64_t(text.scroll()) - lines;
        const int most = std::max(1, text.maxScroll(field->dictionary()));
        text.setScroll(static_cast<int>(std::clamp<int64_t>(line, 1, most)));
    }
    engine_.broadcast("Mouse", "onMouseWheel", {Value(lines)});
}

bool InputDispatcher::runKeyPress(int keyCode, uint32_t character) {
    int code = keyPressCode(keyCode, character);
    if (code == 0) return false;
    // The visible buttons on the stage, in stage order.
    std::vector<std::shared_ptr<DisplayObject>> buttons;
    std::vector<std::pair<DisplayObject*, int>> walk{{context_.root(), 0}};
    while (!walk.empty() && buttons.size() < MovieContext::kMaxObjects) {
        auto [object, level] = walk.back();
        walk.pop_back();
        DisplayList* children = object ? object->children() : nullptr;
        if (!children || level > MovieContext::kMaxNesting) continue;
        for (auto it = children->objects().rbegin(); it != children->objects().rend(); ++it) {
            if (!it->second->visible()) continue;
            if (it->second->asButton())
                buttons.push_back(it->second);
            else
                walk.emplace_back(it->second.get(), level + 1);
        }
    }
    // The first button that answers the key takes it.
    for (const auto& object : buttons) {
        DisplayObject* parent = object->parent();
        bool ran = false;
        for (const ButtonAction& action : object->asButton()->button().actions()) {
            if (action.keyPress != code || !parent || !parent->onStage()) continue;
            engine_.runButtonActions(action.code, *parent);
            ran = true;
        }
        if (ran) return true;
    }
    return false;
}

InputDispatcher* InputDispatcher::of(Machine& machine) {
    auto* engine = dynamic_cast<ScriptEngine*>(machine.context().runner());
    return engine ? &engine->input() : nullptr;
}

DisplayObject* InputDispatcher::focused() {
    auto focus = focus_.lock();
    if (focus && focus->onStage()) return focus.get();
    focus_.reset();
    return nullptr;
}

void InputDispatcher::setFocus(DisplayObject* next, FocusCause cause) {
    Machine& m = engine_.machine();
    std::shared_ptr<DisplayObject> keepNext = next ? next->shared_from_this() : nullptr;
    // The rectangle shows from a Tab until a click, where _focusrect allowed it on taking
    // the focus; a script moving the focus on keeps it only where allowed.
    bool allowed = next && !next->isEditText() && showsFocusRect(*next);
    focusRectShown_ = allowed && (cause == FocusCause::Keyboard ||
                                  (cause == FocusCause::Script && focusRectShown_));
    if (cause == FocusCause::Keyboard) {
        highlight(keepNext);
        keyboardHighlight_ = hovered_.lock() != nullptr;
    } else if (cause == FocusCause::Script) {
        // Even a focus that stays put rolls its object out and over again.
        std::weak_ptr<DisplayObject> target = keepNext;
        context_.queueCallback([this, target] { highlight(target.lock()); });
    }
    // A field taking the focus from a script or the keyboard has all its text selected.
    if (auto* field = dynamic_cast<EditTextInstance*>(next); field && cause != FocusCause::Mouse)
        field->select(0, field->field().text().size());
    DisplayObject* previous = focused();
    if (next == previous) return;
    if (cause == FocusCause::Mouse) context_.queueCallback([this] { highlight(nullptr); });
    ++focusChanges_;
    focus_ = keepNext;
    if (auto* field = dynamic_cast<EditTextInstance*>(previous)) field->setFocused(false);
    if (auto* field = dynamic_cast<EditTextInstance*>(next)) field->setFocused(true);
    Value oldValue = previous ? Value(m.stageObject(*previous)) : Value(Null{});
    Value newValue = next ? Value(m.stageObject(*next)) : Value(Null{});
    Activation::runGuarded(m, [&] {
        if (previous) {
            const Value lost[] = {newValue};
            m.callMethod(oldValue, "onKillFocus", lost);
        }
        if (next) {
            const Value gained[] = {oldValue};
            m.callMethod(newValue, "onSetFocus", gained);
        }
    });
    for (Object* broadcaster : m.playerObjects("Selection"))
        Activation::runGuarded(
            m, [&] { player::broadcast(m, broadcaster, "onSetFocus", {oldValue, newValue}); });
}

void InputDispatcher::highlight(const std::shared_ptr<DisplayObject>& target) {
    auto hovered = hovered_.lock();
    bool shows = target && target->onStage() && !target->isEditText();
    hovered_ = shows ? target : std::shared_ptr<DisplayObject>();
    if (hovered && hovered->onStage()) fire(*hovered, kRollOut);
    if (shows && target->onStage()) fire(*target, kRollOver);
}

void InputDispatcher::moveFocusByTab(bool backwards) {
    std::vector<std::shared_ptr<DisplayObject>> order;
    engine_.machine().startActionList();
    Activation::runGuarded(engine_.machine(), [&] { order = tabOrder(engine_.machine()); });
    if (order.empty()) return;
    DisplayObject* current = focused();
    auto at = std::find_if(order.begin(), order.end(),
                           [current](const auto& object) { return object.get() == current; });
    size_t next = 0;
    if (at == order.end())
        next = backwards ? order.size() - 1 : 0;
    else
        next = (static_cast<size_t>(at - order.begin()) + (backwards ? order.size() - 1 : 1)) %
               order.size();
    if (order[next].get() != current) setFocus(order[next].get(), FocusCause::Keyboard);
}

DisplayObject* InputDispatcher::objectUnderPointer(bool textFields, bool disabledToo) {
    MovieClip* root = context_.root();
    if (!root || !context_.input().mouseInside) return nullptr;
    engine_.machine().startActionList();
    try {
        // The main timeline takes the mouse only where nothing in it does.
        if (DisplayObject* found = findUnderPointer(*root, 0, textFields, disabledToo)) return found;
        if (takesMouse(*root) && hitsContent(engine_.machine(), *root, context_.input().mouse))
            return root;
        return nullptr;
    } catch (const ScriptLimitError&) {
        return nullptr;  // a stage too big to search in one go
    }
}

DisplayObject* InputDispatcher::findUnderPointer(DisplayObject& container, int level,
                                                 bool textFields, bool disabledToo) {
    DisplayList* children = container.children();
    if (!children || level > MovieContext::kMaxNesting) return nullptr;
    const auto list = children->snapshot();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const auto& child = *it;
        if (!child->visible() || child->clipDepth() > 0) continue;
        if (ButtonInstance* button = child->asButton()) {
            // What its state shows takes the pointer before the button itself does.
            if (DisplayObject* found = findUnderPointer(*button, level + 1, textFields, disabledToo))
                return found;
            if (takesMouse(*button, disabledToo) && hitsButton(*button)) return button;
            continue;
        }
        if (auto* field = dynamic_cast<EditTextInstance*>(child.get());
            field && textFields &&
            (field->field().settings().selectable || field->field().hasLinks())) {
            if (hitsContent(engine_.machine(), *field, context_.input().mouse)) return field;
            continue;
        }
        if (!child->asMovieClip()) continue;
        // A clip that handles the mouse itself takes it for everything inside it.
        if (takesMouse(*child, disabledToo)) {
            if (hitsClip(*child)) return child.get();
            continue;
        }
        if (DisplayObject* found = findUnderPointer(*child, level + 1, textFields, disabledToo)) return found;
    }
    return nullptr;
}

bool InputDispatcher::hitsButton(ButtonInstance& button) {
    for (const auto& [depth, part] : button.hitArea().objects())
        if (hitsContent(engine_.machine(), *part, context_.input().mouse)) return true;
    return false;
}

bool InputDispatcher::hitsClip(DisplayObject& clip) {
    // Its hitArea, when that names an object on the stage, is hit in its stead.
    Machine& m = engine_.machine();
    StageObject* stage = clip.scriptObject();
    Property* hitArea = stage ? inChain(stage, "hitArea") : nullptr;
    DisplayObject* area = hitArea && !hitArea->getter ? m.displayObjectOf(hitArea->value) : nullptr;
    return hitsContent(m, area && area->onStage() ? *area : clip, context_.input().mouse);
}

bool InputDispatcher::isDisabled(DisplayObject& object) {
    StageObject* stage = object.scriptObject();
    Property* enabled = stage ? inChain(stage, "enabled") : nullptr;
    return enabled && !enabled->getter && !engine_.machine().toBoolean(enabled->value);
}

bool InputDispatcher::takesMouse(DisplayObject& object, bool disabledToo) {
    if (!disabledToo && isDisabled(object)) return false;
    StageObject* stage = object.scriptObject();
    if (object.asButton()) return true;
    // A level's main timeline is never a button, whatever handlers it has.
    if (!object.parent()) return false;
    if (const auto* handlers = object.clipActions())
        for (const ClipActionRecord& record : *handlers)
            if (record.events & kButtonClipEvents) return true;
    if (!stage) return false;
    for (const char* name : kButtonMethods)
        if (Property* p = inChain(stage, name); p && p->value.isObject()) return true;
    return false;
}

}  // namespace swf::avm1
