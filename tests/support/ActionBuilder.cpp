#include "support/ActionBuilder.h"

#include <stdexcept>
#include <string>

#include "support/BitWriter.h"

namespace swftest {

namespace {

enum ActionCode : uint8_t {
    kNextFrame = 0x04,
    kPreviousFrame = 0x05,
    kPlay = 0x06,
    kStop = 0x07,
    kStopSounds = 0x09,
    kTrace = 0x26,
    kGotoFrame = 0x81,
    kGetUrl = 0x83,
    kSetTarget = 0x8B,
    kGotoLabel = 0x8C,
    kPush = 0x96,
};

enum PushType : uint8_t {
    kPushString = 0,
    kPushInteger = 7,
};

}  // namespace

ActionBuilder& ActionBuilder::action(uint8_t code) {
    if (code >= 0x80) throw std::invalid_argument("actions from 0x80 carry a length and payload");
    records_.push_back(code);
    return *this;
}

ActionBuilder& ActionBuilder::action(uint8_t code, std::span<const uint8_t> payload) {
    if (code < 0x80) throw std::invalid_argument("actions below 0x80 have no payload");
    if (payload.size() > 0xFFFF)
        throw std::invalid_argument("action payload longer than 65535 bytes");
    BitWriter out;
    out.u8(code).u16(static_cast<uint16_t>(payload.size())).raw(payload);
    return raw(out.bytes());
}

ActionBuilder& ActionBuilder::raw(std::span<const uint8_t> bytes) {
    records_.insert(records_.end(), bytes.begin(), bytes.end());
    return *this;
}

ActionBuilder& ActionBuilder::nextFrame() {
    return action(kNextFrame);
}
ActionBuilder& ActionBuilder::previousFrame() {
    return action(kPreviousFrame);
}
ActionBuilder& ActionBuilder::play() {
    return action(kPlay);
}
ActionBuilder& ActionBuilder::stop() {
    return action(kStop);
}
ActionBuilder& ActionBuilder::stopSounds() {
    return action(kStopSounds);
}
ActionBuilder& ActionBuilder::trace() {
    return action(kTrace);
}

ActionBuilder& ActionBuilder::gotoFrame(uint16_t frameIndex) {
    BitWriter payload;
    payload.u16(frameIndex);
    return action(kGotoFrame, payload.bytes());
}

ActionBuilder& ActionBuilder::gotoLabel(std::string_view label) {
    BitWriter payload;
    payload.string(label);
    return action(kGotoLabel, payload.bytes());
}

ActionBuilder& ActionBuilder::setTarget(std::string_view target) {
    BitWriter payload;
    payload.string(target);
    return action(kSetTarget, payload.bytes());
}

ActionBuilder& ActionBuilder::getUrl(std::string_view url, std::string_view target) {
    BitWriter payload;
    payload.string(url).string(target);
    return action(kGetUrl, payload.bytes());
}

ActionBuilder& ActionBuilder::fsCommand(std::string_view command, std::string_view arguments) {
    return getUrl("FSCommand:" + std::string(command), arguments);
}

ActionBuilder& ActionBuilder::pushString(std::string_view value) {
    BitWriter payload;
    payload.u8(kPushString).string(value);
    return action(kPush, payload.bytes());
}

ActionBuilder& ActionBuilder::pushInteger(int32_t value) {
    BitWriter payload;
    payload.u8(kPushInteger).u32(static_cast<uint32_t>(value));
    return action(kPush, payload.bytes());
}

std::vector<uint8_t> ActionBuilder::terminated() const {
    std::vector<uint8_t> bytes = records_;
    bytes.push_back(0);
    return bytes;
}

}  // namespace swftest
