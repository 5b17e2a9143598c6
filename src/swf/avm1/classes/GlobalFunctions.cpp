// The global functions: number parsing, escaping, tests for NaN and finiteness, and the
// player's trace of a value.

#include <cmath>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/PrimitiveObject.h"
#include "swf/avm1/classes/UrlEscape.h"

namespace swf::avm1 {
namespace {

Value parseInt(Machine& m, Object*, std::span<const Value> args) {
    if (args.empty()) return Value();
    // An explicit radix that converts to 0 (NaN, undefined) gives NaN, unlike none at all.
    int radix = 0;
    if (args.size() > 1) {
        radix = m.toInt32(args[1]);
        if (radix == 0) radix = -1;
    }
    return Value(parseIntText(PrimitiveObject::ownTextOf(m, args[0]), radix));
}

Value parseFloat(Machine& m, Object*, std::span<const Value> args) {
    if (args.empty()) return Value();
    return Value(parseFloatText(PrimitiveObject::ownTextOf(m, args[0])));
}

Value isNaN(Machine& m, Object*, std::span<const Value> args) {
    if (args.empty()) return Value(true);  // nothing to test is not a number, in any version
    return Value(std::isnan(m.toNumber(args[0])));
}

Value isFinite(Machine& m, Object*, std::span<const Value> args) {
    if (args.empty()) return Value(false);  // nothing to test is not finite
    return Value(std::isfinite(m.toNumber(args[0])));
}

Value escape(Machine& m, Object*, std::span<const Value> args) {
    return Value(urlEscape(m.toString(arg(args, 0))));
}

Value unescape(Machine& m, Object*, std::span<const Value> args) {
    return Value(urlUnescape(m.toString(arg(args, 0))));
}

Value trace(Machine& m, Object*, std::span<const Value> args) {
    Value v = arg(args, 0);
    m.trace(v.isUndefined() ? "undefined" : m.toString(v));
    return Value();
}

Value updateAfterEvent(Machine&, Object*, std::span<const Value>) {
    return Value();
}

using native::constant;
using native::method;

constexpr NativeMember kGlobalFunctions[] = {
    method("parseInt", parseInt).numbered(100, 2),
    method("parseFloat", parseFloat).numbered(100, 3),
    method("isNaN", isNaN).numbered(200, 18),
    method("isFinite", isFinite).numbered(200, 19),
    method("escape", escape).numbered(100, 0),
    method("unescape", unescape).numbered(100, 1),
    method("trace", trace).numbered(100, 4),
    method("updateAfterEvent", updateAfterEvent),
    constant("NaN", NAN, kDontEnum | kDontDelete),
    constant("Infinity", INFINITY, kDontEnum | kDontDelete),
};

}  // namespace

void installGlobalFunctions(Machine& m) {
    installMembers(m, m.global(), kGlobalFunctions);
    // The player's own start-up script leaves its helper variable behind, cleared to null
    // rather than deleted: every movie reads `o` as null until it sets one of its own.
    m.global()->setOwn("o", Value(Null{}));
}

}  // namespace swf::avm1
