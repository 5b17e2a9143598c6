// The interpreter on a script-heavy movie: every frame runs a loop that calls functions,
// builds objects and arrays, joins strings and reads properties through prototypes, as
// real movies' frame scripts and component code do. The counter is action records a second.

#include <benchmark/benchmark.h>

#include <vector>

#include "support/SwfWriter.h"
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

void BM_ScriptHeavyFrames(benchmark::State& state) {
    std::vector<uint8_t> bytes = scriptMovie(static_cast<int>(state.range(0)));
    swf::Player player;
    if (!player.LoadMovieFromMemory(bytes)) {
        state.SkipWithError("the benchmark movie did not load");
        return;
    }
    uint64_t before = player.ScriptActionsRun();
    for (auto _ : state) player.advanceFrame();
    state.counters["actions/s"] = benchmark::Counter(
        static_cast<double>(player.ScriptActionsRun() - before), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScriptHeavyFrames)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
