#include "swf/avm2/AmfCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <unordered_map>

#include "swf/avm2/ByteArrayObject.h"
#include "swf/avm2/DateObject.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/VectorObject.h"
#include "swf/format/Amf0Marker.h"

namespace swf::avm2 {
namespace {

enum Amf3 : uint8_t {
    kUndefined3 = 0x00, kNull3 = 0x01, kFalse3 = 0x02, kTrue3 = 0x03, kInteger3 = 0x04, kDouble3 = 0x05,
    kString3 = 0x06, kXmlDoc3 = 0x07, kDate3 = 0x08, kArray3 = 0x09, kObject3 = 0x0A, kXml3 = 0x0B,
    kByteArray3 = 0x0C, kVectorInt3 = 0x0D, kVectorUint3 = 0x0E, kVectorDouble3 = 0x0F, kVectorObject3 = 0x10,
    kDictionary3 = 0x11,
};

constexpr int32_t kMinInt29 = -(1 << 28);
constexpr int32_t kMaxInt29 = (1 << 28) - 1;

// Nesting as deep as the machine's calls: deeper is the player's stack overflow.
class Depth {
  public:
    Depth(Machine& m, int& depth) : depth_(depth) {
        if (++depth_ > Machine::kMaxCallDepth) {
            --depth_;
            m.throwError("Error", 1023, "Stack overflow occurred.");
        }
    }
    ~Depth() { --depth_; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;

  private:
    int& depth_;
};

// The public, enumerable dynamic properties of an object with their values, in order.
std::vector<std::pair<std::string, Value>> dynamicProperties(Object& o) {
    std::vector<std::pair<std::string, Value>> out;
    for (size_t i = 0; i < o.ownCount(); ++i) {
        const std::string* name = o.ownNameAt(i);
        if (name && o.isEnumerable(*name)) out.emplace_back(*name, *o.findOwn(*name));
    }
    return out;
}

// The public variables of an object's class, in slot order: an anonymous object's sealed members.
std::vector<std::string> sealedMembers(Machine& m, const Object& o) {
    std::map<uint32_t, std::string> bySlot;
    if (const Traits* traits = o.traits())
        traits->forEach([&](const Traits::Key& key, const Binding& b) {
            if (key.ns == m.namespaces().publicNs() && b.kind == Binding::Kind::Slot) bySlot[b.slot] = key.name;
        });
    std::vector<std::string> names;
    for (auto& [slot, name] : bySlot) names.push_back(name);
    return names;
}

bool isFunction(const Value& v) {
    Object* o = v.asObject();
    return o && (o->asFunction() || o->asClass());
}

class AmfWriter {
  public:
    AmfWriter(Machine& m, std::vector<uint8_t>& out) : m_(m), out_(out) {}

    void byte(uint8_t b) {
        if (out_.size() >= ByteArrayObject::kMaxLength) checkByteLength(m_, static_cast<double>(out_.size()) + 1);
        out_.push_back(b);
    }
    void raw(const void* data, size_t size) {
        checkByteLength(m_, static_cast<double>(out_.size() + size));
        auto* p = static_cast<const uint8_t*>(data);
        out_.insert(out_.end(), p, p + size);
    }
    void bigEndian(uint64_t v, size_t size) {
        for (size_t i = size; i-- > 0;) byte(static_cast<uint8_t>(v >> (8 * i)));
    }
    void doubleBits(double d) {
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        bigEndian(bits, 8);
    }

    // --- AMF3 ---
    void u29(uint32_t v) {
        v &= 0x1FFFFFFF;
        if (v < 0x80) {
            byte(static_cast<uint8_t>(v));
        } else if (v < 0x4000) {
            byte(static_cast<uint8_t>(v >> 7 | 0x80));
            byte(static_cast<uint8_t>(v & 0x7F));
        } else if (v < 0x200000) {
            byte(static_cast<uint8_t>(v >> 14 | 0x80));
            byte(static_cast<uint8_t>((v >> 7 & 0x7F) | 0x80));
            byte(static_cast<uint8_t>(v & 0x7F));
        } else {
            byte(static_cast<uint8_t>(v >> 22 | 0x80));
            byte(static_cast<uint8_t>((v >> 15 & 0x7F) | 0x80));
            byte(static_cast<uint8_t>((v >> 8 & 0x7F) | 0x80));
            byte(static_cast<uint8_t>(v & 0xFF));
        }
    }
    void string3(const std::string& s) {
        if (s.empty()) return byte(0x01);  // the empty string is never a reference
        if (auto it = strings_.find(s); it != strings_.end()) return u29(static_cast<uint32_t>(it->second << 1));
        strings_.emplace(s, strings_.size());
        u29(static_cast<uint32_t>(s.size() << 1 | 1));
        raw(s.data(), s.size());
    }
    // True (having written the reference) when `o` was written before.
    bool objectReference3(Object* o) {
        if (auto it = objects_.find(o); it != objects_.end()) {
            u29(static_cast<uint32_t>(it->second << 1));
            return true;
        }
        objects_.emplace(o, objects_.size());
        return false;
    }

