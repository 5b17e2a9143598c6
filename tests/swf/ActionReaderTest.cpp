#include <gtest/gtest.h>

#include <vector>

#include "swf/format/ActionReader.h"

namespace {

using swf::ActionCode;
using swf::ActionReader;
using swf::ActionRecord;
using swf::PushValue;

// Walks a list of records as the interpreter does: where each one ends, and where the list does.
TEST(ActionReader, RecordsEndAtEndAtTheLimitOrWhereALengthRunsPastTheCode) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code;
        std::vector<size_t> recordEnds;  // the offset after each record read
    };
    const Case cases[] = {
        {"short and long records", {0x06, 0x99, 0x02, 0x00, 0x05, 0x00, 0x07}, {1, 6, 7}},
        {"End stops the list", {0x06, 0x00, 0x07}, {1}},
        {"a length past the code", {0x06, 0x96, 0x09, 0x00, 0x00}, {1}},
        {"a length cut in half", {0x07, 0x96, 0x01}, {1}},
        {"nothing", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<size_t> ends;
        size_t pc = 0;
        ActionRecord record;
        while (ends.size() < 10 && ActionReader::read(c.code, pc, c.code.size(), record))
            ends.push_back(pc);
        EXPECT_EQ(ends, c.recordEnds);
    }
}

TEST(ActionReader, PushValuesOfEveryTypeAndAValueCutShort) {
    // String "a", float 1.5, null, undefined, register 3, true, double 2.25, int -7,
    // constant 2, constant 300, then an integer with two of its four bytes.
    std::vector<uint8_t> code = {0x96, 0x00, 0x00, 0, 'a', 0, 1, 0x00, 0x00, 0xC0, 0x3F, 2, 3,
                                 4, 3, 5, 1, 6, 0x00, 0x00, 0x02, 0x40, 0, 0, 0, 0,
                                 7, 0xF9, 0xFF, 0xFF, 0xFF, 8, 2, 9, 0x2C, 0x01, 7, 0x01, 0x00};
    code[1] = static_cast<uint8_t>(code.size() - 3);
    size_t pc = 0;
    ActionRecord record;
    ASSERT_TRUE(ActionReader::read(code, pc, code.size(), record));
    ASSERT_EQ(record.code, ActionCode::kPush);
    using K = PushValue::Kind;
    std::vector<K> kinds;
    std::vector<double> numbers;
    ActionReader::PushValues values(record);
    PushValue value;
    while (values.next(value)) {
        kinds.push_back(value.kind);
        if (value.kind == K::String) {
            EXPECT_EQ(value.text, "a");
        }
        if (value.kind == K::Boolean) {
            EXPECT_TRUE(value.boolean);
        }
        if (value.kind == K::Float || value.kind == K::Double || value.kind == K::Integer)
            numbers.push_back(value.number);
        if (value.kind == K::Register || value.kind == K::Constant)
            numbers.push_back(value.index);
    }
    EXPECT_EQ(kinds, (std::vector<K>{K::String, K::Float, K::Null, K::Undefined, K::Register,
                                     K::Boolean, K::Double, K::Integer, K::Constant, K::Constant,
                                     K::Integer}));
    // The cut integer reads as zero, and ends the record.
    EXPECT_EQ(numbers, (std::vector<double>{1.5, 3, 2.25, -7, 2, 300, 0}));
}

TEST(ActionReader, DefineFunctionCutBeforeItsBodySizeIsIncomplete) {
    // DefineFunction2 "f" (a, b) with 4 registers, flags 0x0102, body 9 bytes.
    std::vector<uint8_t> operands = {'f', 0, 2, 0, 4, 0x02, 0x01, 1, 'a', 0, 0, 'b', 0, 9, 0};
    ActionRecord record{ActionCode::kDefineFunction2, operands};
    swf::DefineFunctionOperands whole = ActionReader::defineFunction(record);
    EXPECT_TRUE(whole.complete);
    EXPECT_EQ(whole.name, "f");
    EXPECT_EQ(whole.parameters, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(whole.parameterRegisters, (std::vector<uint8_t>{1, 0}));
    EXPECT_EQ(whole.registerCount, 4);
    EXPECT_EQ(whole.flags, 0x0102);
    EXPECT_EQ(whole.bodySize, 9u);
    record.operands = std::span<const uint8_t>(operands).first(operands.size() - 1);
    EXPECT_FALSE(ActionReader::defineFunction(record).complete);
}

}  // namespace
