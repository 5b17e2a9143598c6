#include "ScriptEmit.h"

namespace avm2test {

uint32_t ClassName(AbcBuilder& abc, const std::string& cls) {
    size_t colon = cls.rfind("::");
    if (colon == std::string::npos) return abc.publicName(cls);
    return abc.qname(abc.ns(0x16, cls.substr(0, colon)), cls.substr(colon + 2));
}

Emit Str(std::string s) {
    return [s](AbcBuilder& abc, AbcCode& code) { code.op(OP_pushstring, abc.string(s)); };
}
Emit Num(double v) {
    return [v](AbcBuilder& abc, AbcCode& code) { code.op(OP_pushdouble, abc.doubleConstant(v)); };
}
Emit New(std::string cls, std::vector<Emit> args) {
    return [cls, args](AbcBuilder& abc, AbcCode& code) {
        code.op(OP_findpropstrict, ClassName(abc, cls));
        for (const Emit& a : args) a(abc, code);
        code.op(OP_constructprop, ClassName(abc, cls), static_cast<uint32_t>(args.size()));
    };
}
Emit Call(Emit target, std::string method, std::vector<Emit> args) {
    return [target, method, args](AbcBuilder& abc, AbcCode& code) {
        target(abc, code);
        for (const Emit& a : args) a(abc, code);
        code.op(OP_callproperty, abc.publicName(method), static_cast<uint32_t>(args.size()));
    };
}
Emit Global(std::string name) {
    return [name](AbcBuilder& abc, AbcCode& code) { code.op(OP_getlex, ClassName(abc, name)); };
}
Emit Static(std::string cls, std::string method, std::vector<Emit> args) {
    return Call(Global(cls), method, args);
}
Emit Get(Emit target, std::string name) {
    return [target, name](AbcBuilder& abc, AbcCode& code) {
        target(abc, code);
        code.op(OP_getproperty, abc.publicName(name));
    };
}
Emit Index(Emit target, Emit key) {
    return [target, key](AbcBuilder& abc, AbcCode& code) {
        target(abc, code);
        key(abc, code);
        code.op(OP_getproperty, abc.multinameL(abc.nsSet({abc.ns(0x16, "")})));
    };
}
Emit After(Emit first, std::function<void(AbcBuilder&, AbcCode&)> then) {
    return [first, then](AbcBuilder& abc, AbcCode& code) {
        first(abc, code);
        code.op(OP_dup);
        then(abc, code);
    };
}
Emit VectorOf(std::string elementType) {
    return [elementType](AbcBuilder& abc, AbcCode& code) {
        code.op(OP_getlex, abc.qname(abc.ns(0x16, "__AS3__.vec"), "Vector"));
        if (elementType == "*") code.op(OP_pushnull);
        else code.op(OP_getlex, abc.publicName(elementType));
        code.op(OP_applytype, 1);
    };
}
Emit Construct(Emit cls, std::vector<Emit> args) {
    return [cls, args](AbcBuilder& abc, AbcCode& code) {
        cls(abc, code);
        for (const Emit& a : args) a(abc, code);
        code.op(OP_construct, static_cast<uint32_t>(args.size()));
    };
}
Emit Having(Emit value, std::string method, std::vector<Emit> args) {
    return After(value, [method, args](AbcBuilder& abc, AbcCode& code) {
        for (const Emit& a : args) a(abc, code);
        code.op(OP_callpropvoid, abc.publicName(method), static_cast<uint32_t>(args.size()));
    });
}
Emit Assigned(Emit value, std::string name, Emit item) {
    return After(value, [name, item](AbcBuilder& abc, AbcCode& code) {
        item(abc, code);
        code.op(OP_setproperty, abc.publicName(name));
    });
}
Emit Stored(Emit value, double index, Emit item) {
    return StoredAt(value, Num(index), item);
}
Emit StoredAt(Emit value, Emit key, Emit item) {
    return After(value, [key, item](AbcBuilder& abc, AbcCode& code) {
        key(abc, code);
        item(abc, code);
        code.op(OP_setproperty, abc.multinameL(abc.nsSet({abc.ns(0x16, "")})));
    });
}
Emit Local(uint32_t index) {
    return [index](AbcBuilder&, AbcCode& code) { code.op(OP_getlocal, index); };
}
Emit Kept(uint32_t index, Emit value) {
    return [index, value](AbcBuilder& abc, AbcCode& code) {
        value(abc, code);
        code.op(OP_dup).op(OP_setlocal, index);
    };
}

std::string TraceOf(const Emit& value) {
    return Joined(RunScriptBody([&](AbcBuilder& abc, AbcCode& code) { EmitTrace(abc, code, [&] { value(abc, code); }); },
                                {.maxStack = 12, .localCount = 8}));
}

std::string ThrownBy(const Emit& value) {
    AbcBuilder abc;
    AbcCode code;
    AbcCode::Label from = code.newLabel(), to = code.newLabel(), handler = code.newLabel(), end = code.newLabel();
    code.op(OP_getlocal0).op(OP_pushscope);
    code.bind(from);
    value(abc, code);
    code.op(OP_pop);
    code.bind(to);
    code.branch(OP_jump, end);
    code.bind(handler);
    code.op(OP_getlocal0).op(OP_pushscope).op(OP_setlocal1);
    EmitTrace(abc, code, [&] { code.op(OP_getlocal1); });
    code.bind(end);
    code.op(OP_returnvoid);
    abc.script(abc.methodWithBody(code, {.maxStack = 12, .localCount = 8}, {}, {{from, to, handler}}));
    return Joined(RunAbc(abc));
}

}  // namespace avm2test
