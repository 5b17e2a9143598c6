#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace swftest {

// Builds a list of ACTIONRECORDs (SWF 3 actions, plus a few from SWF 4 and 5).
//   writer.doAction(ActionBuilder().pushString("hello").trace().stop());
// DoAction and button actions add the terminating ActionEndFlag themselves.
class ActionBuilder {
  public:
    ActionBuilder& nextFrame();
    ActionBuilder& previousFrame();
    ActionBuilder& play();
    ActionBuilder& stop();
    ActionBuilder& stopSounds();
    // Frame index counts from 0 (the first frame is 0).
    ActionBuilder& gotoFrame(uint16_t frameIndex);
    ActionBuilder& gotoLabel(std::string_view label);
    // Path of the timeline the following actions address; "" returns to the current one.
    ActionBuilder& setTarget(std::string_view target);
    ActionBuilder& getUrl(std::string_view url, std::string_view target);
    // fscommand(command, arguments): a GetURL to "FSCommand:<command>".
    ActionBuilder& fsCommand(std::string_view command, std::string_view arguments = "");
    ActionBuilder& pushString(std::string_view value);
    ActionBuilder& pushInteger(int32_t value);
    ActionBuilder& trace();

    // Any action: codes below 0x80 have no payload, the others a UI16 length and the payload.
    ActionBuilder& action(uint8_t code);
    ActionBuilder& action(uint8_t code, std::span<const uint8_t> payload);
    // Bytes appended as they are (hostile or hand-made records).
    ActionBuilder& raw(std::span<const uint8_t> bytes);

    // The records, without the ending 0 byte.
    const std::vector<uint8_t>& records() const { return records_; }
    // The records followed by ActionEndFlag.
    std::vector<uint8_t> terminated() const;

  private:
    std::vector<uint8_t> records_;
};

}  // namespace swftest
