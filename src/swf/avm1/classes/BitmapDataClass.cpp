// flash.display.BitmapData. The player's natives answer a call they cannot carry out with a
// negative number: -1 for too few arguments or a disposed bitmap, -2 and below for the first,
// second, ... object argument of the wrong kind; the scripts of the corpus print them, so
// the methods here answer the same.

#include <algorithm>
#include <cmath>
#include <optional>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/BitmapDataObject.h"
#include "swf/avm1/classes/BitmapFilters.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/bitmap/BitmapCharacter.h"
#include "swf/display/BitmapInstance.h"
#include "swf/display/DisplayList.h"
#include "swf/display/DisplayObject.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/SwfMovie.h"
#include "swf/render/Canvas.h"

namespace swf::avm1 {
namespace {


constexpr int kMaxPerlinOctaves = 32;

Value failed(int code = -1) {
    return Value(static_cast<double>(code));
}

BitmapDataObject* live(Object* self) {
    auto* b = dynamic_cast<BitmapDataObject*>(self);
    return b && b->alive() ? b : nullptr;
}

int toInt(Machine& m, const Value& v) {
    return m.toInt32(v);
}

uint32_t toColour(Machine& m, const Value& v) {
    return static_cast<uint32_t>(m.toInt32(v));
}

Object* geomPackage(Machine& m) {
    return flashPackage(m, "geom");
}

// A rectangle argument: any object with x, y, width and height.
std::optional<PixelRect> readRect(Machine& m, const Value& v) {
    if (!v.asObject()) return std::nullopt;
    Value x = m.get(v, "x"), y = m.get(v, "y"), w = m.get(v, "width"), h = m.get(v, "height");
    if (x.isUndefined() || y.isUndefined() || w.isUndefined() || h.isUndefined())
        return std::nullopt;
    return PixelRect{toInt(m, x), toInt(m, y), toInt(m, w), toInt(m, h)};
}

struct PixelPoint {
    int x = 0, y = 0;
};

std::optional<PixelPoint> readPoint(Machine& m, const Value& v) {
    if (!v.asObject()) return std::nullopt;
    Value x = m.get(v, "x"), y = m.get(v, "y");
    if (x.isUndefined() || y.isUndefined()) return std::nullopt;
    return PixelPoint{toInt(m, x), toInt(m, y)};
}

Value makeRect(Machine& m, double x, double y, double w, double h) {
    const Value args[] = {Value(x), Value(y), Value(w), Value(h)};
    return geom::make(m, geomPackage(m), "Rectangle", args);
}

BitmapDataObject* newBitmap(Machine& m, int width, int height, bool transparent, uint32_t fill) {
    Value ctor = m.get(Value(flashPackage(m, "display")), "BitmapData");
    Value proto = m.get(ctor, "prototype");
    auto* b = m.heap().make<BitmapDataObject>(proto.asObject());
    b->create(width, height, transparent, fill, m.swfVersion());
    return b;
}

uint8_t channelOf(uint32_t argb, int shift) {
    return static_cast<uint8_t>(argb >> shift);
}

// The source rectangle placed at `to` in the destination, both cut to their surfaces:
// calls f(sx, sy, dx, dy) for every pixel.
template <typename F>
void eachPixel(const BitmapDataObject& src, PixelRect r, PixelPoint to,
               const BitmapDataObject& dst, F&& f) {
    // Cut the source rectangle to the source, moving the destination point along.
    int x0 = r.x, y0 = r.y;
    int64_t x1 = static_cast<int64_t>(r.x) + r.width, y1 = static_cast<int64_t>(r.y) + r.height;
    int64_t dx0 = to.x, dy0 = to.y;
    if (x0 < 0) { dx0 -= x0; x0 = 0; }
    if (y0 < 0) { dy0 -= y0; y0 = 0; }
    x1 = std::min<int64_t>(x1, src.width());
    y1 = std::min<int64_t>(y1, src.height());
    if (dx0 < 0) { x0 -= static_cast<int>(dx0); dx0 = 0; }
    if (dy0 < 0) { y0 -= static_cast<int>(dy0); dy0 = 0; }
    x1 = std::min<int64_t>(x1, x0 + (dst.width() - dx0));
    y1 = std::min<int64_t>(y1, y0 + (dst.height() - dy0));
    for (int64_t y = y0; y < y1; ++y)
        for (int64_t x = x0; x < x1; ++x)
            f(static_cast<int>(x), static_cast<int>(y), static_cast<int>(dx0 + x - x0),
              static_cast<int>(dy0 + y - y0));
}

// Straight colours blended source-over, as premultiplied values; what the destination keeps
// is rounded down, as the player's blend does.
uint32_t over(uint32_t src, uint32_t dst) {
    uint32_t sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;
    uint32_t out = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
        uint32_t s = src >> shift & 255, d = dst >> shift & 255;
        out |= std::min<uint32_t>(255, s + d * (255 - sa) / 255) << shift;
    }
    return out;
}

Value getPixelMethod(Machine& m, Object* self, std::span<const Value> args, bool withAlpha) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) return failed();
    int x = toInt(m, args[0]), y = toInt(m, args[1]);
    if (!b->contains(x, y)) return Value(0.0);
    uint32_t c = b->pixel(x, y);
    if (withAlpha) return Value(static_cast<double>(static_cast<int32_t>(c)));
    return Value(static_cast<double>(c & 0xFFFFFF));
}

