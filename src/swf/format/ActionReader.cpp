#include "swf/format/ActionReader.h"

#include <algorithm>

namespace swf {

bool ActionReader::read(std::span<const uint8_t> code, size_t& pc, size_t end,
                        ActionRecord& record) {
    end = std::min(end, code.size());
    if (pc >= end) return false;
    uint8_t byte = code[pc++];
    record.code = static_cast<ActionCode>(byte);
    record.operands = {};
    if (byte == 0) return false;
    if (byte >= 0x80) {
        if (pc + 2 > end) return false;
        size_t length = code[pc] | (static_cast<size_t>(code[pc + 1]) << 8);
        pc += 2;
        if (length > end - pc) return false;
        record.operands = code.subspan(pc, length);
        pc += length;
    }
    return true;
}

std::vector<uint8_t> ActionReader::keepInPlace(std::span<const uint8_t> before,
                                               std::span<const uint8_t> code) {
    // How far back the farthest branch lands: at most 32768 bytes, so the jump over the
    // kept bytes fits its operand.
    size_t reach = 0;
    size_t pc = 0;
    ActionRecord record;
    while (read(code, pc, code.size(), record)) {
        if (record.code != ActionCode::kJump && record.code != ActionCode::kIf) continue;
        int64_t target = static_cast<int64_t>(pc) + branchOffset(record);
        if (target < 0) reach = std::max(reach, static_cast<size_t>(-target));
    }
    size_t lead = std::min(reach, before.size());
    std::vector<uint8_t> out;
    out.reserve(code.size() + (lead > 0 ? 5 + lead : 0));
    if (lead > 0) {
        out.assign({static_cast<uint8_t>(ActionCode::kJump), 2, 0, static_cast<uint8_t>(lead),
                    static_cast<uint8_t>(lead >> 8)});
        out.insert(out.end(), before.end() - static_cast<std::ptrdiff_t>(lead), before.end());
    }
    out.insert(out.end(), code.begin(), code.end());
    return out;
}

uint16_t ActionReader::u16Operand(const ActionRecord& record) {
    BitReader in(record.operands);
    return in.u16();
}

int16_t ActionReader::branchOffset(const ActionRecord& record) {
    return static_cast<int16_t>(u16Operand(record));
}

uint8_t ActionReader::u8Operand(const ActionRecord& record) {
    BitReader in(record.operands);
    return in.u8();
}

std::string ActionReader::textOperand(const ActionRecord& record) {
    BitReader in(record.operands);
    return in.cString();
}

GetUrlOperands ActionReader::getUrl(const ActionRecord& record) {
    BitReader in(record.operands);
    GetUrlOperands out;
    out.url = in.cString();
    out.window = in.cString();
    return out;
}

WaitForFrameOperands ActionReader::waitForFrame(const ActionRecord& record) {
    BitReader in(record.operands);
    WaitForFrameOperands out;
    out.frame = in.u16();
    out.skip = in.u8();
    return out;
}

GotoFrame2Operands ActionReader::gotoFrame2(const ActionRecord& record) {
    BitReader in(record.operands);
    GotoFrame2Operands out;
    uint8_t flags = in.u8();
    out.play = flags & 1;
    if (flags & 2) out.sceneBias = in.u16();
    return out;
}

std::vector<std::string> ActionReader::constantPool(const ActionRecord& record) {
    BitReader in(record.operands);
    std::vector<std::string> pool;
    // Each string takes at least its terminating byte, so the count cannot outgrow the record.
    uint16_t count = in.u16();
    for (uint16_t i = 0; i < count && !in.atEnd(); ++i) pool.push_back(in.cString());
    return pool;
}

DefineFunctionOperands ActionReader::defineFunction(const ActionRecord& record) {
    BitReader in(record.operands);
    DefineFunctionOperands out;
    out.name = in.cString();
    uint16_t count = in.u16();
    bool version2 = record.code == ActionCode::kDefineFunction2;
    if (version2) {
        out.registerCount = in.u8();
        out.flags = in.u16();
    }
    for (uint16_t i = 0; i < count && !in.overrun(); ++i) {
        if (version2) out.parameterRegisters.push_back(in.u8());
        out.parameters.push_back(in.cString());
    }
    out.bodySize = in.u16();
    out.complete = !in.overrun();
    return out;
}

TryOperands ActionReader::tryBlock(const ActionRecord& record) {
    BitReader in(record.operands);
    TryOperands out;
    uint8_t flags = in.u8();
    out.hasCatch = flags & 1;
    out.hasFinally = flags & 2;
    out.catchInRegister = flags & 4;
    out.trySize = in.u16();
    out.catchSize = in.u16();
    out.finallySize = in.u16();
    if (out.catchInRegister)
        out.catchRegister = in.u8();
    else
        out.catchName = in.cString();
    return out;
}

bool ActionReader::PushValues::next(PushValue& value) {
    using Kind = PushValue::Kind;
    if (ended_ || in_.atEnd()) return false;
    uint8_t type = in_.u8();
    if (type > static_cast<uint8_t>(Kind::Constant) + 1) {
        ended_ = true;
        return false;
    }
    // Types 8 and 9 are both constants, by an 8-bit and a 16-bit index.
    value.kind = type == 9 ? Kind::Constant : static_cast<Kind>(type);
    switch (type) {
        case 0:
            value.text = in_.cString();
            break;
        case 1:
            value.number = in_.f32();
            break;
        case 4:
            value.index = in_.u8();
            break;
        case 5:
            value.boolean = in_.u8() != 0;
            break;
        case 6:
            value.number = in_.f64();
            break;
        case 7:
            value.number = in_.s32();
            break;
        case 8:
            value.index = in_.u8();
            break;
        case 9:
            value.index = in_.u16();
            break;
        default:
            break;
    }
    ended_ = in_.overrun();
    return true;
}

}  // namespace swf
