// Finding children by name on a clip with many of them, as games that address their sprites
// by name every frame do: the first frame makes the children, every later frame reads a
// property of each through its name. The counter is lookups a second.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "support/SwfWriter.h"
#include "swf/player/Player.h"

namespace {

namespace st = swftest;

constexpr int kLookupsPerFrame = 20000;

std::vector<uint8_t> childrenMovie(int children) {
    st::SwfWriter movie;
    movie.version(8);
    const std::string count = std::to_string(children);
    // _root.createEmptyMovieClip("c" + i, i) for every i.
    movie.doAction(st::ActionBuilder::assemble(R"(
        push "i", 0; setVariable
        make:
        push "i"; getVariable; push )" + count + R"(; less2; not; if made
        push "i"; getVariable; push "c"; push "i"; getVariable; add2; push 2
        push "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
        push "i"; push "i"; getVariable; increment; setVariable
        jump make
        made:)"));
    movie.showFrame();
    // sum += _root["c" + (i % children)]._x, kLookupsPerFrame times.
    movie.doAction(st::ActionBuilder::assemble(R"(
        push "sum", 0; setVariable
        push "i", 0; setVariable
        loop:
        push "i"; getVariable; push )" + std::to_string(kLookupsPerFrame) + R"(; less2; not; if done
        push "sum"; push "sum"; getVariable
        push "_root"; getVariable; push "c"; push "i"; getVariable; push )" + count + R"(; modulo
        add2; getMember; push "_x"; getMember; add2; setVariable
        push "i"; push "i"; getVariable; increment; setVariable
        jump loop
        done:)"));
    movie.showFrame();
    movie.doAction(st::ActionBuilder::assemble("gotoFrame 1; play")).showFrame();
    return movie.bytes();
}

void BM_ChildLookupsByName(benchmark::State& state) {
    std::vector<uint8_t> bytes = childrenMovie(static_cast<int>(state.range(0)));
    swf::Player player;
    if (!player.LoadMovieFromMemory(bytes)) {
        state.SkipWithError("the benchmark movie did not load");
        return;
    }
    player.advanceFrame();  // past the frame that makes the children
    int64_t frames = 0;
    for (auto _ : state) {
        player.advanceFrame();
        ++frames;
    }
    // Every tick goes back to the lookup frame, whose loop runs at once.
    state.counters["lookups/s"] = benchmark::Counter(
        static_cast<double>(frames) * kLookupsPerFrame, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ChildLookupsByName)->Arg(100)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
