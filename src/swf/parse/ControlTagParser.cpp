#include "swf/parse/ControlTagParser.h"

#include "swf/format/ActionReader.h"
#include "swf/format/BitReader.h"
#include "swf/format/TagCode.h"

namespace swf {
namespace {

// Reads an optional field. A field cut short by the end of the tag is left out, and the
// caller drops everything after it.
template <typename T, typename Read>
bool readField(BitReader& in, bool present, std::optional<T>& field, Read read) {
    if (!present) return true;
    T value = read();
    if (in.overrun()) return false;
    field = std::move(value);
    return true;
}

uint32_t readClipEvents(BitReader& in, int swfVersion) {
    uint32_t events = static_cast<uint32_t>(in.u8()) << 24;
    events |= static_cast<uint32_t>(in.u8()) << 16;
    if (swfVersion >= 6) {
        events |= static_cast<uint32_t>(in.u8()) << 8;
        events |= in.u8();
    }
    return events;
}

}  // namespace

std::vector<ClipActionRecord> ControlTagParser::parseClipActions(std::span<const uint8_t> data,
                                                                 int swfVersion) {
    BitReader in(data);
    in.u16();                        // reserved
    readClipEvents(in, swfVersion);  // the union of the records' events
    std::vector<ClipActionRecord> records;
    // Each list keeps at most the bytes since the one before it began (see keepInPlace).
    size_t from = 0;
    // Each record takes at least six bytes, so the loop ends with the data.
    while (!in.overrun()) {
        ClipActionRecord record;
        record.events = readClipEvents(in, swfVersion);
        if (in.overrun() || record.events == 0) break;
        uint32_t size = in.u32();
        if (in.overrun() || size > in.remaining()) break;
        if (record.events & kClipKeyPress) {
            if (size == 0) break;  // no room for the key code the flag promises
            record.keyCode = in.u8();
            --size;
        }
        size_t at = in.position();
        record.code = ActionReader::keepInPlace(data.subspan(from, at - from), in.bytes(size));
        from = at;
        records.push_back(std::move(record));
    }
    return records;
}

std::optional<size_t> ControlTagParser::filterListSize(std::span<const uint8_t> data) {
    BitReader in(data);
    unsigned count = in.u8();
    for (unsigned i = 0; i < count; ++i) {
        uint8_t id = in.u8();
        switch (id) {
            case 0:
                in.skip(23);
                break;  // drop shadow
            case 1:
                in.skip(9);
                break;  // blur
            case 2:
                in.skip(15);
                break;  // glow
            case 3:
                in.skip(27);
                break;  // bevel
            case 4:     // gradient glow
            case 7: {   // gradient bevel
                unsigned colors = in.u8();
                in.skip(colors * 5 + 19);
                break;
            }
            case 5: {  // convolution
                unsigned x = in.u8(), y = in.u8();
                in.skip(8 + 4 * x * y + 5);
                break;
            }
            case 6:
                in.skip(80);
                break;  // colour matrix
            default:
                return std::nullopt;
        }
        if (in.overrun()) return std::nullopt;
    }
    if (in.overrun()) return std::nullopt;
    return in.position();
}

std::optional<PlaceObject> ControlTagParser::parsePlaceObject(uint16_t code,
                                                              std::span<const uint8_t> body,
                                                              int swfVersion) {
    BitReader in(body);
    PlaceObject p;
    if (code == static_cast<uint16_t>(TagCode::PlaceObject)) {
        p.version = 1;
        p.characterId = in.u16();
        p.depth = in.u16();
        p.matrix = in.matrix();
        if (in.overrun()) return std::nullopt;
        if (!in.atEnd()) {
            ColorTransform cx = in.colorTransform(false);
            if (!in.overrun()) p.colorTransform = cx;
        }
        return p;
    }
    p.version = code == static_cast<uint16_t>(TagCode::PlaceObject3) ? 3 : 2;
    uint8_t flags = in.u8();
    uint8_t flags2 = p.version == 3 ? in.u8() : 0;
    p.depth = in.u16();
    if (in.overrun()) return std::nullopt;
    p.move = flags & 0x01;
    bool hasClassName = flags2 & 0x08;
    bool hasImage = flags2 & 0x10;
    auto u16 = [&in] { return in.u16(); };
    auto string = [&in] { return in.cString(); };
    bool whole =
        readField(in, hasClassName || (hasImage && (flags & 0x02)), p.className, string) &&
        readField(in, flags & 0x02, p.characterId, u16) &&
        readField(in, flags & 0x04, p.matrix, [&in] { return in.matrix(); }) &&
        readField(in, flags & 0x08, p.colorTransform, [&in] { return in.colorTransform(true); }) &&
        readField(in, flags & 0x10, p.ratio, u16) && readField(in, flags & 0x20, p.name, string) &&
        readField(in, flags & 0x40, p.clipDepth, u16);
    if (!whole) return p.characterId || p.move ? std::optional<PlaceObject>(p) : std::nullopt;
    if (flags2 & 0x01) {
        auto size = filterListSize(body.subspan(in.position()));
        if (!size) return p;  // an unknown filter hides where the later fields start
        auto raw = in.bytes(*size);
        p.filters = std::vector<uint8_t>(raw.begin(), raw.end());
    }
    if (flags2 & 0x02) p.blendMode = in.u8();
    if (flags2 & 0x04) p.cacheAsBitmap = in.u8() != 0;
    if (flags2 & 0x20) p.visible = in.u8() != 0;
    if (flags2 & 0x40) p.opaqueBackground = in.rgba();
    if (in.overrun()) return p;
    if (flags & 0x80) {
        auto handlers = parseClipActions(body.subspan(in.position()), swfVersion);
        if (!handlers.empty())
            p.clipActions =
                std::make_shared<const std::vector<ClipActionRecord>>(std::move(handlers));
    }
    return p;
}

std::optional<RemoveObject> ControlTagParser::parseRemoveObject(uint16_t code,
                                                                std::span<const uint8_t> body) {
    BitReader in(body);
    if (code == static_cast<uint16_t>(TagCode::RemoveObject)) in.u16();  // character id
    RemoveObject r;
    r.depth = in.u16();
    if (in.overrun()) return std::nullopt;
    return r;
}

}  // namespace swf
