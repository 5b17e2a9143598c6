#include "convert/run/FrameCapture.h"

#include "swf/player/Player.h"

namespace convert {

bool FrameCapture::Capture(const swf::Player& control) {
    return CaptureInto(control, alphaFlag ? alphaBuffer : colourBuffer);
}

bool FrameCapture::CaptureInto(const swf::Player& control, FrameBuffer& buffer) const {
    const uint16_t bitsPerPixel = alphaFlag ? 32 : 24;
    if (!buffer.Create(control.ViewWidth(), control.ViewHeight(), bitsPerPixel)) return false;
    const swf::DrawTarget target{buffer.bits(), buffer.stride(), bitsPerPixel, true};
    return control.Draw(target);
}

}  // namespace convert
