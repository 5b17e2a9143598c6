// The action assembler and builder, checked byte for byte against the action record layouts.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/ActionBuilder.h"

namespace swftest {
namespace {

std::vector<uint8_t> hex(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::vector<uint8_t> bytes;
    unsigned value = 0;
    while (in >> std::hex >> value) bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

struct AssemblyCase {
    const char* source;
    const char* bytes;
};

const AssemblyCase kCases[] = {
    // Plain actions, both separators, comments, aliases; Call has a zero length.
    {"add2; getMember // a comment\nnot\nprevFrame; previousFrame; and; or; throw; return; delete;"
     " extends; enumerate2; castOp; call",
     "47 4E 12 05 05 10 11 2A 3E 3A 69 55 2B 9E 00 00"},
    // Every push type in one record.
    {R"(push "hi", f:1.5, null, undefined, r:1, true, false, 2.5, -1, c:3, c:300, c16:2)",
     "96 27 00  00 68 69 00  01 00 00 C0 3F  02  03  04 01  05 01  05 00"
     "  06 00 00 04 40 00 00 00 00  07 FF FF FF FF  08 03  09 2C 01  09 02 00"},
    // 32-bit integers stay integers; beyond, doubles with the high half first.
    {"push 2147483647, 2147483648, 0.1, d:1, -2147483648",
     "96 25 00  07 FF FF FF 7F  06 00 00 E0 41 00 00 00 00  06 99 99 B9 3F 9A 99 99 99"
     "  06 00 00 F0 3F 00 00 00 00  07 00 00 00 80"},
    {R"(push "a\"b\\c\n", "x;y//z")", "96 10 00  00 61 22 62 5C 63 0A 00  00 78 3B 79 2F 2F 7A 00"},
    {R"(constants "a", "bc"; constants)", "88 07 00 02 00 61 00 62 63 00  88 02 00 00 00"},
    {R"(gotoFrame 3; gotoLabel "x"; setTarget ""; getUrl "u" "t"; waitForFrame 5 2; waitForFrame2 1)",
     "81 02 00 03 00  8C 02 00 78 00  8B 01 00 00  83 04 00 75 00 74 00  8A 03 00 05 00 02"
     "  8D 01 00 01"},
    {"storeRegister r:2; storeRegister 0; strictMode; strictMode 0",
     "87 01 00 02  87 01 00 00  89 01 00 01  89 01 00 00"},
    {"getUrl2; getUrl2 get loadTarget; getUrl2 post loadVariables loadTarget;"
     " gotoFrame2; gotoFrame2 play bias=2",
     "9A 01 00 00  9A 01 00 41  9A 01 00 C2  9F 01 00 00  9F 03 00 03 02 00"},
    {R"(push "\x41", nan, -inf, f:-0.5)",
     "96 1A 00  00 41 00  06 00 00 F8 7F 00 00 00 00  06 00 00 F0 FF 00 00 00 00  01 00 00 00 BF"},
    {R"(fsCommand "quit"; gotoFrame2 stop bias=0x100)",
     "83 10 00 46 53 43 6F 6D 6D 61 6E 64 3A 71 75 69 74 00 00  9F 03 00 02 00 01"},
    // Offsets count from the end of the branch record; numbers are raw offsets.
    {"top:\npush true\nif end\njump top\nend: stop\njump -5; if 0x10",
     "96 02 00 05 01  9D 02 00 05 00  99 02 00 F1 FF  07  99 02 00 FB FF  9D 02 00 10 00"},
    {"function \"f\" (a, bc) { push 1; return }",
     "9B 0B 00 66 00 02 00 61 00 62 63 00 09 00  96 05 00 07 01 00 00 00 3E"},
    {"function () { }", "9B 05 00 00 00 00 00 00"},
    // A function body keeps its labels.
    {"function f () { l: jump l }", "9B 06 00 66 00 00 00 05 00  99 02 00 FB FF"},
    {R"(function2 "g" (r:1="x", "y") flags=preloadThis|preloadGlobal regs=3 { push r:1; return })",
     "8E 0F 00 67 00 02 00 03 01 01 01 78 00 00 79 00 06 00  96 02 00 04 01 3E"},
    // Registers default to one past those the two preloads and the parameter take.
    {"function2 (r:2=a) flags=preloadThis|preloadArguments|suppressSuper { }",
     "8E 0B 00 00 01 00 03 25 00 02 61 00 00 00"},
    {R"(function2 "h" ("p") flags=0x0300 { })", "8E 0C 00 68 00 01 00 02 00 03 00 70 00 00 00"},
    {R"(try catch="e" { throw } catch { pop } finally { stop })",
     "8F 09 00 03 01 00 01 00 01 00 65 00  2A 17 07"},
    {"try catch=r:3 {\n  push 1\n}\ncatch { trace }",
     "8F 08 00 05 08 00 01 00 00 00 03  96 05 00 07 01 00 00 00  26"},
    {"try {} finally {}\nstop\ntry {}\nstop",
     "8F 08 00 02 00 00 00 00 00 00 00  07  8F 08 00 00 00 00 00 00 00 00 00  07"},
    // Branches in a with body reach the labels around it, before and after.
    {"a: with { jump a; jump b }; b:", "94 02 00 0A 00  99 02 00 F6 FF  99 02 00 00 00"},
    // A bare name catches into that variable, a quoted one too, even if it reads like a register.
    {R"(try catch=e {} ; try catch="r:3" { })",
     "8F 09 00 00 00 00 00 00 00 00 65 00  8F 0B 00 00 00 00 00 00 00 00 72 3A 33 00"},
    // The function's label shadows the outer one; the with body's jump reaches the outer one.
    {"l: with { function () { l: jump l }; jump l }",
     "94 02 00 12 00  9B 05 00 00 00 00 05 00  99 02 00 FB FF  99 02 00 E9 FF"},
};

TEST(ActionAssembler, SourcesGiveTheirRecords) {
    for (const AssemblyCase& c : kCases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(ActionBuilder::assemble(c.source).records(), hex(c.bytes));
    }
}

TEST(ActionAssembler, BadLinesThrowWithTheirLine) {
    const std::pair<const char*, int> bad[] = {
        {"push 1\nfrobnicate", 2},
        {"push 1,\nstop", 1},
        {"stop\npush \"abc\nstop", 2},
        {"push \"\\q\"", 1},
        {"push r:256", 1},
        {"push 1 2", 1},
        {"storeRegister", 1},
        {"gotoFrame2 rewind", 1},
        {"stop\n\n  add2 3", 3},
        {"jump nowhere\nstop", 1},
        {"x:\nx:", 2},
        {"with {\n jump out\n}", 2},
        {"function \"f\" () { jump out }\nout:", 1},
        {"function \"f\" () {\n stop", 2},
        {"stop }", 1},
    };
    for (const auto& [source, line] : bad) {
        SCOPED_TRACE(source);
        try {
            ActionBuilder::assemble(source);
            ADD_FAILURE() << "no error";
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(std::string(error.what()).rfind("line " + std::to_string(line) + ": ", 0), 0u)
                << error.what();
        }
    }
}

TEST(ActionAssembler, BuilderKeepsItsMethodsAndGuardsLabels) {
    EXPECT_EQ(ActionBuilder()
                  .pushString("a")
                  .pushInteger(-2)
                  .fsCommand("q")
                  .gotoFrame(1)
                  .trace()
                  .terminated(),
              hex("96 03 00 00 61 00  96 05 00 07 FE FF FF FF"
                  "  83 0D 00 46 53 43 6F 6D 6D 61 6E 64 3A 71 00 00  81 02 00 01 00  26 00"));

    ActionBuilder open;
    open.jump("later");
    EXPECT_THROW(open.records(), std::invalid_argument);
    EXPECT_THROW(ActionBuilder().defineFunction("f", {}, open), std::invalid_argument);
    open.label("later");
    EXPECT_EQ(open.records(), hex("99 02 00 00 00"));
    EXPECT_THROW(open.label("later"), std::invalid_argument);

    ActionBuilder far;
    far.label("start").raw(std::vector<uint8_t>(32763, 0x07));
    EXPECT_NO_THROW(far.jump("start"));  // -32768
    EXPECT_THROW(far.jump("start"), std::invalid_argument);
}

}  // namespace
}  // namespace swftest
