#pragma once
// Script values as AMF0, the form the player stores shared objects and carries local
// connection messages in. Clips are written as undefined, functions among an object's members
// are left out, arrays are written with their named members (an ECMA array), an instance of a
// registered class is a typed object, and an object met again is a reference to the first.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "swf/avm1/machine/Value.h"
#include "swf/format/Amf0Marker.h"

namespace swf::avm1 {

class Machine;
class Object;

class Amf0Writer {
  public:
    explicit Amf0Writer(Machine& machine);

    // One value; a function there is written as an object.
    void value(const Value& v);
    // A shared object's data: its members, each followed by a zero byte. The data object is
    // the first in the reference table.
    void data(Object* data);
    const std::string& bytes() const { return out_; }

  private:
    void write(const Value& v, int depth);
    void members(Object* o, int depth, bool trailingZero);
    void marker(amf0::Marker m);
    void number(double n);
    void unsigned16(uint32_t n);
    void unsigned32(uint32_t n);
    void name(const std::string& s);
    // The name the object's class was registered under, or null.
    const std::string* registeredName(Object* o) const;

    Machine& m_;
    Value xml_;
    std::string out_;
    std::unordered_map<Object*, uint32_t> references_;
    uint32_t nextReference_ = 0;
    size_t count_ = 0;
};

}  // namespace swf::avm1
