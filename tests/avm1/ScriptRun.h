#pragma once
// Runs small scripts for the interpreter's tests: the script, written in the test action
// assembler, is the first frame's DoAction of a movie of the given version; the trace lines
// it printed come back.

#include <string>
#include <string_view>
#include <vector>

#include "support/SwfWriter.h"
#include "swf/input/InputEvent.h"

namespace avm1test {

// Plays the movie for `frames` frames and returns its trace lines.
std::vector<std::string> RunMovie(const swftest::SwfWriter& movie, int frames = 1);
// The same, delivering input[K - 1] once frame K has been shown (positions in stage pixels).
std::vector<std::string> RunMovie(const swftest::SwfWriter& movie, int frames,
                                  const std::vector<std::vector<swf::InputEvent>>& input);
// One frame with `source` as its actions, in a movie of `swfVersion`.
std::vector<std::string> RunScript(std::string_view source, int swfVersion = 8, int frames = 1);
// The lines joined with '\n', for compact comparisons.
std::string Joined(const std::vector<std::string>& lines);

// A pointer event at a stage position.
swf::InputEvent Pointer(swf::InputEvent::Type type, double x, double y);

// "a, b, c" (assembler values) -> "c, b, a, 3": the pushes before a call, a new or an
// initArray, whose arguments go on the stack last first with their count on top.
std::string PushedArguments(std::string_view list);

// A script and the trace the original player prints for it.
struct ScriptCase {
    std::string name;
    int version = 8;
    std::string script;
    std::string trace;
};
// Runs every case as a one-frame movie and expects its trace.
void ExpectTraces(const std::vector<ScriptCase>& cases);

}  // namespace avm1test
