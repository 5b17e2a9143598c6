#pragma once
// Reads action records and decodes the operands of each kind of action into a typed form.
// Operands cut short read as zeros and empty texts, as a record past its own end reads in the
// player; a record whose length runs past the code ends the list.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "swf/format/ActionCode.h"
#include "swf/format/BitReader.h"

namespace swf {

struct ActionRecord {
    ActionCode code = ActionCode::kEnd;
    std::span<const uint8_t> operands;
};

struct GetUrlOperands {
    std::string url, window;
};

struct WaitForFrameOperands {
    uint16_t frame = 0;
    uint8_t skip = 0;  // actions skipped while the frame is not loaded
};

struct GotoFrame2Operands {
    bool play = false;
    uint16_t sceneBias = 0;
};

struct DefineFunctionOperands {
    std::string name;
    std::vector<std::string> parameters;
    // DefineFunction2 only: the register of each parameter (0: none), the register count and
    // the flags that preload or suppress this, arguments, super, _root, _parent and _global.
    std::vector<uint8_t> parameterRegisters;
    uint8_t registerCount = 0;
    uint16_t flags = 0;
    size_t bodySize = 0;    // the bytes after the record that form the body
    bool complete = false;  // false when the record ends before the body size
};

struct TryOperands {
    bool hasCatch = false, hasFinally = false, catchInRegister = false;
    size_t trySize = 0, catchSize = 0, finallySize = 0;
    uint8_t catchRegister = 0;
    std::string catchName;
};

// One value of a Push record.
struct PushValue {
    enum class Kind : uint8_t {
        String,
        Float,
        Null,
        Undefined,
        Register,
        Boolean,
        Double,
        Integer,
        Constant
    };
    Kind kind = Kind::Undefined;
    std::string text;
    double number = 0;  // Float, Double and Integer
    bool boolean = false;
    uint16_t index = 0;  // Register and Constant
};

class ActionReader {
  public:
    // The record at `pc` (moved past it); false at End, at `end` or on a record cut short.
    static bool read(std::span<const uint8_t> code, size_t& pc, size_t end, ActionRecord& record);

    // GotoFrame's frame, Jump's and If's offset, StoreRegister's register, GetURL2's flags,
    // WaitForFrame2's skip count, With's block size: the first operand.
    static uint16_t u16Operand(const ActionRecord& record);
    static int16_t branchOffset(const ActionRecord& record);
    static uint8_t u8Operand(const ActionRecord& record);
    // SetTarget's path and GoToLabel's label.
    static std::string textOperand(const ActionRecord& record);
    static GetUrlOperands getUrl(const ActionRecord& record);
    static WaitForFrameOperands waitForFrame(const ActionRecord& record);
    static GotoFrame2Operands gotoFrame2(const ActionRecord& record);
    static std::vector<std::string> constantPool(const ActionRecord& record);
    static DefineFunctionOperands defineFunction(const ActionRecord& record);
    static TryOperands tryBlock(const ActionRecord& record);
    // The list `code` as the player runs it where it lies, `before` being the bytes in front of
    // it: a Jump or If back past its start lands there and runs what it finds, up to an End.
    // The bytes such a branch reaches come first, with a jump over them that starts the list.
    static std::vector<uint8_t> keepInPlace(std::span<const uint8_t> before,
                                            std::span<const uint8_t> code);

    // Push's values, one at a time: next() is false after the last value, at a type the
    // player does not know, or after a value cut short (which is still given).
    class PushValues {
      public:
        explicit PushValues(const ActionRecord& record) : in_(record.operands) {}
        bool next(PushValue& value);

      private:
        BitReader in_;
        bool ended_ = false;
    };
};

}  // namespace swf
