#include "swf/render/FilterEffects.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace swf {

namespace {

using FilterKind = SurfaceFilter::Kind;
using Type = SurfaceFilter::Type;

// The player takes up to 15 passes; blur and distance are bounded so that hostile sizes
// cost no more than a whole layer's width.
constexpr int kMaxPasses = 15;
constexpr double kMaxRadius = 2048;
constexpr double kMaxDistance = 4096;

uint8_t toByte(double v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

double finiteOr(double v, double fallback, double limit) {
    return std::isfinite(v) ? std::clamp(v, -limit, limit) : fallback;
}

// The player's box is `blur` pixels wide, centred on a pixel: it takes the 2 * radius + 1
// pixels it covers whole and the two beyond in part, `edge` / 256 each (a blur of 2 spreads a
// line over three pixels as 1/4, 1/2, 1/4; one of 5, over five as 1/5 each).
struct Box {
    int radius = 0, edge = 0;
    bool blurs() const { return radius > 0 || edge > 0; }
};

struct Blur {
    Box x, y;
    int passes = 0;
};

Box boxOf(double blur) {
    double half = std::max(finiteOr(blur, 0, 2 * kMaxRadius), 1.0) / 2;
    auto radius = static_cast<int>(half - 0.5);
    return {radius, static_cast<int>(std::lround((half - 0.5 - radius) * 256))};
}

Blur blurOf(const SurfaceFilter& f) {
    Blur b{boxOf(f.blurX), boxOf(f.blurY), std::clamp(f.quality, 0, kMaxPasses)};
    if (!b.x.blurs() && !b.y.blurs()) b.passes = 0;
    return b;
}

bool blurs(FilterKind kind) {
    return kind == FilterKind::Blur || kind == FilterKind::DropShadow || kind == FilterKind::Glow ||
           kind == FilterKind::Bevel || kind == FilterKind::GradientGlow || kind == FilterKind::GradientBevel;
}

// Glows have no distance.
struct Offset {
    int x = 0, y = 0;
};
Offset offsetOf(const SurfaceFilter& f) {
    if (f.kind == FilterKind::Blur || f.kind == FilterKind::Glow) return {};
    double distance = finiteOr(f.distance, 0, kMaxDistance);
    double angle = std::isfinite(f.angle) ? f.angle : 0;
    return {static_cast<int>(std::lround(distance * std::cos(angle))),
            static_cast<int>(std::lround(distance * std::sin(angle)))};
}

// How a box's average becomes a byte: the alpha the effects blur goes to the nearest, the
// colours of the blur filter drop the fraction.
enum class Rounding { Nearest, Down };

// One line of a plane, `count` values `step` apart, through `box`; what lies beyond the line
// holds `outside`, so the copy it reads is padded with it on both sides.
void blurLine(uint8_t* data, size_t step, int count, const Box& box, uint8_t outside,
              Rounding rounding, std::vector<uint8_t>& line) {
    const int radius = box.radius, pad = radius + 1;
    line.assign(static_cast<size_t>(count) + 2 * pad, outside);
    uint8_t* in = line.data() + pad;
    for (int i = 0; i < count; ++i) in[i] = data[i * step];
    const uint32_t size = (2 * static_cast<uint32_t>(radius) + 1) * 256 + 2 * box.edge;
    const auto edge = static_cast<uint32_t>(box.edge);
    const uint32_t half = rounding == Rounding::Nearest ? size / 2 : 0;
    uint32_t window = 0;
    for (int i = -radius; i <= radius; ++i) window += in[i];
    for (int i = 0; i < count; ++i) {
        uint32_t edges = in[i - radius - 1] + in[i + radius + 1];
        data[i * step] = static_cast<uint8_t>((window * 256 + edges * edge + half) / size);
        window += in[i + radius + 1];
        window -= in[i - radius];
    }
}

// `outside` is what lies beyond the plane: clear for an image, whole for the complement of
// its alpha, since beyond the layer there is nothing of the object.
void blurPlane(uint8_t* plane, int width, int height, const Blur& blur, uint8_t outside,
               Rounding rounding, std::vector<uint8_t>& line) {
    for (int p = 0; p < blur.passes; ++p) {
        if (blur.x.blurs())
            for (int y = 0; y < height; ++y)
                blurLine(plane + static_cast<size_t>(y) * width, 1, width, blur.x, outside,
                         rounding, line);
        if (blur.y.blurs())
            for (int x = 0; x < width; ++x)
                blurLine(plane + x, static_cast<size_t>(width), height, blur.y, outside,
                         rounding, line);
    }
}

// The image's alpha channel, or its complement.
std::vector<uint8_t> alphaPlane(const PixelImage& image, bool inverted) {
    std::vector<uint8_t> plane(image.area());
    for (size_t i = 0; i < plane.size(); ++i) {
        uint8_t a = image.channels(i)[3];
        plane[i] = inverted ? 255 - a : a;
    }
    return plane;
}

// `plane` at (x, y), or `outside` beyond it.
uint8_t at(const std::vector<uint8_t>& plane, const PixelImage& image, int x, int y,
           uint8_t outside) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return outside;
    return plane[static_cast<size_t>(y) * image.width + x];
}

using Color = std::array<uint8_t, 4>;  // premultiplied RGBA

Color premultiplied(uint32_t rgb, double alpha, int amount) {
    auto a = static_cast<int>(toByte(std::clamp(alpha, 0.0, 1.0) * amount));
    return {static_cast<uint8_t>(mul255(rgb >> 16 & 255, a)), static_cast<uint8_t>(mul255(rgb >> 8 & 255, a)),
            static_cast<uint8_t>(mul255(rgb & 255, a)), static_cast<uint8_t>(a)};
}

// A gradient filter's colours at 256 steps, premultiplied.
std::array<Color, 256> gradientTable(const SurfaceFilter& f) {
    std::array<Color, 256> table{};
    size_t n = std::min({f.colors.size(), f.alphas.size(), f.ratios.size()});
    if (n == 0) return table;
    for (int i = 0; i < 256; ++i) {
        size_t next = 0;
        while (next < n && f.ratios[next] < i) ++next;
        if (next == 0 || next == n) {
            size_t k = next == 0 ? 0 : n - 1;
            table[i] = premultiplied(f.colors[k], f.alphas[k], 255);
            continue;
        }
        int r0 = f.ratios[next - 1], r1 = f.ratios[next];
        double t = r1 == r0 ? 1 : double(i - r0) / (r1 - r0);
        uint32_t c0 = f.colors[next - 1], c1 = f.colors[next];
        uint32_t rgb = 0;
        for (int shift : {16, 8, 0}) {
            double v = (c0 >> shift & 255) * (1 - t) + (c1 >> shift & 255) * t;
            rgb |= static_cast<uint32_t>(toByte(v)) << shift;
        }
        table[i] = premultiplied(rgb, f.alphas[next - 1] * (1 - t) + f.alphas[next] * t, 255);
    }
    return table;
}

// `top` over `bottom`.
Color over(const Color& top, const uint8_t* bottom) {
    Color out;
    for (int k = 0; k < 4; ++k)
        out[k] = static_cast<uint8_t>(std::min(255, top[k] + mul255(bottom[k], 255 - top[3])));
    return out;
}

Color scaled(const Color& c, int amount) {
    return {static_cast<uint8_t>(mul255(c[0], amount)), static_cast<uint8_t>(mul255(c[1], amount)),
            static_cast<uint8_t>(mul255(c[2], amount)), static_cast<uint8_t>(mul255(c[3], amount))};
}

// Puts the effect's colour `g` at a pixel whose own colour is `source`: an inner effect lies
// on the object, an outer one behind it, a full one on it and around it; knockout leaves the
// object out, and a hidden object leaves the effect alone.
void compose(const SurfaceFilter& f, Type type, Color g, uint8_t* source) {
    const int sa = source[3];
    Color out;
    if (type == Type::Inner) {
        // The effect lies on the object as paint on it: the object keeps its own alpha.
        Color on = scaled(g, sa);
        if (f.knockout || f.hideObject) {
            out = on;
        } else {
            for (int k = 0; k < 4; ++k)
                out[k] = static_cast<uint8_t>(std::min(255, on[k] + mul255(source[k], 255 - g[3])));
        }
    } else if (type == Type::Outer) {
        if (f.hideObject) {
            out = g;
        } else if (f.knockout) {
            out = scaled(g, 255 - sa);
        } else {
            out = over({source[0], source[1], source[2], source[3]}, g.data());
        }
    } else {
        out = f.knockout ? g : over(g, source);
    }
    std::copy(out.begin(), out.end(), source);
}

// Drop shadows and glows: the blurred alpha (its complement inside), moved by the distance,
// raised by the strength and coloured.
void shadow(const SurfaceFilter& f, PixelImage& image) {
    Type type = f.kind == FilterKind::GradientGlow ? f.type : f.inner ? Type::Inner : Type::Outer;
    bool inner = type == Type::Inner;
    std::vector<uint8_t> plane = alphaPlane(image, inner);
    std::vector<uint8_t> line;
    blurPlane(plane.data(), image.width, image.height, blurOf(f), inner ? 255 : 0,
              Rounding::Nearest, line);
    Offset offset = offsetOf(f);
    double strength = finiteOr(f.strength, 1, 255);
    std::array<Color, 256> table{};
    if (f.kind == FilterKind::GradientGlow) table = gradientTable(f);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            int v = toByte(at(plane, image, x - offset.x, y - offset.y, inner ? 255 : 0) *
                           std::max(strength, 0.0));
            Color g = f.kind == FilterKind::GradientGlow ? table[v] : premultiplied(f.color, f.alpha, v);
            compose(f, type, g, image.channels(static_cast<size_t>(y) * image.width + x));
        }
    }
}

