#include "swf/avm1/machine/ArrayObject.h"

#include <string>
#include <vector>

#include "swf/avm1/machine/Heap.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NumberConversion.h"

namespace swf::avm1 {

std::optional<uint32_t> ArrayObject::indexOf(std::string_view name) {
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0'))
        return std::nullopt;
    uint64_t value = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value >= 0xFFFFFFFFu) return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::optional<int32_t> ArrayObject::wrappedIndexOf(std::string_view name) {
    bool negative = !name.empty() && name[0] == '-';
    if (negative) name.remove_prefix(1);
    if (name.empty()) return std::nullopt;
    // A fraction counts by its whole part ("2.2" makes the length 3).
    if (size_t dot = name.find('.'); dot != std::string_view::npos && dot > 0 &&
                                     dot + 1 < name.size()) {
        std::string_view fraction = name.substr(dot + 1);
        if (fraction.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        name = name.substr(0, dot);
    }
    uint32_t value = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10u + static_cast<uint32_t>(c - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

void ArrayObject::deleteElements(Object& object, int64_t from, int64_t to) {
    from = std::max<int64_t>(from, 0);
    if (from >= to) return;
    if (static_cast<uint64_t>(to - from) <= object.ownCount()) {
        for (int64_t i = from; i < to; ++i) object.deleteOwn(std::to_string(i));
        return;
    }
    std::vector<std::string> names;
    object.ownNames(names);
    for (const std::string& name : names)
        if (auto index = indexOf(name); index && *index >= from && *index < to)
            object.deleteOwn(name);
}

void ArrayObject::setLength(Machine&, int32_t length) {
    int32_t old = length_;
    length_ = length;
    if (length < old) deleteElements(*this, length, old);
}

Value ArrayObject::at(uint32_t index) {
    Property* p = findOwn(std::to_string(index));
    return p ? p->value : Value();
}

void ArrayObject::setAt(uint32_t index, const Value& value) {
    if (index >= kMaxLength)
        throw ScriptLimitError(
            "array too long: the script asked for more elements than the player keeps");
    setOwn(std::to_string(index), value);
    if (static_cast<int64_t>(index) >= length_) length_ = static_cast<int32_t>(index + 1);
}

bool ArrayObject::getSpecial(Machine& machine, std::string_view name, Value& out) {
    if (!machine.namesEqual(name, "length")) return false;
    out = Value(static_cast<double>(length_));
    return true;
}

bool ArrayObject::setSpecial(Machine& machine, std::string_view name, const Value& value) {
    if (machine.namesEqual(name, "length")) {
        setLength(machine, avm1::toInt32(machine.toNumber(value)));
        return true;
    }
    if (name.empty()) return true;  // an array keeps no member without a name
    auto index = wrappedIndexOf(name);
    if (!index) return false;
    setOwn(name, value);
    // The length follows in 32-bit arithmetic: an element at 2^31 - 1 wraps it negative,
    // which cuts off the elements below the old length.
    if (*index >= length_)
        setLength(machine, static_cast<int32_t>(static_cast<uint32_t>(*index) + 1u));
    return true;
}

}  // namespace swf::avm1
