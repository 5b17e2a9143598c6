#pragma once
// One decoded instruction of method code. Decoding is bounded by the code's end; the verifier
// decodes every instruction once, so the interpreter's decoding of verified code never fails.

#include <cstddef>
#include <cstdint>
#include <span>

namespace swf::abc {

enum class Operands : uint8_t {
    Invalid,
    None,
    U30,     // one index or count
    U30U30,  // a multiname or method and an argument count, or two registers
    S8,      // pushbyte
    S24,     // branches: an offset from the next instruction
    Switch,  // lookupswitch: default offset, case count, offsets from the instruction itself
    Debug,   // u8, u30, u8, u30
};

struct Instruction {
    uint8_t op = 0;
    uint32_t a = 0;  // first operand (a sign-extended value for S8 and S24)
    uint32_t b = 0;  // second operand (Switch: the case count, less one)
    size_t start = 0;
    size_t next = 0;  // offset of the following instruction
    size_t cases = 0; // Switch: offset of the first case offset

    // The target of a branch (S24) from this instruction.
    int64_t branchTarget() const { return static_cast<int64_t>(next) + static_cast<int32_t>(a); }
};

// The operand shape of each opcode; Invalid for bytes that are not instructions.
Operands operandsOf(uint8_t op);
// The opcode's name as the player's disassembler prints it, or nullptr.
const char* opcodeName(uint8_t op);
// Decodes the instruction at `pc`; false when it is not one or runs past the end.
bool decodeInstruction(std::span<const uint8_t> code, size_t pc, Instruction& out);
// The target of case `index` of a decoded lookupswitch (the default for -1).
int64_t switchTarget(std::span<const uint8_t> code, const Instruction& in, int64_t index);

}  // namespace swf::abc