Value setPixelMethod(Machine& m, Object* self, std::span<const Value> args, bool withAlpha) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 3) return failed();
    int x = toInt(m, args[0]), y = toInt(m, args[1]);
    uint32_t c = toColour(m, args[2]);
    if (!b->contains(x, y)) return Value(0.0);
    if (!withAlpha) c = (b->pixel(x, y) & 0xFF000000u) | (c & 0xFFFFFF);
    b->setPixel(x, y, c);
    return Value(0.0);
}

Value copyPixels(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* dst = live(self);
    if (!dst || args.size() < 3) return failed();
    auto* src = asBitmapData(args[0]);
    if (!src) return failed(-2);
    if (!src->alive()) return failed(-3);
    auto rect = readRect(m, args[1]);
    if (!rect) return failed(-4);
    auto point = readPoint(m, args[2]);
    if (!point) point = PixelPoint{};  // a point that is not one is the origin
    BitmapDataObject* alphaBitmap = args.size() > 3 ? live(args[3].asObject()) : nullptr;
    PixelPoint alphaPoint;
    if (alphaBitmap && args.size() > 4) {
        if (auto p = readPoint(m, args[4])) alphaPoint = *p;
    }
    bool mergeAlpha = args.size() > 5 && m.toBoolean(args[5]);
    // Copying onto itself reads the pixels as they were.
    std::vector<uint8_t> before;
    if (src == dst) before = src->surface()->rgba;
    auto readRaw = [&](int x, int y) {
        if (before.empty()) return src->raw(x, y);
        const uint8_t* p = &before[(static_cast<size_t>(y) * src->width() + x) * 4];
        return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16 |
               static_cast<uint32_t>(p[1]) << 8 | p[2];
    };
    eachPixel(*src, *rect, *point, *dst, [&](int sx, int sy, int dx, int dy) {
        uint32_t s = readRaw(sx, sy);
        if (!src->transparent()) s |= 0xFF000000u;
        if (alphaBitmap) {
            int ax = alphaPoint.x + sx - rect->x, ay = alphaPoint.y + sy - rect->y;
            uint32_t a = alphaBitmap->contains(ax, ay) ? alphaBitmap->raw(ax, ay) >> 24 : 0;
            if (!alphaBitmap->transparent()) a = 255;
            // Scales the premultiplied source by the mask's alpha.
            uint32_t scaled = 0;
            for (int shift = 0; shift <= 24; shift += 8)
                scaled |= (((s >> shift & 255) * a + 127) / 255) << shift;
            s = scaled;
            if (!mergeAlpha && dst->transparent()) {
                dst->setRaw(dx, dy, s);
                return;
            }
            mergeAlpha = true;
        }
        if (mergeAlpha || !dst->transparent()) {
            uint32_t d = dst->raw(dx, dy);
            uint32_t out = over(s, d);
            if (!dst->transparent()) out = BitmapDataObject::premultiply(
                BitmapDataObject::unpremultiply(out) | 0xFF000000u);
            dst->setRaw(dx, dy, out);
        } else {
            dst->setRaw(dx, dy, s);
        }
    });
    return failed();
}

Value copyChannel(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* dst = live(self);
    if (!dst || args.size() < 5) return failed();
    auto* src = asBitmapData(args[0]);
    if (!src) return failed(-2);
    if (!src->alive()) return failed(-3);
    auto rect = readRect(m, args[1]);
    if (!rect) return failed(-4);
    auto point = readPoint(m, args[2]);
    if (!point) point = PixelPoint{};  // a point that is not one is the origin
    uint32_t from = toColour(m, args[3]), to = toColour(m, args[4]);
    auto shiftOf = [](uint32_t channel) -> int {
        switch (channel) {
            case 1: return 16;
            case 2: return 8;
            case 4: return 0;
            case 8: return 24;
            default: return -1;
        }
    };
    // A source that is no channel reads 0; a destination that is none takes nothing.
    int fromShift = shiftOf(from), toShift = shiftOf(to);
    if (toShift < 0) return failed();
    if (toShift == 24 && !dst->transparent()) return failed();
    std::vector<uint32_t> source;
    eachPixel(*src, *rect, *point, *dst, [&](int sx, int sy, int, int) {
        source.push_back(src->pixel(sx, sy));
    });
    size_t i = 0;
    eachPixel(*src, *rect, *point, *dst, [&](int, int, int dx, int dy) {
        uint32_t value = fromShift < 0 ? 0 : channelOf(source[i++], fromShift);
        uint32_t d = dst->pixel(dx, dy);
        d = (d & ~(0xFFu << toShift)) | value << toShift;
        dst->setPixel(dx, dy, d);
    });
    return failed();
}

