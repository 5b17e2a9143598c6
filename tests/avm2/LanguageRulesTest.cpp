// The object model as the player keeps it: what assignment, deletion, calls and construction
// of the built-in classes allow, sparse arrays, Vector's index and callback rules, and the
// domain memory instructions; run as small ABC scripts and checked by what they trace.

#include <gtest/gtest.h>

#include "ScriptEmit.h"

namespace {

using namespace avm2test;

// A name open to the public and the AS3 namespaces, as compiled code names properties.
uint32_t OpenName(AbcBuilder& abc, const std::string& name) {
    return abc.multiname(name, abc.nsSet({abc.ns(0x16, ""), abc.ns(0x08, "http://adobe.com/AS3/2006/builtin")}));
}

// name(args...) on the global scope, as a call of a class or function by name.
Emit CallGlobal(std::string name, std::vector<Emit> args) {
    return [name, args](AbcBuilder& abc, AbcCode& code) {
        code.op(OP_findpropstrict, abc.publicName(name));
        for (const Emit& a : args) a(abc, code);
        code.op(OP_callproperty, abc.publicName(name), static_cast<uint32_t>(args.size()));
    };
}

// value.name = item through the open name; the value stays.
Emit OpenAssigned(Emit value, std::string name, Emit item) {
    return After(value, [name, item](AbcBuilder& abc, AbcCode& code) {
        item(abc, code);
        code.op(OP_setproperty, OpenName(abc, name));
    });
}

// value.name(args...) through the open name.
Emit OpenCall(Emit value, std::string name, std::vector<Emit> args) {
    return [value, name, args](AbcBuilder& abc, AbcCode& code) {
        value(abc, code);
        for (const Emit& a : args) a(abc, code);
        code.op(OP_callproperty, OpenName(abc, name), static_cast<uint32_t>(args.size()));
    };
}

Emit Deleted(Emit value, std::string name) {
    return [value, name](AbcBuilder& abc, AbcCode& code) {
        value(abc, code);
        code.op(OP_deleteproperty, abc.publicName(name));
    };
}

// `first` run for its effect, then `second`'s value.
Emit Then(Emit first, Emit second) {
    return [first, second](AbcBuilder& abc, AbcCode& code) {
        first(abc, code);
        code.op(OP_pop);
        second(abc, code);
    };
}

Emit InstanceOf(Emit value, std::string cls) {
    return [value, cls](AbcBuilder& abc, AbcCode& code) {
        value(abc, code);
        code.op(OP_getlex, abc.publicName(cls)).op(OP_instanceof);
    };
}

// Object.prototype.toString called on `value`.
Emit ObjectText(Emit value) {
    return Call(Get(Get(Global("Object"), "prototype"), "toString"), "call", {value});
}

// Checks each case's trace (or the start of it, for error texts that go on).
void ExpectTraces(const std::vector<Case>& cases, bool thrown) {
    for (const Case& c : cases) {
        std::string got = thrown ? ThrownBy(c.value) : TraceOf(c.value);
        EXPECT_EQ(got.substr(0, std::string(c.trace).size()), c.trace) << c.name << ": " << got;
    }
}

TEST(Avm2LanguageRules, BuiltInClassesRefuseWhatThePlayerRefuses) {
    const std::vector<Case> cases = {
        {"an AS3 method of a primitive is no slot", OpenAssigned(Num(4), "toString", Str("x")), "ReferenceError: Error #1037"},
        {"a public name finds no method to assign", Assigned(Num(4), "toString", Str("x")), "ReferenceError: Error #1056"},
        {"a class's prototype is read-only", Assigned(Global("Boolean"), "prototype", Num(1)), "ReferenceError: Error #1074"},
        {"Math is not a function", CallGlobal("Math", {}), "TypeError: Error #1075"},
        {"nor a constructor", New("Math", {}), "TypeError: Error #1076"},
        {"no source is compiled", New("Function", {Str("return 1")}), "EvalError: Error #1066"},
        {"a primitive has nothing to delete", Deleted(Str(""), "length"), "ReferenceError: Error #1120"},
        {"a vector has no negative index", Index(Construct(VectorOf("int"), {Num(2)}), Num(-1)), "RangeError: Error #1125"},
        {"nor a fractional one", Index(Construct(VectorOf("int"), {Num(2)}), Num(1.5)), "RangeError: Error #1125"},
        {"a callback is required", Call(Construct(VectorOf("int"), {}), "filter", {}), "ArgumentError: Error #1063"},
        {"and must be a function", Call(Construct(VectorOf("int"), {}), "map", {Num(1)}), "TypeError: Error #1034"},
        {"Array's too", Call(New("Array", {}), "forEach", {Str("f")}), "TypeError: Error #1034"},
        {"vectors join only their own type",
         Call(Construct(VectorOf("int"), {}), "concat", {Construct(VectorOf("uint"), {})}), "TypeError: Error #1034"},
    };
    ExpectTraces(cases, true);
}

TEST(Avm2LanguageRules, ObjectModelFollowsThePlayer) {
    Emit stringPrototype = Get(Global("String"), "prototype");
    Emit farArray = Stored(New("Array", {}), 4294967294.0, Str("far"));
    const std::vector<Case> cases = {
        {"an error class called makes an error", CallGlobal("RangeError", {Str("out")}), "RangeError: out"},
        {"a class's prototype is not deleted", Deleted(Global("Boolean"), "prototype"), "false"},
        {"AS3 methods outlive a replaced prototype method",
         Then(OpenAssigned(stringPrototype, "toString", Get(Get(Global("Object"), "prototype"), "toString")),
              OpenCall(Str("abc"), "toString", {})),
         "abc"},
        {"new Object(v) is v", Call(New("Object", {Num(5)}), "toFixed", {Num(1)}), "5.0"},
        {"a primitive inherits its class's prototype", Call(stringPrototype, "isPrototypeOf", {Str("x")}), "true"},
        {"and is an instance of Object", InstanceOf(Str("x"), "Object"), "true"},
        {"a class prints as a class", ObjectText(Global("Math")), "[class Math]"},
        {"every number is a Number", ObjectText(Num(3)), "[object Number]"},
        {"Array.prototype is an array", ObjectText(Get(Global("Array"), "prototype")), "[object Array]"},
        {"of no length", Get(Get(Global("Array"), "prototype"), "length"), "0"},
        {"a function prints its kind", ObjectText(Get(Global("Function"), "prototype")), "[object Function-"},
        {"but prints itself for toLocaleString", Call(Get(Global("Function"), "prototype"), "toLocaleString", {}),
         "function Function() {}"},
        {"a far index makes the array sparse", Get(farArray, "length"), "4294967295"},
        {"and reads back", Index(farArray, Num(4294967294.0)), "far"},
        {"a shorter length drops far elements", Index(Assigned(farArray, "length", Num(2)), Num(4294967294.0)), "undefined"},
        {"a long length alone", Get(New("Array", {Num(4294967295.0)}), "length"), "4294967295"},
        {"vectors of objects join any other",
         Get(Call(Construct(VectorOf("Object"), {}), "concat", {Construct(VectorOf("String"), {Num(2)})}), "length"), "2"},
        {"a vector's element outlives delete",
         Then(Deleted(Kept(1, Stored(Construct(VectorOf("int"), {}), 0, Num(5))), "0"), Index(Local(1), Num(0))), "5"},
        {"toLocaleString asks each element",
         Call(Stored(Construct(VectorOf("Boolean"), {}), 0, Num(1)), "toLocaleString", {}), "[object Boolean]"},
    };
    ExpectTraces(cases, false);
}

// new Array(5) with element 2 set holds elements up to 2, holes before it, and a length of 5;
// the methods that work on the elements held (pop, shift, unshift, reverse) differ from the
// generic ones (join, slice, removeAt), which read every index up to the length.
TEST(Avm2LanguageRules, ArraysKeepHolesThatReadThroughThePrototype) {
    Emit holey = Stored(New("Array", {Num(5)}), 2, Str("two"));
    auto withPrototypeElement = [](Emit value) {
        return Then(Stored(Get(Global("Array"), "prototype"), 3, Str("proto")), value);
    };
    auto joined = [](Emit array) { return Call(array, "join", {Str("-")}); };
    const std::vector<Case> cases = {
        {"a hole reads the prototype's element", withPrototypeElement(Index(holey, Num(3))), "proto"},
        {"join reads every index", withPrototypeElement(joined(holey)), "--two-proto-"},
        {"a hole is no own property", Call(holey, "hasOwnProperty", {Num(1)}), "false"},
        {"pop takes the last element held", Call(holey, "pop", {}), "two"},
        {"and shortens the length by one", Get(Having(holey, "pop", {}), "length"), "4"},
        {"shift moves the elements held", withPrototypeElement(joined(Having(holey, "shift", {}))), "-two--proto"},
        {"unshift puts its elements first", joined(Having(holey, "unshift", {Str("u")})), "u---two--"},
        {"reverse turns the elements held", joined(Having(holey, "reverse", {})), "two----"},
        {"slice copies the prototype's element",
         withPrototypeElement(Call(Call(holey, "slice", {}), "hasOwnProperty", {Num(3)})), "true"},
        {"removeAt counts back from the end", Call(New("Array", {Str("a"), Str("b")}), "removeAt", {Num(-30)}), "a"},
        {"and past the end removes nothing", Get(Having(New("Array", {Str("a")}), "removeAt", {Num(5)}), "length"), "1"},
    };
    ExpectTraces(cases, false);
}

TEST(Avm2LanguageRules, MemoryInstructionsReachTheDomainMemory) {
    // mem = new ByteArray; mem.length = 1024; ApplicationDomain.currentDomain.domainMemory = mem
    auto install = [](AbcBuilder& abc, AbcCode& code) {
        code.op(OP_getlex, ClassName(abc, "flash.system::ApplicationDomain"))
            .op(OP_getproperty, abc.publicName("currentDomain"));
        New("flash.utils::ByteArray", {})(abc, code);
        code.op(OP_dup).op(OP_pushshort, 1024).op(OP_setproperty, abc.publicName("length"));
        code.op(OP_setproperty, abc.publicName("domainMemory"));
    };
    auto traced = [&](const std::function<void(AbcBuilder&, AbcCode&)>& body) {
        return Joined(RunScriptBody([&](AbcBuilder& abc, AbcCode& code) {
            install(abc, code);
            body(abc, code);
        }, {.maxStack = 12, .localCount = 8}));
    };
    EXPECT_EQ(traced([](AbcBuilder& abc, AbcCode& code) {
        code.op(OP_pushint, abc.intConstant(0x12345678)).op(OP_pushbyte, 4).op(OP_si32);
        EmitTrace(abc, code, [&] { code.op(OP_pushbyte, 4).op(OP_li8); });
        EmitTrace(abc, code, [&] { code.op(OP_pushbyte, 5).op(OP_li16); });
        EmitTrace(abc, code, [&] { code.op(OP_pushbyte, 4).op(OP_li32); });
        code.op(OP_pushdouble, abc.doubleConstant(-2.5)).op(OP_pushbyte, 16).op(OP_sf64);
        EmitTrace(abc, code, [&] { code.op(OP_pushbyte, 16).op(OP_lf64); });
    }), "120\n13398\n305419896\n-2.5");
    std::string outside = traced([](AbcBuilder& abc, AbcCode& code) {
        EmitTrace(abc, code, [&] { code.op(OP_pushshort, 1021).op(OP_li32); });
    });
    EXPECT_NE(outside.find("RangeError: Error #1506"), std::string::npos) << outside;
}

}  // namespace
