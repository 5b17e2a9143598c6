// flash.events: EventDispatcher with its three phases, Event and the subclasses the engine
// dispatches, and flash.utils.Timer.
#include <algorithm>
#include <cmath>

#include "swf/avm2/NativeSupport.h"

namespace swf::avm2 {

namespace {

// Two listener functions are the same when they are one object or the same method bound to
// the same object (each read of a method makes a new closure).
bool sameFunction(const Value& a, const Value& b) {
    if (a.asObject() == b.asObject()) return true;
    FunctionObject* f = a.asObject() ? a.asObject()->asFunction() : nullptr;
    FunctionObject* g = b.asObject() ? b.asObject()->asFunction() : nullptr;
    return f && g && f->bound && g->bound && f->abc && f->abc == g->abc && f->method == g->method &&
           f->boundThis.asObject() == g->boundThis.asObject();
}

std::string eventPhaseText(int phase) {
    return std::to_string(phase);
}

void installEventClass(Machine& m, ClassObject* event) {
    event->allocate = [](Machine& m, ClassObject* cls) -> Object* { return m.heap().make<EventObject>(cls, cls->prototype); };
    event->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        EventObject& e = nativeSelf<EventObject>(m, self);
        e.type = m.toString(argAt(args, 0));
        e.bubbles = Machine::toBoolean(argAt(args, 1));
        e.cancelable = Machine::toBoolean(argAt(args, 2));
        return Value();
    };
    m.defineAccessor(event, "type", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(nativeSelf<EventObject>(m, self).type);
    });
    m.defineAccessor(event, "bubbles", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(nativeSelf<EventObject>(m, self).bubbles);
    });
    m.defineAccessor(event, "cancelable", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(nativeSelf<EventObject>(m, self).cancelable);
    });
    m.defineAccessor(event, "eventPhase", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(nativeSelf<EventObject>(m, self).phase);
    });
    m.defineAccessor(event, "target", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::object(nativeSelf<EventObject>(m, self).target);
    });
    m.defineAccessor(event, "currentTarget", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::object(nativeSelf<EventObject>(m, self).currentTarget);
    });
    ClassObject* p = event;
    defineNativeMethod(m, p, "stopPropagation", [](Machine& m, const Value& self, std::span<const Value>) {
        nativeSelf<EventObject>(m, self).stopped = true;
        return Value();
    });
    defineNativeMethod(m, p, "stopImmediatePropagation", [](Machine& m, const Value& self, std::span<const Value>) {
        EventObject& e = nativeSelf<EventObject>(m, self);
        e.stopped = e.stoppedNow = true;
        return Value();
    });
    defineNativeMethod(m, p, "preventDefault", [](Machine& m, const Value& self, std::span<const Value>) {
        EventObject& e = nativeSelf<EventObject>(m, self);
        if (e.cancelable) e.defaultPrevented = true;
        return Value();
    });
    defineNativeMethod(m, p, "isDefaultPrevented", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(nativeSelf<EventObject>(m, self).defaultPrevented);
    });
    defineNativeMethod(m, p, "clone", [](Machine& m, const Value& self, std::span<const Value>) {
        EventObject& e = nativeSelf<EventObject>(m, self);
        auto* copy = m.heap().make<EventObject>(e.classObject(), e.proto());
        copy->setTraits(e.traits());
        copy->setDynamic(e.isDynamic());
        copy->type = e.type;
        copy->bubbles = e.bubbles;
        copy->cancelable = e.cancelable;
        copy->localX = e.localX;
        copy->localY = e.localY;
        copy->stageX = e.stageX;
        copy->stageY = e.stageY;
        copy->relatedObject = e.relatedObject;
        copy->buttonDown = e.buttonDown;
        copy->ctrlKey = e.ctrlKey;
        copy->altKey = e.altKey;
        copy->shiftKey = e.shiftKey;
        copy->delta = e.delta;
        copy->keyCode = e.keyCode;
        copy->charCode = e.charCode;
        copy->keyLocation = e.keyLocation;
        return Value::object(copy);
    });
    defineNativeMethod(m, p, "toString", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(eventText(nativeSelf<EventObject>(m, self), ""));
    });
    // formatToString(className, ...names): the named properties as name=value, strings quoted.
    defineNativeMethod(m, p, "formatToString", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string text = "[" + m.toString(argAt(args, 0));
        for (size_t i = 1; i < args.size(); ++i) {
            std::string name = args[i].isNullish() ? "null" : m.toString(args[i]);
            Value value = m.getProperty(self, Name::qualified(m.namespaces().publicNs(), name));
            text += " " + name + "=" + (value.isString() ? "\"" + m.toString(value) + "\"" : m.toString(value));
        }
        return Value::string(text + "]");
    }, 1);
    defineConstants(m, event, {{"ENTER_FRAME", "enterFrame"}, {"EXIT_FRAME", "exitFrame"},
                               {"FRAME_CONSTRUCTED", "frameConstructed"}, {"ADDED", "added"},
                               {"ADDED_TO_STAGE", "addedToStage"}, {"REMOVED", "removed"},
                               {"REMOVED_FROM_STAGE", "removedFromStage"}, {"COMPLETE", "complete"},
                               {"INIT", "init"}, {"OPEN", "open"}, {"CHANGE", "change"},
                               {"RESIZE", "resize"}, {"ACTIVATE", "activate"}, {"DEACTIVATE", "deactivate"},
                               {"RENDER", "render"}, {"UNLOAD", "unload"}, {"SOUND_COMPLETE", "soundComplete"},
                               {"CANCEL", "cancel"}, {"SELECT", "select"}, {"CLOSE", "close"}});
}