// Bevels: the blurred alpha seen from either side along the angle; where the far side holds
// more, the shadow, where the near side does, the highlight.
void bevel(const SurfaceFilter& f, PixelImage& image) {
    std::vector<uint8_t> plane = alphaPlane(image, false);
    std::vector<uint8_t> line;
    blurPlane(plane.data(), image.width, image.height, blurOf(f), 0, Rounding::Nearest, line);
    Offset offset = offsetOf(f);
    double strength = std::max(finiteOr(f.strength, 1, 255), 0.0);
    std::array<Color, 256> table{};
    if (f.kind == FilterKind::GradientBevel) table = gradientTable(f);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            int behind = at(plane, image, x - offset.x, y - offset.y, 0);
            int ahead = at(plane, image, x + offset.x, y + offset.y, 0);
            double v = std::clamp((behind - ahead) * strength, -255.0, 255.0);
            Color g;
            if (f.kind == FilterKind::GradientBevel) {
                g = table[toByte((v + 255) / 2)];
            } else if (v >= 0) {
                g = premultiplied(f.color, f.alpha, toByte(v));
            } else {
                g = premultiplied(f.highlightColor, f.highlightAlpha, toByte(-v));
            }
            compose(f, f.type, g, image.channels(static_cast<size_t>(y) * image.width + x));
        }
    }
}