    void value3(const Value& v) {
        switch (v.kind()) {
            case Value::Kind::Undefined: return byte(kUndefined3);
            case Value::Kind::Null: return byte(kNull3);
            case Value::Kind::Boolean: return byte(v.asBoolean() ? kTrue3 : kFalse3);
            case Value::Kind::Number: {
                double d = v.asNumber();
                if (d == std::trunc(d) && d >= kMinInt29 && d <= kMaxInt29 && !(d == 0 && std::signbit(d))) {
                    byte(kInteger3);
                    return u29(static_cast<uint32_t>(static_cast<int32_t>(d)));
                }
                byte(kDouble3);
                return doubleBits(d);
            }
            case Value::Kind::String: byte(kString3); return string3(v.asString());
            case Value::Kind::Object: return object3(*v.asObject());
        }
    }

    void object3(Object& o) {
        if (isFunction(Value::object(&o))) return byte(kUndefined3);
        Depth depth(m_, depth_);
        if (auto* date = dynamic_cast<DateObject*>(&o)) {
            byte(kDate3);
            if (objectReference3(&o)) return;
            u29(1);
            return doubleBits(date->time);
        }
        if (auto* bytes = dynamic_cast<ByteArrayObject*>(&o)) {
            byte(kByteArray3);
            if (objectReference3(&o)) return;
            u29(static_cast<uint32_t>(bytes->bytes.size() << 1 | 1));
            return raw(bytes->bytes.data(), bytes->bytes.size());
        }
        if (auto* vector = dynamic_cast<VectorObject*>(&o)) return vector3(*vector);
        if (ArrayObject* array = o.asArray()) {
            byte(kArray3);
            if (objectReference3(&o)) return;
            u29(static_cast<uint32_t>(array->items.size() << 1 | 1));
            for (auto& [name, value] : dynamicProperties(o)) {
                string3(name);
                value3(value);
            }
            string3("");
            for (size_t i = 0; i < array->items.size(); ++i) value3(array->items[i]);
            return;
        }
        byte(kObject3);
        if (objectReference3(&o)) return;
        if (auto it = traits_.find(o.classObject()); it != traits_.end()) {
            u29(static_cast<uint32_t>(it->second << 2 | 1));
        } else {
            traits_.emplace(o.classObject(), traits_.size());
            std::vector<std::string> sealed = sealedMembers(m_, o);
            u29(static_cast<uint32_t>(sealed.size() << 4 | (o.isDynamic() ? 0x08 : 0) | 0x03));
            string3("");
            for (const std::string& name : sealed) string3(name);
            memberNames_[o.classObject()] = sealed;
        }
        for (const std::string& name : memberNames_[o.classObject()])
            value3(m_.getProperty(Value::object(&o), Name::qualified(m_.namespaces().publicNs(), name)));
        if (o.isDynamic()) {
            for (auto& [name, value] : dynamicProperties(o)) {
                if (isFunction(value)) continue;
                string3(name);
                value3(value);
            }
            string3("");
        }
    }

    // A Vector: its numbers packed by element type, anything else as values after the type's name.
    void vector3(VectorObject& vector) {
        const Machine::Builtins& b = m_.builtins();
        ClassObject* type = vector.elementType;
        uint8_t marker = type == b.intClass ? kVectorInt3 : type == b.uintClass ? kVectorUint3
                       : type == b.number   ? kVectorDouble3 : kVectorObject3;
        byte(marker);
        if (objectReference3(&vector)) return;
        u29(static_cast<uint32_t>(vector.items.size() << 1 | 1));
        byte(vector.fixed ? 1 : 0);
        if (marker == kVectorObject3) string3("");  // the element type's alias: none are registered
        for (size_t i = 0; i < vector.items.size(); ++i) {
            const Value& item = vector.items[i];
            switch (marker) {
                case kVectorInt3: bigEndian(static_cast<uint32_t>(m_.toInt(item)), 4); break;
                case kVectorUint3: bigEndian(m_.toUint(item), 4); break;
                case kVectorDouble3: doubleBits(m_.toNumber(item)); break;
                default: value3(item); break;
            }
        }
    }

