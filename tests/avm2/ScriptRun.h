#pragma once
// Runs ABC built by the test assembler in a machine of its own and returns what it traced.

#include <functional>
#include <string>
#include <vector>

#include "support/AbcBuilder.h"
#include "swf/abc/Opcode.h"

namespace avm2test {

using swftest::AbcBuilder;
using swftest::AbcCode;
using namespace swf::abc;

// Loads `abc` into a fresh machine (running its last script) and returns the trace lines.
std::vector<std::string> RunAbc(const AbcBuilder& abc);
// A script whose initializer is `body` between "getlocal0; pushscope" and "returnvoid".
std::vector<std::string> RunScriptBody(const std::function<void(AbcBuilder&, AbcCode&)>& body,
                                       AbcBuilder::BodyLimits limits = {});
// Emits trace(<value on the stack>) as callproperty on the global trace.
void EmitTrace(AbcBuilder& abc, AbcCode& code, const std::function<void()>& pushValue);
std::string Joined(const std::vector<std::string>& lines);

}  // namespace avm2test
