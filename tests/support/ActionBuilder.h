#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Actions without a payload (codes below 0x80): builder method (with an Op suffix where the
// name is a C++ keyword), assembler mnemonic, code.
#define SWFTEST_PLAIN_ACTIONS(X)                \
    X(nextFrame, "nextFrame", 0x04)             \
    X(previousFrame, "previousFrame", 0x05)     \
    X(play, "play", 0x06)                       \
    X(stop, "stop", 0x07)                       \
    X(toggleQuality, "toggleQuality", 0x08)     \
    X(stopSounds, "stopSounds", 0x09)           \
    X(add, "add", 0x0A)                         \
    X(subtract, "subtract", 0x0B)               \
    X(multiply, "multiply", 0x0C)               \
    X(divide, "divide", 0x0D)                   \
    X(equals, "equals", 0x0E)                   \
    X(less, "less", 0x0F)                       \
    X(andOp, "and", 0x10)                       \
    X(orOp, "or", 0x11)                         \
    X(notOp, "not", 0x12)                       \
    X(stringEquals, "stringEquals", 0x13)       \
    X(stringLength, "stringLength", 0x14)       \
    X(stringExtract, "stringExtract", 0x15)     \
    X(pop, "pop", 0x17)                         \
    X(toInteger, "toInteger", 0x18)             \
    X(getVariable, "getVariable", 0x1C)         \
    X(setVariable, "setVariable", 0x1D)         \
    X(setTarget2, "setTarget2", 0x20)           \
    X(stringAdd, "stringAdd", 0x21)             \
    X(getProperty, "getProperty", 0x22)         \
    X(setProperty, "setProperty", 0x23)         \
    X(cloneSprite, "cloneSprite", 0x24)         \
    X(removeSprite, "removeSprite", 0x25)       \
    X(trace, "trace", 0x26)                     \
    X(startDrag, "startDrag", 0x27)             \
    X(endDrag, "endDrag", 0x28)                 \
    X(stringLess, "stringLess", 0x29)           \
    X(throwOp, "throw", 0x2A)                   \
    X(castOp, "castOp", 0x2B)                   \
    X(implementsOp, "implementsOp", 0x2C)       \
    X(randomNumber, "randomNumber", 0x30)       \
    X(mbStringLength, "mbStringLength", 0x31)   \
    X(charToAscii, "charToAscii", 0x32)         \
    X(asciiToChar, "asciiToChar", 0x33)         \
    X(getTime, "getTime", 0x34)                 \
    X(mbStringExtract, "mbStringExtract", 0x35) \
    X(mbCharToAscii, "mbCharToAscii", 0x36)     \
    X(mbAsciiToChar, "mbAsciiToChar", 0x37)     \
    X(deleteOp, "delete", 0x3A)                 \
    X(delete2, "delete2", 0x3B)                 \
    X(defineLocal, "defineLocal", 0x3C)         \
    X(callFunction, "callFunction", 0x3D)       \
    X(returnOp, "return", 0x3E)                 \
    X(modulo, "modulo", 0x3F)                   \
    X(newObject, "newObject", 0x40)             \
    X(defineLocal2, "defineLocal2", 0x41)       \
    X(initArray, "initArray", 0x42)             \
    X(initObject, "initObject", 0x43)           \
    X(typeOf, "typeOf", 0x44)                   \
    X(targetPath, "targetPath", 0x45)           \
    X(enumerate, "enumerate", 0x46)             \
    X(add2, "add2", 0x47)                       \
    X(less2, "less2", 0x48)                     \
    X(equals2, "equals2", 0x49)                 \
    X(toNumber, "toNumber", 0x4A)               \
    X(toString, "toString", 0x4B)               \
    X(pushDuplicate, "pushDuplicate", 0x4C)     \
    X(stackSwap, "stackSwap", 0x4D)             \
    X(getMember, "getMember", 0x4E)             \
    X(setMember, "setMember", 0x4F)             \
    X(increment, "increment", 0x50)             \
    X(decrement, "decrement", 0x51)             \
    X(callMethod, "callMethod", 0x52)           \
    X(newMethod, "newMethod", 0x53)             \
    X(instanceOf, "instanceOf", 0x54)           \
    X(enumerate2, "enumerate2", 0x55)           \
    X(bitAnd, "bitAnd", 0x60)                   \
    X(bitOr, "bitOr", 0x61)                     \
    X(bitXor, "bitXor", 0x62)                   \
    X(bitLShift, "bitLShift", 0x63)             \
    X(bitRShift, "bitRShift", 0x64)             \
    X(bitURShift, "bitURShift", 0x65)           \
    X(strictEquals, "strictEquals", 0x66)       \
    X(greater, "greater", 0x67)                 \
    X(stringGreater, "stringGreater", 0x68)     \
    X(extends, "extends", 0x69)

