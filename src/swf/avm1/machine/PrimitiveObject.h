#pragma once
// A String, Number or Boolean object: the primitive it wraps, and for a string its length.

#include "swf/avm1/machine/Object.h"

namespace swf::avm1 {

class PrimitiveObject : public Object {
  public:
    PrimitiveObject(Object* proto, Value value) : Object(proto), value_(std::move(value)) {}

    const Value& value() const { return value_; }
    void setValue(Value value) { value_ = std::move(value); }
    bool primitiveValue(Value& out) const override {
        out = value_;
        return true;
    }
    bool getSpecial(Machine& machine, std::string_view name, Value& out) override;

    // The text a String object wraps, without asking its (replaceable) toString; any other
    // value converted as scripts convert it.
    static std::string ownTextOf(Machine& machine, const Value& value);

  private:
    Value value_;
};

}  // namespace swf::avm1
