#include "support/ButtonBuilder.h"

#include <stdexcept>

#include "support/BitWriter.h"

namespace swftest {

ButtonBuilder& ButtonBuilder::trackAsMenu(bool value) {
    trackAsMenu_ = value;
    return *this;
}

ButtonBuilder& ButtonBuilder::add(const ButtonRecord& record) {
    if (record.states == 0 || record.states > 0x0F)
        throw std::invalid_argument("a button record needs at least one of the four states");
    records_.push_back(record);
    return *this;
}

ButtonBuilder& ButtonBuilder::addActions(uint16_t conditions, const ActionBuilder& actions) {
    actions_.push_back(CondAction{conditions, actions});
    return *this;
}

std::vector<uint8_t> ButtonBuilder::defineButton2Body(uint16_t id) const {
    BitWriter records;
    for (const ButtonRecord& record : records_) {
        records.u8(record.states).u16(record.character).u16(record.depth);
        record.matrix.write(records);
        record.colorTransform.writeWithAlpha(records);
    }
    records.u8(0);  // end of characters

    BitWriter body;
    body.u16(id).u8(trackAsMenu_ ? 1 : 0);
    // Offset from the start of this field to the first condition action.
    body.u16(actions_.empty() ? 0 : static_cast<uint16_t>(2 + records.size()));
    body.raw(records.bytes());
    for (size_t i = 0; i < actions_.size(); ++i) {
        const std::vector<uint8_t> actionBytes = actions_[i].actions.terminated();
        const bool last = i + 1 == actions_.size();
        // Size of this record (offset to the next), 0 on the last one.
        body.u16(last ? 0 : static_cast<uint16_t>(4 + actionBytes.size()));
        body.u8(static_cast<uint8_t>(actions_[i].conditions >> 8))
            .u8(static_cast<uint8_t>(actions_[i].conditions));
        body.raw(actionBytes);
    }
    return body.bytes();
}

}  // namespace swftest
