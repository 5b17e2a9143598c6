#pragma once
// Small emitters for ABC test scripts: each pushes one value (a string, a number, a call, a
// property read) so that cases can be written as expressions and checked by their traces.

#include <functional>
#include <string>
#include <vector>

#include "ScriptRun.h"

namespace avm2test {

using Emit = std::function<void(AbcBuilder&, AbcCode&)>;

inline Emit Str(std::string s) {
    return [s](AbcBuilder& abc, AbcCode& code) { code.op(OP_pushstring, abc.string(s)); };
}
inline Emit Num(double v) {
    return [v](AbcBuilder& abc, AbcCode& code) { code.op(OP_pushdouble, abc.doubleConstant(v)); };
}
// new Cls(args...)
inline Emit New(std::string cls, std::vector<Emit> args) {
    return [cls, args](AbcBuilder& abc, AbcCode& code) {
        code.op(OP_findpropstrict, abc.publicName(cls));
        for (const Emit& a : args) a(abc, code);
        code.op(OP_constructprop, abc.publicName(cls), static_cast<uint32_t>(args.size()));
    };
}
// target.method(args...)
inline Emit Call(Emit target, std::string method, std::vector<Emit> args) {
    return [target, method, args](AbcBuilder& abc, AbcCode& code) {
        target(abc, code);
        for (const Emit& a : args) a(abc, code);
        code.op(OP_callproperty, abc.publicName(method), static_cast<uint32_t>(args.size()));
    };
}
inline Emit Global(std::string name) {
    return [name](AbcBuilder& abc, AbcCode& code) { code.op(OP_getlex, abc.publicName(name)); };
}
// Cls.method(args...)
inline Emit Static(std::string cls, std::string method, std::vector<Emit> args) {
    return Call(Global(cls), method, args);
}
inline Emit Get(Emit target, std::string name) {
    return [target, name](AbcBuilder& abc, AbcCode& code) {
        target(abc, code);
        code.op(OP_getproperty, abc.publicName(name));
    };
}
// The value left by `first` after `then` ran on a copy of it (then's result dropped).
inline Emit After(Emit first, std::function<void(AbcBuilder&, AbcCode&)> then) {
    return [first, then](AbcBuilder& abc, AbcCode& code) {
        first(abc, code);
        code.op(OP_dup);
        then(abc, code);
    };
}

struct Case {
    const char* name;
    Emit value;
    const char* trace;
};

inline std::string TraceOf(const Emit& value) {
    return Joined(RunScriptBody([&](AbcBuilder& abc, AbcCode& code) { EmitTrace(abc, code, [&] { value(abc, code); }); },
                                {.maxStack = 12}));
}

}  // namespace avm2test
