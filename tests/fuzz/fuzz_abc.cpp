// libFuzzer entry for ActionScript 3 bytecode: the input is an ABC file, read and its last
// script verified and run (with whatever it calls and constructs) in a machine of its own,
// then collected. Scripts get a hundredth of the step budget, so that one input that loops
// takes seconds, not minutes, under the sanitizers.
//
// Run with KINETROPE_FUZZ_ABC_SEEDS=DIR to write the seed files into DIR and exit: scripts
// that reach the language's classes (patterns, dates, strings, arrays), for the fuzzer to
// mutate into hostile ones.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "support/AbcBuilder.h"
#include "swf/abc/Opcode.h"
#include "swf/avm2/Machine.h"

namespace {

using swftest::AbcBuilder;
using swftest::AbcCode;
using namespace swf::abc;

// A script that traces `cls`.`method`(args) on a new instance made from `ctorArgs`.
std::vector<uint8_t> callSeed(const char* cls, std::vector<const char*> ctorArgs, const char* method,
                              std::vector<const char*> args) {
    AbcBuilder abc;
    AbcCode code;
    code.op(OP_getlocal0).op(OP_pushscope);
    code.op(OP_findpropstrict, abc.publicName("trace"));
    code.op(OP_findpropstrict, abc.publicName(cls));
    for (const char* a : ctorArgs) code.op(OP_pushstring, abc.string(a));
    code.op(OP_constructprop, abc.publicName(cls), static_cast<uint32_t>(ctorArgs.size()));
    for (const char* a : args) code.op(OP_pushstring, abc.string(a));
    code.op(OP_callproperty, abc.publicName(method), static_cast<uint32_t>(args.size()));
    code.op(OP_callpropvoid, abc.publicName("trace"), 1).op(OP_returnvoid);
    abc.script(abc.methodWithBody(code, {.maxStack = 8}));
    return abc.bytes();
}

// A string method taking a new RegExp: "text".method(new RegExp(source, flags), extra...).
std::vector<uint8_t> patternSeed(const char* text, const char* method, const char* source, const char* flags,
                                 std::vector<const char*> extra) {
    AbcBuilder abc;
    AbcCode code;
    code.op(OP_getlocal0).op(OP_pushscope);
    code.op(OP_findpropstrict, abc.publicName("trace"));
    code.op(OP_pushstring, abc.string(text));
    code.op(OP_findpropstrict, abc.publicName("RegExp"));
    code.op(OP_pushstring, abc.string(source)).op(OP_pushstring, abc.string(flags));
    code.op(OP_constructprop, abc.publicName("RegExp"), 2);
    for (const char* a : extra) code.op(OP_pushstring, abc.string(a));
    code.op(OP_callproperty, abc.publicName(method), static_cast<uint32_t>(1 + extra.size()));
    code.op(OP_callpropvoid, abc.publicName("trace"), 1).op(OP_returnvoid);
    abc.script(abc.methodWithBody(code, {.maxStack = 8}));
    return abc.bytes();
}

void writeSeeds(const std::string& folder) {
    const std::vector<std::vector<uint8_t>> seeds = {
        callSeed("RegExp", {"(?P<y>\\d{4})-(\\d\\d)|[^a-z\\s]+?(?=x)", "gimsx"}, "exec", {"on 2024-05 x"}),
        callSeed("RegExp", {"(?<=\\$)(a|b)*\\1{2,5}\\b", "i"}, "test", {"$abbb"}),
        patternSeed("a1b22c333", "replace", "(\\d)(\\d)?", "g", {"[$2$1$&$`$']"}),
        patternSeed("a, b,c", "split", "\\s*(,)\\s*", "", {}),
        patternSeed("Hello World", "match", "o.", "g", {}),
        callSeed("Date", {"Tue Feb 29 12:30:05 2000 UTC"}, "toString", {}),
        callSeed("Date", {"2000", "13", "40", "25", "61"}, "setUTCMonth", {"-14", "99"}),
        callSeed("String", {"\xF0\x9F\x98\x80\xC3\xA9t"}, "substr", {"1", "2"}),
        callSeed("Array", {"b", "a", "c"}, "join", {"-"}),
    };
    for (size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream out(folder + "/seed-" + std::to_string(i) + ".abc", std::ios::binary);
        out.write(reinterpret_cast<const char*>(seeds[i].data()), static_cast<std::streamsize>(seeds[i].size()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* folder = std::getenv("KINETROPE_FUZZ_ABC_SEEDS")) {
        writeSeeds(folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    swf::avm2::Machine machine([](const std::string&) {});
    machine.setStepBudget(swf::avm2::Machine::kStepBudget / 100);
    machine.loadAbc(std::span<const uint8_t>(data, size), false);
    machine.heap().collect();
    return 0;
}
