#include "convert/GifPalette.h"

#include <algorithm>
#include <array>
#include <limits>

namespace convert {
namespace {

constexpr int kBits = 6;
constexpr uint32_t kBins = 1u << (3 * kBits);

struct Bin {
    std::array<uint8_t, 3> level;  // red, green, blue at kBits bits
    uint64_t count;
};

// A run of bins that becomes one colour.
struct Box {
    size_t begin;
    size_t end;
    int axis = 0;
    int range = 0;
};

void Measure(const std::vector<Bin>& bins, Box& box) {
    std::array<int, 3> low{255, 255, 255}, high{0, 0, 0};
    for (size_t i = box.begin; i < box.end; ++i)
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min<int>(low[c], bins[i].level[c]);
            high[c] = std::max<int>(high[c], bins[i].level[c]);
        }
    box.range = -1;
    for (int c = 0; c < 3; ++c)
        if (high[c] - low[c] > box.range) {
            box.range = high[c] - low[c];
            box.axis = c;
        }
}

uint32_t Expand(double level) {
    return static_cast<uint32_t>(std::clamp(level * 255.0 / ((1 << kBits) - 1) + 0.5, 0.0, 255.0));
}

}  // namespace

GifPalette::GifPalette() : histogram_(kBins, 0) {}

uint32_t GifPalette::Key(uint8_t blue, uint8_t green, uint8_t red) {
    constexpr int shift = 8 - kBits;
    return (uint32_t{red} >> shift) << (2 * kBits) | (uint32_t{green} >> shift) << kBits |
           (uint32_t{blue} >> shift);
}

void GifPalette::Add(const uint8_t* bgr, size_t count) {
    for (size_t i = 0; i < count; ++i, bgr += 3) {
        uint64_t& bin = histogram_[Key(bgr[0], bgr[1], bgr[2])];
        if (bin < std::numeric_limits<uint64_t>::max()) ++bin;
        const uint32_t rgb = uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0];
        if (manyColours_ || rgb == lastExact_) continue;
        lastExact_ = rgb;
        const auto at = std::lower_bound(exact_.begin(), exact_.end(), rgb);
        if (at != exact_.end() && *at == rgb) continue;
        if (exact_.size() == kMaxColours) {
            manyColours_ = true;
            exact_.clear();
        } else {
            exact_.insert(at, rgb);
        }
    }
}

void GifPalette::Build() {
    colours_.clear();
    if (!manyColours_) {
        for (size_t i = 0; i < exact_.size(); ++i) {
            colours_.push_back(0xFF000000u | exact_[i]);
            exactIndex_[exact_[i]] = static_cast<uint8_t>(i);
        }
        if (colours_.empty()) colours_.push_back(0xFF000000u);
        return;
    }
    std::vector<Bin> bins;
    constexpr uint32_t mask = (1u << kBits) - 1;
    for (uint32_t key = 0; key < kBins; ++key)
        if (histogram_[key] != 0)
            bins.push_back(
                {{static_cast<uint8_t>(key >> (2 * kBits)),
                  static_cast<uint8_t>((key >> kBits) & mask), static_cast<uint8_t>(key & mask)},
                 histogram_[key]});
    // Median cut: the box with the widest spread of levels is split at the median pixel
    // along that axis, until there are enough boxes or none can be split.
    std::vector<Box> boxes{{0, bins.size()}};
    Measure(bins, boxes[0]);
    while (boxes.size() < kMaxColours) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.range < b.range;
        });
        if (widest->range <= 0) break;
        Box box = *widest;
        std::sort(bins.begin() + static_cast<std::ptrdiff_t>(box.begin),
                  bins.begin() + static_cast<std::ptrdiff_t>(box.end),
                  [axis = box.axis](const Bin& a, const Bin& b) {
                      return a.level[axis] < b.level[axis];
                  });
        uint64_t total = 0;
        for (size_t i = box.begin; i < box.end; ++i) total += bins[i].count;
        uint64_t seen = 0;
        size_t split = box.begin + 1;
        for (size_t i = box.begin; i + 1 < box.end; ++i) {
            seen += bins[i].count;
            split = i + 1;
            if (seen >= total / 2) break;
        }
        Box first{box.begin, split}, second{split, box.end};
        Measure(bins, first);
        Measure(bins, second);
        *widest = first;
        boxes.push_back(second);
    }
    for (const Box& box : boxes) {
        std::array<double, 3> sum{};
        double weight = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            const double count = static_cast<double>(bins[i].count);
            for (int c = 0; c < 3; ++c) sum[c] += bins[i].level[c] * count;
            weight += count;
        }
        if (weight <= 0) continue;
        colours_.push_back(0xFF000000u | Expand(sum[0] / weight) << 16 |
                           Expand(sum[1] / weight) << 8 | Expand(sum[2] / weight));
    }
    if (colours_.empty()) colours_.push_back(0xFF000000u);
    nearest_.assign(kBins, 0xFFFF);
}

uint8_t GifPalette::IndexOf(uint8_t blue, uint8_t green, uint8_t red) {
    if (!manyColours_) {
        const auto found = exactIndex_.find(uint32_t{red} << 16 | uint32_t{green} << 8 | blue);
        if (found != exactIndex_.end()) return found->second;
    }
    const uint32_t key = Key(blue, green, red);
    if (!nearest_.empty() && nearest_[key] != 0xFFFF) return static_cast<uint8_t>(nearest_[key]);
    int best = 0;
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < colours_.size(); ++i) {
        const int dr = static_cast<int>((colours_[i] >> 16) & 0xFF) - red;
        const int dg = static_cast<int>((colours_[i] >> 8) & 0xFF) - green;
        const int db = static_cast<int>(colours_[i] & 0xFF) - blue;
        const int64_t distance = int64_t{dr} * dr + int64_t{dg} * dg + int64_t{db} * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    if (!nearest_.empty()) nearest_[key] = static_cast<uint16_t>(best);
    return static_cast<uint8_t>(best);
}

}  // namespace convert
