#pragma once
// A value of the ActionScript 3 machine: undefined, null, a boolean, a number (int, uint and
// Number share the double), a string or an object of the machine's heap.

#include <cstdint>
#include <memory>
#include <string>

namespace swf::avm2 {

class Object;

class Value {
  public:
    enum class Kind : uint8_t { Undefined, Null, Boolean, Number, String, Object };

    Value() = default;
    static Value null() { return Value(Kind::Null); }
    static Value boolean(bool b) {
        Value v(Kind::Boolean);
        v.b_ = b;
        return v;
    }
    static Value number(double d) {
        Value v(Kind::Number);
        v.n_ = d;
        return v;
    }
    static Value string(std::string s) {
        Value v(Kind::String);
        v.s_ = std::make_shared<const std::string>(std::move(s));
        return v;
    }
    // An array element never set, or deleted: undefined to scripts, but the array reads
    // through to its prototype for it and leaves it out of for-in.
    static Value hole() {
        Value v;
        v.b_ = true;
        return v;
    }
    // Null for a null pointer.
    static Value object(Object* o) {
        Value v(o ? Kind::Object : Kind::Null);
        v.o_ = o;
        return v;
    }

    Kind kind() const { return kind_; }
    bool isUndefined() const { return kind_ == Kind::Undefined; }
    bool isHole() const { return kind_ == Kind::Undefined && b_; }
    // The value a script sees: a hole is plain undefined.
    Value withoutHole() const { return isHole() ? Value() : *this; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isNullish() const { return kind_ == Kind::Undefined || kind_ == Kind::Null; }
    bool isBoolean() const { return kind_ == Kind::Boolean; }
    bool isNumber() const { return kind_ == Kind::Number; }
    bool isString() const { return kind_ == Kind::String; }
    bool isObject() const { return kind_ == Kind::Object; }

    bool asBoolean() const { return b_; }
    double asNumber() const { return n_; }
    const std::string& asString() const;
    Object* asObject() const { return kind_ == Kind::Object ? o_ : nullptr; }

  private:
    explicit Value(Kind kind) : kind_(kind) {}

    Kind kind_ = Kind::Undefined;
    bool b_ = false;
    double n_ = 0;
    Object* o_ = nullptr;
    std::shared_ptr<const std::string> s_;
};

// Conversions of primitives as the language defines them; objects are converted by the
// machine (they may run valueOf and toString).
double stringToNumber(const std::string& text);
std::string numberToString(double d);
// Number.prototype.toString(radix) for radixes other than 10.
std::string numberToRadixString(double d, int radix);
int32_t toInt32(double d);
uint32_t toUint32(double d);
// typeof's answer for a primitive.
const char* primitiveTypeName(const Value& v);
// True when the number is an integer in the range of int (or uint).
bool isIntValue(double d);
bool isUintValue(double d);

}  // namespace swf::avm2
