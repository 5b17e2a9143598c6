#include "swf/abc/Instruction.h"

#include <array>

namespace swf::abc {
namespace {

struct OpcodeInfo {
    Operands operands = Operands::Invalid;
    const char* name = nullptr;
};

struct Entry {
    uint8_t op;
    Operands operands;
    const char* name;
};

constexpr Entry kEntries[] = {
        {0x01, Operands::None, "bkpt"},
        {0x02, Operands::None, "nop"},
        {0x03, Operands::None, "throw"},
        {0x04, Operands::U30, "getsuper"},
        {0x05, Operands::U30, "setsuper"},
        {0x06, Operands::U30, "dxns"},
        {0x07, Operands::None, "dxnslate"},
        {0x08, Operands::U30, "kill"},
        {0x09, Operands::None, "label"},
        {0x0C, Operands::S24, "ifnlt"},
        {0x0D, Operands::S24, "ifnle"},
        {0x0E, Operands::S24, "ifngt"},
        {0x0F, Operands::S24, "ifnge"},
        {0x10, Operands::S24, "jump"},
        {0x11, Operands::S24, "iftrue"},
        {0x12, Operands::S24, "iffalse"},
        {0x13, Operands::S24, "ifeq"},
        {0x14, Operands::S24, "ifne"},
        {0x15, Operands::S24, "iflt"},
        {0x16, Operands::S24, "ifle"},
        {0x17, Operands::S24, "ifgt"},
        {0x18, Operands::S24, "ifge"},
        {0x19, Operands::S24, "ifstricteq"},
        {0x1A, Operands::S24, "ifstrictne"},
        {0x1B, Operands::Switch, "lookupswitch"},
        {0x1C, Operands::None, "pushwith"},
        {0x1D, Operands::None, "popscope"},
        {0x1E, Operands::None, "nextname"},
        {0x1F, Operands::None, "hasnext"},
        {0x20, Operands::None, "pushnull"},
        {0x21, Operands::None, "pushundefined"},
        {0x23, Operands::None, "nextvalue"},
        {0x24, Operands::S8, "pushbyte"},
        {0x25, Operands::U30, "pushshort"},
        {0x26, Operands::None, "pushtrue"},
        {0x27, Operands::None, "pushfalse"},
        {0x28, Operands::None, "pushnan"},
        {0x29, Operands::None, "pop"},
        {0x2A, Operands::None, "dup"},
        {0x2B, Operands::None, "swap"},
        {0x2C, Operands::U30, "pushstring"},
        {0x2D, Operands::U30, "pushint"},
        {0x2E, Operands::U30, "pushuint"},
        {0x2F, Operands::U30, "pushdouble"},
        {0x30, Operands::None, "pushscope"},
        {0x31, Operands::U30, "pushnamespace"},
        {0x32, Operands::U30U30, "hasnext2"},
        {0x35, Operands::None, "li8"},
        {0x36, Operands::None, "li16"},
        {0x37, Operands::None, "li32"},
        {0x38, Operands::None, "lf32"},
        {0x39, Operands::None, "lf64"},
        {0x3A, Operands::None, "si8"},
        {0x3B, Operands::None, "si16"},
        {0x3C, Operands::None, "si32"},
        {0x3D, Operands::None, "sf32"},
        {0x3E, Operands::None, "sf64"},
        {0x40, Operands::U30, "newfunction"},
        {0x41, Operands::U30, "call"},
        {0x42, Operands::U30, "construct"},
        {0x43, Operands::U30U30, "callmethod"},
        {0x44, Operands::U30U30, "callstatic"},
        {0x45, Operands::U30U30, "callsuper"},
        {0x46, Operands::U30U30, "callproperty"},
        {0x47, Operands::None, "returnvoid"},
        {0x48, Operands::None, "returnvalue"},
        {0x49, Operands::U30, "constructsuper"},
        {0x4A, Operands::U30U30, "constructprop"},
        {0x4C, Operands::U30U30, "callproplex"},
        {0x4E, Operands::U30U30, "callsupervoid"},
        {0x4F, Operands::U30U30, "callpropvoid"},
        {0x50, Operands::None, "sxi1"},
        {0x51, Operands::None, "sxi8"},
        {0x52, Operands::None, "sxi16"},
        {0x53, Operands::U30, "applytype"},
        {0x55, Operands::U30, "newobject"},
        {0x56, Operands::U30, "newarray"},
        {0x57, Operands::None, "newactivation"},
        {0x58, Operands::U30, "newclass"},
        {0x59, Operands::U30, "getdescendants"},
        {0x5A, Operands::U30, "newcatch"},
        {0x5D, Operands::U30, "findpropstrict"},
        {0x5E, Operands::U30, "findproperty"},
        {0x5F, Operands::U30, "finddef"},
        {0x60, Operands::U30, "getlex"},
        {0x61, Operands::U30, "setproperty"},
        {0x62, Operands::U30, "getlocal"},
        {0x63, Operands::U30, "setlocal"},
        {0x64, Operands::None, "getglobalscope"},
        {0x65, Operands::U30, "getscopeobject"},
        {0x66, Operands::U30, "getproperty"},
        {0x67, Operands::U30, "getouterscope"},
        {0x68, Operands::U30, "initproperty"},
        {0x6A, Operands::U30, "deleteproperty"},
        {0x6C, Operands::U30, "getslot"},
        {0x6D, Operands::U30, "setslot"},
        {0x6E, Operands::U30, "getglobalslot"},
        {0x6F, Operands::U30, "setglobalslot"},
        {0x70, Operands::None, "convert_s"},
        {0x71, Operands::None, "esc_xelem"},
        {0x72, Operands::None, "esc_xattr"},
        {0x73, Operands::None, "convert_i"},
        {0x74, Operands::None, "convert_u"},
        {0x75, Operands::None, "convert_d"},
        {0x76, Operands::None, "convert_b"},
        {0x77, Operands::None, "convert_o"},
        {0x78, Operands::None, "checkfilter"},
        {0x80, Operands::U30, "coerce"},
        {0x81, Operands::None, "coerce_b"},
        {0x82, Operands::None, "coerce_a"},
        {0x83, Operands::None, "coerce_i"},
        {0x84, Operands::None, "coerce_d"},
        {0x85, Operands::None, "coerce_s"},
        {0x86, Operands::U30, "astype"},
        {0x87, Operands::None, "astypelate"},
        {0x88, Operands::None, "coerce_u"},
        {0x89, Operands::None, "coerce_o"},
        {0x90, Operands::None, "negate"},
        {0x91, Operands::None, "increment"},
        {0x92, Operands::U30, "inclocal"},
        {0x93, Operands::None, "decrement"},
        {0x94, Operands::U30, "declocal"},
        {0x95, Operands::None, "typeof"},
        {0x96, Operands::None, "not"},
        {0x97, Operands::None, "bitnot"},
        {0xA0, Operands::None, "add"},
        {0xA1, Operands::None, "subtract"},
        {0xA2, Operands::None, "multiply"},
        {0xA3, Operands::None, "divide"},
        {0xA4, Operands::None, "modulo"},
        {0xA5, Operands::None, "lshift"},
        {0xA6, Operands::None, "rshift"},
        {0xA7, Operands::None, "urshift"},
        {0xA8, Operands::None, "bitand"},
        {0xA9, Operands::None, "bitor"},
        {0xAA, Operands::None, "bitxor"},
        {0xAB, Operands::None, "equals"},
        {0xAC, Operands::None, "strictequals"},
        {0xAD, Operands::None, "lessthan"},
        {0xAE, Operands::None, "lessequals"},
        {0xAF, Operands::None, "greaterthan"},
        {0xB0, Operands::None, "greaterequals"},
        {0xB1, Operands::None, "instanceof"},
        {0xB2, Operands::U30, "istype"},
        {0xB3, Operands::None, "istypelate"},
        {0xB4, Operands::None, "in"},
        {0xC0, Operands::None, "increment_i"},
        {0xC1, Operands::None, "decrement_i"},
        {0xC2, Operands::U30, "inclocal_i"},
        {0xC3, Operands::U30, "declocal_i"},
        {0xC4, Operands::None, "negate_i"},
        {0xC5, Operands::None, "add_i"},
        {0xC6, Operands::None, "subtract_i"},
        {0xC7, Operands::None, "multiply_i"},
        {0xD0, Operands::None, "getlocal0"},
        {0xD1, Operands::None, "getlocal1"},
        {0xD2, Operands::None, "getlocal2"},
        {0xD3, Operands::None, "getlocal3"},
        {0xD4, Operands::None, "setlocal0"},
        {0xD5, Operands::None, "setlocal1"},
        {0xD6, Operands::None, "setlocal2"},
        {0xD7, Operands::None, "setlocal3"},
        {0xEF, Operands::Debug, "debug"},
        {0xF0, Operands::U30, "debugline"},
        {0xF1, Operands::U30, "debugfile"},
        {0xF2, Operands::U30, "bkptline"},
        {0xF3, Operands::None, "timestamp"},
};

const std::array<OpcodeInfo, 256>& table() {
    static const std::array<OpcodeInfo, 256> t = [] {
        std::array<OpcodeInfo, 256> built{};
        for (const Entry& e : kEntries) built[e.op] = {e.operands, e.name};
        return built;
    }();
    return t;
}

// Reads a u30 (variable length, 7 bits a byte) at `pc`, advancing it; false past the end.
bool readU30(std::span<const uint8_t> code, size_t& pc, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 5; ++i) {
        if (pc >= code.size()) return false;
        uint8_t byte = code[pc++];
        value |= static_cast<uint32_t>(byte & 0x7F) << (7 * i);
        if (!(byte & 0x80)) return true;
    }
    return true;
}

bool readS24(std::span<const uint8_t> code, size_t& pc, uint32_t& value) {
    if (pc > code.size() || code.size() - pc < 3) return false;
    uint32_t v = code[pc] | (code[pc + 1] << 8) | (static_cast<uint32_t>(code[pc + 2]) << 16);
    if (v & 0x800000) v |= 0xFF000000u;
    value = v;
    pc += 3;
    return true;
}

}  // namespace

