#include "swf/render/GradientSpan.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace swf {

namespace {

constexpr double kGradientHalfSize = 16384;  // twips from the gradient square's centre to its side

// Beyond this a pixel-to-gradient term only comes from a collapsed gradient; bounding it keeps
// every position finite.
constexpr double kMaxGradientTerm = 1e12;

constexpr double kMaxFocus = 0.98;

}  // namespace

GradientSpan::GradientSpan(FillStyle::Kind kind, const Gradient& gradient, const Matrix& toPixels,
                           const ColorTransform& cxform, GradientLutCache& luts)
    : lut_(luts.lut(gradient, cxform)),
      kind_(kind),
      spread_(gradient.spread),
      // The player keeps the focus within 0.98 of the radius: nearer the edge its rings
      // would crowd into less than a pixel.
      focus_(std::clamp(std::isfinite(gradient.focalPoint) ? gradient.focalPoint : 0.0, -kMaxFocus,
                        kMaxFocus)) {
    Matrix squareToPixels = toPixels * gradient.matrix;
    double det = squareToPixels.determinant();
    if (!std::isfinite(det) || det == 0) {
        degenerate_ = true;
        return;
    }
    pixelsToUnit_ =
        Matrix::scale(1 / kGradientHalfSize, 1 / kGradientHalfSize) * squareToPixels.inverted();
    degenerate_ = !pixelsToUnit_.termsWithin(kMaxGradientTerm);
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

// The player measures a linear ramp in 256 steps and a radial one in 255, rounded to the
// nearest: a reversed linear ramp's pixel centred half a step below ratio 32 takes 32.
constexpr int kLinearSteps = GradientLut::kSize;
constexpr int kRadialSteps = GradientLut::kSize - 1;

template <int kSteps>
int padRatio(double t) {
    // Clamped without branches (NaN counts as 0).
    t = t > 0 ? t * kSteps : 0;
    t = t < kLastRatio ? t : kLastRatio;
    return static_cast<int>(t + 0.5);
}

// Closures rather than functions, so that the loops they are passed to inline them.
constexpr auto linearPosition = [](double u, double) { return (u + 1) / 2; };
constexpr auto radialPosition = [](double u, double v) { return std::sqrt(u * u + v * v); };

template <int kSteps>
int repeatRatio(double t) {
    if (!std::isfinite(t)) return kLastRatio;
    return std::min(static_cast<int>((t - std::floor(t)) * kSteps + 0.5), kLastRatio);
}

template <int kSteps>
int reflectRatio(double t) {
    if (!std::isfinite(t)) return kLastRatio;
    t = std::fabs(t - 2 * std::floor(t / 2));  // 0..2
    return std::min(static_cast<int>((t > 1 ? 2 - t : t) * kSteps + 0.5), kLastRatio);
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

template <bool kRadial>
void GradientSpan::runPadded(agg::rgba8* span, unsigned len, double u, double v) const {
    unsigned i = 0;
#if defined(__SSE2__)
    // Two pixels at a time, in the same operations as the scalar code below so that every
    // ratio comes out the same: positions still stepped one after another, and the clamps
    // give 0 for NaN as padRatio does (the maximum takes its second operand then).
    const Matrix& m = pixelsToUnit_;
    const GradientLut& lut = *lut_;
    const __m128d zero = _mm_setzero_pd();
    const __m128d one = _mm_set1_pd(1);
    const __m128d two = _mm_set1_pd(2);
    const __m128d steps = _mm_set1_pd(kRadial ? kRadialSteps : kLinearSteps);
    const __m128d lastRatio = _mm_set1_pd(kLastRatio);
    const __m128d half = _mm_set1_pd(0.5);
    for (; i + 2 <= len; i += 2) {
        double u1 = u + m.a;
        double v1 = v + m.b;
        __m128d us = _mm_set_pd(u1, u);
        __m128d vs = _mm_set_pd(v1, v);
        u = u1 + m.a;
        v = v1 + m.b;
        __m128d t = kRadial ? _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(us, us), _mm_mul_pd(vs, vs)))
                            : _mm_div_pd(_mm_add_pd(us, one), two);
        t = _mm_min_pd(_mm_max_pd(_mm_mul_pd(t, steps), zero), lastRatio);
        __m128i ratios = _mm_cvttpd_epi32(_mm_add_pd(t, half));
        span[i] = lut[_mm_cvtsi128_si32(ratios)];
        span[i + 1] = lut[_mm_cvtsi128_si32(_mm_srli_si128(ratios, 4))];
    }
#endif
    if (kRadial) {
        run(span + i, len - i, u, v, radialPosition, padRatio<kRadialSteps>);
    } else {
        run(span + i, len - i, u, v, linearPosition, padRatio<kLinearSteps>);
    }
}

template <int kSteps, class Position>
void GradientSpan::run(agg::rgba8* span, unsigned len, double u, double v,
                       Position position) const {
    switch (spread_) {
        case SpreadMode::Repeat:
            return run(span, len, u, v, position, repeatRatio<kSteps>);
        case SpreadMode::Reflect:
            return run(span, len, u, v, position, reflectRatio<kSteps>);
        default:
            return run(span, len, u, v, position, padRatio<kSteps>);
    }
}

void GradientSpan::generate(agg::rgba8* span, int x, int y, unsigned from, unsigned end) const {
    unsigned len = end - from;
    const Matrix& m = pixelsToUnit_;
    if (degenerate_ || kind_ != FillStyle::Kind::LinearGradient || len == 0)
        return generateRun(span, x, y, from, end);
    // A linear gradient's colour follows the position across the gradient alone.
    if (m.a == 0) {
        // The same position along the whole row.
        generateRun(span, x, y, from, from + 1);
        std::fill(span + 1, span + len, span[0]);
        return;
    }
    if (m.c == 0) {
        // The same positions on every row from the same x, stepped the same way.
        if (x == rowX_ && from >= rowFrom_ && end - rowFrom_ <= row_.size()) {
            std::copy_n(row_.begin() + (from - rowFrom_), len, span);
            return;
        }
        generateRun(span, x, y, from, end);
        row_.assign(span, span + len);
        rowX_ = x;
        rowFrom_ = from;
        return;
    }
    generateRun(span, x, y, from, end);
}

void GradientSpan::generateRun(agg::rgba8* span, int x, int y, unsigned from, unsigned end) const {
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
    bool pad = spread_ != SpreadMode::Repeat && spread_ != SpreadMode::Reflect;
    switch (kind_) {
        case FillStyle::Kind::LinearGradient:
            if (pad) return runPadded<false>(span, len, u, v);
            return run<kLinearSteps>(span, len, u, v, linearPosition);
        case FillStyle::Kind::FocalGradient:
            return run<kRadialSteps>(span, len, u, v,
                                     [this](double gu, double gv) { return focalPosition(gu, gv); });
        default:
            if (pad) return runPadded<true>(span, len, u, v);
            return run<kRadialSteps>(span, len, u, v, radialPosition);
    }
}

}  // namespace swf