    // --- AMF0 ---
    void string0(const std::string& s, bool marker) {
        if (s.size() > 0xFFFF) {
            if (marker) byte(amf0::kLongString);
            bigEndian(s.size(), 4);
        } else {
            if (marker) byte(amf0::kString);
            bigEndian(s.size(), 2);
        }
        raw(s.data(), s.size());
    }
    void properties0(const std::vector<std::pair<std::string, Value>>& properties) {
        for (auto& [name, value] : properties) {
            if (isFunction(value)) continue;
            string0(name.substr(0, 0xFFFF), false);
            value0(value);
        }
        bigEndian(0, 2);
        byte(amf0::kObjectEnd);
    }
    void value0(const Value& v) {
        switch (v.kind()) {
            case Value::Kind::Undefined: return byte(amf0::kUndefined);
            case Value::Kind::Null: return byte(amf0::kNull);
            case Value::Kind::Boolean: byte(amf0::kBoolean); return byte(v.asBoolean() ? 1 : 0);
            case Value::Kind::Number: byte(amf0::kNumber); return doubleBits(v.asNumber());
            case Value::Kind::String: return string0(v.asString(), true);
            case Value::Kind::Object: break;
        }
        Object& o = *v.asObject();
        if (isFunction(v)) return byte(amf0::kUndefined);
        Depth depth(m_, depth_);
        if (auto* date = dynamic_cast<DateObject*>(&o)) {
            byte(amf0::kDate);
            doubleBits(date->time);
            return bigEndian(0, 2);
        }
        if (dynamic_cast<ByteArrayObject*>(&o)) {
            byte(amf0::kAvmPlus);
            return value3(v);
        }
        if (auto it = objects_.find(&o); it != objects_.end() && it->second <= 0xFFFF) {
            byte(amf0::kReference);
            return bigEndian(it->second, 2);
        }
        objects_.emplace(&o, objects_.size());
        if (ArrayObject* array = o.asArray()) {
            auto properties = dynamicProperties(o);
            if (properties.empty()) {
                byte(amf0::kStrictArray);
                bigEndian(array->items.size(), 4);
                for (size_t i = 0; i < array->items.size(); ++i) value0(array->items[i]);
                return;
            }
            byte(amf0::kEcmaArray);
            bigEndian(array->items.size(), 4);
            std::vector<std::pair<std::string, Value>> all;
            for (size_t i = 0; i < array->items.size(); ++i) all.emplace_back(std::to_string(i), array->items[i]);
            all.insert(all.end(), properties.begin(), properties.end());
            return properties0(all);
        }
        byte(amf0::kObject);
        std::vector<std::pair<std::string, Value>> all;
        for (const std::string& name : sealedMembers(m_, o))
            all.emplace_back(name, m_.getProperty(v, Name::qualified(m_.namespaces().publicNs(), name)));
        for (auto& property : dynamicProperties(o)) all.push_back(std::move(property));
        properties0(all);
    }

  private:
    Machine& m_;
    std::vector<uint8_t>& out_;
    std::unordered_map<std::string, size_t> strings_;
    std::unordered_map<Object*, size_t> objects_;
    std::unordered_map<ClassObject*, size_t> traits_;
    std::unordered_map<ClassObject*, std::vector<std::string>> memberNames_;
    int depth_ = 0;
};

// A class of the built-in scope by qualified name ("flash.utils::ByteArray").
Value builtinClass(Machine& m, const std::string& package, const std::string& local) {
    Name name = Name::qualified(m.namespaces().intern(Ns::Group::Public, package), local);
    return m.getProperty(m.findProperty({}, {}, name, true), name);
}

class AmfReader {
  public:
    AmfReader(Machine& m, ByteArrayObject& from) : m_(m), in_(from) {}