Operands operandsOf(uint8_t op) {
    return table()[op].operands;
}

const char* opcodeName(uint8_t op) {
    return table()[op].name;
}

bool decodeInstruction(std::span<const uint8_t> code, size_t pc, Instruction& out) {
    if (pc >= code.size()) return false;
    out = Instruction{};
    out.start = pc;
    out.op = code[pc++];
    uint32_t ignored = 0;
    switch (operandsOf(out.op)) {
        case Operands::Invalid: return false;
        case Operands::None: break;
        case Operands::U30:
            if (!readU30(code, pc, out.a)) return false;
            break;
        case Operands::U30U30:
            if (!readU30(code, pc, out.a) || !readU30(code, pc, out.b)) return false;
            break;
        case Operands::S8:
            if (pc >= code.size()) return false;
            out.a = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(code[pc++])));
            break;
        case Operands::S24:
            if (!readS24(code, pc, out.a)) return false;
            break;
        case Operands::Switch:
            if (!readS24(code, pc, out.a) || !readU30(code, pc, out.b)) return false;
            out.cases = pc;
            if (out.b >= (code.size() - pc) / 3) return false;
            pc += 3 * (static_cast<size_t>(out.b) + 1);
            break;
        case Operands::Debug:
            if (pc + 1 > code.size()) return false;
            ++pc;
            if (!readU30(code, pc, out.a) || pc >= code.size()) return false;
            ++pc;
            if (!readU30(code, pc, ignored)) return false;
            break;
    }
    out.next = pc;
    return true;
}

int64_t switchTarget(std::span<const uint8_t> code, const Instruction& in, int64_t index) {
    uint32_t offset = in.a;
    if (index >= 0) {
        size_t pc = in.cases + 3 * static_cast<size_t>(index);
        readS24(code, pc, offset);
    }
    return static_cast<int64_t>(in.start) + static_cast<int32_t>(offset);
}

}  // namespace swf::abc