Value merge(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* dst = live(self);
    if (!dst || args.size() < 6) return failed();
    auto* src = asBitmapData(args[0]);
    if (!src) return failed(-2);
    if (!src->alive()) return failed(-3);
    auto rect = readRect(m, args[1]);
    if (!rect) return failed(-4);
    auto point = readPoint(m, args[2]);
    if (!point) point = PixelPoint{};  // a point that is not one is the origin
    int mult[4];  // alpha, red, green, blue
    mult[1] = toInt(m, args[3]);
    mult[2] = toInt(m, args[4]);
    mult[3] = toInt(m, args[5]);
    mult[0] = args.size() > 6 ? toInt(m, args[6]) : 256;  // no alpha multiplier: the source's
    for (int& k : mult) k = std::clamp(k, 0, 256);
    std::vector<uint32_t> source;
    eachPixel(*src, *rect, *point, *dst, [&](int sx, int sy, int, int) {
        source.push_back(src->pixel(sx, sy));
    });
    size_t i = 0;
    eachPixel(*src, *rect, *point, *dst, [&](int, int, int dx, int dy) {
        uint32_t s = source[i++], d = dst->pixel(dx, dy), out = 0;
        for (int k = 0; k < 4; ++k) {
            int shift = 24 - 8 * k;
            int64_t sc = s >> shift & 255, dc = d >> shift & 255;
            int64_t v = (sc * mult[k] + dc * (256 - static_cast<int64_t>(mult[k]))) / 256;
            out |= static_cast<uint32_t>(v & 255) << shift;
        }
        dst->setPixel(dx, dy, out);
    });
    return failed();
}

Value colorTransform(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) return failed();
    auto rect = readRect(m, args[0]);
    if (!rect) return failed(-2);
    if (!geom::isInstance(m, args[1], geomPackage(m), "ColorTransform")) return failed(-3);
    static constexpr const char* kNames[] = {
        "alphaMultiplier", "redMultiplier", "greenMultiplier", "blueMultiplier",
        "alphaOffset",     "redOffset",     "greenOffset",     "blueOffset"};
    double f[8];
    for (int i = 0; i < 8; ++i) f[i] = m.toNumber(m.get(args[1], kNames[i]));
    PixelRect r = b->clip(*rect);
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            uint32_t c = b->pixel(x, y), out = 0;
            for (int k = 0; k < 4; ++k) {
                int shift = 24 - 8 * k;
                double v = (c >> shift & 255) * f[k] + f[k + 4];
                v = std::isnan(v) ? 0 : std::clamp(v, 0.0, 255.0);
                out |= static_cast<uint32_t>(v) << shift;
            }
            b->setPixel(x, y, out);
        }
    }
    return failed();
}

Value threshold(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* dst = live(self);
    if (!dst || args.size() < 5) return failed();
    auto* src = asBitmapData(args[0]);
    if (!src) return failed(-2);
    if (!src->alive()) return failed(-3);
    auto rect = readRect(m, args[1]);
    if (!rect) return failed(-4);
    // A point that is not one is the origin here.
    PixelPoint origin;
    auto point = readPoint(m, args[2]);
    if (!point) point = origin;
    std::string op = m.toString(args[3]);
    uint32_t limit = toColour(m, args[4]);
    uint32_t colour = args.size() > 5 ? toColour(m, args[5]) : 0;
    uint32_t mask = args.size() > 6 ? toColour(m, args[6]) : 0xFFFFFFFFu;
    bool copySource = args.size() > 7 && m.toBoolean(args[7]);
    auto test = [&](uint32_t v) {
        uint32_t a = v & mask, t = limit & mask;
        if (op == "<") return a < t;
        if (op == "<=") return a <= t;
        if (op == ">") return a > t;
        if (op == ">=") return a >= t;
        if (op == "==") return a == t;
        if (op == "!=") return a != t;
        return false;
    };
    if (op != "<" && op != "<=" && op != ">" && op != ">=" && op != "==" && op != "!=")
        return Value(0.0);
    std::vector<uint32_t> source;
    eachPixel(*src, *rect, *point, *dst, [&](int sx, int sy, int, int) {
        source.push_back(src->pixel(sx, sy));
    });
    size_t i = 0;
    double count = 0;
    eachPixel(*src, *rect, *point, *dst, [&](int, int, int dx, int dy) {
        uint32_t s = source[i++];
        if (test(s)) {
            dst->setPixel(dx, dy, colour);
            ++count;
        } else if (copySource) {
            dst->setPixel(dx, dy, s);
        }
    });
    return Value(count);
}

Value compare(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* a = live(self);
    if (!a) return failed(-1);
    BitmapDataObject* b = args.empty() ? nullptr : live(args[0].asObject());
    if (!b) return failed(-2);
    if (a->width() != b->width()) return failed(-3);
    if (a->height() != b->height()) return failed(-4);
    bool same = true;
    std::vector<uint32_t> diff(static_cast<size_t>(a->width()) * a->height());
    for (int y = 0; y < a->height(); ++y) {
        for (int x = 0; x < a->width(); ++x) {
            uint32_t p = a->pixel(x, y), q = b->pixel(x, y), out = 0;
            if ((p & 0xFFFFFF) != (q & 0xFFFFFF)) {
                for (int shift = 0; shift <= 16; shift += 8)
                    out |= (((p >> shift & 255) - (q >> shift & 255)) & 255) << shift;
                out |= 0xFF000000u;
            } else if (p >> 24 != q >> 24) {
                out = (((p >> 24) - (q >> 24)) & 255) << 24 | 0xFFFFFF;
            }
            if (out) same = false;
            diff[static_cast<size_t>(y) * a->width() + x] = out;
        }
    }
    if (same) return Value(0.0);
    BitmapDataObject* result = newBitmap(m, a->width(), a->height(), true, 0);
    for (int y = 0; y < a->height(); ++y)
        for (int x = 0; x < a->width(); ++x)
            result->setPixel(x, y, diff[static_cast<size_t>(y) * a->width() + x]);
    return Value(result);
}

