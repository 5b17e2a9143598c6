#pragma once
// The onClipEvent handlers a PlaceObject2 or PlaceObject3 tag attaches to a placed sprite.

#include <cstdint>
#include <vector>

namespace swf {

// The event flag bits as read in file order (the first byte is the most significant).
// SWF 5 files hold only the upper 16 bits.
enum ClipEventFlag : uint32_t {
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

// One handler: the events it answers (ClipEventFlag bits), the key of a key-press handler,
// and its action bytes.
struct ClipActionRecord {
    uint32_t events = 0;
    uint8_t keyCode = 0;
    std::vector<uint8_t> code;

    bool operator==(const ClipActionRecord&) const = default;
};

}  // namespace swf
