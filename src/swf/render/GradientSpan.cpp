#include "swf/render/GradientSpan.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

constexpr double kGradientHalfSize = 16384;  // twips from the gradient square's centre to its side

bool finite(const Matrix& m) {
    return std::isfinite(m.a) && std::isfinite(m.b) && std::isfinite(m.c) && std::isfinite(m.d) &&
           std::isfinite(m.tx) && std::isfinite(m.ty);
}

}  // namespace

GradientSpan::GradientSpan(FillStyle::Kind kind, const Gradient& gradient, const Matrix& toPixels,
                           const ColorTransform& cxform)
    : lut_(gradient.stops, gradient.interpolation, cxform),
      kind_(kind),
      spread_(gradient.spread),
      focus_(std::clamp(std::isfinite(gradient.focalPoint) ? gradient.focalPoint : 0.0, -1.0, 1.0)) {
    Matrix squareToPixels = toPixels * gradient.matrix;
    double det = squareToPixels.determinant();
    if (!std::isfinite(det) || det == 0) {
        degenerate_ = true;
        return;
    }
    pixelsToUnit_ = Matrix::scale(1 / kGradientHalfSize, 1 / kGradientHalfSize) * squareToPixels.inverted();
    degenerate_ = !finite(pixelsToUnit_);
}

double GradientSpan::position(double u, double v) const {
    switch (kind_) {
        case FillStyle::Kind::LinearGradient:
            return (u + 1) / 2;
        case FillStyle::Kind::FocalGradient: {
            // The ray from the focus through the point meets the unit circle at the ramp's end;
            // the position is the point's share of that distance.
            double dx = u - focus_;
            double dd = dx * dx + v * v;
            if (dd == 0) return 0;
            double along = focus_ * dx;
            double denominator = -along + std::sqrt(along * along + dd * (1 - focus_ * focus_));
            return denominator > 0 ? dd / denominator : HUGE_VAL;
        }
        default:
            return std::sqrt(u * u + v * v);
    }
}

int GradientSpan::ratioAt(double t) const {
    if (!std::isfinite(t)) t = 1;  // far beyond the ramp, as padding would show it
    switch (spread_) {
        case SpreadMode::Repeat:
            t -= std::floor(t);
            break;
        case SpreadMode::Reflect:
            t = std::fabs(t - 2 * std::floor(t / 2));  // 0..2
            if (t > 1) t = 2 - t;
            break;
        default:
            break;
    }
    t = std::clamp(t, 0.0, 1.0);
    return static_cast<int>(t * (GradientLut::kSize - 1) + 0.5);
}

void GradientSpan::generate(agg::rgba8* span, int x, int y, unsigned len) const {
    if (degenerate_) {
        std::fill(span, span + len, lut_[GradientLut::kSize - 1]);
        return;
    }
    const Matrix& m = pixelsToUnit_;
    double px = x + 0.5;
    double py = y + 0.5;
    double u = m.a * px + m.c * py + m.tx;
    double v = m.b * px + m.d * py + m.ty;
    for (unsigned i = 0; i < len; ++i) {
        span[i] = lut_[ratioAt(position(u, v))];
        u += m.a;
        v += m.b;
    }
}

}  // namespace swf
