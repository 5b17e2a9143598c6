#pragma once
// An ABC file (the bytecode of a DoABC tag) as read: constant pools, methods and their bodies,
// metadata, classes and scripts. Every index in it has been checked against its pool when the
// file was read, except those inside method code, which the verifier checks.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace swf::abc {

enum class NamespaceKind : uint8_t {
    Namespace = 0x08,
    Package = 0x16,
    PackageInternal = 0x17,
    Protected = 0x18,
    Explicit = 0x19,
    StaticProtected = 0x1A,
    Private = 0x05,
};

struct Namespace {
    NamespaceKind kind = NamespaceKind::Package;
    uint32_t name = 0;  // string index (0: any name)
};

enum class MultinameKind : uint8_t {
    QName = 0x07,
    QNameA = 0x0D,
    RTQName = 0x0F,
    RTQNameA = 0x10,
    RTQNameL = 0x11,
    RTQNameLA = 0x12,
    Multiname = 0x09,
    MultinameA = 0x0E,
    MultinameL = 0x1B,
    MultinameLA = 0x1C,
    TypeName = 0x1D,
};

struct Multiname {
    MultinameKind kind = MultinameKind::QName;
    uint32_t ns = 0;     // QName: namespace index
    uint32_t nsSet = 0;  // Multiname, MultinameL: namespace set index
    uint32_t name = 0;   // string index (0: any name); TypeName: the generic's multiname
    std::vector<uint32_t> typeParameters;  // TypeName only: multiname indexes

    bool needsRuntimeName() const {
        return kind == MultinameKind::RTQNameL || kind == MultinameKind::RTQNameLA ||
               kind == MultinameKind::MultinameL || kind == MultinameKind::MultinameLA;
    }
    bool needsRuntimeNamespace() const {
        return kind == MultinameKind::RTQName || kind == MultinameKind::RTQNameA ||
               kind == MultinameKind::RTQNameL || kind == MultinameKind::RTQNameLA;
    }
    bool isAttribute() const {
        return kind == MultinameKind::QNameA || kind == MultinameKind::RTQNameA ||
               kind == MultinameKind::RTQNameLA || kind == MultinameKind::MultinameA ||
               kind == MultinameKind::MultinameLA;
    }
    // The count of values the name takes from the stack (a name, a namespace or both).
    int runtimeParts() const { return (needsRuntimeName() ? 1 : 0) + (needsRuntimeNamespace() ? 1 : 0); }
};

// A constant's kind, as default values and slot values give it.
enum class ConstantKind : uint8_t {
    Undefined = 0x00,
    Utf8 = 0x01,
    Int = 0x03,
    UInt = 0x04,
    PrivateNs = 0x05,
    Double = 0x06,
    Namespace = 0x08,
    False = 0x0A,
    True = 0x0B,
    Null = 0x0C,
    PackageNamespace = 0x16,
    PackageInternalNs = 0x17,
    ProtectedNamespace = 0x18,
    ExplicitNamespace = 0x19,
    StaticProtectedNs = 0x1A,
};

struct Constant {
    ConstantKind kind = ConstantKind::Undefined;
    uint32_t index = 0;  // into the pool of its kind
};

enum MethodFlag : uint8_t {
    kNeedArguments = 0x01,
    kNeedActivation = 0x02,
    kNeedRest = 0x04,
    kHasOptional = 0x08,
    kSetDxns = 0x40,
    kHasParamNames = 0x80,
};

struct Method {
    uint32_t returnType = 0;               // multiname index, 0 for any
    std::vector<uint32_t> parameterTypes;  // multiname indexes
    uint32_t name = 0;                     // string index
    uint8_t flags = 0;
    std::vector<Constant> optionalValues;  // defaults of the last parameters
    std::vector<uint32_t> parameterNames;  // string indexes
    int body = -1;                         // index into bodies, -1 for a native method
};

enum class TraitKind : uint8_t { Slot = 0, Method = 1, Getter = 2, Setter = 3, Class = 4, Function = 5, Const = 6 };

enum TraitAttribute : uint8_t { kFinal = 0x1, kOverride = 0x2, kMetadata = 0x4 };

struct Trait {
    uint32_t name = 0;  // multiname index (a QName)
    TraitKind kind = TraitKind::Slot;
    uint8_t attributes = 0;
    uint32_t slotId = 0;       // slots, consts, classes, functions (0: assigned)
    uint32_t typeName = 0;     // slots and consts: multiname index
    Constant value;            // slots and consts
    uint32_t classIndex = 0;   // classes
    uint32_t method = 0;       // methods, getters, setters, functions (dispatch id ignored)
    std::vector<uint32_t> metadata;
};

struct MetadataItem {
    uint32_t key = 0;  // string indexes
    uint32_t value = 0;
};

struct Metadata {
    uint32_t name = 0;
    std::vector<MetadataItem> items;
};

enum InstanceFlag : uint8_t { kClassSealed = 0x01, kClassFinal = 0x02, kClassInterface = 0x04, kClassProtectedNs = 0x08 };

struct Instance {
    uint32_t name = 0;       // multiname index
    uint32_t superName = 0;  // multiname index, 0 for none
    uint8_t flags = 0;
    uint32_t protectedNs = 0;
    std::vector<uint32_t> interfaces;  // multiname indexes
    uint32_t initializer = 0;          // method index
    std::vector<Trait> traits;
};

struct ClassInfo {
    uint32_t initializer = 0;  // method index
    std::vector<Trait> traits;
};

struct Script {
    uint32_t initializer = 0;
    std::vector<Trait> traits;
};

struct ExceptionHandler {
    uint32_t from = 0;  // code offsets
    uint32_t to = 0;
    uint32_t target = 0;
    uint32_t type = 0;      // multiname index, 0 for any
    uint32_t variable = 0;  // multiname index, 0 for none
};

struct MethodBody {
    uint32_t method = 0;
    uint32_t maxStack = 0;
    uint32_t localCount = 0;
    uint32_t initScopeDepth = 0;
    uint32_t maxScopeDepth = 0;
    std::vector<uint8_t> code;
    std::vector<ExceptionHandler> exceptions;
    std::vector<Trait> traits;  // of the activation
};

struct AbcFile {
    uint16_t minorVersion = 0;
    uint16_t majorVersion = 0;
    // Entry 0 of each pool is the default (0, 0, NaN, "", any namespace, empty set, any name).
    std::vector<int32_t> ints;
    std::vector<uint32_t> uints;
    std::vector<double> doubles;
    std::vector<std::string> strings;
    std::vector<Namespace> namespaces;
    std::vector<std::vector<uint32_t>> namespaceSets;
    std::vector<Multiname> multinames;
    std::vector<Method> methods;
    std::vector<Metadata> metadata;
    std::vector<Instance> instances;
    std::vector<ClassInfo> classes;  // as many as instances
    std::vector<Script> scripts;
    std::vector<MethodBody> bodies;
};

}  // namespace swf::abc
