#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace swftest {

// Method code for AbcBuilder: instructions by opcode, with labels for branches (resolved by
// bytes()). Operands are written as the format encodes them (u30, s24, one byte for
// pushbyte).
class AbcCode {
  public:
    using Label = size_t;

    AbcCode& op(uint8_t opcode);
    AbcCode& op(uint8_t opcode, uint32_t operand);
    AbcCode& op(uint8_t opcode, uint32_t first, uint32_t second);
    AbcCode& pushByte(int8_t value);
    Label newLabel();
    // The label's position is here.
    AbcCode& bind(Label label);
    // A branch (jump, iftrue, ifeq, ...) to `label`.
    AbcCode& branch(uint8_t opcode, Label label);
    // lookupswitch: the default and the cases, each a label.
    AbcCode& lookupSwitch(Label defaultCase, const std::vector<Label>& cases);
    // Bytes as they are, for hostile code.
    AbcCode& raw(std::vector<uint8_t> bytes);
    size_t position() const { return code_.size(); }
    uint32_t positionOf(Label label) const;
    std::vector<uint8_t> bytes() const;

  private:
    void u30(uint32_t value);
    struct Fixup {
        size_t at;      // where the s24 goes
        size_t origin;  // the offset it counts from
        Label label;
    };
    std::vector<uint8_t> code_;
    std::vector<Fixup> fixups_;
    std::vector<size_t> labels_;
};

struct AbcBodyLimits {
    uint32_t maxStack = 8;
    uint32_t localCount = 4;
    uint32_t initScopeDepth = 0;
    uint32_t maxScopeDepth = 8;
};

struct AbcException {
    AbcCode::Label from, to, target;
    uint32_t type = 0;      // multiname, 0 for any
    uint32_t variable = 0;  // multiname
};

// Trait kinds as the format numbers them.
enum class AbcTraitKind : uint8_t {
    kSlot = 0, kMethod = 1, kGetter = 2, kSetter = 3, kClass = 4, kFunction = 5, kConst = 6
};

struct AbcTrait {
    uint32_t name = 0;  // a QName multiname
    AbcTraitKind kind = AbcTraitKind::kSlot;
    uint32_t slotId = 0;
    uint32_t type = 0;
    uint32_t index = 0;  // method or class index; slots: a constant's pool index
    uint8_t valueKind = 0;
};

struct AbcMethod {
    std::vector<uint32_t> parameterTypes;
    uint32_t returnType = 0;
    uint8_t flags = 0;
    // Default values of the last parameters: pool index and constant kind.
    std::vector<std::pair<uint32_t, uint8_t>> optional;
};

// Writes ABC files (DoABC bytecode) from code, for tests: pools are filled as names and
// constants are asked for (each once), then methods, bodies, classes and scripts.
//
//   AbcBuilder abc;
//   AbcCode code;
//   code.op(0xD0).op(0x30)                                   // getlocal0, pushscope
//       .op(0x5D, abc.publicName("trace"))                   // findpropstrict trace
//       .op(0x2C, abc.string("hi")).op(0x4F, abc.publicName("trace"), 1)
//       .op(0x47);                                           // returnvoid
//   abc.script(abc.methodWithBody(code, {.maxStack = 2}));
//   movie.doAbc(abc.bytes());
class AbcBuilder {
  public:
    using BodyLimits = AbcBodyLimits;
    using Exception = AbcException;
    using TraitKind = AbcTraitKind;
    using Trait = AbcTrait;
    using Method = AbcMethod;
    static constexpr AbcTraitKind kSlot = AbcTraitKind::kSlot, kMethod = AbcTraitKind::kMethod,
                                  kGetter = AbcTraitKind::kGetter, kSetter = AbcTraitKind::kSetter,
                                  kClass = AbcTraitKind::kClass, kFunction = AbcTraitKind::kFunction,
                                  kConst = AbcTraitKind::kConst;

    uint32_t string(std::string_view text);
    uint32_t intConstant(int32_t value);
    uint32_t uintConstant(uint32_t value);
    uint32_t doubleConstant(double value);
    // Namespaces: kind 0x16 package, 0x17 internal, 0x05 private, 0x08 user, 0x18 protected.
    uint32_t ns(uint8_t kind, std::string_view uri);
    uint32_t nsSet(const std::vector<uint32_t>& namespaces);
    uint32_t qname(uint32_t ns, std::string_view name);
    uint32_t publicName(std::string_view name) { return qname(ns(0x16, ""), name); }
    // An E4X attribute name (QNameA), "@name" as the compiler writes it.
    uint32_t attributeName(uint32_t ns, std::string_view name);
    // A multiname over a namespace set (0x09), its late-name form (0x1B), or any other kind
    // with its raw fields.
    uint32_t multiname(std::string_view name, uint32_t set);
    uint32_t multinameL(uint32_t set);
    uint32_t rawMultiname(std::vector<uint8_t> encoded);

    // A method with a body; returns the method index.
    uint32_t methodWithBody(const AbcCode& code, BodyLimits limits = {}, Method method = {},
                            std::vector<Exception> exceptions = {}, std::vector<Trait> activationTraits = {});
    // A class: name and base are QNames (base 0 for none); returns the class index.
    uint32_t addClass(uint32_t name, uint32_t baseName, uint32_t instanceInit, uint32_t classInit,
                      std::vector<Trait> instanceTraits = {}, std::vector<Trait> classTraits = {},
                      uint8_t flags = 0x01, std::vector<uint32_t> interfaces = {});
    void script(uint32_t init, std::vector<Trait> traits = {});
    // A script whose one trait is class `cls`, named `name`, made over the class named
    // `baseName` as the compiler writes a document class's script.
    void classScript(uint32_t name, uint32_t baseName, uint32_t cls);
    std::vector<uint8_t> bytes() const;

  private:
    struct MethodEntry {
        Method method;
    };
    struct BodyEntry {
        uint32_t method;
        BodyLimits limits;
        std::vector<uint8_t> code;
        std::vector<std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t>> exceptions;
        std::vector<Trait> traits;
    };
    struct ClassEntry {
        uint32_t name, base, iinit, cinit;
        uint8_t flags;
        std::vector<uint32_t> interfaces;
        std::vector<Trait> instanceTraits, classTraits;
    };
    std::vector<int32_t> ints_;
    std::vector<uint32_t> uints_;
    std::vector<double> doubles_;
    std::vector<std::string> strings_;
    std::vector<std::pair<uint8_t, uint32_t>> namespaces_;
    std::vector<std::vector<uint32_t>> sets_;
    std::vector<std::vector<uint8_t>> multinames_;
    std::vector<MethodEntry> methods_;
    std::vector<BodyEntry> bodies_;
    std::vector<ClassEntry> classes_;
    std::vector<std::pair<uint32_t, std::vector<Trait>>> scripts_;
};

}  // namespace swftest
