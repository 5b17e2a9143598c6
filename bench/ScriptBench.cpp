// The two script machines on script-heavy movies: every frame runs a loop that calls
// functions, builds objects and arrays, joins strings and reads properties, as real movies'
// frame scripts and component code do. The counter is action records (ActionScript 1) or
// ABC instructions (ActionScript 3) a second.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "support/AbcBuilder.h"
#include "support/SwfWriter.h"
#include "swf/abc/Opcode.h"
#include "swf/player/Player.h"

namespace {

namespace st = swftest;

std::vector<uint8_t> scriptMovie(int iterationsPerFrame) {
    st::SwfWriter movie;
    movie.version(8);
    // A class with a method on its prototype, then the frame's loop.
    movie.doAction(st::ActionBuilder::assemble(R"(
        function "Point" (x, y) {
            push "this"; getVariable; push "x"; push "x"; getVariable; setMember
            push "this"; getVariable; push "y"; push "y"; getVariable; setMember
        }
        push "Point"; getVariable; push "prototype"; getMember; push "length"
        function () {
            push "this"; getVariable; push "x"; getMember
            push "this"; getVariable; push "y"; getMember; add2; return
        }
        setMember)"));
    movie.showFrame();
    std::string loop = R"(
        push "sum", 0; setVariable
        push "names", 0; initArray; setVariable
        push "i", 0; setVariable
        loop:
        push "i"; getVariable; push )" + std::to_string(iterationsPerFrame) + R"(; less2; not; if done
        push "i"; getVariable; push 2; push "i"; getVariable; push 2, "Point"; newObject
        storeRegister 1; pop
        push "sum"; push "sum"; getVariable; push 0, r:1, "length"; callMethod; add2; setVariable
        push "p"; push "i"; getVariable; add2; push 1; push "names"; getVariable; push "push"; callMethod; pop
        push "i"; push "i"; getVariable; increment; setVariable
        jump loop
        done:
        push "names"; getVariable; push "length"; getMember; pop)";
    movie.doAction(st::ActionBuilder::assemble(loop)).showFrame();
    movie.doAction(st::ActionBuilder::assemble("gotoFrame 1; play")).showFrame();
    return movie.bytes();
}

// An ActionScript 3 movie whose document class, on every enterFrame, runs `iterations` times:
//   o = {x: i, y: 2}; sum += lengthOf(o); names.push("p" + i); numbers.push(i);
// with names an Array and numbers a Vector.<int>, both new each frame.
std::vector<uint8_t> as3ScriptMovie(int iterationsPerFrame) {
    using namespace swf::abc;
    using swftest::AbcBuilder;
    using swftest::AbcCode;
    AbcBuilder abc;
    auto name = [&](std::string_view text) { return abc.publicName(text); };
    uint32_t clipName = abc.qname(abc.ns(0x16, "flash.display"), "MovieClip");
    uint32_t vectorName = abc.qname(abc.ns(0x16, "__AS3__.vec"), "Vector");

    AbcCode lengthOf;  // lengthOf(p): p.x + p.y
    lengthOf.op(OP_getlocal0).op(OP_pushscope).op(OP_getlocal1).op(OP_getproperty, name("x"))
        .op(OP_getlocal1).op(OP_getproperty, name("y")).op(OP_add).op(OP_returnvalue);
    AbcCode work;  // locals: 2 i, 3 sum, 4 names, 5 numbers, 6 o
    AbcCode::Label loop = work.newLabel(), check = work.newLabel();
    work.op(OP_getlocal0).op(OP_pushscope).pushByte(0).op(OP_setlocal3)
        .op(OP_newarray, 0).op(OP_setlocal, 4)
        .op(OP_getlex, vectorName).op(OP_getlex, name("int")).op(OP_applytype, 1).op(OP_construct, 0)
        .op(OP_setlocal, 5).pushByte(0).op(OP_setlocal2).branch(OP_jump, check);
    work.bind(loop).op(OP_label)
        .op(OP_pushstring, abc.string("x")).op(OP_getlocal2).op(OP_pushstring, abc.string("y")).pushByte(2)
        .op(OP_newobject, 2).op(OP_setlocal, 6)
        .op(OP_getlocal3).op(OP_getlocal0).op(OP_getlocal, 6).op(OP_callproperty, name("lengthOf"), 1)
        .op(OP_add).op(OP_setlocal3)
        .op(OP_getlocal, 4).op(OP_pushstring, abc.string("p")).op(OP_getlocal2).op(OP_add)
        .op(OP_callpropvoid, name("push"), 1)
        .op(OP_getlocal, 5).op(OP_getlocal2).op(OP_callpropvoid, name("push"), 1)
        .op(OP_getlocal2).op(OP_increment_i).op(OP_setlocal2);
    work.bind(check).op(OP_getlocal2).op(OP_pushint, abc.intConstant(iterationsPerFrame))
        .branch(OP_iflt, loop).op(OP_returnvoid);
    AbcBuilder::Method oneParameter;
    oneParameter.parameterTypes = {0};
    std::vector<AbcBuilder::Trait> methods = {
        {name("lengthOf"), AbcBuilder::kMethod, 0, 0,
         abc.methodWithBody(lengthOf, {.maxStack = 2, .localCount = 2}, oneParameter)},
        {name("work"), AbcBuilder::kMethod, 0, 0,
         abc.methodWithBody(work, {.maxStack = 6, .localCount = 7}, oneParameter)}};

    AbcCode construct;  // super(); addEventListener("enterFrame", work)
    construct.op(OP_getlocal0).op(OP_pushscope).op(OP_getlocal0).op(OP_constructsuper, 0)
        .op(OP_getlocal0).op(OP_pushstring, abc.string("enterFrame")).op(OP_getlocal0)
        .op(OP_getproperty, name("work")).op(OP_callpropvoid, name("addEventListener"), 2).op(OP_returnvoid);
    AbcCode empty;
    empty.op(OP_returnvoid);
    uint32_t mainName = name("Main");
    uint32_t mainClass = abc.addClass(mainName, clipName, abc.methodWithBody(construct, {.maxStack = 4, .localCount = 1}),
                                      abc.methodWithBody(empty), methods);
    abc.classScript(mainName, clipName, mainClass);

    st::SwfWriter movie;
    movie.version(10).fileAttributes(0x08);
    movie.doAbc(abc.bytes(), 1, "frame1").symbolClass({{0, "Main"}}).showFrame();
    return movie.bytes();
}

// Plays the movie frame after frame; a script error (traced by the player) spoils the run.
void runScriptFrames(benchmark::State& state, const std::vector<uint8_t>& bytes) {
    swf::Player player;
    std::string firstTrace;
    player.SetTraceSink([&](const std::string& line) {
        if (firstTrace.empty()) firstTrace = line;
    });
    if (!player.LoadMovieFromMemory(bytes)) {
        state.SkipWithError("the benchmark movie did not load");
        return;
    }
    uint64_t before = player.ScriptActionsRun();
    for (auto _ : state) player.advanceFrame();
    if (!firstTrace.empty()) state.SkipWithError(("the script failed: " + firstTrace).c_str());
    state.counters["ops/s"] = benchmark::Counter(
        static_cast<double>(player.ScriptActionsRun() - before), benchmark::Counter::kIsRate);
}

void BM_ScriptHeavyFrames(benchmark::State& state) {
    runScriptFrames(state, scriptMovie(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ScriptHeavyFrames)->Arg(1000)->Unit(benchmark::kMillisecond);

// A movie's start: every movie gets a machine of its own, with all the built-in classes
// installed, before its first frame; here a one-frame movie whose script does nothing.
void BM_ScriptMachineStart(benchmark::State& state) {
    st::SwfWriter movie;
    movie.version(8);
    movie.doAction(st::ActionBuilder::assemble("push 1; pop")).showFrame();
    const std::vector<uint8_t> bytes = movie.bytes();
    for (auto _ : state) {
        swf::Player player;
        if (!player.LoadMovieFromMemory(bytes)) {
            state.SkipWithError("the benchmark movie did not load");
            return;
        }
    }
}
BENCHMARK(BM_ScriptMachineStart)->Unit(benchmark::kMicrosecond);

void BM_As3ScriptHeavyFrames(benchmark::State& state) {
    runScriptFrames(state, as3ScriptMovie(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_As3ScriptHeavyFrames)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
