// ContextMenuItem: one entry of a ContextMenu's customItems.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {
namespace {

// caption, onSelect, then the three flags with their defaults when not given.
void fillItem(Machine& m, Object* item, std::span<const Value> args) {
    item->setOwn("caption", arg(args, 0));
    item->setOwn("onSelect", arg(args, 1));
    const char* flags[] = {"separatorBefore", "enabled", "visible"};
    const bool defaults[] = {false, true, true};
    for (size_t i = 0; i < 3; ++i)
        item->setOwn(flags[i],
                     args.size() > i + 2 ? Value(m.toBoolean(args[i + 2])) : Value(defaults[i]));
}

}  // namespace

void installContextMenuItemClass(Machine& m) {
    Object* proto = m.newObject();
    Rooted<Function> ctor(m.heap(),
                          m.defineClass(m.global(), "ContextMenuItem", proto,
                                        [](Machine& m, Object* self, std::span<const Value> args) {
                                            if (m.constructing() && self) fillItem(m, self, args);
                                            return Value();
                                        }));
    m.defineMethod(proto, "copy", [ctor](Machine& m, Object* self, std::span<const Value>) {
        Value me(self);
        const Value args[] = {m.get(me, "caption"), m.get(me, "onSelect"),
                              m.get(me, "separatorBefore"), m.get(me, "enabled"),
                              m.get(me, "visible")};
        return m.construct(Value(ctor), args);
    });
}

}  // namespace swf::avm1
