#include "swf/display/BitmapInstance.h"

namespace swf {

BitmapInstance::BitmapInstance(MovieContext& context, std::shared_ptr<const BitmapCharacter> bitmap)
    : DisplayObject(context, bitmap), bitmap_(std::move(bitmap)) {
    double w = bitmap_->bitmap().width * kTwipsPerPixel;
    double h = bitmap_->bitmap().height * kTwipsPerPixel;
    FillStyle fill;
    fill.kind = FillStyle::Kind::Bitmap;
    fill.bitmapId = bitmap_->id();
    fill.bitmapMatrix = Matrix::scale(kTwipsPerPixel, kTwipsPerPixel);
    fill.bitmapRepeat = false;
    rectangle_.fills.push_back(fill);
    rectangle_.bounds = {0, static_cast<int32_t>(w), 0, static_cast<int32_t>(h)};
    ShapePath path;
    path.fill1 = 1;
    Point corners[] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (int i = 0; i < 4; ++i) path.edges.push_back({corners[i], {}, corners[(i + 1) % 4], false});
    rectangle_.paths.push_back(std::move(path));
}

void BitmapInstance::draw(RenderContext& context, const Matrix& toPixels,
                          const ColorTransform& cxform) const {
    context.canvas.drawShape(rectangle_, toPixels, cxform, context.bitmaps);
}

}  // namespace swf
