#include "swf/parse/ButtonParser.h"

#include "swf/parse/BitReader.h"
#include "swf/parse/ControlTagParser.h"

namespace swf {

std::shared_ptr<ButtonCharacter> ButtonParser::parse(std::span<const uint8_t> body, int version) {
    BitReader in(body);
    uint16_t id = in.u16();
    if (in.overrun()) return nullptr;
    bool trackAsMenu = false;
    size_t actionsAt = 0;
    if (version >= 2) {
        trackAsMenu = in.u8() & 0x01;
        size_t offsetField = in.position();
        uint16_t offset = in.u16();
        actionsAt = offset ? offsetField + offset : body.size();
    }
    std::vector<ButtonRecord> records;
    while (!in.overrun() && !in.atEnd()) {
        uint8_t flags = in.u8();
        if (flags == 0) break;
        ButtonRecord r;
        r.states = flags & 0x0F;
        r.characterId = in.u16();
        r.depth = in.u16();
        r.matrix = in.matrix();
        if (version >= 2) {
            r.colorTransform = in.colorTransform(true);
            if (flags & 0x10) {
                auto size = ControlTagParser::filterListSize(body.subspan(in.position()));
                if (!size) break;
                in.skip(*size);
            }
            if (flags & 0x20) r.blendMode = in.u8();
        }
        if (in.overrun()) break;
        records.push_back(r);
    }
    if (version < 2) actionsAt = in.position();
    std::vector<uint8_t> actions;
    if (actionsAt < body.size())
        actions.assign(body.begin() + static_cast<std::ptrdiff_t>(actionsAt), body.end());
    return std::make_shared<ButtonCharacter>(id, std::move(records), trackAsMenu,
                                             std::move(actions));
}

}  // namespace swf
