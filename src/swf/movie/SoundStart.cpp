#include "swf/movie/SoundStart.h"

#include <algorithm>

#include "swf/format/BitReader.h"
#include "swf/format/TagCode.h"

namespace swf {

SoundStart SoundStart::readInfo(BitReader& in) {
    SoundStart start;
    const uint8_t flags = in.u8();
    start.stop = (flags & 0x20) != 0;
    start.noMultiple = (flags & 0x10) != 0;
    if (flags & 0x01) start.inPoint = in.u32();
    if (flags & 0x02) start.outPoint = in.u32();
    if (flags & 0x04) start.loops = std::max<uint16_t>(in.u16(), 1);
    if (flags & 0x08) {
        const uint8_t points = in.u8();
        for (int i = 0; i < points && !in.overrun(); ++i) {
            EnvelopePoint point;
            point.position44 = in.u32();
            point.left = in.u16();
            point.right = in.u16();
            if (!in.overrun()) start.envelope.push_back(point);
        }
    }
    return start;
}

std::optional<SoundStart> SoundStart::parse(uint16_t tagCode, std::span<const uint8_t> body) {
    const bool byName = tagCode == static_cast<uint16_t>(TagCode::StartSound2);
    if (!byName && tagCode != static_cast<uint16_t>(TagCode::StartSound)) return std::nullopt;
    BitReader in(body);
    uint16_t id = 0;
    std::string name;
    if (byName)
        name = in.cString();
    else
        id = in.u16();
    SoundStart start = readInfo(in);
    if (in.overrun()) return std::nullopt;
    start.soundId = id;
    start.className = std::move(name);
    return start;
}

}  // namespace swf
