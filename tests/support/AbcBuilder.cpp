#include "support/AbcBuilder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace swftest {
namespace {

void writeU30(std::vector<uint8_t>& out, uint32_t value) {
    do {
        uint8_t byte = value & 0x7F;
        value >>= 7;
        if (value) byte |= 0x80;
        out.push_back(byte);
    } while (value);
}

void writeS24(std::vector<uint8_t>& out, size_t at, int32_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
    out[at + 2] = static_cast<uint8_t>(value >> 16);
}

template <class T>
uint32_t intern(std::vector<T>& pool, const T& value) {
    auto it = std::find(pool.begin(), pool.end(), value);
    if (it != pool.end()) return static_cast<uint32_t>(it - pool.begin()) + 1;
    pool.push_back(value);
    return static_cast<uint32_t>(pool.size());
}

}  // namespace

void AbcCode::u30(uint32_t value) {
    writeU30(code_, value);
}

AbcCode& AbcCode::op(uint8_t opcode) {
    code_.push_back(opcode);
    return *this;
}

AbcCode& AbcCode::op(uint8_t opcode, uint32_t operand) {
    code_.push_back(opcode);
    u30(operand);
    return *this;
}

AbcCode& AbcCode::op(uint8_t opcode, uint32_t first, uint32_t second) {
    code_.push_back(opcode);
    u30(first);
    u30(second);
    return *this;
}

AbcCode& AbcCode::pushByte(int8_t value) {
    code_.push_back(0x24);
    code_.push_back(static_cast<uint8_t>(value));
    return *this;
}

AbcCode::Label AbcCode::newLabel() {
    labels_.push_back(SIZE_MAX);
    return labels_.size() - 1;
}

AbcCode& AbcCode::bind(Label label) {
    labels_.at(label) = code_.size();
    return *this;
}

AbcCode& AbcCode::branch(uint8_t opcode, Label label) {
    code_.push_back(opcode);
    fixups_.push_back({code_.size(), code_.size() + 3, label});
    code_.insert(code_.end(), 3, 0);
    return *this;
}

AbcCode& AbcCode::lookupSwitch(Label defaultCase, const std::vector<Label>& cases) {
    size_t origin = code_.size();
    code_.push_back(0x1B);
    fixups_.push_back({code_.size(), origin, defaultCase});
    code_.insert(code_.end(), 3, 0);
    u30(static_cast<uint32_t>(cases.size() - 1));
    for (Label c : cases) {
        fixups_.push_back({code_.size(), origin, c});
        code_.insert(code_.end(), 3, 0);
    }
    return *this;
}

AbcCode& AbcCode::raw(std::vector<uint8_t> bytes) {
    code_.insert(code_.end(), bytes.begin(), bytes.end());
    return *this;
}

uint32_t AbcCode::positionOf(Label label) const {
    size_t at = labels_.at(label);
    if (at == SIZE_MAX) throw std::invalid_argument("AbcCode: a label was never bound");
    return static_cast<uint32_t>(at);
}

std::vector<uint8_t> AbcCode::bytes() const {
    std::vector<uint8_t> out = code_;
    for (const Fixup& f : fixups_) {
        size_t target = labels_.at(f.label);
        if (target == SIZE_MAX) throw std::invalid_argument("AbcCode: a label was never bound");
        writeS24(out, f.at, static_cast<int32_t>(target) - static_cast<int32_t>(f.origin));
    }
    return out;
}

uint32_t AbcBuilder::string(std::string_view text) {
    return intern(strings_, std::string(text));
}

uint32_t AbcBuilder::intConstant(int32_t value) {
    return intern(ints_, value);
}

uint32_t AbcBuilder::uintConstant(uint32_t value) {
    return intern(uints_, value);
}

uint32_t AbcBuilder::doubleConstant(double value) {
    for (size_t i = 0; i < doubles_.size(); ++i)
        if (std::memcmp(&doubles_[i], &value, sizeof value) == 0) return static_cast<uint32_t>(i + 1);
    doubles_.push_back(value);
    return static_cast<uint32_t>(doubles_.size());
}

