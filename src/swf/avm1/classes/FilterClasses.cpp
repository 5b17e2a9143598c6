// The flash.filters classes: each filter's settings live in the native object and are read
// and written through properties of its class's prototype, which clamp and convert as the
// player does (alphas kept as bytes, qualities 0-15, blurs and strengths 0-255, ...). A
// clip's `filters` hands out and takes copies.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/BitmapFilters.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/display/DisplayObject.h"
#include "swf/render/FilterEffects.h"

namespace swf::avm1 {
namespace {

using Kind = SurfaceFilter::Kind;

enum class FilterField {
    Distance, Angle, Color, Alpha, HighlightColor, HighlightAlpha, ShadowColor, ShadowAlpha,
    BlurX, BlurY, Strength, Quality, Inner, Knockout, HideObject, Type, Colors, Alphas, Ratios,
    MatrixX, MatrixY, Matrix, Divisor, Bias, PreserveAlpha, Clamp, MapBitmap, MapPoint,
    ComponentX, ComponentY, ScaleX, ScaleY, Mode,
};

struct FieldName {
    FilterField field;
    const char* name;
};

constexpr FieldName kFieldNames[] = {
    {FilterField::Distance, "distance"},       {FilterField::Angle, "angle"},
    {FilterField::Color, "color"},             {FilterField::Alpha, "alpha"},
    {FilterField::HighlightColor, "highlightColor"}, {FilterField::HighlightAlpha, "highlightAlpha"},
    {FilterField::ShadowColor, "shadowColor"}, {FilterField::ShadowAlpha, "shadowAlpha"},
    {FilterField::BlurX, "blurX"},             {FilterField::BlurY, "blurY"},
    {FilterField::Strength, "strength"},       {FilterField::Quality, "quality"},
    {FilterField::Inner, "inner"},             {FilterField::Knockout, "knockout"},
    {FilterField::HideObject, "hideObject"},   {FilterField::Type, "type"},
    {FilterField::Colors, "colors"},           {FilterField::Alphas, "alphas"},
    {FilterField::Ratios, "ratios"},           {FilterField::MatrixX, "matrixX"},
    {FilterField::MatrixY, "matrixY"},         {FilterField::Matrix, "matrix"},
    {FilterField::Divisor, "divisor"},         {FilterField::Bias, "bias"},
    {FilterField::PreserveAlpha, "preserveAlpha"}, {FilterField::Clamp, "clamp"},
    {FilterField::MapBitmap, "mapBitmap"},     {FilterField::MapPoint, "mapPoint"},
    {FilterField::ComponentX, "componentX"},   {FilterField::ComponentY, "componentY"},
    {FilterField::ScaleX, "scaleX"},           {FilterField::ScaleY, "scaleY"},
    {FilterField::Mode, "mode"},
};

constexpr const char* nameOf(FilterField f) {
    for (const FieldName& n : kFieldNames)
        if (n.field == f) return n.name;
    return "";
}

using F = FilterField;

SurfaceFilter defaultsOf(Kind kind) {
    SurfaceFilter f;
    f.kind = kind;
    // The player keeps the default angle as a radian constant of nine digits, so it reads back
    // as a hair under 45 degrees.
    f.angle = 0.785398163 * 180 / std::numbers::pi;
    switch (kind) {
        case Kind::Glow:
            f.color = 0xFF0000;
            f.blurX = f.blurY = 6;
            f.strength = 2;
            break;
        case Kind::ColorMatrix:
            f.matrix = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
            break;
        case Kind::Convolution:
        case Kind::DisplacementMap:
            f.alpha = 0;
            break;
        default:
            break;
    }
    return f;
}

double number(Machine& m, const Value& v) {
    return m.toNumber(v);
}

double clampNumber(double v, double low, double high) {
    return std::isnan(v) ? low : std::clamp(v, low, high);
}

// Alphas are kept as bytes; a single alpha drops the fraction, those of a gradient round.
double alphaByte(double v, bool round) {
    if (std::isnan(v)) return round ? 1 : 0;
    v = std::clamp(v, 0.0, 1.0) * 255;
    return (round ? std::round(v) : std::trunc(v)) / 255;
}

uint32_t rgb(Machine& m, const Value& v) {
    return static_cast<uint32_t>(m.toInt32(v)) & 0xFFFFFF;
}

// An integer as the player's conversion gives it: what does not fit is the lowest int.
int32_t integer(double v) {
    if (std::isnan(v) || v >= 2147483648.0 || v < -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// The elements of an array-like value (anything with a length; a string counts), at most
// `limit` of them.
std::vector<Value> elements(Machine& m, const Value& v, size_t limit) {
    std::vector<Value> out;
    if (v.isNullish()) return out;
    double n = number(m, m.get(v, "length"));
    if (!(n > 0)) return out;
    size_t count = static_cast<size_t>(std::min<double>(n, static_cast<double>(limit)));
    for (size_t i = 0; i < count; ++i) out.push_back(m.get(v, std::to_string(i)));
    return out;
}

// Matrix numbers: undefined and null are NaN here.
double matrixNumber(Machine& m, const Value& v) {
    return v.isNullish() ? std::nan("") : number(m, v);
}

Value numberArray(Machine& m, const std::vector<double>& values) {
    std::vector<Value> out(values.begin(), values.end());
    return Value(m.newArray(out));
}

void padMatrix(SurfaceFilter& f) {
    size_t n = static_cast<size_t>(f.matrixX * f.matrixY);
    if (f.matrix.size() < n) f.matrix.resize(n, 0);
}

void resizeGradient(FilterObject& o, size_t n) {
    auto resize = [n](auto& shown, auto& places) {
        places.resize(std::max({places.size(), shown.size(), n}));
        std::copy(shown.begin(), shown.end(), places.begin());
        shown.assign(places.begin(), places.begin() + static_cast<std::ptrdiff_t>(n));
    };
    resize(o.filter.colors, o.gradientPlaces.colors);
    resize(o.filter.alphas, o.gradientPlaces.alphas);
    resize(o.filter.ratios, o.gradientPlaces.ratios);
}

const char* typeName(SurfaceFilter::Type t) {
    switch (t) {
        case SurfaceFilter::Type::Inner: return "inner";
        case SurfaceFilter::Type::Outer: return "outer";
        default: return "full";
    }
}

constexpr const char* kModes[] = {"wrap", "clamp", "ignore", "color"};
constexpr int kMaxScale = 65535;
constexpr size_t kMaxMatrixValues = 1024;

Value getField(Machine& m, FilterObject& o, FilterField field) {
    const SurfaceFilter& f = o.filter;
    switch (field) {
        case F::Distance: return Value(f.distance);
        case F::Angle: return Value(f.angle);
        case F::Color:
        case F::ShadowColor: return Value(static_cast<double>(f.color));
        case F::Alpha:
        case F::ShadowAlpha: return Value(f.alpha);
        case F::HighlightColor: return Value(static_cast<double>(f.highlightColor));
        case F::HighlightAlpha: return Value(f.highlightAlpha);
        case F::BlurX: return Value(f.blurX);
        case F::BlurY: return Value(f.blurY);
        case F::Strength: return Value(f.strength);
        case F::Quality: return Value(static_cast<double>(f.quality));
        case F::Inner: return Value(f.inner);
        case F::Knockout: return Value(f.knockout);
        case F::HideObject: return Value(f.hideObject);
        case F::Type: return Value(typeName(f.type));
        case F::Colors: {
            std::vector<double> v(f.colors.begin(), f.colors.end());
            return numberArray(m, v);
        }
        case F::Alphas: return numberArray(m, f.alphas);
        case F::Ratios: {
            std::vector<double> v(f.ratios.begin(), f.ratios.end());
            return numberArray(m, v);
        }
        case F::MatrixX: return Value(static_cast<double>(f.matrixX));
        case F::MatrixY: return Value(static_cast<double>(f.matrixY));
        case F::Matrix: return numberArray(m, f.matrix);
        case F::Divisor: return Value(f.divisor);
        case F::Bias: return Value(f.bias);
        case F::PreserveAlpha: return Value(f.preserveAlpha);
        case F::Clamp: return Value(f.clamp);
        case F::MapBitmap: return Value(o.mapBitmap);
        case F::MapPoint: {
            const Value args[] = {Value(static_cast<double>(f.mapX)),
                                  Value(static_cast<double>(f.mapY))};
            return geom::make(m, flashPackage(m, "geom"), "Point", args);
        }
        case F::ComponentX: return Value(static_cast<double>(f.componentX));
        case F::ComponentY: return Value(static_cast<double>(f.componentY));
        case F::ScaleX: return Value(f.scaleX);
        case F::ScaleY: return Value(f.scaleY);
        case F::Mode: return Value(kModes[f.mode & 3]);
    }
    return Value();
}

void setField(Machine& m, FilterObject& o, FilterField field, const Value& v) {
    SurfaceFilter& f = o.filter;
    switch (field) {
        case F::Distance: f.distance = number(m, v); break;
        case F::Angle: f.angle = std::fmod(number(m, v), 360.0); break;
        case F::Color:
        case F::ShadowColor: f.color = rgb(m, v); break;
        case F::Alpha:
        case F::ShadowAlpha: f.alpha = alphaByte(number(m, v), false); break;
        case F::HighlightColor: f.highlightColor = rgb(m, v); break;
        case F::HighlightAlpha: f.highlightAlpha = alphaByte(number(m, v), false); break;
        case F::BlurX: f.blurX = clampNumber(number(m, v), 0, 255); break;
        case F::BlurY: f.blurY = clampNumber(number(m, v), 0, 255); break;
        case F::Strength: f.strength = clampNumber(number(m, v), 0, 255); break;
        case F::Quality: f.quality = std::clamp(m.toInt32(v), 0, 15); break;
        case F::Inner: f.inner = m.toBoolean(v); break;
        case F::Knockout: f.knockout = m.toBoolean(v); break;
        case F::HideObject: f.hideObject = m.toBoolean(v); break;
        case F::Type: {
            std::string t = m.toString(v);
            f.type = t == "inner"   ? SurfaceFilter::Type::Inner
                     : t == "outer" ? SurfaceFilter::Type::Outer
                                    : SurfaceFilter::Type::Full;
            break;
        }
        case F::Colors: {
            if (v.isNullish()) break;
            std::vector<Value> list = elements(m, v, SurfaceFilter::kMaxGradientColors);
            resizeGradient(o, list.size());
            for (size_t i = 0; i < list.size(); ++i) f.colors[i] = rgb(m, list[i]);
            break;
        }
        case F::Alphas: {
            if (v.isNullish()) break;
            for (size_t i = 0; i < f.colors.size(); ++i)
                f.alphas[i] = alphaByte(number(m, m.get(v, std::to_string(i))), true);
            break;
        }
        case F::Ratios: {
            if (v.isNullish()) break;
            std::vector<Value> list = elements(m, v, f.colors.size());
            resizeGradient(o, list.size());
            for (size_t i = 0; i < list.size(); ++i)
                f.ratios[i] = static_cast<int>(clampNumber(number(m, list[i]), 0, 255));
            break;
        }
        case F::MatrixX:
        case F::MatrixY: {
            int side = std::clamp(m.toInt32(v), 0, SurfaceFilter::kMaxMatrixSide);
            (field == F::MatrixX ? f.matrixX : f.matrixY) = side;
            padMatrix(f);
            break;
        }
        case F::Matrix: {
            if (v.isNullish()) break;
            if (f.kind == Kind::ColorMatrix) {
                for (size_t i = 0; i < 20; ++i)
                    f.matrix[i] = v.isObject() ? matrixNumber(m, m.get(v, std::to_string(i)))
                                               : std::nan("");
                break;
            }
            std::vector<Value> list = elements(m, v, kMaxMatrixValues);
            f.matrix.clear();
            for (const Value& e : list) f.matrix.push_back(matrixNumber(m, e));
            padMatrix(f);
            break;
        }
        case F::Divisor: f.divisor = number(m, v); break;
        case F::Bias: f.bias = number(m, v); break;
        case F::PreserveAlpha: f.preserveAlpha = m.toBoolean(v); break;
        case F::Clamp: f.clamp = m.toBoolean(v); break;
        case F::MapBitmap:
            if (BitmapDataObject* b = asBitmapData(v)) {
                o.mapBitmap = b;
                f.mapBitmap = b->surface();
            }
            break;
        case F::MapPoint: {
            // Anything but an object with both coordinates is the origin. Both are converted
            // even when the first throws: a coordinate that threw is the lowest integer, and
            // the first throw goes on once the point is stored.
            Value x = v.isObject() ? m.get(v, "x") : Value();
            Value y = v.isObject() ? m.get(v, "y") : Value();
            std::optional<ScriptThrow> thrown;
            auto coordinate = [&](const Value& c) {
                try {
                    return integer(number(m, c));
                } catch (const ScriptThrow& t) {
                    if (!thrown) thrown = t;
                    return INT32_MIN;
                }
            };
            int32_t px = coordinate(x), py = coordinate(y);
            bool whole = !x.isUndefined() && !y.isUndefined();
            f.mapX = whole ? px : 0;
            f.mapY = whole ? py : 0;
            if (thrown) throw *thrown;
            break;
        }
        case F::ComponentX: f.componentX = m.toInt32(v); break;
        case F::ComponentY: f.componentY = m.toInt32(v); break;
        case F::ScaleX: f.scaleX = clampNumber(number(m, v), -kMaxScale, kMaxScale); break;
        case F::ScaleY: f.scaleY = clampNumber(number(m, v), -kMaxScale, kMaxScale); break;
        case F::Mode: {
            std::string mode = m.toString(v);
            f.mode = 0;
            for (uint8_t i = 0; i < 4; ++i)
                if (mode == kModes[i]) f.mode = i;
            break;
        }
    }
}

FilterObject* readyFilter(Object* self) {
    auto* o = dynamic_cast<FilterObject*>(self);
    return o && o->ready ? o : nullptr;
}

template <FilterField field>
Value getFilterField(Machine& m, Object* self, std::span<const Value>) {
    FilterObject* o = readyFilter(self);
    return o ? getField(m, *o, field) : Value();
}

template <FilterField field>
Value setFilterField(Machine& m, Object* self, std::span<const Value> args) {
    if (FilterObject* o = readyFilter(self)) setField(m, *o, field, arg(args, 0));
    return Value();
}

// A setting of the filter, as a property of its class's prototype; the player's are enumerable.
template <FilterField field>
constexpr NativeMember property() {
    return native::accessor(nameOf(field), getFilterField<field>, setFilterField<field>, 0);
}

struct FilterClass {
    const char* name;
    Kind kind;
    NativeCode constructor;
    std::vector<FilterField> arguments;  // in order
    // Made in this order, which is the order for..in lists them.
    std::span<const NativeMember> properties;
};

const FilterClass* classOf(Kind kind);

// Also a subclass's super() call, which runs it as a plain function.
template <Kind kind>
Value filterConstruct(Machine& m, Object* self, std::span<const Value> args) {
    auto* o = dynamic_cast<FilterObject*>(self);
    // A second run (super() called twice) converts its arguments and changes nothing.
    FilterObject scratch(nullptr);
    FilterObject* target = o && !o->ready ? o : &scratch;
    target->filter = defaultsOf(kind);
    const std::vector<FilterField>& arguments = classOf(kind)->arguments;
    for (size_t i = 0; i < args.size() && i < arguments.size(); ++i)
        setField(m, *target, arguments[i], args[i]);
    // A convolution's edge colour given without its alpha is opaque.
    if (kind == Kind::Convolution && args.size() == 8) target->filter.alpha = 1;
    if (target == o) o->ready = true;
    return Value();
}

constexpr NativeMember kBevelProperties[] = {
    property<F::Distance>(),    property<F::Angle>(),       property<F::HighlightColor>(),
    property<F::HighlightAlpha>(), property<F::ShadowColor>(), property<F::ShadowAlpha>(),
    property<F::Quality>(),     property<F::Strength>(),    property<F::Knockout>(),
    property<F::BlurX>(),       property<F::BlurY>(),       property<F::Type>(),
};
constexpr NativeMember kBlurProperties[] = {
    property<F::BlurX>(), property<F::BlurY>(), property<F::Quality>(),
};
constexpr NativeMember kColorMatrixProperties[] = {
    property<F::Matrix>(),
};
// The player numbers these in table 1109, getter then setter, in this order from 1.
constexpr NativeMember kConvolutionProperties[] = {
    property<F::MatrixX>().numbered(1109, 1, 2),   property<F::MatrixY>().numbered(1109, 3, 4),
    property<F::Matrix>().numbered(1109, 5, 6),    property<F::Divisor>().numbered(1109, 7, 8),
    property<F::Bias>().numbered(1109, 9, 10),     property<F::PreserveAlpha>().numbered(1109, 11, 12),
    property<F::Clamp>().numbered(1109, 13, 14),   property<F::Color>().numbered(1109, 15, 16),
    property<F::Alpha>().numbered(1109, 17, 18),
};
constexpr NativeMember kDisplacementMapProperties[] = {
    property<F::MapBitmap>(), property<F::MapPoint>(), property<F::ComponentX>(),
    property<F::ComponentY>(), property<F::ScaleX>(),  property<F::ScaleY>(),
    property<F::Mode>(),      property<F::Color>(),    property<F::Alpha>(),
};
constexpr NativeMember kDropShadowProperties[] = {
    property<F::Distance>(), property<F::Angle>(),    property<F::Color>(),
    property<F::Alpha>(),    property<F::Quality>(),  property<F::Inner>(),
    property<F::Knockout>(), property<F::BlurX>(),    property<F::BlurY>(),
    property<F::Strength>(), property<F::HideObject>(),
};
constexpr NativeMember kGlowProperties[] = {
    property<F::Color>(),    property<F::Alpha>(), property<F::Quality>(),
    property<F::Inner>(),    property<F::Knockout>(), property<F::BlurX>(),
    property<F::BlurY>(),    property<F::Strength>(),
};
// The gradient bevel and the gradient glow.
constexpr NativeMember kGradientProperties[] = {
    property<F::Distance>(), property<F::Angle>(),   property<F::Colors>(),
    property<F::Alphas>(),   property<F::Ratios>(),  property<F::BlurX>(),
    property<F::BlurY>(),    property<F::Quality>(), property<F::Strength>(),
    property<F::Knockout>(), property<F::Type>(),
};

const std::vector<FilterClass>& filterClasses() {
    static const std::vector<FilterClass> classes = {
        {"BevelFilter", Kind::Bevel, filterConstruct<Kind::Bevel>,
         {F::Distance, F::Angle, F::HighlightColor, F::HighlightAlpha, F::ShadowColor,
          F::ShadowAlpha, F::BlurX, F::BlurY, F::Strength, F::Quality, F::Type, F::Knockout},
         kBevelProperties},
        {"BlurFilter", Kind::Blur, filterConstruct<Kind::Blur>, {F::BlurX, F::BlurY, F::Quality},
         kBlurProperties},
        {"ColorMatrixFilter", Kind::ColorMatrix, filterConstruct<Kind::ColorMatrix>, {F::Matrix},
         kColorMatrixProperties},
        {"ConvolutionFilter", Kind::Convolution, filterConstruct<Kind::Convolution>,
         {F::MatrixX, F::MatrixY, F::Matrix, F::Divisor, F::Bias, F::PreserveAlpha, F::Clamp,
          F::Color, F::Alpha},
         kConvolutionProperties},
        {"DisplacementMapFilter", Kind::DisplacementMap, filterConstruct<Kind::DisplacementMap>,
         {F::MapBitmap, F::MapPoint, F::ComponentX, F::ComponentY, F::ScaleX, F::ScaleY,
          F::Mode, F::Color, F::Alpha},
         kDisplacementMapProperties},
        {"DropShadowFilter", Kind::DropShadow, filterConstruct<Kind::DropShadow>,
         {F::Distance, F::Angle, F::Color, F::Alpha, F::BlurX, F::BlurY, F::Strength,
          F::Quality, F::Inner, F::Knockout, F::HideObject},
         kDropShadowProperties},
        {"GlowFilter", Kind::Glow, filterConstruct<Kind::Glow>,
         {F::Color, F::Alpha, F::BlurX, F::BlurY, F::Strength, F::Quality, F::Inner,
          F::Knockout},
         kGlowProperties},
        {"GradientBevelFilter", Kind::GradientBevel, filterConstruct<Kind::GradientBevel>,
         {F::Distance, F::Angle, F::Colors, F::Alphas, F::Ratios, F::BlurX, F::BlurY,
          F::Strength, F::Quality, F::Type, F::Knockout},
         kGradientProperties},
        {"GradientGlowFilter", Kind::GradientGlow, filterConstruct<Kind::GradientGlow>,
         {F::Distance, F::Angle, F::Colors, F::Alphas, F::Ratios, F::BlurX, F::BlurY,
          F::Strength, F::Quality, F::Type, F::Knockout},
         kGradientProperties},
    };
    return classes;
}

const FilterClass* classOf(Kind kind) {
    for (const FilterClass& c : filterClasses())
        if (c.kind == kind) return &c;
    return nullptr;
}

Object* makeFilter(Machine& m, Object* prototype) {
    return m.heap().make<FilterObject>(prototype);
}

Value filterClone(Machine& m, Object* self, std::span<const Value>) {
    FilterObject* o = readyFilter(self);
    if (!o) return Value();
    auto* copy = m.heap().make<FilterObject>(o->proto());
    copy->filter = o->filter;
    copy->gradientPlaces = o->gradientPlaces;
    copy->mapBitmap = o->mapBitmap;
    copy->ready = true;
    return Value(copy);
}

constexpr NativeMember kBaseMethods[] = {
    native::method("clone", filterClone, 0),
};

Object* filtersPackage(Machine& m) {
    return flashPackage(m, "filters");
}

// A new object of the class of `kind`, as the class's constructor would make it.
FilterObject* newFilter(Machine& m, Kind kind) {
    const FilterClass* c = classOf(kind);
    if (!c) return nullptr;
    Value proto = m.get(m.get(Value(filtersPackage(m)), c->name), "prototype");
    auto* o = m.heap().make<FilterObject>(proto.asObject());
    o->ready = true;
    return o;
}

}  // namespace

void FilterObject::trace(Marker& marker) const {
    Object::trace(marker);
    marker.mark(mapBitmap);
}

std::optional<SurfaceFilter> readFilter(Machine&, const Value& value) {
    FilterObject* o = readyFilter(value.asObject());
    if (!o) return std::nullopt;
    return o->filter;
}

namespace {

// A script's filter (angle in degrees) as the renderer takes it.
SurfaceFilter inRadians(const SurfaceFilter& f) {
    SurfaceFilter out = f;
    out.angle = f.angle * std::numbers::pi / 180;
    return out;
}

}  // namespace

PixelRect filterExtent(const SurfaceFilter& f, PixelRect r) {
    FilterReach reach = filterReach(inRadians(f));
    return {r.x - reach.left, r.y - reach.top, r.width + reach.left + reach.right,
            r.height + reach.top + reach.bottom};
}

bool applyFilter(const SurfaceFilter& f, std::vector<uint32_t>& pixels, int width, int height) {
    PixelImage image{width, height, {}};
    if (width < 0 || height < 0 || pixels.size() != image.area()) return false;
    // Straight ARGB words to the renderer's premultiplied RGBA and back.
    image.pixels.resize(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t p = BitmapDataObject::premultiply(pixels[i]);
        uint8_t* c = image.channels(i);
        c[0] = p >> 16 & 255;
        c[1] = p >> 8 & 255;
        c[2] = p & 255;
        c[3] = p >> 24;
    }
    if (!runFilter(inRadians(f), image)) return false;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint8_t* c = image.channels(i);
        pixels[i] = BitmapDataObject::unpremultiply(static_cast<uint32_t>(c[3]) << 24 |
                                                     static_cast<uint32_t>(c[0]) << 16 |
                                                     static_cast<uint32_t>(c[1]) << 8 | c[2]);
    }
    return true;
}

Value filtersToScript(Machine& m, const std::vector<SurfaceFilter>& filters) {
    std::vector<Value> list;
    for (const SurfaceFilter& f : filters) {
        FilterObject* o = newFilter(m, f.kind);
        if (!o) continue;
        o->filter = f;
        o->filter.angle = f.angle * 180 / std::numbers::pi;
        list.push_back(Value(o));
    }
    return Value(m.newArray(list));
}

std::vector<SurfaceFilter> filtersFromScript(Machine& m, const Value& list) {
    std::vector<SurfaceFilter> out;
    auto* array = dynamic_cast<ArrayObject*>(list.asObject());
    if (!array) return out;
    for (uint32_t i = 0; i < array->length() && i < ArrayObject::kMaxLength; ++i) {
        m.chargeAction();
        FilterObject* o = readyFilter(array->at(i).asObject());
        if (!o) continue;
        SurfaceFilter f = o->filter;
        f.angle = f.angle * std::numbers::pi / 180;
        out.push_back(std::move(f));
    }
    return out;
}

Value displayFilters(Machine& m, const DisplayObject& object) {
    if (object.scriptFilters()) return filtersToScript(m, *object.scriptFilters());
    return filtersToScript(m, parseFilterList(object.filters()));
}

namespace {

// A clip's filters: copies out, copies in.
Value clipFilters(Machine& m, Object* self, std::span<const Value>) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    return d ? displayFilters(m, *d) : Value();
}

Value setClipFilters(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* d = m.displayObjectOf(Value(self));
    if (!d || args.empty()) return Value();
    d->setScriptFilters(filtersFromScript(m, args[0]));
    return Value();
}

constexpr NativeMember kClipFilters[] = {
    native::accessor("filters", clipFilters, setClipFilters, kDontEnum | kVersion8),
};

constexpr NativeMember kButtonFilters[] = {
    native::accessor("filters", clipFilters, setClipFilters, 0),
};

}  // namespace

void installFilterClasses(Machine& m) {
    if (m.swfVersion() < 6) return;  // no flash package before version 6
    Object* package = filtersPackage(m);
    Object* base = m.newObject();
    installClass(m, package, base, {"BitmapFilter", native::nothing, makeFilter, {}, {}, {}});
    for (const FilterClass& c : filterClasses())
        installClass(m, package, m.newObject(base),
                     {c.name, c.constructor, makeFilter, {}, {}, c.properties});
    installMembers(m, base, kBaseMethods);
    if (Object* proto = m.prototypes().movieClip.get()) installMembers(m, proto, kClipFilters);
}

void installButtonFilters(Machine& m, Object* buttonPrototype) {
    installMembers(m, buttonPrototype, kButtonFilters);
}

}  // namespace swf::avm1
