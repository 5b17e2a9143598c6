// flash.events' events of the mouse, the keyboard and the focus: MouseEvent, KeyboardEvent and
// FocusEvent, each with the fields the engine fills and the player's toString.
#include "swf/avm2/DisplayClasses.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/display/MovieContext.h"

namespace swf::avm2 {

namespace {

std::string boolText(bool b) {
    return b ? "true" : "false";
}

using Field = Value (*)(const EventObject&);
using FieldText = std::string (*)(Machine&, const EventObject&);

struct EventField {
    const char* name;
    Field read;
};

void defineFields(Machine& m, ClassObject* cls, std::initializer_list<EventField> fields) {
    for (const EventField& field : fields)
        m.defineAccessor(cls, field.name, [read = field.read](Machine& m, const Value& self, std::span<const Value>) {
            return read(nativeSelf<EventObject>(m, self));
        });
}

// toString prints the event's own fields, in the player's order, after the type and phase.
void defineToString(Machine& m, ClassObject* cls, FieldText fields) {
    defineNativeMethod(m, cls, "toString", [fields](Machine& m, const Value& self, std::span<const Value>) {
        EventObject& e = nativeSelf<EventObject>(m, self);
        return Value::string(eventText(e, fields(m, e)));
    });
}

std::string relatedText(Machine& m, const EventObject& e) {
    return e.relatedObject ? m.toString(Value::object(e.relatedObject)) : "null";
}

const EventField kRelatedField{"relatedObject", [](const EventObject& e) {
                              return e.relatedObject ? Value::object(e.relatedObject) : Value::null();
                          }};
const EventField kShiftField{"shiftKey", [](const EventObject& e) { return Value::boolean(e.shiftKey); }};
const EventField kCtrlField{"ctrlKey", [](const EventObject& e) { return Value::boolean(e.ctrlKey); }};
const EventField kAltField{"altKey", [](const EventObject& e) { return Value::boolean(e.altKey); }};
const EventField kKeyCodeField{"keyCode", [](const EventObject& e) { return Value::number(e.keyCode); }};

// An event subclass's constructor: the type, bubbling by default, then the fields in order.
void initializeEvent(Machine& m, EventObject& e, std::span<const Value> args) {
    e.type = m.toString(argAt(args, 0));
    e.bubbles = args.size() < 2 || Machine::toBoolean(args[1]);
    e.cancelable = Machine::toBoolean(argAt(args, 2));
}

void installMouseEventClass(Machine& m, ClassObject* mouse) {
    // MouseEvent(type, bubbles = true, cancelable = false, localX, localY, relatedObject,
    //            ctrlKey, altKey, shiftKey, buttonDown, delta)
    mouse->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        EventObject& e = nativeSelf<EventObject>(m, self);
        initializeEvent(m, e, args);
        e.localX = args.size() > 3 ? m.toNumber(args[3]) : 0;
        e.localY = args.size() > 4 ? m.toNumber(args[4]) : 0;
        e.relatedObject = argAt(args, 5).asObject();
        e.ctrlKey = Machine::toBoolean(argAt(args, 6));
        e.altKey = Machine::toBoolean(argAt(args, 7));
        e.shiftKey = Machine::toBoolean(argAt(args, 8));
        e.buttonDown = Machine::toBoolean(argAt(args, 9));
        e.delta = static_cast<int>(m.toInt(argAt(args, 10)));
        return Value();
    };
    defineFields(m, mouse, {{"localX", [](const EventObject& e) { return Value::number(e.localX); }},
                            {"localY", [](const EventObject& e) { return Value::number(e.localY); }},
                            {"stageX", [](const EventObject& e) { return Value::number(e.stageX); }},
                            {"stageY", [](const EventObject& e) { return Value::number(e.stageY); }},
                            kRelatedField,
                            {"buttonDown", [](const EventObject& e) { return Value::boolean(e.buttonDown); }},
                            kCtrlField,
                            kAltField,
                            kShiftField,
                            {"delta", [](const EventObject& e) { return Value::number(e.delta); }}});
    defineToString(m, mouse, [](Machine& m, const EventObject& e) {
        return " relatedObject=" + relatedText(m, e) + " ctrlKey=" + boolText(e.ctrlKey) + " altKey=" + boolText(e.altKey) +
               " shiftKey=" + boolText(e.shiftKey) + " buttonDown=" + boolText(e.buttonDown) +
               " delta=" + std::to_string(e.delta);
    });
}

void installKeyboardEventClass(Machine& m, ClassObject* keyboard) {
    // KeyboardEvent(type, bubbles = true, cancelable = false, charCode, keyCode, keyLocation,
    //               ctrlKey, altKey, shiftKey)
    keyboard->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        EventObject& e = nativeSelf<EventObject>(m, self);
        initializeEvent(m, e, args);
        e.charCode = m.toUint(argAt(args, 3));
        e.keyCode = m.toUint(argAt(args, 4));
        e.keyLocation = m.toUint(argAt(args, 5));
        e.ctrlKey = Machine::toBoolean(argAt(args, 6));
        e.altKey = Machine::toBoolean(argAt(args, 7));
        e.shiftKey = Machine::toBoolean(argAt(args, 8));
        return Value();
    };
    defineFields(m, keyboard, {{"charCode", [](const EventObject& e) { return Value::number(e.charCode); }},
                               kKeyCodeField,
                               {"keyLocation", [](const EventObject& e) { return Value::number(e.keyLocation); }},
                               kCtrlField,
                               kAltField,
                               kShiftField});
    defineToString(m, keyboard, [](Machine&, const EventObject& e) {
        return " charCode=" + std::to_string(e.charCode) + " keyCode=" + std::to_string(e.keyCode) +
               " keyLocation=" + std::to_string(e.keyLocation) + " ctrlKey=" + boolText(e.ctrlKey) +
               " altKey=" + boolText(e.altKey) + " shiftKey=" + boolText(e.shiftKey);
    });
}

