#pragma once
// A script value: undefined, null, a boolean, a number, a string or an object. Objects live
// in the machine's heap and are referred to by pointer; the collector keeps every object a
// root can reach, and runs only between action lists, when no value is held on the C++ stack.

#include <atomic>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace swf::avm1 {

class Object;

struct Undefined {
    bool operator==(const Undefined&) const = default;
};
struct Null {
    bool operator==(const Null&) const = default;
};

class Value {
  public:
    Value() = default;
    Value(Undefined) {}
    Value(Null) : data_(Null{}) {}
    Value(bool b) : data_(b) {}
    // Every NaN made is a value of its own: passed on as it is, it equals itself, but no
    // other NaN (the player keeps each number it computes apart).
    Value(double n) : data_(n == n ? n : freshNaN()) {}
    Value(int n) : data_(static_cast<double>(n)) {}
    Value(std::string s) : data_(std::move(s)) {}
    Value(std::string_view s) : data_(std::string(s)) {}
    Value(const char* s) : data_(std::string(s)) {}
    // A null object pointer is undefined.
    Value(Object* o) : data_(fromObject(o)) {}
    // Any other pointer (one to a class declared but not defined here, say) would become a
    // boolean; this makes it an error instead.
    Value(const void*) = delete;
    // The player's NaN constant: _global.NaN and Number.NaN are the one value.
    static Value constantNaN() {
        Value v;
        v.data_ = std::bit_cast<double>(kConstantNaNBits);
        return v;
    }
    // Both numbers the same value: equal, or one NaN met twice.
    bool isSameNumber(const Value& other) const {
        double a = asNumber(), b = other.asNumber();
        return a == b || (a != a && std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b));
    }

    bool isUndefined() const { return std::holds_alternative<Undefined>(data_); }
    bool isNull() const { return std::holds_alternative<Null>(data_); }
    bool isNullish() const { return isUndefined() || isNull(); }
    bool isBool() const { return std::holds_alternative<bool>(data_); }
    bool isNumber() const { return std::holds_alternative<double>(data_); }
    bool isString() const { return std::holds_alternative<std::string>(data_); }
    bool isObject() const { return std::holds_alternative<Object*>(data_); }
    bool isPrimitive() const { return !isObject(); }

    bool asBool() const { return std::get<bool>(data_); }
    double asNumber() const { return std::get<double>(data_); }
    const std::string& asString() const { return std::get<std::string>(data_); }
    Object* asObject() const { return isObject() ? std::get<Object*>(data_) : nullptr; }

  private:
    // NaNs told apart by their payloads.
    static constexpr uint64_t kConstantNaNBits = 0x7FF8'0000'0000'0001ull;
    static constexpr uint64_t kNaNPayload = 0x0007'FFFF'FFFF'FFFFull;
    static double freshNaN() {
        static std::atomic<uint64_t> made{0};
        uint64_t payload = 2 + made.fetch_add(1, std::memory_order_relaxed) % (kNaNPayload - 1);
        return std::bit_cast<double>(0x7FF8'0000'0000'0000ull | payload);
    }
    using Data = std::variant<Undefined, Null, bool, double, std::string, Object*>;
    static Data fromObject(Object* o) {
        if (o) return Data(std::in_place_type<Object*>, o);
        return Data(std::in_place_type<Undefined>);
    }

    Data data_;
};

}  // namespace swf::avm1