namespace swftest {

// Builds a list of ACTIONRECORDs: every action of SWF 3 to 10.
//   writer.doAction(ActionBuilder().pushString("hello").trace().stop());
// DoAction and button actions add the terminating ActionEndFlag themselves.
// Jumps may name labels defined before or after them; records() throws while one is missing.
// Function, try and with bodies are builders of their own; jumps in try and with bodies may
// reach labels of the enclosing builder, function bodies are closed.
class ActionBuilder {
  public:
    // One value of an ActionPush record; the factories pick the wire type.
    struct Value {
        uint8_t type = 3;  // undefined
        std::string text;
        double real = 0;
        uint32_t whole = 0;

        static Value string(std::string_view text);
        static Value float32(float value);
        static Value null();
        static Value undefined();
        static Value reg(uint8_t index);
        static Value boolean(bool value);
        static Value float64(double value);
        static Value integer(int32_t value);
        // Constant-pool index: one byte below 256, two bytes above.
        static Value constant(uint16_t index);
        static Value constant16(uint16_t index);
    };
    struct RegisterParam {
        uint8_t reg = 0;  // 0: the parameter is a variable, not a register
        std::string name;
    };
    enum Function2Flag : uint16_t {
        kPreloadThis = 0x0001,
        kSuppressThis = 0x0002,
        kPreloadArguments = 0x0004,
        kSuppressArguments = 0x0008,
        kPreloadSuper = 0x0010,
        kSuppressSuper = 0x0020,
        kPreloadRoot = 0x0040,
        kPreloadParent = 0x0080,
        kPreloadGlobal = 0x0100,
    };
    enum SendMethod : uint8_t { kSendNone = 0, kSendGet = 1, kSendPost = 2 };
    struct TryBlock;

#define SWFTEST_PLAIN_METHOD(method, mnemonic, code) \
    ActionBuilder& method() {                        \
        return action(code);                         \
    }
    SWFTEST_PLAIN_ACTIONS(SWFTEST_PLAIN_METHOD)
#undef SWFTEST_PLAIN_METHOD

    // Frame index counts from 0 (the first frame is 0).
    ActionBuilder& gotoFrame(uint16_t frameIndex);
    ActionBuilder& gotoLabel(std::string_view label);
    // Path of the timeline the following actions address; "" returns to the current one.
    ActionBuilder& setTarget(std::string_view target);
    ActionBuilder& getUrl(std::string_view url, std::string_view target);
    // fscommand(command, arguments): a GetURL to "FSCommand:<command>".
    ActionBuilder& fsCommand(std::string_view command, std::string_view arguments = "");
    // Skips the next `skipCount` actions while the frame is not loaded.
    ActionBuilder& waitForFrame(uint16_t frameIndex, uint8_t skipCount);
    ActionBuilder& waitForFrame2(uint8_t skipCount);
    ActionBuilder& getUrl2(SendMethod method = kSendNone, bool loadTarget = false,
                           bool loadVariables = false);
    ActionBuilder& gotoFrame2(bool play, std::optional<uint16_t> sceneBias = {});
    ActionBuilder& call();
    ActionBuilder& storeRegister(uint8_t index);
    ActionBuilder& strictMode(bool on = true);
    ActionBuilder& constantPool(const std::vector<std::string>& constants);