void installDispatcherClass(Machine& m, ClassObject* dispatcher) {
    dispatcher->allocate = [](Machine& m, ClassObject* cls) -> Object* {
        return m.heap().make<DispatcherObject>(cls, cls->prototype);
    };
    ClassObject* p = dispatcher;
    defineNativeMethod(m, p, "addEventListener", [](Machine& m, const Value& self, std::span<const Value> args) {
        auto& d = nativeSelf<DispatcherObject>(m, self);
        Value function = argAt(args, 1);
        if (!function.asObject() || !function.asObject()->asFunction())
            m.throwError("TypeError", 2007, "Parameter listener must be non-null.");
        DispatcherObject::Listener l{m.toString(argAt(args, 0)), function, Machine::toBoolean(argAt(args, 2)),
                                     args.size() > 3 ? m.toInt(args[3]) : 0};
        for (const auto& existing : d.listeners)
            if (existing.type == l.type && existing.capture == l.capture && sameFunction(existing.function, function))
                return Value();
        auto at = std::find_if(d.listeners.begin(), d.listeners.end(),
                               [&](const DispatcherObject::Listener& e) { return e.priority < l.priority; });
        d.listeners.insert(at, l);
        if (StageBridge* bridge = m.stageBridge()) bridge->listenersChanged(d);
        return Value();
    }, 2);
    defineNativeMethod(m, p, "removeEventListener", [](Machine& m, const Value& self, std::span<const Value> args) {
        auto& d = nativeSelf<DispatcherObject>(m, self);
        std::string type = m.toString(argAt(args, 0));
        bool capture = Machine::toBoolean(argAt(args, 2));
        std::erase_if(d.listeners, [&](const DispatcherObject::Listener& l) {
            return l.type == type && l.capture == capture && sameFunction(l.function, argAt(args, 1));
        });
        if (StageBridge* bridge = m.stageBridge()) bridge->listenersChanged(d);
        return Value();
    }, 2);
    defineNativeMethod(m, p, "hasEventListener", [](Machine& m, const Value& self, std::span<const Value> args) {
        return Value::boolean(nativeSelf<DispatcherObject>(m, self).listensTo(m.toString(argAt(args, 0))));
    }, 1);
    defineNativeMethod(m, p, "willTrigger", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::string type = m.toString(argAt(args, 0));
        if (nativeSelf<DispatcherObject>(m, self).listensTo(type)) return Value::boolean(true);
        auto* handle = dynamic_cast<DisplayHandle*>(self.asObject());
        StageBridge* bridge = m.stageBridge();
        for (size_t guard = 0; handle && bridge && guard < 1024; ++guard) {
            handle = dynamic_cast<DisplayHandle*>(bridge->parentOf(*handle).asObject());
            if (handle && handle->listensTo(type)) return Value::boolean(true);
        }
        return Value::boolean(false);
    }, 1);
    defineNativeMethod(m, p, "dispatchEvent", [](Machine& m, const Value& self, std::span<const Value> args) {
        Value event = argAt(args, 0);
        auto* e = dynamic_cast<EventObject*>(event.asObject());
        if (!e) m.throwError("TypeError", 2007, "Parameter event must be non-null.");
        // An event dispatched once already goes out again as its clone.
        if (e->target) {
            Value copy = m.callProperty(event, Name::qualified(m.namespaces().publicNs(), "clone"), {});
            if (auto* c = dynamic_cast<EventObject*>(copy.asObject())) e = c;
        }
        return Value::boolean(bridgeOf(m).dispatch(self.asObject(), e));
    }, 1);
}

