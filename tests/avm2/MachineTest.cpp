// The ActionScript 3 machine, run on small ABC programs from the test assembler and checked
// by what they trace.

#include <gtest/gtest.h>

#include <cmath>

#include "ScriptRun.h"
#include "swf/avm2/Machine.h"

namespace {

using namespace avm2test;

struct ValueCase {
    const char* name;
    std::function<void(AbcBuilder&, AbcCode&)> push;
    const char* trace;
};

TEST(Avm2Machine, ConversionsAndNumberPrintingFollowThePlayer) {
    auto d = [](double v) {
        return [v](AbcBuilder& abc, AbcCode& code) { code.op(OP_pushdouble, abc.doubleConstant(v)); };
    };
    auto s = [](const char* v) {
        return [v](AbcBuilder& abc, AbcCode& code) { code.op(OP_pushstring, abc.string(v)); };
    };
    auto then = [](std::function<void(AbcBuilder&, AbcCode&)> first, std::vector<uint8_t> ops) {
        return [first, ops](AbcBuilder& abc, AbcCode& code) {
            first(abc, code);
            for (uint8_t op : ops) code.op(op);
        };
    };
    auto binary = [](std::function<void(AbcBuilder&, AbcCode&)> a, std::function<void(AbcBuilder&, AbcCode&)> b, uint8_t op) {
        return [a, b, op](AbcBuilder& abc, AbcCode& code) {
            a(abc, code);
            b(abc, code);
            code.op(op);
        };
    };
    const std::vector<ValueCase> cases = {
        {"shortest digits", binary(d(0.1), d(0.2), OP_add), "0.30000000000000004"},
        {"large numbers in exponent form", d(1e21), "1e+21"},
        {"below the exponent limit", d(123456789012345680000.0), "123456789012345680000"},
        {"small numbers", d(0.000001), "0.000001"},
        {"smaller numbers", d(1.5e-7), "1.5e-7"},
        {"negative zero prints as zero", d(-0.0), "0"},
        {"convert_i truncates", then(d(-3.7), {OP_convert_i}), "-3"},
        {"convert_i wraps", then(d(4294967301.0), {OP_convert_i}), "5"},
        {"convert_u of minus one", then(d(-1), {OP_convert_u}), "4294967295"},
        {"string plus number concatenates", binary(s("5"), d(3), OP_add), "53"},
        {"string minus number subtracts", binary(s("5"), d(3), OP_subtract), "2"},
        {"hex text is a number", then(s(" 0x1F "), {OP_convert_d}), "31"},
        {"junk text is NaN", then(s("12abc"), {OP_convert_d}), "NaN"},
        {"empty text is zero", then(s(""), {OP_convert_d}), "0"},
        {"division by zero", binary(d(1), d(0), OP_divide), "Infinity"},
        {"modulo keeps the sign", binary(d(-7), d(3), OP_modulo), "-1"},
        {"urshift is unsigned", binary(d(-1), d(28), OP_urshift), "15"},
        {"typeof null", [](AbcBuilder&, AbcCode& code) { code.op(OP_pushnull).op(OP_typeof); }, "object"},
        {"typeof a number", then(d(1), {OP_typeof}), "number"},
        {"undefined prints", [](AbcBuilder&, AbcCode& code) { code.op(OP_pushundefined); }, "undefined"},
        {"NaN is not equal to itself", [](AbcBuilder&, AbcCode& code) { code.op(OP_pushnan).op(OP_dup).op(OP_equals); }, "false"},
        {"null equals undefined", [](AbcBuilder&, AbcCode& code) { code.op(OP_pushnull).op(OP_pushundefined).op(OP_equals); }, "true"},
        {"but not strictly", [](AbcBuilder&, AbcCode& code) { code.op(OP_pushnull).op(OP_pushundefined).op(OP_strictequals); }, "false"},
        {"string comparison", binary(s("abc"), s("abd"), OP_lessthan), "true"},
        {"comparison with NaN", binary(d(NAN), d(1), OP_greaterequals), "false"},
        {"coerce_s keeps null", [](AbcBuilder&, AbcCode& code) { code.op(OP_pushnull).op(OP_coerce_s); }, "null"},
        {"empty string is false", then(s(""), {OP_convert_b}), "false"},
        {"sign-extend a byte", then(d(200), {OP_sxi8}), "-56"},
    };
    for (const ValueCase& c : cases) {
        auto lines = RunScriptBody([&](AbcBuilder& abc, AbcCode& code) { EmitTrace(abc, code, [&] { c.push(abc, code); }); });
        EXPECT_EQ(Joined(lines), c.trace) << c.name;
    }
}

// Calls a method of a value: obj.name(args...), the value and arguments pushed by `push`.
std::function<void(AbcBuilder&, AbcCode&)> CallOn(std::function<void(AbcBuilder&, AbcCode&)> push, const char* method, int argc) {
    return [push, method, argc](AbcBuilder& abc, AbcCode& code) {
        push(abc, code);
        code.op(OP_callproperty, abc.publicName(method), static_cast<uint32_t>(argc));
    };
}

TEST(Avm2Machine, CoreClassesAnswerAsThePlayerDoes) {
    auto num = [](double v) {
        return [v](AbcBuilder& abc, AbcCode& code) { code.op(OP_pushdouble, abc.doubleConstant(v)); };
    };
    auto numArg = [](double v, double arg) {
        return [v, arg](AbcBuilder& abc, AbcCode& code) {
            code.op(OP_pushdouble, abc.doubleConstant(v)).op(OP_pushdouble, abc.doubleConstant(arg));
        };
    };
    auto strArgs = [](const char* s, std::vector<double> args) {
        return [s, args](AbcBuilder& abc, AbcCode& code) {
            code.op(OP_pushstring, abc.string(s));
            for (double a : args) code.op(OP_pushdouble, abc.doubleConstant(a));
        };
    };
    auto array = [](std::vector<double> items) {
        return [items](AbcBuilder& abc, AbcCode& code) {
            for (double v : items) code.op(OP_pushdouble, abc.doubleConstant(v));
            code.op(OP_newarray, static_cast<uint32_t>(items.size()));
        };
    };
    const std::vector<ValueCase> cases = {
        {"toString with a radix", CallOn(numArg(255, 16), "toString", 1), "ff"},
        {"toFixed rounds", CallOn(numArg(1.005, 2), "toFixed", 1), "1.00"},
        {"toPrecision", CallOn(numArg(123.456, 4), "toPrecision", 1), "123.5"},
        {"toExponential", CallOn(numArg(12345, 2), "toExponential", 1), "1.23e+4"},
        {"toExponential cuts the exact digits", CallOn(numArg(123.15, 3), "toExponential", 1), "1.231e+2"},
        {"toPrecision keeps small values in fixed notation", CallOn(numArg(1.2315e-8, 3), "toPrecision", 1),
         "0.0000000123"},
        {"past 1e21 fifteen digits, cut", CallOn(numArg(1.2315987654321987e21, 10), "toString", 1),
         "1.23159876543219e+21"},
        {"substring swaps its ends", CallOn(strArgs("kinetrope", {4, 1}), "substring", 2), "ine"},
        {"slice from the end", CallOn(strArgs("kinetrope", {-4}), "slice", 1), "rope"},
        {"indexOf", CallOn(strArgs("abcabc", {}), "toUpperCase", 0), "ABCABC"},
        {"array join", CallOn(array({1, 2, 3}), "join", 0), "1,2,3"},
        {"array numeric sort", [&](AbcBuilder& abc, AbcCode& code) {
             array({10, 9, 100})(abc, code);
             code.op(OP_dup).pushByte(16).op(OP_callpropvoid, abc.publicName("sort"), 1);
         }, "9,10,100"},
        {"array default sort is by text", [&](AbcBuilder& abc, AbcCode& code) {
             array({10, 9, 100})(abc, code);
             code.op(OP_callproperty, abc.publicName("sort"), 0);
         }, "10,100,9"},
        {"array length", [&](AbcBuilder& abc, AbcCode& code) {
             array({4, 5})(abc, code);
             code.op(OP_getproperty, abc.publicName("length"));
         }, "2"},
        {"Math.max of nothing", [](AbcBuilder& abc, AbcCode& code) {
             code.op(OP_getlex, abc.publicName("Math")).op(OP_callproperty, abc.publicName("max"), 0);
         }, "-Infinity"},
        {"an object prints its class", [](AbcBuilder&, AbcCode& code) { code.op(OP_newobject, 0); }, "[object Object]"},
        {"a new Error prints its message", [](AbcBuilder& abc, AbcCode& code) {
             code.op(OP_getlex, abc.publicName("RangeError")).op(OP_pushstring, abc.string("too far")).op(OP_construct, 1);
         }, "RangeError: too far"},
        {"int() of text", [](AbcBuilder& abc, AbcCode& code) {
             code.op(OP_getlex, abc.publicName("int")).op(OP_pushnull).op(OP_pushstring, abc.string("42.9")).op(OP_call, 1);
         }, "42"},
        {"parseInt with a radix", [](AbcBuilder& abc, AbcCode& code) {
             code.op(OP_findpropstrict, abc.publicName("parseInt")).op(OP_pushstring, abc.string("z1"))
                 .pushByte(36).op(OP_callproperty, abc.publicName("parseInt"), 2);
         }, "1261"},
        {"Function.apply spreads an array", [&](AbcBuilder& abc, AbcCode& code) {
             code.op(OP_getlex, abc.publicName("Math")).op(OP_getproperty, abc.publicName("max"));
             code.op(OP_pushnull);
             array({3, 8, 5})(abc, code);
             code.op(OP_callproperty, abc.publicName("apply"), 2);
         }, "8"},
        {"num", num(7), "7"},
    };
    for (const ValueCase& c : cases) {
        auto lines = RunScriptBody([&](AbcBuilder& abc, AbcCode& code) { EmitTrace(abc, code, [&] { c.push(abc, code); }); });
        EXPECT_EQ(Joined(lines), c.trace) << c.name;
    }
}

TEST(Avm2Machine, LoopsBranchesAndSwitches) {
    // var sum = 0; for (i = 1; i <= 10; i++) sum += i; trace(sum); then a switch on 2.
    auto lines = RunScriptBody([](AbcBuilder& abc, AbcCode& code) {
        AbcCode::Label top = code.newLabel(), test = code.newLabel();
        code.pushByte(0).op(OP_setlocal1).pushByte(1).op(OP_setlocal2);
        code.branch(OP_jump, test);
        code.bind(top).op(OP_label).op(OP_getlocal1).op(OP_getlocal2).op(OP_add).op(OP_setlocal1).op(OP_inclocal_i, 2);
        code.bind(test).op(OP_getlocal2).pushByte(10).branch(OP_ifle, top);
        EmitTrace(abc, code, [&] { code.op(OP_getlocal1); });
        AbcCode::Label zero = code.newLabel(), one = code.newLabel(), two = code.newLabel(), other = code.newLabel(),
                       done = code.newLabel();
        code.pushByte(2).lookupSwitch(other, {zero, one, two});
        for (auto [label, text] : {std::pair{zero, "zero"}, {one, "one"}, {two, "two"}, {other, "other"}}) {
            code.bind(label);
            EmitTrace(abc, code, [&, text = text] { code.op(OP_pushstring, abc.string(text)); });
            code.branch(OP_jump, done);
        }
        code.bind(done);
    });
    EXPECT_EQ(Joined(lines), "55\ntwo");
}

TEST(Avm2Machine, ExceptionsAreCaughtByTypeAndUncaughtOnesArePrinted) {
    AbcBuilder abc;
    AbcCode code;
    uint32_t typeError = abc.publicName("TypeError"), rangeError = abc.publicName("RangeError");
    uint32_t e = abc.publicName("e");
    AbcCode::Label from = code.newLabel(), to = code.newLabel(), catchRange = code.newLabel(),
                   catchType = code.newLabel(), after = code.newLabel();
    code.op(OP_getlocal0).op(OP_pushscope);
    code.bind(from).op(OP_pushnull).op(OP_getproperty, abc.publicName("x")).op(OP_pop);
    code.bind(to).branch(OP_jump, after);
    // catch (e:RangeError) is skipped; catch (e:TypeError) traces the message.
    code.bind(catchRange).op(OP_pop).op(OP_getlocal0).op(OP_pushscope).branch(OP_jump, after);
    code.bind(catchType).op(OP_getlocal0).op(OP_pushscope).op(OP_setlocal1);
    EmitTrace(abc, code, [&] { code.op(OP_getlocal1).op(OP_getproperty, abc.publicName("message")); });
    code.bind(after);
    // Uncaught: the machine prints the error.
    code.op(OP_getlex, rangeError).op(OP_pushstring, abc.string("out")).pushByte(7)
        .op(OP_construct, 2).op(OP_throw);
    abc.script(abc.methodWithBody(code, {.maxStack = 4, .localCount = 3},
                                  {}, {{from, to, catchRange, rangeError, e}, {from, to, catchType, typeError, e}}));
    EXPECT_EQ(Joined(RunAbc(abc)),
              "Error #1009: Cannot access a property or method of a null object reference.\nRangeError: out");
}

TEST(Avm2Machine, ClassesWithSlotsMethodsAccessorsAndSuper) {
    // class Base { var n:int = 5; function describe() { return "base " + n } }
    // class Child extends Base { override function describe() { return "child/" + super.describe() }
    //                            function get twice() { return n * 2 } function set twice(v) { n = v / 2 } }
    AbcBuilder abc;
    uint32_t pub = abc.ns(0x16, "");
    uint32_t baseName = abc.qname(pub, "Base"), childName = abc.qname(pub, "Child"), objectName = abc.qname(pub, "Object");
    uint32_t n = abc.qname(pub, "n"), describe = abc.qname(pub, "describe"), twice = abc.qname(pub, "twice");
    uint32_t intType = abc.qname(pub, "int");
    auto trivial = [&](bool callsSuper) {
        AbcCode c;
        c.op(OP_getlocal0).op(OP_pushscope);
        if (callsSuper) c.op(OP_getlocal0).op(OP_constructsuper, 0);
        c.op(OP_returnvoid);
        return abc.methodWithBody(c);
    };
    AbcCode baseDescribe;
    baseDescribe.op(OP_pushstring, abc.string("base ")).op(OP_getlocal0).op(OP_getproperty, n).op(OP_add).op(OP_returnvalue);
    AbcCode childDescribe;
    childDescribe.op(OP_pushstring, abc.string("child/")).op(OP_getlocal0).op(OP_callsuper, describe, 0).op(OP_add).op(OP_returnvalue);
    AbcCode getTwice;
    getTwice.op(OP_getlocal0).op(OP_getproperty, n).pushByte(2).op(OP_multiply).op(OP_returnvalue);
    AbcCode setTwice;
    setTwice.op(OP_getlocal0).op(OP_getlocal1).pushByte(2).op(OP_divide).op(OP_setproperty, n).op(OP_returnvoid);
    AbcBuilder::Method oneParameter;
    oneParameter.parameterTypes = {0};
    uint32_t baseClass = abc.addClass(baseName, objectName, trivial(true), trivial(false),
        {{n, AbcBuilder::kSlot, 0, intType, abc.intConstant(5), 0x03},
         {describe, AbcBuilder::kMethod, 0, 0, abc.methodWithBody(baseDescribe)}});
    uint32_t childClass = abc.addClass(childName, baseName, trivial(true), trivial(false),
        {{describe, AbcBuilder::kMethod, 0, 0, abc.methodWithBody(childDescribe)},
         {twice, AbcBuilder::kGetter, 0, 0, abc.methodWithBody(getTwice)},
         {twice, AbcBuilder::kSetter, 0, 0, abc.methodWithBody(setTwice, {}, oneParameter)}});
    AbcCode init;
    init.op(OP_getlocal0).op(OP_pushscope);
    init.op(OP_getscopeobject, 0).op(OP_getlex, objectName).op(OP_pushscope).op(OP_getlex, objectName)
        .op(OP_newclass, baseClass).op(OP_popscope).op(OP_initproperty, baseName);
    init.op(OP_getscopeobject, 0).op(OP_getlex, baseName).op(OP_pushscope).op(OP_getlex, baseName)
        .op(OP_newclass, childClass).op(OP_popscope).op(OP_initproperty, childName);
    init.op(OP_getlex, childName).op(OP_construct, 0).op(OP_setlocal1);
    EmitTrace(abc, init, [&] { init.op(OP_getlocal1).op(OP_callproperty, describe, 0); });
    init.op(OP_getlocal1).pushByte(9).op(OP_setproperty, twice);  // n = int(4.5) = 4
    EmitTrace(abc, init, [&] { init.op(OP_getlocal1).op(OP_getproperty, twice); });
    EmitTrace(abc, init, [&] { init.op(OP_getlocal1).op(OP_getlex, baseName).op(OP_istypelate); });
    EmitTrace(abc, init, [&] { init.op(OP_getlex, baseName).op(OP_construct, 0).op(OP_getlex, childName).op(OP_astypelate); });
    init.op(OP_returnvoid);
    abc.script(abc.methodWithBody(init, {.maxStack = 6, .localCount = 2}),
               {{baseName, AbcBuilder::kClass, 1, 0, baseClass}, {childName, AbcBuilder::kClass, 2, 0, childClass}});
    EXPECT_EQ(Joined(RunAbc(abc)), "child/base 5\n8\ntrue\nnull");
}

TEST(Avm2Machine, ClosuresKeepTheirActivation) {
    // function counter() { var k = 0; return function() { return ++k } }; c = counter(); c(); trace(c())
    AbcBuilder abc;
    uint32_t k = abc.publicName("k");
    AbcCode inner;
    inner.op(OP_getlocal0).op(OP_pushscope).op(OP_getlex, k).op(OP_increment).op(OP_dup)
        .op(OP_findproperty, k).op(OP_swap).op(OP_setproperty, k).op(OP_returnvalue);
    uint32_t innerMethod = abc.methodWithBody(inner);
    AbcCode outer;
    outer.op(OP_getlocal0).op(OP_pushscope).op(OP_newactivation).op(OP_dup).op(OP_setlocal1).op(OP_pushscope)
        .op(OP_getscopeobject, 1).pushByte(0).op(OP_setslot, 1)
        .op(OP_newfunction, innerMethod).op(OP_returnvalue);
    AbcBuilder::Method withActivation;
    withActivation.flags = kNeedActivation;
    uint32_t outerMethod = abc.methodWithBody(outer, {}, withActivation, {}, {{k, AbcBuilder::kSlot, 1, 0, 0}});
    AbcCode init;
    init.op(OP_getlocal0).op(OP_pushscope).op(OP_newfunction, outerMethod).op(OP_pushnull).op(OP_call, 0).op(OP_setlocal1)
        .op(OP_getlocal1).op(OP_pushnull).op(OP_call, 0).op(OP_pop);
    EmitTrace(abc, init, [&] { init.op(OP_getlocal1).op(OP_pushnull).op(OP_call, 0); });
    init.op(OP_returnvoid);
    abc.script(abc.methodWithBody(init));
    EXPECT_EQ(Joined(RunAbc(abc)), "2");
}

TEST(Avm2Machine, LimitsStopRunawayScripts) {
    // An endless loop stops at the step budget; endless recursion at the depth limit.
    auto loop = RunScriptBody([](AbcBuilder&, AbcCode& code) {
        AbcCode::Label top = code.newLabel();
        code.bind(top).op(OP_label).branch(OP_jump, top);
    });
    ASSERT_EQ(loop.size(), 1u);
    EXPECT_NE(loop[0].find("Error #1502"), std::string::npos);

    AbcBuilder abc;
    uint32_t f = abc.publicName("f");
    AbcCode recurse;
    recurse.op(OP_getlocal0).op(OP_pushscope).op(OP_findpropstrict, f).op(OP_callproperty, f, 0).op(OP_returnvalue);
    uint32_t method = abc.methodWithBody(recurse);
    AbcCode init;
    init.op(OP_getlocal0).op(OP_pushscope).op(OP_findpropstrict, f).op(OP_callpropvoid, f, 0).op(OP_returnvoid);
    abc.script(abc.methodWithBody(init), {{f, AbcBuilder::kMethod, 0, 0, method}});
    EXPECT_EQ(Joined(RunAbc(abc)), "Error: Error #1023: Stack overflow occurred.");
}

TEST(Avm2Machine, CollectionReclaimsCyclesBetweenRuns) {
    std::vector<std::string> lines;
    swf::avm2::Machine machine([&](const std::string& line) { lines.push_back(line); });
    machine.heap().collect();
    size_t before = machine.heap().objectCount();
    // a = {}; b = {a: a}; a.b = b, a hundred times, kept by no one.
    AbcBuilder abc;
    AbcCode code;
    AbcCode::Label top = code.newLabel(), test = code.newLabel();
    code.op(OP_getlocal0).op(OP_pushscope).pushByte(0).op(OP_setlocal1).branch(OP_jump, test);
    code.bind(top).op(OP_label).op(OP_newobject, 0).op(OP_setlocal2)
        .op(OP_pushstring, abc.string("a")).op(OP_getlocal2).op(OP_newobject, 1).op(OP_setlocal3)
        .op(OP_getlocal2).op(OP_getlocal3).op(OP_setproperty, abc.publicName("b")).op(OP_inclocal_i, 1);
    code.bind(test).op(OP_getlocal1).pushByte(100).branch(OP_iflt, top).op(OP_returnvoid);
    abc.script(abc.methodWithBody(code));
    machine.loadAbc(abc.bytes(), false);
    EXPECT_GE(machine.heap().objectCount(), before + 200);
    machine.heap().collect();
    // What remains is the script's global and its functions.
    EXPECT_LT(machine.heap().objectCount(), before + 10);
    EXPECT_TRUE(lines.empty()) << Joined(lines);
}

}  // namespace
