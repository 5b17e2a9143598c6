#pragma once

#include <cstdint>
#include <vector>

#include "support/ActionBuilder.h"

namespace swftest {

class BitWriter;

// Clip events of a CLIPACTIONRECORD, as the 32 flag bits read in file order (combine
// with |). SWF 5 files hold only the upper 16 bits.
enum ClipEvent : uint32_t {
    kClipKeyUp = 0x80000000,
    kClipKeyDown = 0x40000000,
    kClipMouseUp = 0x20000000,
    kClipMouseDown = 0x10000000,
    kClipMouseMove = 0x08000000,
    kClipUnload = 0x04000000,
    kClipEnterFrame = 0x02000000,
    kClipLoad = 0x01000000,
    kClipDragOver = 0x00800000,
    kClipRollOut = 0x00400000,
    kClipRollOver = 0x00200000,
    kClipReleaseOutside = 0x00100000,
    kClipRelease = 0x00080000,
    kClipPress = 0x00040000,
    kClipInitialize = 0x00020000,
    kClipData = 0x00010000,
    kClipConstruct = 0x00000400,
    kClipKeyPress = 0x00000200,
    kClipDragOut = 0x00000100,
};

// One onClipEvent handler of a placed sprite.
struct ClipAction {
    uint32_t events = kClipEnterFrame;
    uint8_t keyCode = 0;  // written only with kClipKeyPress
    ActionBuilder actions = {};

    // CLIPACTIONS: reserved field, the union of all events, the records, the end flag.
    // Event fields are 16 bits before SWF 6 and 32 bits from SWF 6.
    static void writeList(BitWriter& out, const std::vector<ClipAction>& handlers, int swfVersion);
};

}  // namespace swftest