Value hitTest(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 3) return failed();
    auto first = readPoint(m, args[0]);
    if (!first) return failed(-2);
    int64_t firstThreshold = toInt(m, args[1]);
    auto hitsAt = [&](int x, int y, int64_t limit) {
        return b->contains(x, y) && static_cast<int64_t>(b->pixel(x, y) >> 24) >= limit;
    };
    if (BitmapDataObject* other = asBitmapData(args[2])) {
        if (!other->alive()) return failed(-3);
        PixelPoint second;
        if (args.size() > 3) {
            auto p = readPoint(m, args[3]);
            if (!p) return failed(-4);
            second = *p;
        }
        int64_t secondThreshold = args.size() > 4 ? toInt(m, args[4]) : 1;
        int ox = second.x - first->x, oy = second.y - first->y;
        for (int y = 0; y < other->height(); ++y)
            for (int x = 0; x < other->width(); ++x)
                if (static_cast<int64_t>(other->pixel(x, y) >> 24) >= secondThreshold &&
                    hitsAt(x + ox, y + oy, firstThreshold))
                    return Value(true);
        return Value(false);
    }
    if (geom::isInstance(m, args[2], geomPackage(m), "Rectangle")) {
        auto r = readRect(m, args[2]);
        if (!r) return failed(-3);
        PixelRect c = b->clip({r->x - first->x, r->y - first->y, r->width, r->height});
        for (int y = c.y; y < c.y + c.height; ++y)
            for (int x = c.x; x < c.x + c.width; ++x)
                if (hitsAt(x, y, firstThreshold)) return Value(true);
        return Value(false);
    }
    auto point = readPoint(m, args[2]);
    if (!point) return failed(-3);
    return Value(hitsAt(point->x - first->x, point->y - first->y, firstThreshold));
}

Value paletteMap(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* dst = live(self);
    if (!dst || args.size() < 3) return failed();
    auto* src = asBitmapData(args[0]);
    if (!src) return failed(-2);
    if (!src->alive()) return failed(-3);
    auto rect = readRect(m, args[1]);
    if (!rect) return failed(-4);
    auto point = readPoint(m, args[2]);
    if (!point) point = PixelPoint{};  // a point that is not one is the origin
    // Red, green, blue, alpha tables; a missing one keeps its channel.
    uint32_t tables[4][256];
    const int shifts[4] = {16, 8, 0, 24};
    for (int k = 0; k < 4; ++k) {
        auto* list = dynamic_cast<ArrayObject*>(arg(args, 3 + k).asObject());
        for (uint32_t i = 0; i < 256; ++i) {
            if (list && i < list->length())
                tables[k][i] = toColour(m, list->at(i));
            else
                tables[k][i] = list ? 0 : i << shifts[k];
        }
    }
    std::vector<uint32_t> source;
    eachPixel(*src, *rect, *point, *dst, [&](int sx, int sy, int, int) {
        source.push_back(src->pixel(sx, sy));
    });
    size_t i = 0;
    eachPixel(*src, *rect, *point, *dst, [&](int, int, int dx, int dy) {
        uint32_t s = source[i++], out = 0;
        for (int k = 0; k < 4; ++k) out += tables[k][s >> shifts[k] & 255];
        dst->setPixel(dx, dy, out);
    });
    return failed();
}

