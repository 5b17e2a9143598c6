#pragma once
// Where recorded sound comes from: a device that fills the buffers it is given with whole
// sample blocks and hands each one back, full, to a callback on a thread of its own.

#include <cstdint>
#include <functional>

#include "audio/WaveFormat.h"

namespace audio {

struct CaptureBuffer {
    uint8_t* data = nullptr;
    uint32_t length = 0;         // bytes the buffer can take, a whole number of blocks
    uint32_t bytesRecorded = 0;  // bytes filled when it comes back
    uint32_t index = 0;          // the owner's number for it
};

class CaptureSource {
  public:
    // Receives each buffer the source is done with; it may queue it again from there.
    using BufferDone = std::function<void(CaptureBuffer&)>;

    virtual ~CaptureSource() = default;

    // Opens the source for `format`; E_FAIL when it is open already or refuses the format.
    virtual int32_t Open(const WaveFormat& format, BufferDone done) = 0;
    // Queues a buffer to be filled; its recorded count starts again at 0.
    virtual int32_t AddBuffer(CaptureBuffer& buffer) = 0;
    virtual int32_t Start() = 0;
    // Stops capturing and hands back every queued buffer with what it holds so far; returns
    // once all of them have been handed back.
    virtual int32_t Reset() = 0;
    // Resets and releases the source; queued buffers are handed back first.
    virtual int32_t Close() = 0;
};

}  // namespace audio
