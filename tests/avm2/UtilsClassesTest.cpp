// flash.utils' data classes (ByteArray, Dictionary) and Array.sortOn, run as small ABC
// scripts and checked by what they trace.

#include <gtest/gtest.h>

#include "ScriptEmit.h"
#include "swf/avm2/Machine.h"

namespace {

using namespace avm2test;

Emit Bytes() {
    return New("flash.utils::ByteArray", {});
}
// A ByteArray holding `values`, its position back at 0.
Emit BytesOf(std::vector<double> values) {
    Emit bytes = Bytes();
    for (size_t i = 0; i < values.size(); ++i) bytes = Stored(bytes, static_cast<double>(i), Num(values[i]));
    return bytes;
}
Emit Rewound(Emit bytes) {
    return Assigned(bytes, "position", Num(0));
}
// `first` run for its effects, then `value`.
Emit Then(Emit first, Emit value) {
    return [first, value](AbcBuilder& abc, AbcCode& code) {
        first(abc, code);
        code.op(OP_pop);
        value(abc, code);
    };
}
Emit Null() {
    return [](AbcBuilder&, AbcCode& code) { code.op(OP_pushnull); };
}
Emit Bool(bool b) {
    return [b](AbcBuilder&, AbcCode& code) { code.op(b ? OP_pushtrue : OP_pushfalse); };
}
// { name: value, ... }
Emit Obj(std::vector<std::pair<std::string, Emit>> properties) {
    return [properties](AbcBuilder& abc, AbcCode& code) {
        for (const auto& [name, value] : properties) {
            code.op(OP_pushstring, abc.string(name));
            value(abc, code);
        }
        code.op(OP_newobject, static_cast<uint32_t>(properties.size()));
    };
}
Emit Arr(std::vector<Emit> items) {
    return [items](AbcBuilder& abc, AbcCode& code) {
        for (const Emit& item : items) item(abc, code);
        code.op(OP_newarray, static_cast<uint32_t>(items.size()));
    };
}
Emit Json(Emit value) {
    return Static("JSON", "stringify", {value});
}
// What readObject gives back after writeObject(value), in `encoding`.
Emit RoundTrip(Emit value, double encoding = 3) {
    return Call(Rewound(Having(Assigned(Bytes(), "objectEncoding", Num(encoding)), "writeObject", {value})),
                "readObject", {});
}
Emit BinaryOp(uint8_t op, Emit a, Emit b) {
    return [op, a, b](AbcBuilder& abc, AbcCode& code) {
        a(abc, code);
        b(abc, code);
        code.op(op);
    };
}
Emit TypeOf(Emit value) {
    return [value](AbcBuilder& abc, AbcCode& code) {
        value(abc, code);
        code.op(OP_typeof);
    };
}
Emit Deleted(Emit target, Emit key) {
    return After(target, [key](AbcBuilder& abc, AbcCode& code) {
        key(abc, code);
        code.op(OP_deleteproperty, abc.multinameL(abc.nsSet({abc.ns(0x16, "")}))).op(OP_pop);
    });
}
// for (var k in value) s += each(k) + ","; for each with `values`.
Emit ForIn(Emit value, bool values, std::function<Emit(Emit)> each) {
    return [value, values, each](AbcBuilder& abc, AbcCode& code) {
        value(abc, code);
        code.op(OP_setlocal, 5).op(OP_pushbyte, 0).op(OP_setlocal, 6);
        code.op(OP_pushstring, abc.string("")).op(OP_setlocal, 7);
        AbcCode::Label loop = code.newLabel(), end = code.newLabel();
        code.bind(loop).op(OP_hasnext2, 5, 6).branch(OP_iffalse, end);
        code.op(OP_getlocal, 7);
        each([values](AbcBuilder&, AbcCode& c) { c.op(OP_getlocal, 5).op(OP_getlocal, 6).op(values ? OP_nextvalue : OP_nextname); })(abc, code);
        code.op(OP_add).op(OP_pushstring, abc.string(",")).op(OP_add).op(OP_setlocal, 7);
        code.branch(OP_jump, loop).bind(end).op(OP_getlocal, 7);
    };
}

TEST(Avm2UtilsClasses, ByteArrayReadsAndWritesAsThePlayerDoes) {
    auto little = [] { return Assigned(Bytes(), "endian", Str("littleEndian")); };
    auto written = [](Emit bytes, const char* method, double value) { return Having(bytes, method, {Num(value)}); };
    const std::vector<Case> cases = {
        {"big-endian by default", Get(Bytes(), "endian"), "bigEndian"},
        {"an int's high byte first", Index(written(Bytes(), "writeInt", 0x01020304), Num(0)), "1"},
        {"or last in little-endian", Index(written(little(), "writeInt", 0x01020304), Num(0)), "4"},
        {"writing moves the position", Get(written(Bytes(), "writeDouble", 1), "position"), "8"},
        {"readShort is signed", Call(Rewound(written(Bytes(), "writeShort", 65535)), "readShort", {}), "-1"},
        {"readUnsignedShort", Call(Rewound(written(little(), "writeShort", -2)), "readUnsignedShort", {}), "65534"},
        {"readByte", Call(Rewound(written(Bytes(), "writeByte", 200)), "readByte", {}), "-56"},
        {"readUnsignedInt", Call(Rewound(written(Bytes(), "writeInt", -1)), "readUnsignedInt", {}), "4294967295"},
        {"float", Call(Rewound(written(little(), "writeFloat", 1.5)), "readFloat", {}), "1.5"},
        {"float past its range", Call(Rewound(written(Bytes(), "writeFloat", 1e300)), "readFloat", {}), "Infinity"},
        {"double", Call(Rewound(written(Bytes(), "writeDouble", -0.1)), "readDouble", {}), "-0.1"},
        {"boolean", Call(Rewound(Having(Bytes(), "writeBoolean", {Str("x")})), "readBoolean", {}), "true"},
        {"writeUTF has a length first", Get(Having(Bytes(), "writeUTF", {Str("h\xC3\xA9llo")}), "length"), "8"},
        {"readUTF", Call(Rewound(Having(Bytes(), "writeUTF", {Str("h\xC3\xA9llo")})), "readUTF", {}), "h\xC3\xA9llo"},
        {"readUTFBytes ends at a NUL", Get(Call(BytesOf({65, 0, 66}), "readUTFBytes", {Num(3)}), "length"), "1"},
        {"and drops a byte-order mark", Call(BytesOf({0xEF, 0xBB, 0xBF, 65}), "readUTFBytes", {Num(4)}), "A"},
        {"toString reads UTF-16 after its mark", Call(BytesOf({0xFF, 0xFE, 65, 0, 66, 0}), "toString", {}), "AB"},
        {"a stray byte is a character", Call(BytesOf({0xE9, 65}), "toString", {}), "\xC3\xA9" "A"},
        {"multibyte UTF-16", Get(Having(Bytes(), "writeMultiByte", {Str("ab"), Str("unicode")}), "length"), "4"},
        {"multibyte through a code page", Call(Rewound(Having(Bytes(), "writeMultiByte", {Str("\xC3\xA9"), Str("iso-8859-1")})),
                                               "readMultiByte", {Num(1), Str("iso-8859-1")}), "\xC3\xA9"},
        {"a longer length is zero filled", Index(Assigned(BytesOf({7}), "length", Num(3)), Num(2)), "0"},
        {"a shorter one pulls the position in", Get(Assigned(written(Bytes(), "writeInt", 1), "length", Num(2)), "position"), "2"},
        {"an index past the end is undefined", Index(BytesOf({1}), Num(5)), "undefined"},
        {"a stored index keeps its low byte", Index(Stored(Bytes(), 2, Num(0x1FF)), Num(2)), "255"},
        {"and grows the array", Get(Stored(Bytes(), 2, Num(1)), "length"), "3"},
        {"bytesAvailable", Get(Assigned(BytesOf({1, 2, 3}), "position", Num(1)), "bytesAvailable"), "2"},
        {"and none past the end", Get(Assigned(BytesOf({1}), "position", Num(9)), "bytesAvailable"), "0"},
        {"writeBytes with offset and length", Call(Having(Bytes(), "writeBytes", {BytesOf({65, 66, 67, 68}), Num(1), Num(2)}), "toString", {}), "BC"},
        {"length 0 takes the rest", Call(Having(Bytes(), "writeBytes", {BytesOf({65, 66, 67}), Num(1)}), "toString", {}), "BC"},
        {"readBytes writes at the target's offset",
         Call(Then(Having(BytesOf({65, 66, 67}), "readBytes", {Kept(1, BytesOf({120, 121})), Num(1), Num(2)}), Local(1)),
              "toString", {}), "xAB"},
        {"and leaves the target's position", Get(Then(Having(BytesOf({65}), "readBytes", {Kept(1, Bytes())}), Local(1)), "position"), "0"},
        {"readBytes into self", Call(Having(Kept(1, BytesOf({65, 66})), "readBytes", {Local(1), Num(2)}), "toString", {}), "ABAB"},
        {"clear", Get(Having(BytesOf({1, 2}), "clear", {}), "length"), "0"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

TEST(Avm2UtilsClasses, ByteArrayErrorsAreThePlayers) {
    const std::vector<Case> cases = {
        {"reading past the end", Call(BytesOf({1}), "readInt", {}), "Error: Error #2030: End of file was encountered."},
        {"readBytes past the end", Call(BytesOf({1}), "readBytes", {Bytes(), Num(0), Num(2)}),
         "Error: Error #2030: End of file was encountered."},
        {"an offset past the source", Call(Bytes(), "writeBytes", {BytesOf({1}), Num(2)}),
         "RangeError: Error #2006: The supplied index is out of bounds."},
        {"a length past the source", Call(Bytes(), "writeBytes", {BytesOf({1, 2}), Num(1), Num(2)}),
         "RangeError: Error #2006: The supplied index is out of bounds."},
        {"a null array", Call(Bytes(), "readBytes", {Null()}), "TypeError: Error #2007: Parameter bytes must be non-null."},
        {"an unknown byte order", Assigned(Bytes(), "endian", Str("middle")),
         "ArgumentError: Error #2008: Parameter endian must be one of the accepted values."},
        {"a missing argument", Call(Bytes(), "readUTFBytes", {}),
         "ArgumentError: Error #1063: Argument count mismatch on flash.utils::ByteArray/readUTFBytes(). Expected 1, got 0."},
        {"a length beyond memory", Assigned(Bytes(), "length", Num(4e9)), "Error: Error #1000: The system is out of memory."},
        {"a negative length is a huge one", Assigned(Bytes(), "length", Num(-1)), "Error: Error #1000: The system is out of memory."},
        {"damaged compressed data", Call(BytesOf({1, 2, 3}), "uncompress", {}),
         "Error: Error #2058: There was an error decompressing the data."},
        {"an unknown algorithm", Call(BytesOf({1}), "compress", {Str("zip")}),
         "Error: Error #2058: There was an error decompressing the data."},
        {"no error", Call(BytesOf({1}), "readByte", {}), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ThrownBy(c.value), c.trace) << c.name;
}

TEST(Avm2UtilsClasses, CompressionRoundTripsInEachAlgorithm) {
    std::string text(300, 'a');
    text += "the end";
    auto source = [text] { return Having(Bytes(), "writeUTFBytes", {Str(text)}); };
    for (const char* algorithm : {"zlib", "deflate", "lzma"}) {
        Emit compressed = Having(source(), "compress", {Str(algorithm)});
        EXPECT_LT(std::stoi(TraceOf(Get(compressed, "length"))), 100) << algorithm;
        EXPECT_EQ(TraceOf(Get(compressed, "position")), TraceOf(Get(compressed, "length"))) << algorithm;
        Emit back = Having(compressed, "uncompress", {Str(algorithm)});
        EXPECT_EQ(TraceOf(Call(back, "toString", {})), text) << algorithm;
        EXPECT_EQ(TraceOf(Get(back, "position")), "0") << algorithm;
    }
    EXPECT_EQ(TraceOf(Call(Having(Having(source(), "deflate", {}), "inflate", {}), "toString", {})), text);
    EXPECT_EQ(TraceOf(Get(Having(Bytes(), "compress", {}), "length")), "0") << "an empty array stays empty";
    // The player's LZMA form: properties, then the length in eight little-endian bytes.
    EXPECT_EQ(TraceOf(Index(Having(source(), "compress", {Str("lzma")}), Num(5))), "51");
}

TEST(Avm2UtilsClasses, AmfRoundTripsTheCoreTypes) {
    const std::vector<Case> cases = {
        {"an int in AMF3 takes two bytes", Get(Having(Bytes(), "writeObject", {Num(1)}), "length"), "2"},
        {"a repeated string is a reference",
         Get(Having(Having(Bytes(), "writeObject", {Arr({Str("ab"), Str("ab")})}), "writeObject", {Null()}), "length"), "10"},
        {"a double", RoundTrip(Num(-2.5)), "-2.5"},
        {"a large int", RoundTrip(Num(-268435456)), "-268435456"},
        {"past 29 bits", RoundTrip(Num(268435456)), "268435456"},
        {"a string", RoundTrip(Str("h\xC3\xA9")), "h\xC3\xA9"},
        {"null", RoundTrip(Null()), "null"},
        {"booleans", RoundTrip(Arr({Bool(true), Bool(false)})), "true,false"},
        {"an object", Json(RoundTrip(Obj({{"a", Num(1)}, {"b", Arr({Str("x"), Null()})}}))), "{\"a\":1,\"b\":[\"x\",null]}"},
        {"an array's named members", Get(RoundTrip(Assigned(Arr({Num(1)}), "name", Str("n"))), "name"), "n"},
        {"a date", Call(RoundTrip(New("Date", {Num(86400000)})), "getTime", {}), "86400000"},
        {"a ByteArray", Call(RoundTrip(BytesOf({65, 66})), "toString", {}), "AB"},
        {"AMF0 object", Json(RoundTrip(Obj({{"a", Str("b")}}), 0)), "{\"a\":\"b\"}"},
        {"AMF0 array", RoundTrip(Arr({Num(1), Str("two")}), 0), "1,two"},
        {"AMF0 number takes nine bytes", Get(Having(Assigned(Bytes(), "objectEncoding", Num(0)), "writeObject", {Num(1)}), "length"), "9"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
    // An object holding itself is written once and read back holding itself.
    Emit cyclic = [](AbcBuilder& abc, AbcCode& code) {
        Obj({})(abc, code);
        code.op(OP_dup).op(OP_dup).op(OP_setproperty, abc.publicName("self"));
    };
    EXPECT_EQ(TraceOf(BinaryOp(OP_strictequals, Get(Kept(1, RoundTrip(cyclic)), "self"), Local(1))), "true");
}

TEST(Avm2UtilsClasses, DictionaryKeysObjectsByIdentity) {
    auto dictionary = [] { return New("flash.utils::Dictionary", {}); };
    // Two objects whose text is the same, as keys of one dictionary.
    auto twoKeys = [&] { return StoredAt(StoredAt(dictionary(), Kept(1, Obj({})), Num(1)), Kept(2, Obj({})), Num(2)); };
    auto in = [](Emit key, Emit target) { return BinaryOp(OP_in, key, target); };
    const std::vector<Case> cases = {
        {"each object its own entry", BinaryOp(OP_add, Index(Kept(3, twoKeys()), Local(1)), Index(Local(3), Local(2))), "3"},
        {"not found by its text", Index(twoKeys(), Str("[object Object]")), "undefined"},
        {"primitive keys are text", Index(StoredAt(dictionary(), Num(13), Str("n")), Str("13")), "n"},
        {"in", Then(Kept(3, twoKeys()), in(Local(2), Local(3))), "true"},
        {"delete", Then(Kept(3, Deleted(twoKeys(), Local(1))), in(Local(1), Local(3))), "false"},
        {"and the other stays", Then(Kept(3, Deleted(twoKeys(), Local(1))), in(Local(2), Local(3))), "true"},
        {"for-in gives the objects themselves", ForIn(StoredAt(StoredAt(dictionary(), Str("s"), Num(1)), Obj({}), Num(2)), false, TypeOf),
         "string,object,"},
        {"for each gives the values", ForIn(twoKeys(), true, [](Emit v) { return v; }), "1,2,"},
        {"a deleted key is skipped", ForIn(Deleted(twoKeys(), Local(1)), true, [](Emit v) { return v; }), "2,"},
        {"weak keys are accepted", Index(StoredAt(New("flash.utils::Dictionary", {Bool(true)}), Kept(1, Obj({})), Num(4)), Local(1)), "4"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

TEST(Avm2UtilsClasses, WeakKeysGoWhenNothingElseHoldsThem) {
    using namespace swf::avm2;
    Machine machine([](const std::string&) {});
    ClassObject* cls = machine.findClass("flash.utils::Dictionary");
    ASSERT_NE(cls, nullptr);
    for (bool weak : {false, true}) {
        Value arg = Value::boolean(weak);
        Rooted<Object> dictionary(machine.heap(), machine.construct(Value::object(cls), std::span<const Value>(&arg, 1)).asObject());
        Rooted<Object> kept(machine.heap(), machine.newObject());
        for (Object* key : {kept.get(), machine.newObject()}) {
            Name name = machine.keyName(Value::object(key), Value::object(dictionary.get()));
            machine.setProperty(Value::object(dictionary.get()), name, Value::number(1));
        }
        machine.heap().collect();
        EXPECT_EQ(dictionary->keyedCount(), weak ? 1u : 2u) << (weak ? "weak" : "strong");
        Name name = machine.keyName(Value::object(kept.get()), Value::object(dictionary.get()));
        EXPECT_TRUE(machine.hasProperty(Value::object(dictionary.get()), name));
    }
}

TEST(Avm2UtilsClasses, SortOnOrdersByFieldsWithTheirOptions) {
    auto person = [](const char* name, double age) { return Obj({{"name", Str(name)}, {"age", Num(age)}}); };
    auto people = [&] { return Arr({person("bob", 30), person("Al", 9), person("cy", 30), person("al", 100)}); };
    auto names = [](Emit sorted) {
        return Call(Call(sorted, "map", {[](AbcBuilder& abc, AbcCode& code) {
            // function (p) { return p.name }
            AbcCode body;
            body.op(OP_getlocal1).op(OP_getproperty, abc.publicName("name")).op(OP_returnvalue);
            swftest::AbcMethod method;
            method.parameterTypes = {0};
            code.op(OP_newfunction, abc.methodWithBody(body, {.maxStack = 2, .localCount = 2}, method));
        }}), "join", {Str(" ")});
    };
    auto sortOn = [&](Emit fields, Emit options) { return Call(people(), "sortOn", {fields, options}); };
    auto sortOnField = [&](const char* field, double options) { return sortOn(Str(field), Num(options)); };
    const std::vector<Case> cases = {
        {"by text", names(Call(people(), "sortOn", {Str("name")})), "Al al bob cy"},
        {"numbers as text", names(sortOnField("age", 0)), "al bob cy Al"},
        {"NUMERIC", names(sortOnField("age", 16)), "Al bob cy al"},
        {"NUMERIC | DESCENDING", names(sortOnField("age", 16 | 2)), "al bob cy Al"},
        {"CASEINSENSITIVE keeps equal ones in place", names(sortOnField("name", 1)), "Al al bob cy"},
        {"two fields", names(sortOn(Arr({Str("age"), Str("name")}), Num(16))), "Al bob cy al"},
        {"options for each field", names(sortOn(Arr({Str("age"), Str("name")}), Arr({Num(16), Num(2)}))), "Al cy bob al"},
        {"RETURNINDEXEDARRAY leaves the array", sortOnField("age", 16 | 8), "1,0,2,3"},
        {"UNIQUESORT finds equal ones", sortOnField("age", 16 | 4), "0"},
        {"and sorts when there are none", names(sortOnField("name", 4)), "Al al bob cy"},
        {"a missing field sorts last", names(Call(Arr({Obj({}), person("z", 1)}), "sortOn", {Str("name")})), "z "},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

TEST(Avm2UtilsClasses, DefinitionsAreFoundByName) {
    auto find = [](const char* name) { return Static("flash.utils::getDefinitionByName", "call", {Null(), Str(name)}); };
    EXPECT_EQ(TraceOf(find("flash.utils.ByteArray")), "[class ByteArray]");
    EXPECT_EQ(TraceOf(find("flash.utils::Dictionary")), "[class Dictionary]");
    EXPECT_EQ(TraceOf(find("String")), "[class String]");
    EXPECT_EQ(ThrownBy(find("flash.utils.Nothing")), "ReferenceError: Error #1065: Variable flash.utils.Nothing is not defined.");
    EXPECT_EQ(ThrownBy(find("")), "ReferenceError: Error #1065: Variable  is not defined.");
}

TEST(Avm2UtilsClasses, ForInThatDeletesMissesNothing) {
    // for (k in o) { delete o[k]; s += k } over three properties.
    Emit three = Obj({{"a", Num(1)}, {"b", Num(2)}, {"c", Num(3)}});
    Emit deleting = ForIn(Kept(1, three), false, [](Emit name) {
        return Then(Deleted(Local(1), Kept(2, name)), Local(2));
    });
    EXPECT_EQ(TraceOf(deleting), "a,b,c,");
}

TEST(Avm2UtilsClasses, ByteArrayEdgesOfPositionAndText) {
    auto in = [](Emit key, Emit target) { return BinaryOp(OP_in, key, target); };
    const std::vector<Case> cases = {
        {"writing past the end zero fills", Index(Having(Assigned(Bytes(), "position", Num(3)), "writeByte", {Num(9)}), Num(1)), "0"},
        {"and the length follows", Get(Having(Assigned(Bytes(), "position", Num(3)), "writeByte", {Num(9)}), "length"), "4"},
        {"an index inside is in", in(Num(1), BytesOf({1, 2})), "true"},
        {"one past the end is not", in(Num(2), BytesOf({1, 2})), "false"},
        {"toString keeps a NUL", Get(Call(BytesOf({65, 0, 66}), "toString", {}), "length"), "3"},
        {"toString starts from 0 whatever the position", Call(Assigned(BytesOf({65, 66}), "position", Num(2)), "toString", {}), "AB"},
        {"and leaves the position", Get(Then(Call(Kept(1, Assigned(BytesOf({65}), "position", Num(1))), "toString", {}), Local(1)), "position"), "1"},
        {"readUTF of a length the data lacks", Get(Call(BytesOf({0, 9, 65}), "readUTFBytes", {Num(3)}), "length"), "0"},
        {"UTF-16 big-endian", Call(Rewound(Having(Bytes(), "writeMultiByte", {Str("hi"), Str("utf-16be")})), "readMultiByte", {Num(4), Str("utf-16be")}), "hi"},
        {"Shift-JIS through the C library", Get(Having(Bytes(), "writeMultiByte", {Str("\xE6\xAC\xA1"), Str("shift-jis")}), "length"), "2"},
        {"a byte index keeps only its low bits", Index(Stored(Bytes(), 0, Num(-1)), Num(0)), "255"},
        {"a little-endian double", Index(Having(Assigned(Bytes(), "endian", Str("littleEndian")), "writeDouble", {Num(1)}), Num(7)), "63"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
    EXPECT_EQ(ThrownBy(Call(Bytes(), "writeUTF", {Str(std::string(70000, 'x'))})),
              "RangeError: Error #2006: The supplied index is out of bounds.");
    EXPECT_EQ(ThrownBy(Call(BytesOf({0, 9, 65}), "readUTF", {})), "Error: Error #2030: End of file was encountered.");
    EXPECT_EQ(ThrownBy(Call(Bytes(), "readObject", {})), "Error: Error #2030: End of file was encountered.");
}

TEST(Avm2UtilsClasses, AmfTablesAndWhatIsLeftOut) {
    const std::vector<Case> cases = {
        // 0A 0B 01 (anonymous dynamic traits, no class name), 03 61 04 01, 03 62 06 00 (the string
        // "a" again), 01.
        {"an object's names go into the string table",
         Get(Having(Bytes(), "writeObject", {Obj({{"a", Num(1)}, {"b", Str("a")}})}), "length"), "12"},
        {"a second object of the class refers to its traits",
         Get(Having(Bytes(), "writeObject", {Arr({Obj({}), Obj({})})}), "length"), "10"},
        {"the same object twice is one reference", Get(Having(Kept(1, Bytes()), "writeObject", {Then(Kept(2, Obj({})), Arr({Local(2), Local(2)}))}), "length"), "9"},
        {"and comes back as one", BinaryOp(OP_strictequals, Index(Kept(3, RoundTrip(Then(Kept(2, Obj({})), Arr({Local(2), Local(2)})))), Num(0)),
                                           Index(Local(3), Num(1))), "true"},
        {"functions are left out of objects", Json(RoundTrip(Obj({{"f", Global("isNaN")}, {"x", Num(2)}}))), "{\"x\":2}"},
        {"a function alone is undefined", RoundTrip(Global("isNaN")), "undefined"},
        {"a dictionary's object keys", TypeOf(Get(RoundTrip(Obj({{"d", New("flash.utils::Dictionary", {})}})), "d")), "object"},
        {"AMF0 dates", Call(RoundTrip(New("Date", {Num(5000)}), 0), "getTime", {}), "5000"},
        {"AMF0 carries a ByteArray as AMF3", Call(RoundTrip(BytesOf({104, 105}), 0), "toString", {}), "hi"},
        {"AMF0 references", BinaryOp(OP_strictequals, Index(Kept(3, RoundTrip(Then(Kept(2, Obj({})), Arr({Local(2), Local(2)})), 0)), Num(0)),
                                     Index(Local(3), Num(1))), "true"},
        {"a Vector.<int> packed", Get(Having(Bytes(), "writeObject", {Having(Construct(VectorOf("int"), {}), "push", {Num(1), Num(-2)})}), "length"), "11"},
        {"and read back", RoundTrip(Having(Construct(VectorOf("int"), {}), "push", {Num(1), Num(-2)})), "1,-2"},
        {"a vector of other types comes back of Object",
         Static("flash.utils::getQualifiedClassName", "call", {Null(), RoundTrip(Having(Construct(VectorOf("String"), {}), "push", {Str("s")}))}),
         "__AS3__.vec::Vector.<Object>"},
        {"a named array in AMF0", Get(RoundTrip(Assigned(Arr({Num(1)}), "k", Str("v")), 0), "k"), "v"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
    // A damaged reference is the player's range error, not a read outside the table.
    EXPECT_EQ(ThrownBy(Call(BytesOf({0x0A, 0x02}), "readObject", {})),
              "RangeError: Error #2006: The supplied index is out of bounds.");
    // Nesting deeper than the machine's calls stops as a stack overflow.
    std::vector<double> nested;
    for (int i = 0; i < 400; ++i) {
        nested.push_back(0x09);
        nested.push_back(0x03);
        nested.push_back(0x01);
    }
    EXPECT_EQ(ThrownBy(Call(BytesOf(nested), "readObject", {})), "Error: Error #1023: Stack overflow occurred.");
}

}  // namespace