Value pixelDissolve(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* dst = live(self);
    if (!dst || args.size() < 3) return failed();
    // Unlike copyPixels, a source that is no live bitmap answers the plain failure.
    auto* src = asBitmapData(args[0]);
    if (!src || !src->alive()) return failed();
    auto rect = readRect(m, args[1]);
    if (!rect) return failed(-4);
    auto point = readPoint(m, args[2]);
    if (!point) point = PixelPoint{};  // a point that is not one is the origin
    int seed = args.size() > 3 ? toInt(m, args[3]) : 0;
    // The walk covers the pixels inside both bitmaps.
    PixelRect from = src->clip(*rect);
    auto shifted = [](int at, int64_t by) {  // far enough out to miss any bitmap
        return static_cast<int>(std::clamp<int64_t>(at + by, -(int64_t{1} << 30), int64_t{1} << 30));
    };
    int64_t byX = int64_t{point->x} - rect->x, byY = int64_t{point->y} - rect->y;
    PixelRect to = dst->clip({shifted(from.x, byX), shifted(from.y, byY), from.width, from.height});
    PixelRect r{shifted(to.x, -byX), shifted(to.y, -byY), to.width, to.height};
    int64_t area = r.empty() ? 0 : static_cast<int64_t>(r.width) * r.height;
    // With no pixel count (or one that is no number) nothing changes.
    double wanted = args.size() > 4 ? m.toNumber(args[4]) : NAN;
    if (area <= 0 || std::isnan(wanted)) return Value(static_cast<double>(seed));
    int64_t count = std::min(static_cast<int64_t>(std::clamp(wanted, 0.0, 1e12)), area - 1);
    uint32_t fill = args.size() > 5 ? toColour(m, args[5]) : 0;
    // One walk visits every pixel of the rectangle once; the seed is a place on it. A call
    // writes the pixel there and `count` more, and answers the place of the last, so a seed
    // handed back goes on where the call before stopped.
    uint64_t span = 1;
    while (span < static_cast<uint64_t>(area)) span <<= 1;
    auto next = [&](int64_t at) {
        uint64_t x = static_cast<uint64_t>(at);
        do x = (x * 0x41C64E6Du + 12345u) & (span - 1);  // full period over 0..span-1
        while (x >= static_cast<uint64_t>(area));
        return static_cast<int64_t>(x);
    };
    int64_t at = ((static_cast<int64_t>(seed) % area) + area) % area;
    for (int64_t written = 0;; at = next(at)) {
        int sx = r.x + static_cast<int>(at % r.width);
        int sy = r.y + static_cast<int>(at / r.width);
        dst->setPixel(to.x + sx - r.x, to.y + sy - r.y, src == dst ? fill : src->pixel(sx, sy));
        if (written++ >= count) break;
    }
    return Value(static_cast<double>(at));
}

// Smooth noise of one channel at a lattice: value noise with a smoothstep, deterministic
// from the seed.
class PerlinField {
  public:
    explicit PerlinField(int seed) {
        ParkMiller random(seed);
        for (int i = 0; i < 256; ++i) perm_[i] = static_cast<uint8_t>(i);
        for (int i = 255; i > 0; --i) std::swap(perm_[i], perm_[random.next() % (i + 1)]);
        for (int i = 0; i < 256; ++i) values_[i] = (random.next() % 65536) / 65535.0 * 2 - 1;
    }
    double at(double x, double y, int wrapX, int wrapY) const {
        int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
        double fx = x - x0, fy = y - y0;
        auto lattice = [&](int ix, int iy) {
            if (wrapX > 0) ix = ((ix % wrapX) + wrapX) % wrapX;
            if (wrapY > 0) iy = ((iy % wrapY) + wrapY) % wrapY;
            return values_[perm_[(perm_[ix & 255] + iy) & 255]];
        };
        auto s = [](double t) { return t * t * (3 - 2 * t); };
        double a = lattice(x0, y0), b = lattice(x0 + 1, y0);
        double c = lattice(x0, y0 + 1), d = lattice(x0 + 1, y0 + 1);
        double top = a + (b - a) * s(fx), bottom = c + (d - c) * s(fx);
        return top + (bottom - top) * s(fy);
    }

  private:
    uint8_t perm_[256];
    double values_[256];
};

Value perlinNoise(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 6) return failed();
    double baseX = m.toNumber(args[0]), baseY = m.toNumber(args[1]);
    int octaves = std::clamp(toInt(m, args[2]), 0, kMaxPerlinOctaves);
    int seed = toInt(m, args[3]);
    bool stitch = m.toBoolean(args[4]), fractal = m.toBoolean(args[5]);
    int channels = args.size() > 6 ? toInt(m, args[6]) : 7;
    bool grey = args.size() > 7 && m.toBoolean(args[7]);
    auto* offsets = dynamic_cast<ArrayObject*>(arg(args, 8).asObject());
    if (!(baseX > 0) || !(baseY > 0)) baseX = baseY = 1;
    PerlinField fields[4] = {PerlinField(seed), PerlinField(seed + 1), PerlinField(seed + 2),
                             PerlinField(seed + 3)};
    std::vector<std::pair<double, double>> shift(static_cast<size_t>(octaves));
    for (int o = 0; o < octaves; ++o) {
        Value p = offsets && static_cast<uint32_t>(o) < offsets->length() ? offsets->at(o) : Value();
        if (p.asObject())
            shift[o] = {m.toNumber(m.get(p, "x")), m.toNumber(m.get(p, "y"))};
    }
    for (int y = 0; y < b->height(); ++y) {
        for (int x = 0; x < b->width(); ++x) {
            double sum[4] = {0, 0, 0, 0};
            double freqX = 1 / baseX, freqY = 1 / baseY, amplitude = 1, total = 0;
            for (int o = 0; o < octaves; ++o) {
                int wrapX = stitch ? std::max(1, static_cast<int>(b->width() * freqX)) : 0;
                int wrapY = stitch ? std::max(1, static_cast<int>(b->height() * freqY)) : 0;
                double px = (x + shift[o].first) * freqX, py = (y + shift[o].second) * freqY;
                for (int k = 0; k < 4; ++k) {
                    double v = fields[k].at(px, py, wrapX, wrapY);
                    sum[k] += (fractal ? v : std::fabs(v)) * amplitude;
                }
                total += amplitude;
                amplitude /= 2;
                freqX *= 2;
                freqY *= 2;
            }
            auto level = [&](int k) -> uint32_t {
                if (total == 0) return 0;
                double v = sum[k] / total;
                v = fractal ? (v + 1) / 2 : v;
                return static_cast<uint32_t>(std::clamp(v * 255, 0.0, 255.0));
            };
            uint32_t r = 0, g = 0, bl = 0, a = 255;
            if (grey) {
                r = g = bl = level(0);
            } else {
                if (channels & 1) r = level(0);
                if (channels & 2) g = level(1);
                if (channels & 4) bl = level(2);
            }
            if (channels & 8 && b->transparent()) a = level(3);
            b->setPixel(x, y, a << 24 | r << 16 | g << 8 | bl);
        }
    }
    return Value(0.0);
}

