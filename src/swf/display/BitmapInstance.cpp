#include "swf/display/BitmapInstance.h"

namespace swf {

BitmapInstance::BitmapInstance(MovieContext& context, std::shared_ptr<const BitmapCharacter> bitmap)
    : DisplayObject(context, bitmap), bitmap_(std::move(bitmap)) {
    makeRectangle(bitmap_->bitmap().width, bitmap_->bitmap().height, bitmap_->id(), true);
}

BitmapInstance::BitmapInstance(MovieContext& context, std::shared_ptr<const Bitmap> pixels,
                               bool smoothing)
    : DisplayObject(context, nullptr), pixels_(std::move(pixels)) {
    makeRectangle(pixels_->width, pixels_->height, 0, smoothing);
}

void BitmapInstance::makeRectangle(int width, int height, uint16_t bitmapId, bool smoothing) {
    double w = width * kTwipsPerPixel;
    double h = height * kTwipsPerPixel;
    FillStyle fill;
    fill.kind = FillStyle::Kind::Bitmap;
    fill.bitmapId = bitmapId;
    fill.bitmapMatrix = Matrix::scale(kTwipsPerPixel, kTwipsPerPixel);
    fill.bitmapRepeat = false;
    fill.bitmapSmooth = smoothing;
    rectangle_.fills.push_back(fill);
    rectangle_.bounds = {0, static_cast<int32_t>(w), 0, static_cast<int32_t>(h)};
    ShapePath path;
    path.fill1 = 1;
    Point corners[] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (int i = 0; i < 4; ++i) path.edges.push_back({corners[i], {}, corners[(i + 1) % 4], false});
    rectangle_.paths.push_back(std::move(path));
}

Rect BitmapInstance::localBounds() const {
    // A disposed BitmapData has no pixels left: nothing to cover.
    if (pixels_ && pixels_->rgba.empty()) return kNoBounds;
    return rectangle_.bounds;
}

void BitmapInstance::draw(RenderContext& context, const Matrix& toPixels,
                          const ColorTransform& cxform) const {
    if (!pixels_) {
        context.canvas.drawShape(rectangle_, toPixels, cxform, context.bitmaps);
        return;
    }
    if (pixels_->rgba.size() != static_cast<size_t>(pixels_->width) * pixels_->height * 4) return;
    const Bitmap* pixels = pixels_.get();
    context.canvas.drawShape(rectangle_, toPixels, cxform,
                             [pixels](uint16_t) -> const Bitmap* { return pixels; });
}

}  // namespace swf
