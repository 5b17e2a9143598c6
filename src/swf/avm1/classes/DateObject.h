#pragma once
// A Date: milliseconds since 1970-01-01 UTC, kept exactly as the script gave them (the
// constructor neither rounds nor clips; the setters do).

#include <limits>

#include "swf/avm1/machine/Object.h"

namespace swf::avm1 {

class DateObject : public Object {
  public:
    explicit DateObject(Object* proto, double time = std::numeric_limits<double>::quiet_NaN())
        : Object(proto), time_(time) {}

    double time() const { return time_; }
    void setTime(double time) { time_ = time; }
    bool primitiveValue(Value& out) const override {
        out = Value(time_);
        return true;
    }

  private:
    double time_;
};

}  // namespace swf::avm1