// The filter's surface for `r` cut to the bitmap: the pixels the filter would change.
Value generateFilterRect(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) return failed();
    auto rect = readRect(m, args[0]);
    if (!rect) return failed(-2);
    auto filter = readFilter(m, args[1]);
    if (!filter) return failed(-3);
    PixelRect grown = filterExtent(*filter, *rect);
    return makeRect(m, grown.x, grown.y, grown.width, grown.height);
}

Value applyFilterMethod(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* dst = live(self);
    if (!dst || args.size() < 4) return failed();
    auto* src = asBitmapData(args[0]);
    if (!src) return failed(-2);
    if (!src->alive()) return failed(-3);
    auto rect = readRect(m, args[1]);
    if (!rect) return failed(-4);
    auto point = readPoint(m, args[2]);
    if (!point) point = PixelPoint{};  // a point that is not one is the origin
    auto filter = readFilter(m, args[3]);
    if (!filter) return failed(-6);
    std::vector<uint32_t> source;
    PixelRect r = src->clip(*rect);
    source.reserve(static_cast<size_t>(r.width) * r.height);
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) source.push_back(src->pixel(x, y));
    if (!applyFilter(*filter, source, r.width, r.height)) return Value(0.0);
    size_t i = 0;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x, ++i) {
            int dx = point->x + x + (r.x - rect->x), dy = point->y + y + (r.y - rect->y);
            if (dst->contains(dx, dy)) dst->setPixel(dx, dy, source[i]);
        }
    return Value(0.0);
}

// Draws a display object (in its own space) or another bitmap into this one.
Value draw(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* b = live(self);
    if (!b || args.empty()) return failed();
    Matrix matrix;
    if (Object* mo = arg(args, 1).asObject()) {
        matrix = {geom::number(m, Value(mo), "a"),  geom::number(m, Value(mo), "b"),
                  geom::number(m, Value(mo), "c"),  geom::number(m, Value(mo), "d"),
                  geom::number(m, Value(mo), "tx"), geom::number(m, Value(mo), "ty")};
        for (double* v : {&matrix.a, &matrix.b, &matrix.c, &matrix.d, &matrix.tx, &matrix.ty})
            if (!std::isfinite(*v)) *v = 0;
    }
    ColorTransform cxform;
    if (geom::isInstance(m, arg(args, 2), geomPackage(m), "ColorTransform")) {
        Value ct = args[2];
        auto mul = [&](const char* name) {
            double v = geom::number(m, ct, name) * 256;
            return static_cast<int32_t>(std::isfinite(v) ? std::clamp(v, -65536.0, 65536.0) : 0);
        };
        auto add = [&](const char* name) {
            double v = geom::number(m, ct, name);
            return static_cast<int32_t>(std::isfinite(v) ? std::clamp(v, -65536.0, 65536.0) : 0);
        };
        cxform = {mul("redMultiplier"), mul("greenMultiplier"), mul("blueMultiplier"),
                  mul("alphaMultiplier"), add("redOffset"), add("greenOffset"),
                  add("blueOffset"), add("alphaOffset")};
    }
    PixelRect clipRect{0, 0, b->width(), b->height()};
    if (auto r = readRect(m, arg(args, 4))) clipRect = b->clip(*r);
    if (clipRect.empty()) return Value(0.0);
    bool smooth = m.toBoolean(arg(args, 5));

    Canvas canvas(b->width(), b->height());
    canvas.clear(Rgba{0, 0, 0, 0});
    const Dictionary& dictionary = m.context().dictionary();
    if (BitmapDataObject* other = live(args[0].asObject())) {
        // A bitmap is a rectangle filled with it, one pixel per 20 twips.
        std::shared_ptr<Bitmap> pixels = other->surface();
        if (!other->transparent()) {
            pixels = std::make_shared<Bitmap>(*other->surface());
            for (size_t i = 3; i < pixels->rgba.size(); i += 4) pixels->rgba[i] = 255;
        }
        Shape shape;
        FillStyle fill;
        fill.kind = FillStyle::Kind::Bitmap;
        fill.bitmapMatrix = Matrix::scale(20, 20);
        fill.bitmapRepeat = false;
        fill.bitmapSmooth = smooth;
        shape.fills.push_back(fill);
        double w = other->width() * 20.0, h = other->height() * 20.0;
        shape.bounds = {0, static_cast<int32_t>(w), 0, static_cast<int32_t>(h)};
        ShapePath path;
        path.fill1 = 1;
        Point corners[] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
        for (int i = 0; i < 4; ++i)
            path.edges.push_back({corners[i], {}, corners[(i + 1) % 4], false});
        shape.paths.push_back(std::move(path));
        canvas.drawShape(shape, matrix * Matrix::scale(0.05, 0.05), cxform,
                         [&pixels](uint16_t) -> const Bitmap* { return pixels.get(); });
    } else if (DisplayObject* object = m.displayObjectOf(args[0])) {
        RenderContext context{canvas, dictionary, [&dictionary](uint16_t id) -> const Bitmap* {
                                  const auto* bitmap = dictionary.findAs<BitmapCharacter>(id);
                                  return bitmap ? &bitmap->bitmap() : nullptr;
                              }};
        // The object is drawn in its own space: its placement is undone.
        Matrix toPixels = matrix * Matrix::scale(0.05, 0.05) * object->matrix().inverted();
        object->render(context, toPixels, cxform);
    } else {
        return Value(0.0);
    }
    const uint8_t* drawn = canvas.pixels();
    for (int y = clipRect.y; y < clipRect.y + clipRect.height; ++y) {
        for (int x = clipRect.x; x < clipRect.x + clipRect.width; ++x) {
            const uint8_t* p = drawn + (static_cast<size_t>(y) * b->width() + x) * 4;
            if (p[3] == 0) continue;
            uint32_t s = static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16 |
                         static_cast<uint32_t>(p[1]) << 8 | p[2];
            uint32_t out = over(s, b->raw(x, y));
            if (!b->transparent())
                out = BitmapDataObject::premultiply(BitmapDataObject::unpremultiply(out) |
                                                    0xFF000000u);
            b->setRaw(x, y, out);
        }
    }
    return Value(0.0);
}

