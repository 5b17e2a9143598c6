#include "support/ClipAction.h"

#include "support/BitWriter.h"

namespace swftest {

namespace {

void writeEvents(BitWriter& out, uint32_t events, int swfVersion) {
    out.u8(static_cast<uint8_t>(events >> 24)).u8(static_cast<uint8_t>(events >> 16));
    if (swfVersion >= 6) out.u8(static_cast<uint8_t>(events >> 8)).u8(static_cast<uint8_t>(events));
}

}  // namespace

void ClipAction::writeList(BitWriter& out, const std::vector<ClipAction>& handlers,
                           int swfVersion) {
    uint32_t allEvents = 0;
    for (const ClipAction& handler : handlers) allEvents |= handler.events;
    out.u16(0);
    writeEvents(out, allEvents, swfVersion);
    for (const ClipAction& handler : handlers) {
        const std::vector<uint8_t> actions = handler.actions.terminated();
        const bool keyPress = (handler.events & kClipKeyPress) != 0 && swfVersion >= 6;
        writeEvents(out, handler.events, swfVersion);
        out.u32(static_cast<uint32_t>(actions.size() + (keyPress ? 1 : 0)));
        if (keyPress) out.u8(handler.keyCode);
        out.raw(actions);
    }
    writeEvents(out, 0, swfVersion);
}

}  // namespace swftest
