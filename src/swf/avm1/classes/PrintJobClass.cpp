// PrintJob: there is no printer, so a job never starts (start() is false, as when the user
// cancels the print dialog) and the page sizes stay 0.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"

namespace swf::avm1 {

void installPrintJobClass(Machine& m) {
    // Movies before version 7 get the class without its methods, and a prototype that
    // inherits nothing.
    Object* proto = m.swfVersion() < 7 ? m.heap().make<Object>(nullptr) : m.newObject();
    m.defineClass(m.global(), "PrintJob", proto,
                  [](Machine&, Object*, std::span<const Value>) { return Value(); });
    auto no = [](Machine&, Object*, std::span<const Value>) { return Value(false); };
    m.defineMethod(proto, "start", no, kDontEnum | kVersion7);
    m.defineMethod(proto, "addPage", no, kDontEnum | kVersion7);
    m.defineMethod(
        proto, "send", [](Machine&, Object*, std::span<const Value>) { return Value(); },
        kDontEnum | kVersion7);
    // Read-only: an assignment goes to the getter's missing setter and is dropped.
    for (const char* name : {"paperHeight", "paperWidth", "pageHeight", "pageWidth", "orientation"})
        m.defineAccessor(
            proto, name, [](Machine&, Object*, std::span<const Value>) { return Value(0); }, {}, 0);
}

}  // namespace swf::avm1
