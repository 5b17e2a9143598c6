// ContextMenu: the menu a right click would open. Nobody right-clicks during a conversion, so
// onSelect is never called; the object keeps what scripts put in it.

#include <algorithm>
#include <string>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {
namespace {


// The player's own entries, in the order it makes them.
constexpr const char* kBuiltIn[] = {"print", "forward_back", "rewind", "loop",
                                    "play",  "quality",      "zoom",   "save"};

// The members of a new menu, in the player's order.
void fillMenu(Machine& m, Object* menu, const Value& onSelect) {
    menu->setOwn("onSelect", onSelect);
    Object* builtIn = m.newObject();
    for (const char* name : kBuiltIn) builtIn->setOwn(name, Value(true));
    menu->setOwn("builtInItems", Value(builtIn));
    menu->setOwn("customItems", Value(m.newArray()));
}

Value menuConstruct(Machine& m, Object* self, std::span<const Value> args) {
    if (!m.constructing() || !self) return Value();
    fillMenu(m, self, arg(args, 0));
    return Value();
}

struct MenuClass;  // the player's ContextMenu, which copies are made with

Value menuCopy(Machine& m, Object* self, std::span<const Value>) {
    Value me(self);
    Value copy = m.construct(Value(keptObject<MenuClass>(m.natives()).get()), {});
    if (!copy.isObject()) return copy;
    m.set(copy, "onSelect", m.get(me, "onSelect"));
    // The copy shares the built-in entries object; the custom items are copied one by one,
    // and what has no copy method leaves a hole.
    m.set(copy, "builtInItems", m.get(me, "builtInItems"));
    ArrayObject* custom = m.newArray();
    Value items = m.get(me, "customItems");
    double n = items.isObject() ? m.toNumber(m.get(items, "length")) : 0;
    uint32_t count =
        n > 0 ? static_cast<uint32_t>(std::min<double>(n, ArrayObject::kMaxLength)) : 0;
    for (uint32_t i = 0; i < count; ++i)
        custom->push(m.callMethod(m.get(items, std::to_string(i)), "copy", {}));
    m.set(copy, "customItems", Value(custom));
    return copy;
}

// A fresh set of entries, all off: the menu keeps only the Settings entry.
Value hideBuiltInItems(Machine& m, Object* self, std::span<const Value>) {
    Object* builtIn = m.newObject();
    for (const char* name : kBuiltIn) builtIn->setOwn(name, Value(false));
    m.set(Value(self), "builtInItems", Value(builtIn));
    return Value();
}

constexpr NativeMember kMenuMethods[] = {
    native::method("copy", menuCopy),
    native::method("hideBuiltInItems", hideBuiltInItems),
};

}  // namespace

void installContextMenuClass(Machine& m) {
    keptObject<MenuClass>(m.natives()) = installClass(
        m, m.global(), m.newObject(), {"ContextMenu", menuConstruct, nullptr, {}, {}, kMenuMethods});
}

}  // namespace swf::avm1
