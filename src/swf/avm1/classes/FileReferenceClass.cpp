// flash.net.FileReference and FileReferenceList: a conversion has nobody to pick a file in a
// dialog, so browse() and download() are answered as the player answers them and then the
// dialog is fileCancelled (onCancel to the listeners, on a later frame). Nothing is selected, so
// upload() has nothing to send.

#include <string>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerEvents.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {
namespace {


// A member the filter itself holds, read through its getter; a getter that throws makes the
// filter unusable. Its text comes from toString, whose errors reach the script.
bool filterText(Machine& m, Object* filter, std::string_view name, bool required, bool& usable) {
    if (!filter->findOwn(name)) {
        if (required) usable = false;
        return !required;
    }
    Value v;
    try {
        v = m.get(Value(filter), name);
    } catch (const ScriptThrow&) {
        usable = false;
        return false;
    }
    std::string text = m.toString(v);
    if (required && text.empty()) usable = false;
    return true;
}

// browse()'s type list: none at all, or a non-empty array of filters that each have a
// description and an extension.
bool validTypeList(Machine& m, std::span<const Value> args) {
    if (args.empty()) return true;
    auto* list = dynamic_cast<ArrayObject*>(args[0].asObject());
    if (!list || list->length() == 0) return false;
    bool usable = true;
    for (uint32_t i = 0; i < list->length() && usable; ++i) {
        m.chargeAction();
        Object* filter = list->at(i).asObject();
        if (!filter) return false;
        if (!filterText(m, filter, "description", true, usable) ||
            !filterText(m, filter, "extension", true, usable))
            return false;
        filterText(m, filter, "macType", false, usable);
    }
    return usable;
}

// The dialog closes on a later frame: onCancel to the listeners of (reference).
Value fileCancelled(Machine& m, Object*, std::span<const Value> args) {
    if (Object* target = arg(args, 0).asObject())
        player::broadcast(m, target, "onCancel", {Value(target)});
    return Value();
}

Value referenceConstruct(Machine& m, Object* self, std::span<const Value>) {
    if (m.constructing() && self) player::makeBroadcaster(m, self, kDontEnum);
    return Value();
}

Value fileBrowse(Machine& m, Object* self, std::span<const Value> args) {
    if (!self || !validTypeList(m, args)) return Value(false);
    player::later(m, fileCancelled, 0, {Value(self)});
    return Value(true);
}

Value fileDownload(Machine& m, Object* self, std::span<const Value> args) {
    if (!self || args.empty() || m.toString(args[0]).empty()) return Value(false);
    player::later(m, fileCancelled, 0, {Value(self)});
    return Value(true);
}

constexpr NativeMember kReferenceMethods[] = {
    native::method("browse", fileBrowse),
    native::method("download", fileDownload),
    native::method("upload", native::no),
    native::method("cancel", native::nothing),
};

constexpr NativeMember kListMethods[] = {
    native::method("browse", fileBrowse),
};

}  // namespace

void installFileReferenceClasses(Machine& m) {
    if (m.swfVersion() < 6) return;  // no flash package before version 6
    Object* net = flashPackage(m, "net");
    installClass(m, net, m.newObject(),
                 {"FileReference", referenceConstruct, nullptr, {}, {}, kReferenceMethods});
    installClass(m, net, m.newObject(),
                 {"FileReferenceList", referenceConstruct, nullptr, {}, {}, kListMethods});
}

}  // namespace swf::avm1
