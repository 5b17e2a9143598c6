#include "ScriptRun.h"

#include "swf/avm2/Machine.h"

namespace avm2test {

std::vector<std::string> RunAbc(const AbcBuilder& abc) {
    std::vector<std::string> lines;
    swf::avm2::Machine machine([&](const std::string& line) { lines.push_back(line); });
    // The tests that run into the limit need not spend a movie's whole budget doing it.
    machine.setStepBudget(swf::avm2::Machine::kStepBudget / 10);
    std::vector<uint8_t> bytes = abc.bytes();
    machine.loadAbc(bytes, false);
    machine.heap().collect();
    return lines;
}

std::vector<std::string> RunScriptBody(const std::function<void(AbcBuilder&, AbcCode&)>& body,
                                       AbcBuilder::BodyLimits limits) {
    AbcBuilder abc;
    AbcCode code;
    code.op(OP_getlocal0).op(OP_pushscope);
    body(abc, code);
    code.op(OP_returnvoid);
    abc.script(abc.methodWithBody(code, limits));
    return RunAbc(abc);
}

void EmitTrace(AbcBuilder& abc, AbcCode& code, const std::function<void()>& pushValue) {
    uint32_t trace = abc.publicName("trace");
    code.op(OP_findpropstrict, trace);
    pushValue();
    code.op(OP_callpropvoid, trace, 1);
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
    return out;
}

}  // namespace avm2test
