#include "convert/ScalerInput.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/frame.h>
}

namespace convert {

ScalerInput::~ScalerInput() {
    av_frame_free(&frame_);
}

bool ScalerInput::Allocate(int codedWidth, int codedHeight, int bytesPerPixel) {
    if (frame_ && frame_->width == codedWidth && frame_->height == codedHeight &&
        bytesPerPixel_ == bytesPerPixel)
        return true;
    av_frame_free(&frame_);
    frame_ = av_frame_alloc();
    if (!frame_) return false;
    frame_->format = bytesPerPixel == 4 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    frame_->width = codedWidth;
    frame_->height = codedHeight;
    bytesPerPixel_ = bytesPerPixel;
    if (av_frame_get_buffer(frame_, 0) < 0) {
        av_frame_free(&frame_);
        return false;
    }
    return true;
}

void ScalerInput::Fill(const uint8_t* top, size_t stride, int width, int height) {
    const auto pixel = static_cast<size_t>(bytesPerPixel_);
    for (int y = 0; y < frame_->height; ++y) {
        const uint8_t* from = top - stride * static_cast<size_t>(std::min(y, height - 1));
        uint8_t* to = frame_->data[0] + static_cast<ptrdiff_t>(y) * frame_->linesize[0];
        std::memcpy(to, from, static_cast<size_t>(width) * pixel);
        for (int x = width; x < frame_->width; ++x)
            std::memcpy(to + static_cast<size_t>(x) * pixel,
                        from + static_cast<size_t>(width - 1) * pixel, pixel);
    }
}

const uint8_t* const* ScalerInput::Planes() const {
    return frame_->data;
}

const int* ScalerInput::LineSizes() const {
    return frame_->linesize;
}

}  // namespace convert