// Each channel on its own: averages rounded down keep every colour at or below its alpha.
void blur(const SurfaceFilter& f, PixelImage& image) {
    Blur size = blurOf(f);
    if (size.passes == 0) return;
    std::vector<uint8_t> plane(image.area()), line;
    for (int k = 0; k < 4; ++k) {
        for (size_t i = 0; i < plane.size(); ++i) plane[i] = image.channels(i)[k];
        blurPlane(plane.data(), image.width, image.height, size, 0, Rounding::Down, line);
        for (size_t i = 0; i < plane.size(); ++i) image.channels(i)[k] = plane[i];
    }
}

// Straight colour from premultiplied and back.
std::array<double, 4> straight(const uint8_t* p) {
    if (p[3] == 0) return {0, 0, 0, 0};
    double scale = 255.0 / p[3];
    return {std::min(255.0, std::round(p[0] * scale)), std::min(255.0, std::round(p[1] * scale)),
            std::min(255.0, std::round(p[2] * scale)), double(p[3])};
}

void store(const std::array<double, 4>& c, uint8_t* p) {
    uint8_t a = toByte(c[3]);
    for (int k = 0; k < 3; ++k) p[k] = static_cast<uint8_t>(mul255(toByte(c[k]), a));
    p[3] = a;
}

bool colorMatrix(const SurfaceFilter& f, PixelImage& image) {
    if (f.matrix.size() < 20) return false;
    for (size_t i = 0; i < image.area(); ++i) {
        uint8_t* p = image.channels(i);
        std::array<double, 4> in = straight(p), out{};
        for (int row = 0; row < 4; ++row) {
            const double* r = &f.matrix[static_cast<size_t>(row) * 5];
            double v = r[0] * in[0] + r[1] * in[1] + r[2] * in[2] + r[3] * in[3] + r[4];
            // Each channel goes to the nearest value, as the player rounds it.
            out[row] = std::isfinite(v) ? std::round(std::clamp(v, 0.0, 255.0)) : 0;
        }
        store(out, p);
    }
    return true;
}

