#pragma once
// A Sound: the clip it speaks for (none for the global sound), the sound attached or loaded,
// and the channel it last started. The clip is kept as a path and looked up on every call, as
// the player does: a renamed clip is lost to it until a clip answers to the path again.

#include <cstdint>
#include <memory>
#include <string>

#include "swf/avm1/machine/Object.h"

namespace swf {
class SoundCharacter;
}

namespace swf::avm1 {

class SoundObject : public Object {
  public:
    enum class Load : uint8_t { None, Loading, Loaded, Failed };

    explicit SoundObject(Object* proto) : Object(proto) {}

    bool global = true;
    std::string targetPath;  // when not global
    std::shared_ptr<const SoundCharacter> sound;
    Load load = Load::None;
    double bytesTotal = 0;
    uint64_t channel = 0;       // the serial of the last start
    double lastPositionMs = 0;  // where the last start got to once it ended or was stopped
    uint32_t loadSerial = 0;    // numbers loadSound calls: only the last one's answer counts
    bool checkPolicyFile = false;
};

}  // namespace swf::avm1
