#include "swf/display/VideoInstance.h"

#include <cstdio>

#include "swf/bitmap/Bitmap.h"
#include "swf/video/VideoDecoder.h"

namespace swf {

VideoInstance::VideoInstance(MovieContext& context, std::shared_ptr<const VideoCharacter> video)
    : DisplayObject(context, video), video_(std::move(video)) {
    const double w = video_->width() * kTwipsPerPixel;
    const double h = video_->height() * kTwipsPerPixel;
    FillStyle fill;
    fill.kind = FillStyle::Kind::Bitmap;
    fill.bitmapMatrix = Matrix::scale(kTwipsPerPixel, kTwipsPerPixel);
    fill.bitmapRepeat = false;
    fill.bitmapSmooth = video_->smoothed();
    rectangle_.fills.push_back(fill);
    rectangle_.bounds = {0, static_cast<int32_t>(w), 0, static_cast<int32_t>(h)};
    ShapePath path;
    path.fill1 = 1;
    const Point corners[] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (int i = 0; i < 4; ++i) path.edges.push_back({corners[i], {}, corners[(i + 1) % 4], false});
    rectangle_.paths.push_back(std::move(path));
}

VideoInstance::~VideoInstance() = default;

Rect VideoInstance::localBounds() const {
    return rectangle_.bounds;
}

void VideoInstance::update() const {
    const auto& frames = video_->frames();
    const auto target = video_->frameAtOrBefore(ratio());
    if (target == frames.end() || decodedUpTo_ == target->first) return;
    if (!decoder_) {
        decoder_ = std::make_unique<VideoDecoder>(*video_);
        picture_ = std::make_shared<Bitmap>();
    }
    if (decoder_->failed()) return report();
    auto next = video_->keyFrameAtOrBefore(target->first);
    if (decodedUpTo_ && *decodedUpTo_ < target->first && *decodedUpTo_ >= next->first) {
        next = frames.upper_bound(*decodedUpTo_);
    } else {
        decoder_->restart();
    }
    // Frames on the way are decoded for the state they leave; only the last is converted.
    for (;; ++next) {
        const bool last = next == target;
        if (!decoder_->decode(next->second.data, last ? picture_.get() : nullptr)) break;
        decodedUpTo_ = next->first;
        if (last) break;
    }
    if (decoder_->failed()) report();
}

void VideoInstance::report() const {
    // One line per placed stream; the rest of the movie plays on.
    if (reported_) return;
    reported_ = true;
    std::fprintf(stderr, "kinetrope: video stream %d failed: %s\n", video_->id(),
                 decoder_->error().c_str());
}

void VideoInstance::draw(RenderContext& context, const Matrix& toPixels,
                         const ColorTransform& cxform) const {
    update();
    if (!picture_ ||
        picture_->rgba.size() != static_cast<size_t>(picture_->width) * picture_->height * 4 ||
        picture_->rgba.empty())
        return;
    const Bitmap* pixels = picture_.get();
    context.canvas.drawShape(rectangle_, toPixels, cxform,
                             [pixels](uint16_t) -> const Bitmap* { return pixels; });
}

}  // namespace swf
