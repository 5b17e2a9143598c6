// ContextMenuItem: one entry of a ContextMenu's customItems.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
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

Value itemConstruct(Machine& m, Object* self, std::span<const Value> args) {
    if (m.constructing() && self) fillItem(m, self, args);
    return Value();
}

struct ItemClass;  // the player's ContextMenuItem, which copies are made with

Value itemCopy(Machine& m, Object* self, std::span<const Value>) {
    Value me(self);
    const Value args[] = {m.get(me, "caption"), m.get(me, "onSelect"),
                          m.get(me, "separatorBefore"), m.get(me, "enabled"), m.get(me, "visible")};
    return m.construct(Value(keptObject<ItemClass>(m.natives()).get()), args);
}

constexpr NativeMember kItemMethods[] = {
    native::method("copy", itemCopy),
};

}  // namespace

void installContextMenuItemClass(Machine& m) {
    keptObject<ItemClass>(m.natives()) = installClass(
        m, m.global(), m.newObject(), {"ContextMenuItem", itemConstruct, nullptr, {}, {}, kItemMethods});
}

}  // namespace swf::avm1