uint32_t AbcBuilder::ns(uint8_t kind, std::string_view uri) {
    uint32_t name = string(uri);
    // Private namespaces are distinct even with one name: each call makes a new one.
    if (kind == 0x05) {
        namespaces_.emplace_back(kind, name);
        return static_cast<uint32_t>(namespaces_.size());
    }
    return intern(namespaces_, std::make_pair(kind, name));
}

uint32_t AbcBuilder::nsSet(const std::vector<uint32_t>& namespaces) {
    return intern(sets_, namespaces);
}

uint32_t AbcBuilder::qname(uint32_t ns, std::string_view name) {
    std::vector<uint8_t> encoded{0x07};
    writeU30(encoded, ns);
    writeU30(encoded, string(name));
    return intern(multinames_, encoded);
}

uint32_t AbcBuilder::attributeName(uint32_t ns, std::string_view name) {
    std::vector<uint8_t> encoded{0x0D};
    writeU30(encoded, ns);
    writeU30(encoded, string(name));
    return intern(multinames_, encoded);
}

uint32_t AbcBuilder::multiname(std::string_view name, uint32_t set) {
    std::vector<uint8_t> encoded{0x09};
    writeU30(encoded, string(name));
    writeU30(encoded, set);
    return intern(multinames_, encoded);
}

uint32_t AbcBuilder::multinameL(uint32_t set) {
    std::vector<uint8_t> encoded{0x1B};
    writeU30(encoded, set);
    return intern(multinames_, encoded);
}

uint32_t AbcBuilder::rawMultiname(std::vector<uint8_t> encoded) {
    multinames_.push_back(std::move(encoded));
    return static_cast<uint32_t>(multinames_.size());
}

uint32_t AbcBuilder::methodWithBody(const AbcCode& code, BodyLimits limits, Method method,
                                    std::vector<Exception> exceptions, std::vector<Trait> activationTraits) {
    methods_.push_back({method});
    uint32_t index = static_cast<uint32_t>(methods_.size() - 1);
    BodyEntry body{index, limits, code.bytes(), {}, std::move(activationTraits)};
    for (const Exception& e : exceptions)
        body.exceptions.emplace_back(code.positionOf(e.from), code.positionOf(e.to), code.positionOf(e.target),
                                     e.type, e.variable);
    bodies_.push_back(std::move(body));
    return index;
}

uint32_t AbcBuilder::addClass(uint32_t name, uint32_t baseName, uint32_t instanceInit, uint32_t classInit,
                              std::vector<Trait> instanceTraits, std::vector<Trait> classTraits, uint8_t flags,
                              std::vector<uint32_t> interfaces) {
    classes_.push_back({name, baseName, instanceInit, classInit, flags, std::move(interfaces),
                        std::move(instanceTraits), std::move(classTraits)});
    return static_cast<uint32_t>(classes_.size() - 1);
}

void AbcBuilder::script(uint32_t init, std::vector<Trait> traits) {
    scripts_.emplace_back(init, std::move(traits));
}

void AbcBuilder::classScript(uint32_t name, uint32_t baseName, uint32_t cls) {
    AbcCode init;  // getlocal0, pushscope, getscopeobject 0, getlex base, pushscope, getlex base,
                   // newclass, popscope, initproperty name, returnvoid
    init.op(0xD0).op(0x30).op(0x65, 0).op(0x60, baseName).op(0x30).op(0x60, baseName).op(0x58, cls)
        .op(0x1D).op(0x68, name).op(0x47);
    script(methodWithBody(init, {.maxStack = 4, .localCount = 1}), {{name, kClass, 1, 0, cls}});
}

namespace {

void writeTraits(std::vector<uint8_t>& out, const std::vector<AbcBuilder::Trait>& traits) {
    writeU30(out, static_cast<uint32_t>(traits.size()));
    for (const AbcBuilder::Trait& t : traits) {
        writeU30(out, t.name);
        out.push_back(static_cast<uint8_t>(t.kind));
        switch (t.kind) {
            case AbcBuilder::kSlot:
            case AbcBuilder::kConst:
                writeU30(out, t.slotId);
                writeU30(out, t.type);
                writeU30(out, t.index);
                if (t.index) out.push_back(t.valueKind);
                break;
            case AbcBuilder::kClass:
            case AbcBuilder::kFunction:
                writeU30(out, t.slotId);
                writeU30(out, t.index);
                break;
            default:
                writeU30(out, 0);
                writeU30(out, t.index);
                break;
        }
    }
}

}  // namespace