// setTimeout and setInterval call a function after a delay (once, or every time) with the
// arguments after the delay; clearTimeout and clearInterval stop it.
void installTimerFunctions(Machine& m, ClassObject* timer) {
    for (bool repeats : {false, true})
        m.defineGlobal("flash.utils", repeats ? "setInterval" : "setTimeout",
                       Value::object(m.newNative([timer, repeats](Machine& m, const Value&, std::span<const Value> args) {
                           Value callback = argAt(args, 0);
                           if (!callback.isObject() || !callback.asObject()->asFunction())
                               m.throwError("TypeError", 1034, "Type Coercion failed: cannot convert " + m.describeForError(callback) + " to Function.");
                           auto* t = m.heap().make<TimerObject>(timer, timer->prototype);
                           t->callback = callback;
                           t->delay = m.toNumber(argAt(args, 1));
                           if (!(t->delay >= 0)) t->delay = 0;
                           t->repeatCount = repeats ? 0 : 1;
                           if (args.size() > 2) t->arguments.assign(args.begin() + 2, args.end());
                           return Value::number(bridgeOf(m).startCallback(*t));
                       }, 2)));
    for (const char* name : {"clearTimeout", "clearInterval"})
        m.defineGlobal("flash.utils", name, Value::object(m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
            bridgeOf(m).stopCallback(m.toUint(argAt(args, 0)));
            return Value();
        }, 1)));
}

void installTimerClass(Machine& m, ClassObject* timer) {
    timer->allocate = [](Machine& m, ClassObject* cls) -> Object* { return m.heap().make<TimerObject>(cls, cls->prototype); };
    timer->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        TimerObject& t = nativeSelf<TimerObject>(m, self);
        t.delay = m.toNumber(argAt(args, 0));
        t.repeatCount = args.size() > 1 ? m.toInt(args[1]) : 0;
        if (!(t.delay >= 0) || std::isinf(t.delay))
            m.throwError("RangeError", 2066, "The Timer delay specified is out of range.");
        return Value();
    };
    m.defineAccessor(timer, "running", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(nativeSelf<TimerObject>(m, self).running);
    });
    m.defineAccessor(timer, "currentCount", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(nativeSelf<TimerObject>(m, self).currentCount);
    });
    m.defineAccessor(timer, "delay", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(nativeSelf<TimerObject>(m, self).delay);
    }, [](Machine& m, const Value& self, std::span<const Value> args) {
        nativeSelf<TimerObject>(m, self).delay = m.toNumber(argAt(args, 0));
        return Value();
    });
    m.defineAccessor(timer, "repeatCount", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(nativeSelf<TimerObject>(m, self).repeatCount);
    }, [](Machine& m, const Value& self, std::span<const Value> args) {
        nativeSelf<TimerObject>(m, self).repeatCount = m.toInt(argAt(args, 0));
        return Value();
    });
    ClassObject* p = timer;
    defineNativeMethod(m, p, "start", [](Machine& m, const Value& self, std::span<const Value>) {
        bridgeOf(m).startTimer(nativeSelf<TimerObject>(m, self));
        return Value();
    });
    defineNativeMethod(m, p, "stop", [](Machine& m, const Value& self, std::span<const Value>) {
        nativeSelf<TimerObject>(m, self).running = false;
        return Value();
    });
    defineNativeMethod(m, p, "reset", [](Machine& m, const Value& self, std::span<const Value>) {
        TimerObject& t = nativeSelf<TimerObject>(m, self);
        t.running = false;
        t.currentCount = 0;
        return Value();
    });
}

}  // namespace

std::string eventText(const EventObject& e, const std::string& fields) {
    std::string cls = e.classObject() ? e.classObject()->localName : "Event";
    return "[" + cls + " type=\"" + e.type + "\" bubbles=" + (e.bubbles ? "true" : "false") +
           " cancelable=" + (e.cancelable ? "true" : "false") + " eventPhase=" + eventPhaseText(e.phase) + fields + "]";
}

void installEventClasses(Machine& m) {
    ClassObject* dispatcher = m.defineClass("flash.events", "EventDispatcher", m.builtins().object);
    installDispatcherClass(m, dispatcher);
    ClassObject* event = m.defineClass("flash.events", "Event", m.builtins().object);
    installEventClass(m, event);
    ClassObject* timerEvent = m.defineClass("flash.events", "TimerEvent", event);
    defineConstants(m, timerEvent, {{"TIMER", "timer"}, {"TIMER_COMPLETE", "timerComplete"}});
    ClassObject* progress = m.defineClass("flash.events", "ProgressEvent", event);
    defineConstants(m, progress, {{"PROGRESS", "progress"}});
    installInputEventClasses(m, event);
    ClassObject* timer = m.defineClass("flash.utils", "Timer", dispatcher);
    installTimerClass(m, timer);
    installTimerFunctions(m, timer);
    for (ClassObject* sealed : {dispatcher, event, timerEvent, progress, timer}) sealed->sealed = true;
    ClassObject* phase = m.defineClass("flash.events", "EventPhase", m.builtins().object);
    for (auto [name, value] : {std::pair{"CAPTURING_PHASE", 1}, {"AT_TARGET", 2}, {"BUBBLING_PHASE", 3}}) {
        phase->setOwn(name, Value::number(value));
        phase->setEnumerable(name, false);
    }
}

}  // namespace swf::avm2
