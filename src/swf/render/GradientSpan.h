#pragma once
// Colours of a linear, radial or focal gradient fill along a row of surface pixels.

#include <agg_color_rgba.h>

#include <memory>
#include <vector>

#include "swf/geom/Geometry.h"

#include "swf/render/GradientLut.h"
#include "swf/render/GradientLutCache.h"
#include "swf/shape/Shape.h"

namespace swf {

class GradientSpan {
  public:
    // `kind` is one of the gradient kinds of FillStyle.
    // The gradient's colour table comes from `luts`.
    GradientSpan(FillStyle::Kind kind, const Gradient& gradient, const Matrix& toPixels,
                 const ColorTransform& cxform, GradientLutCache& luts);

    // Colours of pixels `from` to `end` - 1 of the run of row `y` starting at `x`, into
    // span[0] on.
    void generate(agg::rgba8* span, int x, int y, unsigned from, unsigned end) const;
    // True when every colour it generates is opaque.
    bool opaque() const { return lut_->opaque(); }

  private:
    // The colours of the run, as generate gives them, without the shortcuts for linear rows.
    void generateRun(agg::rgba8* span, int x, int y, unsigned from, unsigned end) const;
    // Where a point of the unit gradient square (-1..1) lies on a focal gradient: 0 at the
    // focus, 1 on the circle.
    double focalPosition(double u, double v) const;
    // Fills the span with the colours at positions `position(u, v)` along the row, where
    // (u, v) is pixel `from` of the run.
    // The same for a linear or radial gradient padded beyond its ends, the common case, done
    // with vector instructions where there are some.
    template <bool kRadial>
    void runPadded(agg::rgba8* span, unsigned len, double u, double v) const;
    template <int kSteps, class Position>
    void run(agg::rgba8* span, unsigned len, double u, double v, Position position) const;
    template <class Position, class Spread>
    void run(agg::rgba8* span, unsigned len, double u, double v, Position position,
             Spread spread) const;

    std::shared_ptr<const GradientLut> lut_;
    FillStyle::Kind kind_;
    SpreadMode spread_;
    double focus_;
    Matrix pixelsToUnit_;
    bool degenerate_ = false;  // the gradient square collapses: every pixel lies outside the ramp
    // A linear gradient whose position does not change down the surface gives every row's run
    // from the same x the same colours: the last run generated, pixels rowFrom_ on of the
    // run from rowX_, is copied rather than generated again.
    mutable std::vector<agg::rgba8> row_;
    mutable int rowX_ = 0;
    mutable unsigned rowFrom_ = 0;
};

}  // namespace swf