// BitmapData.loadBitmap(exportName): a copy of the linked bitmap.
Value loadBitmap(Machine& m, Object*, std::span<const Value> args) {
    if (args.empty()) return Value();
    auto id = m.context().movie().findExport(m.toString(args[0]));
    if (!id) return Value();
    const auto* bitmap = m.context().dictionary().findAs<BitmapCharacter>(*id);
    if (!bitmap) return Value();
    const Bitmap& pixels = bitmap->bitmap();
    if (!BitmapDataObject::sizeAllowed(pixels.width, pixels.height, m.swfVersion()))
        return Value();
    BitmapDataObject* b = newBitmap(m, pixels.width, pixels.height, true, 0);
    if (!b->alive()) return Value();
    b->surface()->rgba = pixels.rgba;
    return Value(b);
}

// MovieClip.attachBitmap(bitmap, depth, pixelSnapping, smoothing): shows the bitmap's pixels
// as they are when each frame is drawn.
Value attachBitmap(Machine& m, Object* self, std::span<const Value> args) {
    MovieClip* clip = m.movieClipOf(Value(self));
    BitmapDataObject* b = live(arg(args, 0).asObject());
    if (!clip || !b || args.size() < 2 || !m.context().hasRoomForObject()) return Value();
    int32_t depth = m.toInt32(args[1]);
    if (depth < kMinScriptDepth || depth > kMaxScriptDepth) return Value();
    bool smoothing = m.toBoolean(arg(args, 3));
    auto object = std::make_shared<BitmapInstance>(m.context(), b->surface(), smoothing);
    object->setDepth(depth + kFirstScriptDepth);
    clip->placeAndStart(std::move(object), true);
    return Value();
}

Value bitmapGetPixel(Machine& m, Object* self, std::span<const Value> args) {
    return getPixelMethod(m, self, args, false);
}

Value bitmapGetPixel32(Machine& m, Object* self, std::span<const Value> args) {
    return getPixelMethod(m, self, args, true);
}

Value bitmapSetPixel(Machine& m, Object* self, std::span<const Value> args) {
    return setPixelMethod(m, self, args, false);
}

Value bitmapSetPixel32(Machine& m, Object* self, std::span<const Value> args) {
    return setPixelMethod(m, self, args, true);
}

Value bitmapFillRect(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) return failed();
    auto rect = readRect(m, args[0]);
    if (!rect) return failed();
    b->fillRect(*rect, toColour(m, args[1]));
    return Value(0.0);
}

Value bitmapFloodFill(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 3) return failed();
    int x = toInt(m, args[0]), y = toInt(m, args[1]);
    if (!b->contains(x, y)) return Value(0.0);
    return Value(b->floodFill(x, y, toColour(m, args[2])) ? 1.0 : 0.0);
}

Value bitmapScroll(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) return failed();
    b->scroll(toInt(m, args[0]), toInt(m, args[1]));
    return Value(0.0);
}

Value bitmapNoise(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* b = live(self);
    if (!b || args.empty()) return failed();
    int low = args.size() > 1 ? std::clamp(toInt(m, args[1]), 0, 255) : 0;
    int high = args.size() > 2 ? std::clamp(toInt(m, args[2]), 0, 255) : 255;
    int channels = args.size() > 3 ? toInt(m, args[3]) : 7;
    bool grey = args.size() > 4 && m.toBoolean(args[4]);
    b->noise(toInt(m, args[0]), low, high, channels, grey);
    return Value(0.0);
}

