#include "swf/render/GradientSpan.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

constexpr double kGradientHalfSize = 16384;  // twips from the gradient square's centre to its side

// Beyond this a pixel-to-gradient term only comes from a collapsed gradient; bounding it keeps
// every position finite.
constexpr double kMaxTerm = 1e12;

bool bounded(const Matrix& m) {
    for (double term : {m.a, m.b, m.c, m.d, m.tx, m.ty}) {
        if (!(std::fabs(term) <= kMaxTerm)) return false;
    }
    return true;
}

}  // namespace

GradientSpan::GradientSpan(FillStyle::Kind kind, const Gradient& gradient, const Matrix& toPixels,
                           const ColorTransform& cxform, GradientLutCache& luts)
    : lut_(luts.lut(gradient, cxform)),
      kind_(kind),
      spread_(gradient.spread),
      focus_(
          std::clamp(std::isfinite(gradient.focalPoint) ? gradient.focalPoint : 0.0, -1.0, 1.0)) {
    Matrix squareToPixels = toPixels * gradient.matrix;
    double det = squareToPixels.determinant();
    if (!std::isfinite(det) || det == 0) {
        degenerate_ = true;
        return;
    }
    pixelsToUnit_ =
        Matrix::scale(1 / kGradientHalfSize, 1 / kGradientHalfSize) * squareToPixels.inverted();
    degenerate_ = !bounded(pixelsToUnit_);
}

double GradientSpan::focalPosition(double u, double v) const {
    // The ray from the focus through the point meets the unit circle at the ramp's end; the
    // position is the point's share of that distance.
    double dx = u - focus_;
    double dd = dx * dx + v * v;
    if (dd == 0) return 0;
    double along = focus_ * dx;
    double denominator = -along + std::sqrt(along * along + dd * (1 - focus_ * focus_));
    return denominator > 0 ? dd / denominator : HUGE_VAL;
}

namespace {

constexpr int kLastRatio = GradientLut::kSize - 1;

int padRatio(double t) {
    // Clamped without branches (NaN counts as 0); 1 gives 255.5, which truncates to the last
    // ratio as it should.
    t = t > 0 ? t : 0;
    t = t < 1 ? t : 1;
    return static_cast<int>(t * kLastRatio + 0.5);
}

int repeatRatio(double t) {
    if (!std::isfinite(t)) return kLastRatio;
    return static_cast<int>((t - std::floor(t)) * kLastRatio + 0.5);
}

int reflectRatio(double t) {
    if (!std::isfinite(t)) return kLastRatio;
    t = std::fabs(t - 2 * std::floor(t / 2));  // 0..2
    return static_cast<int>((t > 1 ? 2 - t : t) * kLastRatio + 0.5);
}

}  // namespace

template <class Position, class Spread>
void GradientSpan::run(agg::rgba8* span, unsigned len, double u, double v, Position position,
                       Spread spread) const {
    const Matrix& m = pixelsToUnit_;
    const GradientLut& lut = *lut_;
    for (unsigned i = 0; i < len; ++i) {
        span[i] = lut[spread(position(u, v))];
        u += m.a;
        v += m.b;
    }
}

template <class Position>
void GradientSpan::run(agg::rgba8* span, unsigned len, double u, double v,
                       Position position) const {
    switch (spread_) {
        case SpreadMode::Repeat:
            return run(span, len, u, v, position, repeatRatio);
        case SpreadMode::Reflect:
            return run(span, len, u, v, position, reflectRatio);
        default:
            return run(span, len, u, v, position, padRatio);
    }
}

void GradientSpan::generate(agg::rgba8* span, int x, int y, unsigned from, unsigned end) const {
    unsigned len = end - from;
    if (degenerate_) {
        std::fill(span, span + len, (*lut_)[kLastRatio]);
        return;
    }
    const Matrix& m = pixelsToUnit_;
    double px = x + 0.5;
    double py = y + 0.5;
    double u = m.a * px + m.c * py + m.tx;
    double v = m.b * px + m.d * py + m.ty;
    // Stepped as the whole run would be, so that every pixel gets the same position.
    for (unsigned i = 0; i < from; ++i) {
        u += m.a;
        v += m.b;
    }
    switch (kind_) {
        case FillStyle::Kind::LinearGradient:
            return run(span, len, u, v, [](double gu, double) { return (gu + 1) / 2; });
        case FillStyle::Kind::FocalGradient:
            return run(span, len, u, v,
                       [this](double gu, double gv) { return focalPosition(gu, gv); });
        default:
            return run(span, len, u, v,
                       [](double gu, double gv) { return std::sqrt(gu * gu + gv * gv); });
    }
}

}  // namespace swf
