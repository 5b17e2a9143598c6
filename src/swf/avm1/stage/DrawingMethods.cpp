// The drawing API of movie clips: lineStyle, lineGradientStyle, beginFill,
// beginGradientFill, beginBitmapFill, moveTo, lineTo, curveTo, endFill and clear. Coordinates
// are the clip's pixels; what is drawn goes into the clip's Drawing, which the renderer draws
// as it draws shapes.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/stage/StageClasses.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/stage/DisplayProperties.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/geom/Geometry.h"

namespace swf::avm1 {
namespace {


constexpr size_t kMaxGradientStops = 15;
// The gradient square (-16384 to 16384 twips) in pixels.
constexpr double kGradientSide = 1638.4;

// The drawing a method draws into; the clip notes how its parents place it as it is drawn.
Drawing* drawingOf(Machine& m, Object* self) {
    MovieClip* clip = m.movieClipOf(Value(self));
    if (!clip) return nullptr;
    DisplayObject* parent = clip->parent();
    clip->noteDrawn(parent ? matrixToStage(*parent) : Matrix{}, m.context().tick());
    return &clip->drawing();
}

// A coordinate in pixels as twips; what is no finite number counts as 0.
double twips(Machine& m, const Value& v) {
    double d = m.toNumber(v);
    // The player keeps shapes in whole twips.
    return std::isfinite(d) ? std::round(std::clamp(d, -1e7, 1e7) * kTwipsPerPixel) : 0;
}

uint8_t alphaOf(Machine& m, const Value& v) {
    if (v.isUndefined()) return 255;
    double a = m.toNumber(v);
    if (std::isnan(a)) return 0;
    return static_cast<uint8_t>(std::lround(std::clamp(a, 0.0, 100.0) * 2.55));
}

Rgba colorOf(Machine& m, const Value& rgb, const Value& alpha) {
    auto c = static_cast<uint32_t>(m.toInt32(rgb));
    return Rgba{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c),
                alphaOf(m, alpha)};
}

double numberMember(Machine& m, Object* o, const char* name) {
    double d = m.toNumber(m.get(Value(o), name));
    return std::isfinite(d) ? d : 0;
}

// The matrix of beginGradientFill: a "box" (x, y, w, h, r), a flash.geom.Matrix, or the 3 x 3
// form (a, b, d, e for the scales and skews, g and h for the translation), in pixels.
Matrix gradientMatrix(Machine& m, const Value& value) {
    Object* o = value.asObject();
    if (!o) return Matrix{};
    if (m.toString(m.get(value, "matrixType")) == "box") {
        double x = numberMember(m, o, "x"), y = numberMember(m, o, "y");
        double w = numberMember(m, o, "w"), h = numberMember(m, o, "h");
        double r = numberMember(m, o, "r");
        double sx = w / kGradientSide, sy = h / kGradientSide;
        Matrix g;
        g.a = sx * std::cos(r);
        g.b = sx * std::sin(r);
        g.c = -sy * std::sin(r);
        g.d = sy * std::cos(r);
        g.tx = (x + w / 2) * kTwipsPerPixel;
        g.ty = (y + h / 2) * kTwipsPerPixel;
        return g;
    }
    if (!m.get(value, "tx").isUndefined()) {
        // A flash.geom.Matrix (createGradientBox) maps the gradient square in pixels.
        Matrix g;
        g.a = numberMember(m, o, "a");
        g.b = numberMember(m, o, "b");
        g.c = numberMember(m, o, "c");
        g.d = numberMember(m, o, "d");
        g.tx = numberMember(m, o, "tx") * kTwipsPerPixel;
        g.ty = numberMember(m, o, "ty") * kTwipsPerPixel;
        return g;
    }
    Matrix g;
    g.a = numberMember(m, o, "a") / kGradientSide;
    g.b = numberMember(m, o, "b") / kGradientSide;
    g.c = numberMember(m, o, "d") / kGradientSide;
    g.d = numberMember(m, o, "e") / kGradientSide;
    g.tx = numberMember(m, o, "g") * kTwipsPerPixel;
    g.ty = numberMember(m, o, "h") * kTwipsPerPixel;
    return g;
}

// A gradient fill from beginGradientFill's or lineGradientStyle's arguments; nothing when
// the arguments do not make one (the player draws no fill then).
std::optional<FillStyle> gradientFill(Machine& m, std::span<const Value> args) {
    // The player takes five to eight arguments, the three arrays of one length and every
    // ratio within 0 to 255; anything else makes no gradient.
    if (args.size() < 5 || args.size() > 8) return std::nullopt;
    std::string type = m.toString(arg(args, 0));
    auto* colors = dynamic_cast<ArrayObject*>(arg(args, 1).asObject());
    auto* alphas = dynamic_cast<ArrayObject*>(arg(args, 2).asObject());
    auto* ratios = dynamic_cast<ArrayObject*>(arg(args, 3).asObject());
    if ((type != "linear" && type != "radial") || !colors || !alphas || !ratios) return std::nullopt;
    size_t count = colors->length();
    if (count == 0 || alphas->length() != count || ratios->length() != count) return std::nullopt;
    count = std::min(count, kMaxGradientStops);
    FillStyle fill;
    fill.kind = type == "linear" ? FillStyle::Kind::LinearGradient : FillStyle::Kind::RadialGradient;
    fill.gradient.matrix = gradientMatrix(m, arg(args, 4));
    std::string spread = m.toString(arg(args, 5));
    fill.gradient.spread = spread == "reflect"  ? SpreadMode::Reflect
                           : spread == "repeat" ? SpreadMode::Repeat
                                                : SpreadMode::Pad;
    if (m.toString(arg(args, 6)) == "linearRGB")
        fill.gradient.interpolation = InterpolationMode::Linear;
    double focal = m.toNumber(arg(args, 7));
    if (std::isfinite(focal) && focal != 0 && fill.kind == FillStyle::Kind::RadialGradient) {
        fill.kind = FillStyle::Kind::FocalGradient;
        // Held in 1/256 steps, as a shape's focal point is.
        fill.gradient.focalPoint = std::trunc(std::clamp(focal, -1.0, 1.0) * 256) / 256;
    }
    for (size_t i = 0; i < count; ++i) {
        double ratio = std::trunc(m.toNumber(ratios->at(static_cast<uint32_t>(i))));
        if (ratio < 0 || ratio > 255) return std::nullopt;
        GradientStop stop;
        stop.ratio = static_cast<uint8_t>(std::isnan(ratio) ? 0 : ratio);
        stop.color = colorOf(m, colors->at(static_cast<uint32_t>(i)), alphas->at(static_cast<uint32_t>(i)));
        fill.gradient.stops.push_back(stop);
    }
    return fill;
}

CapStyle capOf(const std::string& name) {
    return name == "none" ? CapStyle::None : name == "square" ? CapStyle::Square : CapStyle::Round;
}

JoinStyle joinOf(const std::string& name) {
    return name == "miter" ? JoinStyle::Miter : name == "bevel" ? JoinStyle::Bevel : JoinStyle::Round;
}

Value lineStyle(Machine& m, Object* self, std::span<const Value> args) {
    Drawing* drawing = drawingOf(m, self);
    if (!drawing) return Value();
    double thickness = m.toNumber(arg(args, 0));
    if (arg(args, 0).isUndefined() || std::isnan(thickness)) {
        drawing->lineStyle(std::nullopt);
        return Value();
    }
    LineStyle line;
    line.width = static_cast<uint16_t>(std::lround(std::clamp(thickness, 0.0, 255.0) * kTwipsPerPixel));
    line.color = colorOf(m, arg(args, 1), arg(args, 2));
    line.pixelHinting = m.toBoolean(arg(args, 3));
    std::string scaling = args.size() > 4 ? m.toString(args[4]) : "normal";
    line.noHScale = scaling == "none" || scaling == "horizontal";
    line.noVScale = scaling == "none" || scaling == "vertical";
    if (args.size() > 5 && !args[5].isUndefined())
        line.startCap = line.endCap = capOf(m.toString(args[5]));
    if (args.size() > 6 && !args[6].isUndefined()) line.join = joinOf(m.toString(args[6]));
    if (args.size() > 7) {
        double limit = m.toNumber(args[7]);
        line.miterLimit = std::isfinite(limit) ? std::clamp(limit, 1.0, 255.0) : 3.0;
    }
    drawing->lineStyle(line);
    return Value();
}

Value drawLineGradientStyle(Machine& m, Object* self, std::span<const Value> args) {
    // The gradient takes the place of the current line's colour.
    Drawing* drawing = drawingOf(m, self);
    std::optional<FillStyle> fill = gradientFill(m, args);
    if (!drawing || !fill) return Value();
    const Shape& shape = drawing->shape();
    if (shape.lines.empty()) return Value();
    LineStyle line = shape.lines.back();
    line.fill = *fill;
    drawing->lineStyle(line);
    return Value();
}

Value drawBeginFill(Machine& m, Object* self, std::span<const Value> args) {
    Drawing* drawing = drawingOf(m, self);
    if (!drawing) return Value();
    if (arg(args, 0).isUndefined()) {
        drawing->endFill();
        return Value();
    }
    FillStyle fill;
    fill.color = colorOf(m, arg(args, 0), arg(args, 1));
    drawing->beginFill(fill);
    return Value();
}

Value drawBeginGradientFill(Machine& m, Object* self, std::span<const Value> args) {
    Drawing* drawing = drawingOf(m, self);
    // A null type leaves the fill as it is; any other bad call ends it.
    if (!drawing || arg(args, 0).isNull()) return Value();
    std::optional<FillStyle> fill = gradientFill(m, args);
    if (fill)
        drawing->beginFill(*fill);
    else
        drawing->endFill();
    return Value();
}

Value drawBeginBitmapFill(Machine& m, Object* self, std::span<const Value>) {
    // A BitmapData has no character id for the renderer: the region is kept (for
    // extents and hit tests) but drawn clear.
    Drawing* drawing = drawingOf(m, self);
    if (!drawing) return Value();
    FillStyle fill;
    fill.color = Rgba{0, 0, 0, 0};
    drawing->beginFill(fill);
    return Value();
}

Value drawMoveTo(Machine& m, Object* self, std::span<const Value> args) {
    if (Drawing* drawing = drawingOf(m, self))
        drawing->moveTo(Point{twips(m, arg(args, 0)), twips(m, arg(args, 1))});
    return Value();
}

Value drawLineTo(Machine& m, Object* self, std::span<const Value> args) {
    if (Drawing* drawing = drawingOf(m, self))
        drawing->lineTo(Point{twips(m, arg(args, 0)), twips(m, arg(args, 1))});
    return Value();
}

Value drawCurveTo(Machine& m, Object* self, std::span<const Value> args) {
    if (args.size() < 4) return Value();
    if (Drawing* drawing = drawingOf(m, self))
        drawing->curveTo(Point{twips(m, args[0]), twips(m, args[1])},
                         Point{twips(m, args[2]), twips(m, args[3])});
    return Value();
}

Value drawEndFill(Machine& m, Object* self, std::span<const Value>) {
    if (Drawing* drawing = drawingOf(m, self)) drawing->endFill();
    return Value();
}

Value drawClear(Machine& m, Object* self, std::span<const Value>) {
    if (Drawing* drawing = drawingOf(m, self)) drawing->clear();
    return Value();
}

constexpr NativeMember kDrawingMethods[] = {
    native::method("lineStyle", lineStyle).since(6),
    native::method("lineGradientStyle", drawLineGradientStyle).since(8),
    native::method("beginFill", drawBeginFill).since(6),
    native::method("beginGradientFill", drawBeginGradientFill).since(6),
    native::method("beginBitmapFill", drawBeginBitmapFill).since(8),
    native::method("moveTo", drawMoveTo).since(6),
    native::method("lineTo", drawLineTo).since(6),
    native::method("curveTo", drawCurveTo).since(6),
    native::method("endFill", drawEndFill).since(6),
    native::method("clear", drawClear).since(6),
};

}  // namespace

void installDrawingMethods(Machine& m, Object* proto) {
    installMembers(m, proto, kDrawingMethods);
}

}  // namespace swf::avm1