    uint8_t byte() { return *in_.take(m_, 1); }
    uint64_t bigEndian(size_t size) {
        const uint8_t* p = in_.take(m_, size);
        uint64_t v = 0;
        for (size_t i = 0; i < size; ++i) v = v << 8 | p[i];
        return v;
    }
    double doubleBits() {
        uint64_t bits = bigEndian(8);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    std::string text(size_t size) {
        const uint8_t* p = in_.take(m_, size);
        return std::string(reinterpret_cast<const char*>(p), size);
    }
    // A count of items each at least one byte long: more than remain means damaged data.
    size_t count(uint64_t n) {
        if (n > in_.available()) m_.throwError("flash.errors::EOFError", 2030, "End of file was encountered.");
        return static_cast<size_t>(n);
    }
    Value remember(Object* o) {
        objects_.push_back(Value::object(o));
        return Value::object(o);
    }
    Value referenced(size_t index) {
        if (index >= objects_.size()) m_.throwError("RangeError", 2006, "The supplied index is out of bounds.");
        return objects_[index];
    }
    void set(Object* o, const std::string& name, const Value& v) {
        m_.setProperty(Value::object(o), Name::qualified(m_.namespaces().publicNs(), name), v);
    }
    Value newDate(double time) {
        Value arg = Value::number(time);
        return m_.construct(builtinClass(m_, "", "Date"), std::span<const Value>(&arg, 1));
    }

    // --- AMF3 ---
    uint32_t u29() {
        uint32_t v = 0;
        for (int i = 0; i < 3; ++i) {
            uint8_t b = byte();
            v = v << 7 | (b & 0x7F);
            if (!(b & 0x80)) return v;
        }
        return v << 8 | byte();
    }
    std::string string3() {
        uint32_t ref = u29();
        if (!(ref & 1)) {
            if ((ref >> 1) >= strings_.size()) m_.throwError("RangeError", 2006, "The supplied index is out of bounds.");
            return strings_[ref >> 1];
        }
        std::string s = text(count(ref >> 1));
        if (!s.empty()) strings_.push_back(s);
        return s;
    }
    Value value3() {
        Depth depth(m_, depth_);
        uint8_t marker = byte();
        switch (marker) {
            case kUndefined3: return Value();
            case kNull3: return Value::null();
            case kFalse3: return Value::boolean(false);
            case kTrue3: return Value::boolean(true);
            case kInteger3: {
                uint32_t v = u29();
                return Value::number(static_cast<int32_t>(v << 3) >> 3);  // sign-extend 29 bits
            }
            case kDouble3: return Value::number(doubleBits());
            case kString3:
            case kXmlDoc3:
            case kXml3: return Value::string(string3());
            case kDate3: {
                uint32_t ref = u29();
                if (!(ref & 1)) return referenced(ref >> 1);
                Value date = newDate(doubleBits());
                objects_.push_back(date);
                return date;
            }
            case kArray3: return array3();
            case kObject3: return object3();
            case kByteArray3: {
                uint32_t ref = u29();
                if (!(ref & 1)) return referenced(ref >> 1);
                size_t n = count(ref >> 1);
                Value made = m_.construct(builtinClass(m_, "flash.utils", "ByteArray"), {});
                auto& bytes = dynamic_cast<ByteArrayObject&>(*made.asObject());
                const uint8_t* p = in_.take(m_, n);
                bytes.bytes.assign(p, p + n);
                return remember(&bytes);
            }
            case kVectorInt3:
            case kVectorUint3:
            case kVectorDouble3:
            case kVectorObject3: return vector3(marker);
            case kDictionary3: {
                uint32_t ref = u29();
                if (!(ref & 1)) return referenced(ref >> 1);
                size_t n = count(ref >> 1);
                byte();  // weak keys
                Value dictionary = m_.construct(builtinClass(m_, "flash.utils", "Dictionary"), {});
                remember(dictionary.asObject());
                for (size_t i = 0; i < n; ++i) {
                    Value key = value3();
                    Value v = value3();
                    m_.setProperty(dictionary, m_.keyName(key, dictionary), v);
                }
                return dictionary;
            }
            default:
                m_.throwError("RangeError", 2006, "The supplied index is out of bounds.");
        }
    }
    Value array3() {
        uint32_t ref = u29();
        if (!(ref & 1)) return referenced(ref >> 1);
        size_t dense = count(ref >> 1);
        ArrayObject* array = m_.newArray();
        remember(array);
        for (std::string name = string3(); !name.empty(); name = string3()) set(array, name, value3());
        // The dense part fills from 0; named indexes may have placed elements past it.
        for (size_t i = 0; i < dense; ++i) array->setElement(static_cast<uint32_t>(i), value3());
        return Value::object(array);
    }
    Value vector3(uint8_t marker) {
        uint32_t ref = u29();
        if (!(ref & 1)) return referenced(ref >> 1);
        size_t n = count(ref >> 1);
        bool fixed = byte() != 0;
        const Machine::Builtins& b = m_.builtins();
        ClassObject* type = marker == kVectorInt3 ? b.intClass : marker == kVectorUint3 ? b.uintClass
                          : marker == kVectorDouble3 ? b.number : b.object;
        if (marker == kVectorObject3) string3();  // an alias, and none are registered: Vector.<Object>
        auto* generic = builtinClass(m_, "__AS3__.vec", "Vector").asObject()->asClass();
        Value param = Value::object(type);
        Value cls = generic->applyType(m_, std::span<const Value>(&param, 1));
        auto& vector = dynamic_cast<VectorObject&>(*m_.construct(cls, {}).asObject());
        remember(&vector);
        for (size_t i = 0; i < n; ++i) {
            Value item;
            switch (marker) {
                case kVectorInt3: item = Value::number(static_cast<int32_t>(bigEndian(4))); break;
                case kVectorUint3: item = Value::number(static_cast<double>(bigEndian(4))); break;
                case kVectorDouble3: item = Value::number(doubleBits()); break;
                default: item = value3(); break;
            }
            vectorStore(m_, vector, static_cast<uint32_t>(vector.items.size()), item);
        }
        vector.fixed = fixed;
        return Value::object(&vector);
    }
    Value object3() {
        uint32_t ref = u29();
        if (!(ref & 1)) return referenced(ref >> 1);
        size_t traitIndex;
        if (!(ref & 2)) {
            traitIndex = ref >> 2;
            if (traitIndex >= traits_.size()) m_.throwError("RangeError", 2006, "The supplied index is out of bounds.");
        } else {
            if (ref & 4) {
                std::string cls = string3();
                m_.throwError("ArgumentError", 2173, "Unable to read object in stream.  The class " + cls +
                                                         " does not implement flash.utils.IExternalizable but is aliased to an externalizable class.");
            }
            TraitsInfo info;
            info.dynamic = (ref & 8) != 0;
            size_t members = count(ref >> 4);
            string3();  // the class alias: no aliases are registered, so an Object is made
            for (size_t i = 0; i < members; ++i) info.members.push_back(string3());
            traitIndex = traits_.size();
            traits_.push_back(std::move(info));
        }
        Object* o = m_.newObject();
        remember(o);
        const TraitsInfo info = traits_[traitIndex];
        for (const std::string& member : info.members) set(o, member, value3());
        if (info.dynamic)
            for (std::string name = string3(); !name.empty(); name = string3()) set(o, name, value3());
        return Value::object(o);
    }

    // --- AMF0 ---
    std::string string0(bool longForm) { return text(static_cast<size_t>(bigEndian(longForm ? 4 : 2))); }
    void properties0(Object* o) {
        for (;;) {
            std::string name = string0(false);
            if (name.empty()) {
                if (byte() != amf0::kObjectEnd) m_.throwError("RangeError", 2006, "The supplied index is out of bounds.");
                return;
            }
            set(o, name, value0());
        }
    }
    Value value0() {
        Depth depth(m_, depth_);
        uint8_t marker = byte();
        switch (marker) {
            case amf0::kNumber: return Value::number(doubleBits());
            case amf0::kBoolean: return Value::boolean(byte() != 0);
            case amf0::kString: return Value::string(string0(false));
            case amf0::kLongString:
            case amf0::kXmlDocument: return Value::string(string0(true));
            case amf0::kNull: return Value::null();
            case amf0::kUndefined: return Value();
            case amf0::kReference: return referenced(static_cast<size_t>(bigEndian(2)));
            case amf0::kTypedObject:
                string0(false);  // the class alias
                [[fallthrough]];
            case amf0::kObject: {
                Object* o = m_.newObject();
                remember(o);
                properties0(o);
                return Value::object(o);
            }
            case amf0::kEcmaArray: {
                bigEndian(4);  // a count the properties that follow give again
                ArrayObject* array = m_.newArray();
                remember(array);
                properties0(array);
                return Value::object(array);
            }
            case amf0::kStrictArray: {
                size_t n = count(bigEndian(4));
                ArrayObject* array = m_.newArray();
                remember(array);
                for (size_t i = 0; i < n; ++i) array->items.push_back(value0());
                return Value::object(array);
            }
            case amf0::kDate: {
                double time = doubleBits();
                bigEndian(2);  // the time zone, which the player ignores
                return newDate(time);
            }
            case amf0::kAvmPlus: return value3();
            default: return Value();
        }
    }

  private:
    struct TraitsInfo {
        bool dynamic = false;
        std::vector<std::string> members;
    };

    Machine& m_;
    ByteArrayObject& in_;
    std::vector<std::string> strings_;
    std::vector<Value> objects_;
    std::vector<TraitsInfo> traits_;
    int depth_ = 0;
};

}  // namespace

void writeAmf(Machine& m, std::vector<uint8_t>& out, const Value& value, uint32_t encoding) {
    AmfWriter writer(m, out);
    if (encoding == 0) writer.value0(value);
    else writer.value3(value);
}

Value readAmf(Machine& m, ByteArrayObject& from, uint32_t encoding) {
    AmfReader reader(m, from);
    return encoding == 0 ? reader.value0() : reader.value3();
}

}  // namespace swf::avm2
