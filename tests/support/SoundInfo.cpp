#include "support/SoundInfo.h"

#include <stdexcept>

#include "support/BitWriter.h"

namespace swftest {

void SoundInfo::write(BitWriter& out) const {
    if (envelope.size() > 255)
        throw std::invalid_argument("a sound envelope holds at most 255 points");
    out.ub(0, 2)
        .flag(syncStop)
        .flag(syncNoMultiple)
        .flag(!envelope.empty())
        .flag(loopCount.has_value())
        .flag(outPoint.has_value())
        .flag(inPoint.has_value());
    if (inPoint) out.u32(*inPoint);
    if (outPoint) out.u32(*outPoint);
    if (loopCount) out.u16(*loopCount);
    if (!envelope.empty()) {
        out.u8(static_cast<uint8_t>(envelope.size()));
        for (const SoundEnvelopePoint& point : envelope)
            out.u32(point.position44).u16(point.leftLevel).u16(point.rightLevel);
    }
}

}  // namespace swftest
