// The global functions: number parsing, escaping, tests for NaN and finiteness, and the
// player's trace of a value.

#include <cmath>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/classes/UrlEscape.h"

namespace swf::avm1 {
namespace {

}  // namespace

void installGlobalFunctions(Machine& m) {
    Object* g = m.global();
    m.defineMethod(g, "parseInt", [](Machine& m, Object*, std::span<const Value> args) {
        if (args.empty()) return Value();
        // An explicit radix that converts to 0 (NaN, undefined) gives NaN, unlike none at all.
        int radix = 0;
        if (args.size() > 1) {
            radix = m.toInt32(args[1]);
            if (radix == 0) radix = -1;
        }
        return Value(parseIntText(m.toString(arg(args, 0)), radix));
    });
    m.defineMethod(g, "parseFloat", [](Machine& m, Object*, std::span<const Value> args) {
        if (args.empty()) return Value();
        return Value(parseFloatText(m.toString(arg(args, 0))));
    });
    m.defineMethod(g, "isNaN", [](Machine& m, Object*, std::span<const Value> args) {
        if (args.empty()) return Value(true);  // nothing to test is not a number, in any version
        return Value(std::isnan(m.toNumber(args[0])));
    });
    m.defineMethod(g, "isFinite", [](Machine& m, Object*, std::span<const Value> args) {
        if (args.empty()) return Value(false);  // nothing to test is not finite
        return Value(std::isfinite(m.toNumber(args[0])));
    });
    m.defineMethod(g, "escape", [](Machine& m, Object*, std::span<const Value> args) {
        return Value(urlEscape(m.toString(arg(args, 0))));
    });
    m.defineMethod(g, "unescape", [](Machine& m, Object*, std::span<const Value> args) {
        return Value(urlUnescape(m.toString(arg(args, 0))));
    });
    m.defineMethod(g, "trace", [](Machine& m, Object*, std::span<const Value> args) {
        Value v = arg(args, 0);
        m.trace(v.isUndefined() ? "undefined" : m.toString(v));
        return Value();
    });
    m.defineMethod(g, "updateAfterEvent", [](Machine&, Object*, std::span<const Value>) {
        return Value();
    });
    g->setOwn("NaN", Value(NAN), kDontEnum | kDontDelete);
    g->setOwn("Infinity", Value(INFINITY), kDontEnum | kDontDelete);
}

}  // namespace swf::avm1