bool convolution(const SurfaceFilter& f, PixelImage& image) {
    const int mx = f.matrixX, my = f.matrixY;
    if (mx <= 0 || my <= 0 || mx > SurfaceFilter::kMaxMatrixSide ||
        my > SurfaceFilter::kMaxMatrixSide || f.matrix.size() < static_cast<size_t>(mx * my))
        return false;
    if (image.area() == 0) return true;
    std::vector<std::array<double, 4>> source(image.area());
    for (size_t i = 0; i < source.size(); ++i) source[i] = straight(image.channels(i));
    std::array<double, 4> outside = {double(f.color >> 16 & 255), double(f.color >> 8 & 255),
                                     double(f.color & 255), std::round(f.alpha * 255)};
    double divisor = f.divisor == 0 || !std::isfinite(f.divisor) ? 1 : f.divisor;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            std::array<double, 4> sum{};
            for (int j = 0; j < my; ++j) {
                for (int i = 0; i < mx; ++i) {
                    int sx = x + i - mx / 2, sy = y + j - my / 2;
                    bool inside = sx >= 0 && sy >= 0 && sx < image.width && sy < image.height;
                    if (!inside && f.clamp) {
                        sx = std::clamp(sx, 0, image.width - 1);
                        sy = std::clamp(sy, 0, image.height - 1);
                    }
                    const std::array<double, 4>& s =
                        inside || f.clamp
                            ? source[static_cast<size_t>(sy) * image.width + sx]
                            : outside;
                    double w = f.matrix[static_cast<size_t>(j) * mx + i];
                    for (int k = 0; k < 4; ++k) sum[k] += w * s[k];
                }
            }
            size_t index = static_cast<size_t>(y) * image.width + x;
            std::array<double, 4> out{};
            for (int k = 0; k < 4; ++k) {
                double v = sum[k] / divisor + f.bias;
                out[k] = std::isfinite(v) ? std::floor(std::clamp(v, 0.0, 255.0)) : 0;
            }
            if (f.preserveAlpha) out[3] = source[index][3];
            store(out, image.channels(index));
        }
    }
    return true;
}

}  // namespace

SurfaceFilter filterInView(const SurfaceFilter& filter, double scaleX, double scaleY) {
    SurfaceFilter f = filter;
    scaleX = std::isfinite(scaleX) ? std::fabs(scaleX) : 1;
    scaleY = std::isfinite(scaleY) ? std::fabs(scaleY) : 1;
    // What scales is the box's reach beyond its centre pixel: a blur of 10 seen twice as
    // large covers 19 pixels, not 20.
    auto inView = [](double blur, double scale) {
        blur = finiteOr(blur, 0, 2 * kMaxRadius);
        return blur > 1 ? (blur - 1) * scale + 1 : blur;
    };
    f.blurX = inView(filter.blurX, scaleX);
    f.blurY = inView(filter.blurY, scaleY);
    f.distance = finiteOr(filter.distance, 0, kMaxDistance) * (scaleX + scaleY) / 2;
    return f;
}

FilterReach filterReach(const SurfaceFilter& f) {
    if (!blurs(f.kind)) return {};
    Blur b = blurOf(f);
    auto reach = [&](const Box& box) { return (box.radius + (box.edge > 0)) * b.passes; };
    int growX = reach(b.x), growY = reach(b.y);
    Offset o = offsetOf(f);
    // Bevels reach both ways along their angle.
    bool both = f.kind == FilterKind::Bevel || f.kind == FilterKind::GradientBevel;
    FilterReach r{growX, growY, growX, growY};
    r.left += std::max(both ? std::abs(o.x) : -o.x, 0);
    r.right += std::max(both ? std::abs(o.x) : o.x, 0);
    r.top += std::max(both ? std::abs(o.y) : -o.y, 0);
    r.bottom += std::max(both ? std::abs(o.y) : o.y, 0);
    return r;
}

bool runFilter(const SurfaceFilter& f, PixelImage& image) {
    if (image.pixels.size() != image.area()) return false;
    switch (f.kind) {
        case FilterKind::Blur:
            blur(f, image);
            return true;
        case FilterKind::DropShadow:
        case FilterKind::Glow:
        case FilterKind::GradientGlow:
            shadow(f, image);
            return true;
        case FilterKind::Bevel:
        case FilterKind::GradientBevel:
            bevel(f, image);
            return true;
        case FilterKind::ColorMatrix:
            return colorMatrix(f, image);
        case FilterKind::Convolution:
            return convolution(f, image);
        default:
            return false;
    }
}

}  // namespace swf
