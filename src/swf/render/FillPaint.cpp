#include "swf/render/FillPaint.h"

#include <algorithm>

namespace swf {

namespace {

std::variant<agg::rgba8, GradientSpan, BitmapSpan> makeSource(const FillStyle& style,
                                                              const Matrix& toPixels,
                                                              const ColorTransform& cxform,
                                                              const BitmapLookup& bitmaps,
                                                              GradientLutCache& gradients,
                                                              bool smoothBitmaps) {
    const agg::rgba8 nothing(0, 0, 0, 0);
    switch (style.kind) {
        case FillStyle::Kind::Solid:
            return PixelColorTransform(cxform).premultiplied(style.color);
        case FillStyle::Kind::LinearGradient:
        case FillStyle::Kind::RadialGradient:
        case FillStyle::Kind::FocalGradient:
            return GradientSpan(style.kind, style.gradient, toPixels, cxform, gradients);
        case FillStyle::Kind::Bitmap: {
            const Bitmap* bitmap = bitmaps ? bitmaps(style.bitmapId) : nullptr;
            if (!bitmap) return nothing;
            BitmapSpan span(*bitmap, toPixels * style.bitmapMatrix, style.bitmapRepeat,
                            style.bitmapSmooth && smoothBitmaps, cxform);
            if (!span.drawable()) return nothing;
            return span;
        }
    }
    return nothing;
}

}  // namespace

FillPaint::FillPaint(const FillStyle& style, const Matrix& toPixels, const ColorTransform& cxform,
                     const BitmapLookup& bitmaps, GradientLutCache& gradients, bool smoothBitmaps)
    : source_(makeSource(style, toPixels, cxform, bitmaps, gradients, smoothBitmaps)) {}

bool FillPaint::isOpaque() const {
    if (const auto* gradient = std::get_if<GradientSpan>(&source_)) return gradient->opaque();
    if (const auto* color = std::get_if<agg::rgba8>(&source_))
        return color->a == agg::rgba8::base_mask;
    return false;
}

void FillPaint::generate(agg::rgba8* span, int x, int y, unsigned from, unsigned end) const {
    if (const auto* gradient = std::get_if<GradientSpan>(&source_)) {
        gradient->generate(span, x, y, from, end);
    } else if (const auto* bitmap = std::get_if<BitmapSpan>(&source_)) {
        bitmap->generate(span, x, y, from, end);
    } else {
        std::fill(span, span + (end - from), std::get<agg::rgba8>(source_));
    }
}

}  // namespace swf
