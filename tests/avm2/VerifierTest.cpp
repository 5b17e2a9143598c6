// Bad method bodies are refused with the player's VerifyError, in the trace log, and never
// run; bad ABC files are refused whole, at every length they can be cut to.

#include <gtest/gtest.h>

#include "ScriptRun.h"
#include "swf/abc/AbcParser.h"

namespace {

using namespace avm2test;

struct RefusalCase {
    const char* name;
    std::function<void(AbcBuilder&, AbcCode&)> code;
    AbcBuilder::BodyLimits limits;
    const char* error;
};

TEST(Avm2Verifier, RefusesWhatTheMachineCannotRunSafely) {
    const std::vector<RefusalCase> cases = {
        {"stack overflow", [](AbcBuilder&, AbcCode& c) { c.pushByte(1).pushByte(2).pushByte(3).op(OP_returnvoid); },
         {.maxStack = 2}, "Error #1023"},
        {"stack underflow", [](AbcBuilder&, AbcCode& c) { c.op(OP_pop).op(OP_returnvoid); }, {}, "Error #1024"},
        {"register past the locals", [](AbcBuilder&, AbcCode& c) { c.op(OP_getlocal, 9).op(OP_returnvalue); },
         {.localCount = 2}, "Error #1025"},
        {"branch out of the body", [](AbcBuilder&, AbcCode& c) { c.raw({OP_jump, 0x40, 0, 0}).op(OP_returnvoid); }, {},
         "Error #1021"},
        {"falling off the end", [](AbcBuilder&, AbcCode& c) { c.op(OP_nop); }, {}, "Error #1020"},
        {"unbalanced stack at a join", [](AbcBuilder&, AbcCode& c) {
             AbcCode::Label join = c.newLabel();
             c.op(OP_pushtrue).branch(OP_iftrue, join).pushByte(1).bind(join).op(OP_returnvoid);
         }, {}, "Error #1030"},
        {"scope stack overflow", [](AbcBuilder&, AbcCode& c) { c.op(OP_getlocal0).op(OP_pushscope).op(OP_returnvoid); },
         {.maxScopeDepth = 0}, "Error #1017"},
        {"popping an empty scope", [](AbcBuilder&, AbcCode& c) { c.op(OP_popscope).op(OP_returnvoid); }, {}, "Error #1018"},
        {"string index out of range", [](AbcBuilder&, AbcCode& c) { c.op(OP_pushstring, 999).op(OP_returnvalue); }, {},
         "Error #1032"},
        {"illegal opcode", [](AbcBuilder&, AbcCode& c) { c.raw({0xFF}).op(OP_returnvoid); }, {}, "Error #1011"},
    };
    for (const RefusalCase& c : cases) {
        // The refused method is a function the script calls inside a try: the error is caught
        // as a VerifyError and its message traced.
        AbcBuilder abc;
        AbcCode bad;
        c.code(abc, bad);
        uint32_t badMethod = abc.methodWithBody(bad, c.limits);
        AbcCode init;
        AbcCode::Label from = init.newLabel(), to = init.newLabel(), handler = init.newLabel(), done = init.newLabel();
        init.op(OP_getlocal0).op(OP_pushscope);
        init.bind(from).op(OP_newfunction, badMethod).op(OP_pushnull).op(OP_call, 0).op(OP_pop);
        init.bind(to).branch(OP_jump, done);
        init.bind(handler).op(OP_getlocal0).op(OP_pushscope).op(OP_setlocal1);
        EmitTrace(abc, init, [&] { init.op(OP_getlocal1); });
        EmitTrace(abc, init, [&] { init.op(OP_getlocal1).op(OP_getproperty, abc.publicName("errorID")); });
        init.bind(done).op(OP_returnvoid);
        abc.script(abc.methodWithBody(init, {}, {}, {{from, to, handler, abc.publicName("VerifyError"), 0}}));
        std::vector<std::string> lines = RunAbc(abc);
        ASSERT_EQ(lines.size(), 2u) << c.name << ": " << Joined(lines);
        EXPECT_NE(lines[0].find(std::string("VerifyError: ") + c.error), std::string::npos) << c.name << ": " << lines[0];
        EXPECT_EQ(lines[1], std::string(c.error).substr(7)) << c.name;
    }
}

// A generic's name may come later in the pool than its use, as compilers write Vector
// literals; a generic of itself is corrupt.
TEST(Avm2Verifier, TypeNamesMayReferToLaterNames) {
    // A plain name, then a generic naming the entry at `offset` from itself, then another plain name.
    auto parses = [](int offset) {
        AbcBuilder abc;
        AbcCode code;
        code.op(OP_returnvoid);
        uint32_t plain = abc.rawMultiname({0x07, 0x00, 0x00});
        auto named = static_cast<uint8_t>(static_cast<int>(plain) + 1 + offset);
        abc.rawMultiname({0x1D, named, 0x01, named});
        abc.rawMultiname({0x07, 0x00, 0x00});
        abc.script(abc.methodWithBody(code));
        std::string error;
        return swf::abc::AbcParser::parse(abc.bytes(), error);
    };
    EXPECT_TRUE(parses(-1));
    EXPECT_TRUE(parses(1));
    EXPECT_FALSE(parses(0));
}

TEST(Avm2Verifier, EveryTruncationOfAnAbcFileIsRefusedWhole) {
    AbcBuilder abc;
    AbcCode code;
    code.op(OP_getlocal0).op(OP_pushscope);
    EmitTrace(abc, code, [&] { code.op(OP_pushstring, abc.string("whole")); });
    code.op(OP_returnvoid);
    abc.script(abc.methodWithBody(code), {{abc.publicName("x"), AbcBuilder::kSlot, 0, 0, 0}});
    std::vector<uint8_t> bytes = abc.bytes();
    EXPECT_EQ(Joined(RunAbc(abc)), "whole");
    std::string error;
    ASSERT_TRUE(swf::abc::AbcParser::parse(bytes, error)) << error;
    for (size_t keep = 0; keep < bytes.size(); ++keep) {
        std::span<const uint8_t> cut(bytes.data(), keep);
        EXPECT_FALSE(swf::abc::AbcParser::parse(cut, error)) << keep;
        EXPECT_NE(error.find("VerifyError: Error #"), std::string::npos) << keep;
    }
}

}  // namespace
