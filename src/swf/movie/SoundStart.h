#pragma once
// A StartSound tag (or a button's sound): which sound, and how it plays: stop it instead,
// do not start it twice, the part of it to play, how often, and its volume envelope.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace swf {

class BitReader;

struct SoundStart {
    struct EnvelopePoint {
        uint32_t position44 = 0;  // counted in samples at 44 kHz from where the sound starts
        uint16_t left = 32768;    // 32768 is full level
        uint16_t right = 32768;
    };

    uint16_t soundId = 0;
    std::string className;  // StartSound2 names the sound by its exported class instead
    bool stop = false;
    bool noMultiple = false;
    std::optional<uint32_t> inPoint;  // in samples at 44 kHz, like the envelope
    std::optional<uint32_t> outPoint;
    uint16_t loops = 1;
    std::vector<EnvelopePoint> envelope;

    // The SOUNDINFO record after the sound's id or name.
    static SoundStart readInfo(BitReader& in);
    // A StartSound (15) or StartSound2 (89) body; nothing when it is cut short or the tag is
    // another one.
    static std::optional<SoundStart> parse(uint16_t tagCode, std::span<const uint8_t> body);
};

}  // namespace swf
