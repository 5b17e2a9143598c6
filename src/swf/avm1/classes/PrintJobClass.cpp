// PrintJob: there is no printer, so a job never starts (start() is false, as when the user
// cancels the print dialog) and the page sizes stay 0.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {
namespace {

Value noSize(Machine&, Object*, std::span<const Value>) {
    return Value(0);
}

using native::accessor;
using native::method;

// Read-only sizes: an assignment goes to the getter's missing setter and is dropped.
constexpr NativeMember kPrintJobMethods[] = {
    method("start", native::no, kDontEnum).since(7),
    method("addPage", native::no, kDontEnum).since(7),
    method("send", native::nothing, kDontEnum).since(7),
    accessor("paperHeight", noSize, nullptr, 0),
    accessor("paperWidth", noSize, nullptr, 0),
    accessor("pageHeight", noSize, nullptr, 0),
    accessor("pageWidth", noSize, nullptr, 0),
    accessor("orientation", noSize, nullptr, 0),
};

}  // namespace

void installPrintJobClass(Machine& m) {
    // Movies before version 7 get the class without its methods, and a prototype that
    // inherits nothing.
    Object* proto = m.swfVersion() < 7 ? m.heap().make<Object>(nullptr) : m.newObject();
    installClass(m, m.global(), proto,
                 {"PrintJob", native::nothing, nullptr, {}, {}, kPrintJobMethods});
}

}  // namespace swf::avm1