Value bitmapGetColorBoundsRect(Machine& m, Object* self, std::span<const Value> args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) return failed();
    bool find = args.size() < 3 || m.toBoolean(args[2]);
    PixelRect r = b->colorBounds(toColour(m, args[0]), toColour(m, args[1]),
                                 find);
    return makeRect(m, r.x, r.y, r.width, r.height);
}

Value bitmapClone(Machine& m, Object* self, std::span<const Value>) {
    BitmapDataObject* b = live(self);
    if (!b) return failed();
    BitmapDataObject* copy = newBitmap(m, b->width(), b->height(), b->transparent(), 0);
    if (copy->alive()) copy->surface()->rgba = b->surface()->rgba;
    return Value(copy);
}

Value bitmapDispose(Machine&, Object* self, std::span<const Value>) {
    BitmapDataObject* b = live(self);
    if (!b) return failed();
    b->dispose();
    return Value();
}


Value bitmapWidth(Machine&, Object* self, std::span<const Value>) {
    BitmapDataObject* b = live(self);
    return b ? Value(static_cast<double>(b->width())) : failed();
}

Value bitmapHeight(Machine&, Object* self, std::span<const Value>) {
    BitmapDataObject* b = live(self);
    return b ? Value(static_cast<double>(b->height())) : failed();
}

Value bitmapTransparent(Machine&, Object* self, std::span<const Value>) {
    BitmapDataObject* b = live(self);
    return b ? Value(b->transparent()) : failed();
}

Value bitmapRectangle(Machine& m, Object* self, std::span<const Value>) {
    BitmapDataObject* b = live(self);
    return b ? makeRect(m, 0, 0, b->width(), b->height()) : failed();
}

using native::accessor;
using native::method;

// The properties are made last.
constexpr NativeMember kBitmapMembers[] = {
    method("getPixel", bitmapGetPixel),
    method("getPixel32", bitmapGetPixel32),
    method("setPixel", bitmapSetPixel),
    method("setPixel32", bitmapSetPixel32),
    method("fillRect", bitmapFillRect),
    method("floodFill", bitmapFloodFill),
    method("scroll", bitmapScroll),
    method("noise", bitmapNoise),
    method("getColorBoundsRect", bitmapGetColorBoundsRect),
    method("clone", bitmapClone),
    method("dispose", bitmapDispose),
    method("copyPixels", copyPixels),
    method("copyChannel", copyChannel),
    method("merge", merge),
    method("colorTransform", colorTransform),
    method("threshold", threshold),
    method("compare", compare),
    method("hitTest", hitTest),
    method("paletteMap", paletteMap),
    method("pixelDissolve", pixelDissolve),
    method("perlinNoise", perlinNoise),
    method("generateFilterRect", generateFilterRect),
    method("applyFilter", applyFilterMethod),
    method("draw", draw),
    accessor("width", bitmapWidth, native::nothing, 0),
    accessor("height", bitmapHeight, native::nothing, 0),
    accessor("transparent", bitmapTransparent, native::nothing, 0),
    accessor("rectangle", bitmapRectangle, native::nothing, 0),
};

Value bitmapConstruct(Machine& m, Object* self, std::span<const Value> args) {
    auto* b = m.constructing() ? dynamic_cast<BitmapDataObject*>(self) : nullptr;
    if (!b) return Value();
    // Sizes that are not numbers make no bitmap.
    if (args.size() < 2) return Value(Null{});
    double w = m.toNumber(args[0]), h = m.toNumber(args[1]);
    if (std::isnan(w) || std::isnan(h)) return Value(Null{});
    bool transparent = args.size() < 3 || m.toBoolean(args[2]);
    uint32_t fill = args.size() < 4 ? 0xFFFFFFFFu : toColour(m, args[3]);
    if (!b->create(toInt32(w), toInt32(h), transparent, fill, m.swfVersion())) return Value(Null{});
    return Value();
}

Object* makeBitmap(Machine& m, Object* prototype) {
    return m.heap().make<BitmapDataObject>(prototype);
}

constexpr NativeMember kBitmapStatics[] = {
    method("loadBitmap", loadBitmap),
    native::constant("RED_CHANNEL", 1, 0),
    native::constant("GREEN_CHANNEL", 2, 0),
    native::constant("BLUE_CHANNEL", 4, 0),
    native::constant("ALPHA_CHANNEL", 8, 0),
};

constexpr NativeMember kClipAttachBitmap[] = {
    method("attachBitmap", attachBitmap, kDontEnum | kVersion8),
};

}  // namespace

void installBitmapDataClass(Machine& m) {
    if (m.swfVersion() < 6) return;  // no flash package before version 6
    Object* proto = m.newObject();
    installClass(m, flashPackage(m, "display"), proto,
                 {"BitmapData", bitmapConstruct, makeBitmap, {}, kBitmapStatics, kBitmapMembers});
    if (Object* clip = m.prototypes().movieClip) installMembers(m, clip, kClipAttachBitmap);
}

}  // namespace swf::avm1
