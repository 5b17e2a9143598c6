// libFuzzer entry for ActionScript 3 bytecode: the input is an ABC file, read and its last
// script verified and run (with whatever it calls and constructs) in a machine of its own,
// then collected.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "swf/avm2/Machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    swf::avm2::Machine machine([](const std::string&) {});
    machine.loadAbc(std::span<const uint8_t>(data, size), false);
    machine.heap().collect();
    return 0;
}