void installFocusEventClass(Machine& m, ClassObject* focus) {
    // FocusEvent(type, bubbles = true, cancelable = false, relatedObject, shiftKey, keyCode)
    focus->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        EventObject& e = nativeSelf<EventObject>(m, self);
        initializeEvent(m, e, args);
        e.relatedObject = argAt(args, 3).asObject();
        e.shiftKey = Machine::toBoolean(argAt(args, 4));
        e.keyCode = m.toUint(argAt(args, 5));
        return Value();
    };
    defineFields(m, focus, {kRelatedField, kShiftField, kKeyCodeField});
    defineToString(m, focus, [](Machine& m, const EventObject& e) {
        return " relatedObject=" + relatedText(m, e) + " shiftKey=" + boolText(e.shiftKey) +
               " keyCode=" + std::to_string(e.keyCode);
    });
}

// flash.ui.Keyboard: the key codes by name, and the lock keys' state.
void installKeyboardClass(Machine& m) {
    ClassObject* keys = m.defineClass("flash.ui", "Keyboard", m.builtins().object);
    auto define = [keys](const std::string& name, int code) {
        keys->setOwn(name, Value::number(code));
        keys->setEnumerable(name, false);
    };
    for (char letter = 'A'; letter <= 'Z'; ++letter) define(std::string(1, letter), letter);
    for (int digit = 0; digit <= 9; ++digit) {
        define("NUMBER_" + std::to_string(digit), '0' + digit);
        define("NUMPAD_" + std::to_string(digit), 96 + digit);
    }
    for (int f = 1; f <= 15; ++f) define("F" + std::to_string(f), 111 + f);
    static constexpr std::pair<const char*, int> kNamed[] = {
        {"BACKSPACE", 8},      {"TAB", 9},           {"ENTER", 13},          {"COMMAND", 15},
        {"SHIFT", 16},         {"CONTROL", 17},      {"ALTERNATE", 18},      {"CAPS_LOCK", 20},
        {"ESCAPE", 27},        {"SPACE", 32},        {"PAGE_UP", 33},        {"PAGE_DOWN", 34},
        {"END", 35},           {"HOME", 36},         {"LEFT", 37},           {"UP", 38},
        {"RIGHT", 39},         {"DOWN", 40},         {"INSERT", 45},         {"DELETE", 46},
        {"NUMPAD_MULTIPLY", 106}, {"NUMPAD_ADD", 107}, {"NUMPAD_ENTER", 108}, {"NUMPAD_SUBTRACT", 109},
        {"NUMPAD_DECIMAL", 110}, {"NUMPAD_DIVIDE", 111}, {"SEMICOLON", 186},  {"EQUAL", 187},
        {"COMMA", 188},        {"MINUS", 189},       {"PERIOD", 190},        {"SLASH", 191},
        {"BACKQUOTE", 192},    {"LEFTBRACKET", 219}, {"BACKSLASH", 220},     {"RIGHTBRACKET", 221},
        {"QUOTE", 222},
    };
    for (const auto& [name, code] : kNamed) define(name, code);
    for (auto [name, code] : {std::pair{"capsLock", 20}, {"numLock", 144}}) {
        Binding lock;
        lock.kind = Binding::Kind::Accessor;
        lock.getter = m.newNative([key = code](Machine& m, const Value&, std::span<const Value>) {
            return Value::boolean(bridgeOf(m).context().input().isToggled(key));
        });
        keys->classTraits->bind(m.namespaces().publicNs(), name, lock);
    }
    keys->sealed = true;
}

}  // namespace

void installInputEventClasses(Machine& m, ClassObject* event) {
    ClassObject* mouse = m.defineClass("flash.events", "MouseEvent", event);
    defineConstants(m, mouse, {{"CLICK", "click"}, {"MOUSE_DOWN", "mouseDown"}, {"MOUSE_UP", "mouseUp"},
                               {"MOUSE_OVER", "mouseOver"}, {"MOUSE_OUT", "mouseOut"}, {"MOUSE_MOVE", "mouseMove"},
                               {"ROLL_OVER", "rollOver"}, {"ROLL_OUT", "rollOut"}, {"DOUBLE_CLICK", "doubleClick"},
                               {"MOUSE_WHEEL", "mouseWheel"}});
    installMouseEventClass(m, mouse);
    ClassObject* keyboard = m.defineClass("flash.events", "KeyboardEvent", event);
    defineConstants(m, keyboard, {{"KEY_DOWN", "keyDown"}, {"KEY_UP", "keyUp"}});
    installKeyboardEventClass(m, keyboard);
    ClassObject* focus = m.defineClass("flash.events", "FocusEvent", event);
    defineConstants(m, focus, {{"FOCUS_IN", "focusIn"}, {"FOCUS_OUT", "focusOut"},
                               {"KEY_FOCUS_CHANGE", "keyFocusChange"}, {"MOUSE_FOCUS_CHANGE", "mouseFocusChange"}});
    installFocusEventClass(m, focus);
    for (ClassObject* sealed : {mouse, keyboard, focus}) sealed->sealed = true;
    installKeyboardClass(m);
}

}  // namespace swf::avm2
