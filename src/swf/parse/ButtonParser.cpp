#include "swf/parse/ButtonParser.h"

#include <algorithm>

#include "swf/format/ActionReader.h"
#include "swf/format/BitReader.h"
#include "swf/parse/ControlTagParser.h"

namespace swf {
namespace {

// DefineButton2's BUTTONCONDACTION records from `at`: each a size (0 on the last), the
// conditions and key, then its actions up to the next record.
std::vector<ButtonAction> conditionActions(std::span<const uint8_t> body, size_t at) {
    std::vector<ButtonAction> actions;
    // Each list keeps at most the bytes since the one before it began (see keepInPlace).
    size_t from = 0;
    while (at + 4 <= body.size()) {
        size_t size = body[at] | size_t{body[at + 1]} << 8;
        size_t end = size == 0 ? body.size() : std::min(body.size(), at + size);
        if (end < at + 4) break;
        ButtonAction action;
        action.conditions = static_cast<uint16_t>(body[at + 2] | (body[at + 3] & 0x01) << 8);
        action.keyPress = body[at + 3] >> 1;
        action.code = ActionReader::keepInPlace(body.subspan(from, at + 4 - from),
                                                body.subspan(at + 4, end - at - 4));
        from = at + 4;
        actions.push_back(std::move(action));
        if (size == 0) break;
        at = end;
    }
    return actions;
}

}  // namespace

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
    std::vector<ButtonAction> actions;
    if (version < 2) {
        // DefineButton: one list, run on release.
        size_t at = in.position();
        if (!in.overrun() && at < body.size())
            actions.push_back(ButtonAction{kOverDownToOverUp, 0,
                                           ActionReader::keepInPlace(body.first(at),
                                                                     body.subspan(at))});
    } else {
        actions = conditionActions(body, actionsAt);
    }
    return std::make_shared<ButtonCharacter>(id, std::move(records), trackAsMenu,
                                             std::move(actions));
}

}  // namespace swf
