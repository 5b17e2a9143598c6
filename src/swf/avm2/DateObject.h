#pragma once
// A Date: milliseconds since 1970-01-01 UTC, NaN for an invalid date.

#include <limits>

#include "swf/avm2/Object.h"

namespace swf::avm2 {

class DateObject : public Object {
  public:
    using Object::Object;

    double time = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace swf::avm2
