#pragma once
// What `super` stands for in a method: the prototype above the one the method was found on,
// with calls made on the original `this`.

#include <span>
#include <string_view>

#include "swf/avm1/machine/Object.h"

namespace swf::avm1 {

class SuperObject : public Object {
  public:
    SuperObject(Object* self, Object* home) : Object(nullptr), self_(self), home_(home) {}

    // super(...): the constructor the home prototype was derived from.
    Value callConstructor(Machine& machine, std::span<const Value> args);
    // super.name(...)
    Value callMethod(Machine& machine, std::string_view name, std::span<const Value> args);
    bool getSpecial(Machine& machine, std::string_view name, Value& out) override;
    void trace(Marker& marker) const override;

  private:
    // The home the method super.name runs with.
    static Object* calleeHome(Machine& machine, Object* above, std::string_view name);

    Object* self_;
    Object* home_;
};

}  // namespace swf::avm1