    ActionBuilder& pushString(std::string_view value);
    ActionBuilder& pushInteger(int32_t value);
    // One ActionPush record carrying all the values.
    ActionBuilder& push(const std::vector<Value>& values);

    // Branches: a label of this builder, or a raw offset from the end of the record.
    ActionBuilder& label(std::string_view name);
    ActionBuilder& jump(std::string_view label);
    ActionBuilder& jump(int16_t offset);
    ActionBuilder& ifTrue(std::string_view label);
    ActionBuilder& ifTrue(int16_t offset);

    ActionBuilder& defineFunction(std::string_view name, const std::vector<std::string>& params,
                                  const ActionBuilder& body);
    ActionBuilder& defineFunction2(std::string_view name, uint8_t registerCount, uint16_t flags,
                                   const std::vector<RegisterParam>& params,
                                   const ActionBuilder& body);
    ActionBuilder& tryBlock(const TryBlock& block);
    ActionBuilder& with(const ActionBuilder& body);

    // Any action: codes below 0x80 have no payload, the others a UI16 length and the payload.
    ActionBuilder& action(uint8_t code);
    ActionBuilder& action(uint8_t code, std::span<const uint8_t> payload);
    // Bytes appended as they are (hostile or hand-made records).
    ActionBuilder& raw(std::span<const uint8_t> bytes);

    // The records, without the ending 0 byte.
    const std::vector<uint8_t>& records() const;
    // The records followed by ActionEndFlag.
    std::vector<uint8_t> terminated() const;

    // Text form, one action a line or separated by ';', `//` comments:
    //   constants "a", "b"
    //   push "s\n", 1, 2.5, nan, f:1.5, d:1, true, null, undefined, r:1, c:0, c16:0
    //     (whole numbers within 32 bits push as integers, other numbers as doubles)
    //   loop: ... if loop; jump end; jump -5          (a number is a raw offset)
    //   function "f" (a, b) { ... }
    //   function2 "g" (r:1="a", "b") flags=preloadThis|suppressSuper regs=3 { ... }
    //     (regs defaults to one past the registers the preloads and parameters take)
    //   try catch="e" { ... } catch { ... } finally { ... }   (or catch=r:3)
    //   with { ... }
    //   gotoFrame 2; gotoLabel "x"; setTarget "x"; getUrl "u" "t"; fsCommand "c" "a"
    //   waitForFrame 5 1; waitForFrame2 1; storeRegister 1; strictMode 1
    //   gotoFrame2 play bias=2; getUrl2 post loadTarget loadVariables
    // Other mnemonics are the action names in lower camel case (add2, getMember, and, ...).
    // Throws std::invalid_argument naming the line of anything it cannot read.
    static ActionBuilder assemble(std::string_view source);

  private:
    struct Fixup {
        size_t at;  // offset of the SI16 to patch
        std::string label;
    };
    ActionBuilder& branch(uint8_t code, std::string_view label);
    void patch(size_t at, size_t target);
    // Appends a body that runs in line with this builder, taking over its open jumps.
    void appendInline(const ActionBuilder& body);

    std::vector<uint8_t> records_;
    std::map<std::string, size_t, std::less<>> labels_;
    std::vector<Fixup> fixups_;
};

// Catch and finally blocks are optional; the caught value goes to a variable or a register.
struct ActionBuilder::TryBlock {
    ActionBuilder body;
    std::optional<ActionBuilder> catchBody;
    std::optional<ActionBuilder> finallyBody;
    std::string catchVariable;
    std::optional<uint8_t> catchRegister;
};

}  // namespace swftest
