#pragma once
// The type markers of AMF0, the form shared objects, local connection messages and remoting
// calls carry script values in.

#include <cstdint>

namespace swf::amf0 {

enum Marker : uint8_t {
    kNumber = 0x00,
    kBoolean = 0x01,
    kString = 0x02,
    kObject = 0x03,
    kNull = 0x05,
    kUndefined = 0x06,
    kReference = 0x07,
    kEcmaArray = 0x08,
    kObjectEnd = 0x09,
    kStrictArray = 0x0A,
    kDate = 0x0B,
    kLongString = 0x0C,
    kXmlDocument = 0x0F,
    kTypedObject = 0x10,
    kAvmPlus = 0x11,
};

}  // namespace swf::amf0
