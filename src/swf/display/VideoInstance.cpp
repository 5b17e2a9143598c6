#include "swf/display/VideoInstance.h"

#include <cstdio>

#include "swf/bitmap/Bitmap.h"
#include "swf/display/MovieContext.h"
#include "swf/video/VideoDecoder.h"
#include "swf/video/VideoFeed.h"

namespace swf {

VideoInstance::VideoInstance(MovieContext& context, std::shared_ptr<const VideoCharacter> video)
    : DisplayObject(context, video),
      video_(std::move(video)),
      smoothing_(video_->smoothed()),
      deblocking_(video_->deblocking()) {
    const double w = video_->width() * kTwipsPerPixel;
    const double h = video_->height() * kTwipsPerPixel;
    FillStyle fill;
    fill.kind = FillStyle::Kind::Bitmap;
    fill.bitmapMatrix = Matrix::scale(kTwipsPerPixel, kTwipsPerPixel);
    fill.bitmapRepeat = false;
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

void VideoInstance::attachFeed(std::shared_ptr<const VideoFeed> feed) {
    feed_ = std::move(feed);
    clearPicture();
}

void VideoInstance::clearPicture() {
    picture_.reset();
    decoder_.reset();
    decodedUpTo_.reset();
    decodedStream_.reset();
}

int VideoInstance::pictureWidth() const {
    update();
    return picture_ ? picture_->width : 0;
}

int VideoInstance::pictureHeight() const {
    update();
    return picture_ ? picture_->height : 0;
}

void VideoInstance::update() const {
    if (!feed_) {
        showFrame(video_, ratio());
        return;
    }
    if (!feed_->video) return;
    const double nowMs =
        static_cast<double>(context().tick()) * context().movie().header.frameIntervalMs();
    showFrame(feed_->video->stream(), feed_->video->frameAt(feed_->timeMs(nowMs)));
}

void VideoInstance::showFrame(const std::shared_ptr<const VideoCharacter>& stream,
                              uint16_t number) const {
    if (stream != decodedStream_) {
        decoder_.reset();
        decodedUpTo_.reset();
        decodedStream_ = stream;
        reported_ = false;
    }
    const auto& frames = stream->frames();
    const auto target = stream->frameAtOrBefore(number);
    if (target == frames.end() || decodedUpTo_ == target->first) return;
    if (!decoder_) {
        decoder_ = std::make_unique<VideoDecoder>(*stream);
        picture_ = std::make_shared<Bitmap>();
    }
    if (decoder_->failed()) return report();
    auto next = stream->keyFrameAtOrBefore(target->first);
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
    std::fprintf(stderr, "kinetrope: video stream %d failed: %s\n", decodedStream_->id(),
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
    const auto lookup = [pixels](uint16_t) -> const Bitmap* { return pixels; };
    Shape shown = rectangle_;
    shown.fills[0].bitmapSmooth = smoothing_;
    // A stream's picture of another size fills the object's rectangle.
    if (pixels->width != video_->width() || pixels->height != video_->height())
        shown.fills[0].bitmapMatrix =
            Matrix::scale(kTwipsPerPixel * video_->width() / pixels->width,
                          kTwipsPerPixel * video_->height() / pixels->height);
    context.canvas.drawShape(shown, toPixels, cxform, lookup);
}

}  // namespace swf
