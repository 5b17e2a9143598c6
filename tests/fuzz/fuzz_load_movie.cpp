// libFuzzer entry: loads a movie from memory, draws a few frames and mixes their sound, so
// that the parser, the timelines, the renderer and the sound and video decoders all see
// hostile data. Drawing again after going back to the first frame makes embedded video seek
// back to a key frame.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/player/Player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    swf::Player player;
    player.SetSoundOutput(22050, 2);
    if (!player.LoadMovieFromMemory(std::span<const uint8_t>(data, size))) return 0;
    // A small view keeps each run fast whatever stage size the input claims.
    player.SetViewSize(64, 48);
    std::vector<uint8_t> pixels(64 * 4 * 48);
    std::vector<int16_t> sound(4096);
    for (int frame = 0; frame < 4; ++frame) {
        player.Draw({pixels.data(), 64 * 4, frame % 2 ? 24 : 32, frame % 2 == 0});
        player.advanceFrame();
        player.TakeSound(sound);
    }
    player.GotoFrame(0);
    player.Draw({pixels.data(), 64 * 4, 32, false});
    return 0;
}
