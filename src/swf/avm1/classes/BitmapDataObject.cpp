#include "swf/avm1/classes/BitmapDataObject.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace swf::avm1 {

namespace {

constexpr uint32_t kModulus = 0x7FFFFFFF;

}  // namespace

ParkMiller::ParkMiller(int64_t seed) {
    // Seeds below 1 count from 1 the other way: 0 is 1, -1 is 2, ...
    if (seed <= 0) seed = 1 - seed;
    int64_t s = seed % static_cast<int64_t>(kModulus);
    state_ = s == 0 ? 1 : static_cast<uint32_t>(s);
}

uint32_t ParkMiller::next() {
    state_ = static_cast<uint32_t>((static_cast<uint64_t>(state_) * 16807u) % kModulus);
    return state_;
}

bool BitmapDataObject::sizeAllowed(int width, int height, int swfVersion) {
    if (width <= 0 || height <= 0) return false;
    if (swfVersion < 10) return width <= kMaxSideSwf8 && height <= kMaxSideSwf8;
    return width <= kMaxSide && height <= kMaxSide &&
           static_cast<int64_t>(width) * height <= kMaxPixels;
}

bool BitmapDataObject::create(int width, int height, bool transparent, uint32_t fill,
                              int swfVersion) {
    surface_.reset();
    if (!sizeAllowed(width, height, swfVersion)) return false;
    transparent_ = transparent;
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->rgba.resize(static_cast<size_t>(width) * height * 4);
    surface_ = std::move(bitmap);
    fillRect({0, 0, width, height}, fill);
    return true;
}

void BitmapDataObject::dispose() {
    if (surface_) std::vector<uint8_t>().swap(surface_->rgba);
    surface_.reset();
}

uint32_t BitmapDataObject::premultiply(uint32_t argb) {
    uint32_t a = argb >> 24;
    if (a == 255) return argb;
    auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
    return a << 24 | scale(argb >> 16 & 255) << 16 | scale(argb >> 8 & 255) << 8 | scale(argb & 255);
}

uint32_t BitmapDataObject::unpremultiply(uint32_t p) {
    uint32_t a = p >> 24;
    if (a == 255) return p;
    if (a == 0) return 0;
    // By a reciprocal in 8.8 fixed point, as the player divides.
    uint32_t reciprocal = 65280 / a;
    auto scale = [reciprocal](uint32_t c) { return std::min<uint32_t>(255, (c * reciprocal + 127) >> 8); };
    return a << 24 | scale(p >> 16 & 255) << 16 | scale(p >> 8 & 255) << 8 | scale(p & 255);
}

uint32_t BitmapDataObject::raw(int x, int y) const {
    const uint8_t* p = surface_->pixel(x, y);
    return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16 |
           static_cast<uint32_t>(p[1]) << 8 | p[2];
}

void BitmapDataObject::setRaw(int x, int y, uint32_t v) {
    uint8_t* p = &surface_->rgba[(static_cast<size_t>(y) * surface_->width + x) * 4];
    p[0] = static_cast<uint8_t>(v >> 16);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v);
    p[3] = static_cast<uint8_t>(v >> 24);
}

PixelRect BitmapDataObject::clip(PixelRect r) const {
    int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    int64_t x1 = std::min<int64_t>(static_cast<int64_t>(r.x) + r.width, width());
    int64_t y1 = std::min<int64_t>(static_cast<int64_t>(r.y) + r.height, height());
    if (x1 <= x0 || y1 <= y0) return {x0, y0, 0, 0};
    return {x0, y0, static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
}

void BitmapDataObject::fillRect(PixelRect r, uint32_t argb) {
    // A negative size reaches back from x or y: the player fills that span.
    int64_t x = r.x, y = r.y, w = r.width, h = r.height;
    if (w < 0) x += w;
    if (h < 0) y += h;
    auto x0 = static_cast<int>(std::clamp<int64_t>(x, 0, width()));
    auto x1 = static_cast<int>(std::clamp<int64_t>(x + std::abs(w), 0, width()));
    auto y0 = static_cast<int>(std::clamp<int64_t>(y, 0, height()));
    auto y1 = static_cast<int>(std::clamp<int64_t>(y + std::abs(h), 0, height()));
    uint32_t v = premultiply(store(argb));
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px) setRaw(px, py, v);
}

bool BitmapDataObject::floodFill(int x, int y, uint32_t argb) {
    if (!contains(x, y)) return false;
    uint32_t target = raw(x, y);
    uint32_t fill = premultiply(store(argb));
    if (target == fill) return false;
    // Each pixel is queued at most once: it changes colour when queued.
    std::vector<std::pair<int, int>> pending{{x, y}};
    setRaw(x, y, fill);
    while (!pending.empty()) {
        auto [px, py] = pending.back();
        pending.pop_back();
        const std::pair<int, int> around[] = {{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}};
        for (auto [nx, ny] : around) {
            if (!contains(nx, ny) || raw(nx, ny) != target) continue;
            setRaw(nx, ny, fill);
            pending.emplace_back(nx, ny);
        }
    }
    return true;
}

void BitmapDataObject::scroll(int dx, int dy) {
    int w = width(), h = height();
    if (!surface_ || (dx == 0 && dy == 0) || dx >= w || -dx >= w || dy >= h || -dy >= h) return;
    std::vector<uint8_t> copy = surface_->rgba;
    size_t stride = static_cast<size_t>(w) * 4;
    int x0 = std::max(0, dx), x1 = std::min(w, w + dx);
    int y0 = std::max(0, dy), y1 = std::min(h, h + dy);
    for (int y = y0; y < y1; ++y)
        std::copy_n(&copy[(y - dy) * stride + (x0 - dx) * 4], (x1 - x0) * 4,
                    &surface_->rgba[y * stride + x0 * 4]);
}

void BitmapDataObject::noise(int64_t seed, int low, int high, int channels, bool grey) {
    if (!surface_) return;
    ParkMiller random(seed);
    uint32_t range = high >= low ? static_cast<uint32_t>(high - low + 1) : 1;
    auto value = [&]() -> uint32_t {
        return static_cast<uint32_t>(low + static_cast<int>(random.next() % range)) & 255;
    };
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            uint32_t r = 0, g = 0, b = 0, a = 255;
            if (grey) {
                r = g = b = value();
            } else {
                if (channels & 1) r = value();
                if (channels & 2) g = value();
                if (channels & 4) b = value();
            }
            if (channels & 8 && transparent_) a = value();
            setRaw(x, y, premultiply(a << 24 | r << 16 | g << 8 | b));
        }
    }
}

PixelRect BitmapDataObject::colorBounds(uint32_t mask, uint32_t colour, bool find) const {
    // An opaque bitmap compares with the colour's red, green and blue unmasked, as the
    // player does, and takes its alpha as full.
    const uint32_t wanted =
        transparent_ ? colour & mask : (colour & 0x00FFFFFFu) | (mask & 0xFF000000u);
    // The far corner starts at the origin and a search that leaves it there finds nothing,
    // as the player's does: a match at (0, 0) alone gives the empty rectangle.
    int minX = width(), minY = height(), maxX = 0, maxY = 0;
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            if (((raw(x, y) & mask) == wanted) != find) continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    if (maxX == 0 && maxY == 0) return {};
    return {minX, minY, maxX - minX + 1, maxY - minY + 1};
}

BitmapDataObject* asBitmapData(const Value& value) {
    return dynamic_cast<BitmapDataObject*>(value.asObject());
}

}  // namespace swf::avm1
