// ASnative, ASconstructor, ASSetNative and ASSetNativeAccessor: the player numbers its built-in
// functions (table, index) and lets movies fetch them by number. The numbers are those the
// class tables declare, which the machine's registry holds, so ASnative hands out the same
// code a script reaches by name.

#include <cctype>
#include <string>
#include <utility>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {
namespace {

using Native = NativeRegistry::Entry;

const Native* findNative(Machine& m, const Value& table, const Value& index) {
    return m.natives().find(m.toInt32(table), m.toInt32(index));
}

// A new function each time, made as a script's would be.
Function* functionOf(Machine& m, const Native& n) {
    Function* function = m.newFunction(n.code, n.maker ? InstanceMaker(n.maker) : InstanceMaker());
    m.linkToFunctionClass(*function);
    function->hideProtoBefore6();
    return function;
}

// The version a name's leading digits ask for ("6name" is hidden before version 6), and the
// name without them. Only 6 to 10 are versions; a leading 1 not followed by 0 is dropped.
std::pair<uint16_t, std::string> versionedName(const std::string& piece) {
    if (piece.size() >= 2 && piece[0] == '1' && piece[1] == '0')
        return {kVersion10, piece.substr(2)};
    if (piece.empty()) return {0, piece};
    switch (piece[0]) {
        case '6':
            return {kVersion6, piece.substr(1)};
        case '7':
            return {kVersion7, piece.substr(1)};
        case '8':
            return {kVersion8, piece.substr(1)};
        case '9':
            return {kVersion9, piece.substr(1)};
        case '1':
            return {0, piece.substr(1)};
        default:
            return {0, piece};
    }
}

// Calls `each` with every comma-separated piece of `text`, in order.
template <class F>
void forEachPiece(const std::string& text, F each) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        each(text.substr(start, comma - start));
        start = comma + 1;
    }
}

// Sets a member made by ASSetNative: an existing one keeps its flags and place.
void setNativeMember(Object* target, const std::string& name, Property property) {
    if (Property* old = target->findOwn(name)) property.flags = old->flags;
    target->defineOwn(name, std::move(property));
}

// The older case conversions: ASCII letters only, of `this` as a string.
template <bool upper>
Value asciiCase(Machine& m, Object* self, std::span<const Value>) {
    std::string text = m.toString(Value(self));
    for (char& c : text)
        c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                    : std::tolower(static_cast<unsigned char>(c)));
    return Value(text);
}

// ASnative(2, 0): whether the function calling it runs by `new`.
Value calledByNew(Machine& m, Object*, std::span<const Value>) {
    return Value(m.runningConstructor());
}

// ASnative(table, index): exactly two arguments; a number the player lacks is undefined.
Value asNative(Machine& m, Object*, std::span<const Value> args) {
    if (args.size() != 2) return Value();
    const Native* n = findNative(m, args[0], args[1]);
    return n ? Value(functionOf(m, *n)) : Value();
}

// ASconstructor: the same, as a class with a prototype of its own.
Value asConstructor(Machine& m, Object*, std::span<const Value> args) {
    if (args.size() != 2) return Value();
    const Native* n = findNative(m, args[0], args[1]);
    if (!n) return Value();
    return Value(m.defineClass(nullptr, "", m.newObject(), n->code,
                               n->maker ? InstanceMaker(n->maker) : InstanceMaker()));
}

// ASSetNative(object, table, "a,b,6c", first) and ASSetNativeAccessor(...): members
// numbered from `first` on; every piece of the list takes a number (two for an accessor,
// getter and setter), empty ones too.
template <bool accessors>
Value asSetNative(Machine& m, Object*, std::span<const Value> args) {
    if (args.size() < 3) return Value();
    Object* target = m.liveObject(args[0].asObject());
    int t = m.toInt32(args[1]);
    std::string list = m.toString(args[2]);
    int64_t index = args.size() > 3 ? m.toInt32(args[3]) : 0;
    if (!target) return Value();
    auto numbered = [&](int64_t i) {
        return i == static_cast<int>(i) ? m.natives().find(t, static_cast<int>(i)) : nullptr;
    };
    forEachPiece(list, [&](const std::string& piece) {
        auto [flags, name] = versionedName(piece);
        const Native* n = name.empty() ? nullptr : numbered(index);
        const Native* set = accessors && !name.empty() ? numbered(index + 1) : nullptr;
        index += accessors ? 2 : 1;
        if (!n) return;
        Property p;
        p.flags = flags;
        if (accessors) {
            p.getter = m.newFunction(n->code);
            p.setter = set ? m.newFunction(set->code) : nullptr;
            p.accessorId = m.newAccessorId();
        } else {
            p.value = Value(functionOf(m, *n));
        }
        setNativeMember(target, name, std::move(p));
    });
    return Value();
}

constexpr NativeMember kNativeLookups[] = {
    native::method("ASnative", asNative),
    native::method("ASconstructor", asConstructor),
    native::method("ASSetNative", asSetNative<false>),
    native::method("ASSetNativeAccessor", asSetNative<true>),
};

}  // namespace

void installNativeTable(Machine& m) {
    m.natives().add({2, 0}, calledByNew);
    m.natives().add({102, 0}, asciiCase<true>);
    m.natives().add({102, 1}, asciiCase<false>);
    installMembers(m, m.global(), kNativeLookups);
}

}  // namespace swf::avm1

