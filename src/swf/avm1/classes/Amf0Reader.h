#pragma once
// Script values read back from AMF0 as Amf0Writer writes them: objects and arrays are new
// ones (a typed object becomes an instance of the class registered under its name, when there
// is one), dates and XML documents are made again from their time and text, and references
// find the object read before. Reads stop at the end of the bytes or at what this does not
// read; the rest is undefined.

#include <cstdint>
#include <string>
#include <string_view>

#include "swf/avm1/machine/Value.h"
#include "swf/script/Rooted.h"

namespace swf::avm1 {

class ArrayObject;
class Machine;
class Object;

class Amf0Reader {
  public:
    Amf0Reader(Machine& machine, std::string_view bytes);

    bool atEnd() const { return failed_ || rest_.empty(); }
    Value value();

  private:
    static constexpr int kMaxReadDepth = 256;

    Value read(int depth);
    // Reads name-value pairs into the object up to the end marker.
    void members(Object* o, int depth);
    Object* remember(Object* o);
    bool take(size_t size, std::string_view& out);
    bool number(double& out);
    bool unsigned16(uint32_t& out);
    bool unsigned32(uint32_t& out);

    Machine& m_;
    std::string_view rest_;
    // Every object read, by its reference number (rooted while the values are made).
    script::Rooted<ArrayObject> references_;
    bool failed_ = false;
};

}  // namespace swf::avm1
