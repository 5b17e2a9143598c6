#include "swf/abc/AbcParser.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "swf/format/BitReader.h"

namespace swf::abc {
namespace {

// Thrown inside the reader only; parse() turns it into the error text.
struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Reader {
  public:
    explicit Reader(std::span<const uint8_t> data) : in_(data) {}

    uint32_t u30() {
        uint32_t v = in_.encodedU32();
        check();
        return v;
    }
    uint8_t u8() {
        uint8_t v = in_.u8();
        check();
        return v;
    }
    uint16_t u16() {
        uint16_t v = in_.u16();
        check();
        return v;
    }
    double d64() {
        uint64_t bits = in_.u32();
        bits |= static_cast<uint64_t>(in_.u32()) << 32;
        check();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    std::string bytes(uint32_t length) {
        if (length > in_.remaining()) throw Refused("VerifyError: Error #1107: The ABC data is corrupt, attempt to read out of bounds.");
        auto span = in_.bytes(length);
        return std::string(span.begin(), span.end());
    }
    // A count of entries of at least `minimumBytes` bytes each: more than the data holds is
    // corruption, which keeps every later allocation within the size of the file.
    uint32_t count(size_t minimumBytes = 1) {
        uint32_t n = u30();
        if (static_cast<uint64_t>(n) * minimumBytes > in_.remaining()) corrupt();
        return n;
    }
    // An index into a pool of `size` entries.
    uint32_t index(size_t size, bool zeroAllowed = true) {
        uint32_t i = u30();
        if (i >= size || (!zeroAllowed && i == 0)) corrupt();
        return i;
    }
    bool atEnd() const { return in_.atEnd(); }
    [[noreturn]] static void corrupt() {
        throw Refused("VerifyError: Error #1107: The ABC data is corrupt, attempt to read out of bounds.");
    }

  private:
    void check() {
        if (in_.overrun()) corrupt();
    }
    BitReader in_;
};

class Parser {
  public:
    explicit Parser(std::span<const uint8_t> data) : in_(data) {}

    std::shared_ptr<AbcFile> run() {
        auto file = std::make_shared<AbcFile>();
        f_ = file.get();
        f_->minorVersion = in_.u16();
        f_->majorVersion = in_.u16();
        if (f_->majorVersion != 46)
            throw Refused("VerifyError: Error #1014: The ABC data has an unsupported version.");
        readConstants();
        readMethods();
        readMetadata();
        uint32_t classCount = in_.count(4);
        f_->instances.resize(classCount);
        for (Instance& instance : f_->instances) readInstance(instance);
        f_->classes.resize(classCount);
        for (ClassInfo& info : f_->classes) {
            info.initializer = in_.index(f_->methods.size());
            readTraits(info.traits);
        }
        f_->scripts.resize(in_.count(2));
        for (Script& script : f_->scripts) {
            script.initializer = in_.index(f_->methods.size());
            readTraits(script.traits);
        }
        readBodies();
        return file;
    }

  private:
    void readConstants() {
        uint32_t n = in_.count();
        f_->ints.assign(n ? n : 1, 0);
        for (uint32_t i = 1; i < n; ++i) f_->ints[i] = static_cast<int32_t>(in_.u30());
        n = in_.count();
        f_->uints.assign(n ? n : 1, 0);
        for (uint32_t i = 1; i < n; ++i) f_->uints[i] = in_.u30();
        n = in_.count(8);
        f_->doubles.assign(n ? n : 1, std::numeric_limits<double>::quiet_NaN());
        for (uint32_t i = 1; i < n; ++i) f_->doubles[i] = in_.d64();
        n = in_.count();
        f_->strings.assign(n ? n : 1, std::string());
        for (uint32_t i = 1; i < n; ++i) f_->strings[i] = in_.bytes(in_.u30());
        n = in_.count(2);
        f_->namespaces.assign(n ? n : 1, Namespace{NamespaceKind::Namespace, 0});
        for (uint32_t i = 1; i < n; ++i) {
            uint8_t kind = in_.u8();
            switch (static_cast<NamespaceKind>(kind)) {
                case NamespaceKind::Namespace:
                case NamespaceKind::Package:
                case NamespaceKind::PackageInternal:
                case NamespaceKind::Protected:
                case NamespaceKind::Explicit:
                case NamespaceKind::StaticProtected:
                case NamespaceKind::Private:
                    break;
                default:
                    throw Refused("VerifyError: Error #1113: The ABC data has an invalid namespace kind.");
            }
            f_->namespaces[i] = {static_cast<NamespaceKind>(kind), in_.index(f_->strings.size())};
        }
        n = in_.count();
        f_->namespaceSets.assign(n ? n : 1, {});
        for (uint32_t i = 1; i < n; ++i) {
            uint32_t members = in_.count();
            f_->namespaceSets[i].reserve(members);
            for (uint32_t j = 0; j < members; ++j)
                f_->namespaceSets[i].push_back(in_.index(f_->namespaces.size(), false));
        }
        n = in_.count(2);
        f_->multinames.assign(n ? n : 1, Multiname{});
        for (uint32_t i = 1; i < n; ++i) readMultiname(f_->multinames[i], n);
        // A generic's name may come later in the pool than its use, but it is a plain name.
        for (uint32_t i = 1; i < n; ++i) {
            const Multiname& m = f_->multinames[i];
            if (m.kind == MultinameKind::TypeName && f_->multinames[m.name].kind == MultinameKind::TypeName)
                Reader::corrupt();
        }
    }

    void readMultiname(Multiname& m, uint32_t poolSize) {
        uint8_t kind = in_.u8();
        m.kind = static_cast<MultinameKind>(kind);
        size_t strings = f_->strings.size(), namespaces = f_->namespaces.size();
        size_t sets = f_->namespaceSets.size();
        switch (m.kind) {
            case MultinameKind::QName:
            case MultinameKind::QNameA:
                m.ns = in_.index(namespaces);
                m.name = in_.index(strings);
                return;
            case MultinameKind::RTQName:
            case MultinameKind::RTQNameA:
                m.name = in_.index(strings);
                return;
            case MultinameKind::RTQNameL:
            case MultinameKind::RTQNameLA:
                return;
            case MultinameKind::Multiname:
            case MultinameKind::MultinameA:
                m.name = in_.index(strings);
                m.nsSet = in_.index(sets, false);
                return;
            case MultinameKind::MultinameL:
            case MultinameKind::MultinameLA:
                m.nsSet = in_.index(sets, false);
                return;
            case MultinameKind::TypeName: {
                m.name = in_.index(poolSize, false);
                uint32_t count = in_.count();
                if (count != 1) Reader::corrupt();
                for (uint32_t j = 0; j < count; ++j) m.typeParameters.push_back(in_.index(poolSize));
                return;
            }
        }
        throw Refused("VerifyError: Error #1107: The ABC data is corrupt, attempt to read out of bounds.");
    }

    Constant readConstant(uint32_t index, uint8_t kind) {
        Constant c{static_cast<ConstantKind>(kind), index};
        size_t size = 0;
        switch (c.kind) {
            case ConstantKind::Int: size = f_->ints.size(); break;
            case ConstantKind::UInt: size = f_->uints.size(); break;
            case ConstantKind::Double: size = f_->doubles.size(); break;
            case ConstantKind::Utf8: size = f_->strings.size(); break;
            case ConstantKind::True:
            case ConstantKind::False:
            case ConstantKind::Null:
            case ConstantKind::Undefined: return c;
            case ConstantKind::Namespace:
            case ConstantKind::PackageNamespace:
            case ConstantKind::PackageInternalNs:
            case ConstantKind::ProtectedNamespace:
            case ConstantKind::ExplicitNamespace:
            case ConstantKind::StaticProtectedNs:
            case ConstantKind::PrivateNs: size = f_->namespaces.size(); break;
            default: Reader::corrupt();
        }
        if (index >= size) Reader::corrupt();
        return c;
    }

    void readMethods() {
        f_->methods.resize(in_.count(4));
        for (Method& m : f_->methods) {
            uint32_t params = in_.count();
            m.returnType = in_.index(f_->multinames.size());
            m.parameterTypes.reserve(params);
            for (uint32_t i = 0; i < params; ++i)
                m.parameterTypes.push_back(in_.index(f_->multinames.size()));
            m.name = in_.index(f_->strings.size());
            m.flags = in_.u8();
            if (m.flags & kHasOptional) {
                uint32_t count = in_.count(2);
                if (count > params) Reader::corrupt();
                for (uint32_t i = 0; i < count; ++i) {
                    uint32_t value = in_.u30();
                    m.optionalValues.push_back(readConstant(value, in_.u8()));
                }
            }
            if (m.flags & kHasParamNames)
                for (uint32_t i = 0; i < params; ++i)
                    m.parameterNames.push_back(in_.index(f_->strings.size()));
        }
    }

    void readMetadata() {
        f_->metadata.resize(in_.count(2));
        for (Metadata& entry : f_->metadata) {
            entry.name = in_.index(f_->strings.size());
            uint32_t count = in_.count(2);
            entry.items.resize(count);
            for (MetadataItem& item : entry.items) item.key = in_.index(f_->strings.size());
            for (MetadataItem& item : entry.items) item.value = in_.index(f_->strings.size());
        }
    }

    void readInstance(Instance& instance) {
        instance.name = in_.index(f_->multinames.size(), false);
        instance.superName = in_.index(f_->multinames.size());
        instance.flags = in_.u8();
        if (instance.flags & kClassProtectedNs)
            instance.protectedNs = in_.index(f_->namespaces.size());
        uint32_t count = in_.count();
        for (uint32_t i = 0; i < count; ++i)
            instance.interfaces.push_back(in_.index(f_->multinames.size(), false));
        instance.initializer = in_.index(f_->methods.size());
        readTraits(instance.traits);
    }

    void readTraits(std::vector<Trait>& traits) {
        traits.resize(in_.count(3));
        for (Trait& t : traits) {
            t.name = in_.index(f_->multinames.size(), false);
            const Multiname& name = f_->multinames[t.name];
            if (name.kind != MultinameKind::QName) Reader::corrupt();
            uint8_t kind = in_.u8();
            if ((kind & 0x0F) > 6) Reader::corrupt();
            t.kind = static_cast<TraitKind>(kind & 0x0F);
            t.attributes = kind >> 4;
            switch (t.kind) {
                case TraitKind::Slot:
                case TraitKind::Const: {
                    t.slotId = in_.u30();
                    t.typeName = in_.index(f_->multinames.size());
                    uint32_t value = in_.u30();
                    if (value != 0) t.value = readConstant(value, in_.u8());
                    break;
                }
                case TraitKind::Class:
                    t.slotId = in_.u30();
                    t.classIndex = in_.index(f_->instances.size());
                    break;
                case TraitKind::Function:
                    t.slotId = in_.u30();
                    t.method = in_.index(f_->methods.size());
                    break;
                default:
                    in_.u30();  // dispatch id, unused
                    t.method = in_.index(f_->methods.size());
                    break;
            }
            if (t.attributes & kMetadata) {
                uint32_t count = in_.count();
                for (uint32_t i = 0; i < count; ++i)
                    t.metadata.push_back(in_.index(f_->metadata.size()));
            }
        }
    }

    void readBodies() {
        uint32_t count = in_.count(6);
        f_->bodies.resize(count);
        for (uint32_t b = 0; b < count; ++b) {
            MethodBody& body = f_->bodies[b];
            body.method = in_.index(f_->methods.size());
            Method& method = f_->methods[body.method];
            if (method.body >= 0) throw Refused("VerifyError: Error #1121: A method has more than one body.");
            method.body = static_cast<int>(b);
            body.maxStack = in_.u30();
            body.localCount = in_.u30();
            body.initScopeDepth = in_.u30();
            body.maxScopeDepth = in_.u30();
            std::string code = in_.bytes(in_.u30());
            body.code.assign(code.begin(), code.end());
            body.exceptions.resize(in_.count(5));
            for (ExceptionHandler& e : body.exceptions) {
                e.from = in_.u30();
                e.to = in_.u30();
                e.target = in_.u30();
                e.type = in_.index(f_->multinames.size());
                e.variable = in_.index(f_->multinames.size());
            }
            readTraits(body.traits);
        }
    }

    Reader in_;
    AbcFile* f_ = nullptr;
};

}  // namespace

std::shared_ptr<const AbcFile> AbcParser::parse(std::span<const uint8_t> data, std::string& error) {
    try {
        return Parser(data).run();
    } catch (const Refused& refused) {
        error = refused.what();
        return nullptr;
    }
}

}  // namespace swf::abc