std::vector<uint8_t> AbcBuilder::bytes() const {
    std::vector<uint8_t> out{16, 0, 46, 0};
    auto count = [&](size_t n) { writeU30(out, n ? static_cast<uint32_t>(n + 1) : 0); };
    count(ints_.size());
    for (int32_t v : ints_) writeU30(out, static_cast<uint32_t>(v));
    count(uints_.size());
    for (uint32_t v : uints_) writeU30(out, v);
    count(doubles_.size());
    for (double d : doubles_) {
        uint8_t raw[8];
        std::memcpy(raw, &d, 8);
        out.insert(out.end(), raw, raw + 8);
    }
    count(strings_.size());
    for (const std::string& s : strings_) {
        writeU30(out, static_cast<uint32_t>(s.size()));
        out.insert(out.end(), s.begin(), s.end());
    }
    count(namespaces_.size());
    for (auto [kind, name] : namespaces_) {
        out.push_back(kind);
        writeU30(out, name);
    }
    count(sets_.size());
    for (const auto& set : sets_) {
        writeU30(out, static_cast<uint32_t>(set.size()));
        for (uint32_t n : set) writeU30(out, n);
    }
    count(multinames_.size());
    for (const auto& m : multinames_) out.insert(out.end(), m.begin(), m.end());
    writeU30(out, static_cast<uint32_t>(methods_.size()));
    for (const MethodEntry& e : methods_) {
        const Method& m = e.method;
        writeU30(out, static_cast<uint32_t>(m.parameterTypes.size()));
        writeU30(out, m.returnType);
        for (uint32_t t : m.parameterTypes) writeU30(out, t);
        writeU30(out, 0);
        out.push_back(static_cast<uint8_t>(m.flags | (m.optional.empty() ? 0 : 0x08)));
        if (!m.optional.empty()) {
            writeU30(out, static_cast<uint32_t>(m.optional.size()));
            for (auto [index, kind] : m.optional) {
                writeU30(out, index);
                out.push_back(kind);
            }
        }
    }
    writeU30(out, 0);  // metadata
    writeU30(out, static_cast<uint32_t>(classes_.size()));
    for (const ClassEntry& c : classes_) {
        writeU30(out, c.name);
        writeU30(out, c.base);
        out.push_back(c.flags);
        writeU30(out, static_cast<uint32_t>(c.interfaces.size()));
        for (uint32_t i : c.interfaces) writeU30(out, i);
        writeU30(out, c.iinit);
        writeTraits(out, c.instanceTraits);
    }
    for (const ClassEntry& c : classes_) {
        writeU30(out, c.cinit);
        writeTraits(out, c.classTraits);
    }
    writeU30(out, static_cast<uint32_t>(scripts_.size()));
    for (const auto& [init, traits] : scripts_) {
        writeU30(out, init);
        writeTraits(out, traits);
    }
    writeU30(out, static_cast<uint32_t>(bodies_.size()));
    for (const BodyEntry& b : bodies_) {
        writeU30(out, b.method);
        writeU30(out, b.limits.maxStack);
        writeU30(out, b.limits.localCount);
        writeU30(out, b.limits.initScopeDepth);
        writeU30(out, b.limits.maxScopeDepth);
        writeU30(out, static_cast<uint32_t>(b.code.size()));
        out.insert(out.end(), b.code.begin(), b.code.end());
        writeU30(out, static_cast<uint32_t>(b.exceptions.size()));
        for (auto [from, to, target, type, variable] : b.exceptions) {
            writeU30(out, from);
            writeU30(out, to);
            writeU30(out, target);
            writeU30(out, type);
            writeU30(out, variable);
        }
        writeTraits(out, b.traits);
    }
    return out;
}

}  // namespace swftest
