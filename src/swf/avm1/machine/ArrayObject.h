#pragma once
// An Array: elements are plain properties named by their index. `length` is a 32-bit signed
// number as in the player: storing an element at or past it makes it index + 1 (wrapping, so
// an element at 2^31 - 1 makes it negative), and making it shorter deletes the elements
// between the new and the old length.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "swf/avm1/machine/Object.h"

namespace swf::avm1 {

class ArrayObject : public Object {
  public:
    // The most elements a native method walks or makes in one array.
    static constexpr uint32_t kMaxLength = 16'000'000;

    using Object::Object;

    // The length a script sees, negative ones included.
    int32_t signedLength() const { return length_; }
    // The length native code may loop to: 0 for a negative one, at most kMaxLength.
    uint32_t length() const {
        return length_ <= 0 ? 0 : std::min(static_cast<uint32_t>(length_), kMaxLength);
    }
    // Sets the length; own elements from the new length up to the old one are deleted.
    void setLength(Machine& machine, int32_t length);
    Value at(uint32_t index);
    void setAt(uint32_t index, const Value& value);
    void push(const Value& value) { setAt(length(), value); }

    bool getSpecial(Machine& machine, std::string_view name, Value& out) override;
    bool setSpecial(Machine& machine, std::string_view name, const Value& value) override;

    // The index a property name stands for ("0", "17"; not "01" or "-1").
    static std::optional<uint32_t> indexOf(std::string_view name);
    // The index a stored name counts as for the length: an optional '-' and decimal digits,
    // maybe with a fraction that does not count, read into 32 bits with wrapping as the player
    // does ("4294967296" is 0, "-5" is -5, "2.2" is 2).
    static std::optional<int32_t> wrappedIndexOf(std::string_view name);
    // Deletes the own elements of any object with indexes in [from, to) (those that may not be
    // deleted stay), walking the indexes or the properties, whichever are fewer.
    static void deleteElements(Object& object, int64_t from, int64_t to);

  private:
    int32_t length_ = 0;
};

}  // namespace swf::avm1
