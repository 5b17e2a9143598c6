// flash.events and flash.display as scripts see them: the classes a document class and its
// timeline symbols derive from, with the timeline control a script calls.
#include "swf/avm2/Builtins.h"
#include "swf/avm2/Machine.h"

namespace swf::avm2 {

void installDisplayClasses(Machine& m) {
    ClassObject* dispatcher = m.defineClass("flash.events", "EventDispatcher", m.builtins().object);
    for (const char* name : {"addEventListener", "removeEventListener", "hasEventListener", "willTrigger"})
        m.defineMethod(dispatcher->prototype, name, [](Machine&, const Value&, std::span<const Value>) {
            return Value::boolean(false);
        });
    m.defineMethod(dispatcher->prototype, "dispatchEvent", [](Machine&, const Value&, std::span<const Value>) {
        return Value::boolean(true);
    });
    ClassObject* displayObject = m.defineClass("flash.display", "DisplayObject", dispatcher);
    ClassObject* interactive = m.defineClass("flash.display", "InteractiveObject", displayObject);
    ClassObject* container = m.defineClass("flash.display", "DisplayObjectContainer", interactive);
    ClassObject* sprite = m.defineClass("flash.display", "Sprite", container);
    m.defineClass("flash.display", "MovieClip", sprite);
    m.defineClass("flash.display", "Shape", displayObject);
    m.defineClass("flash.events", "Event", m.builtins().object);
}

}  // namespace swf::avm2
