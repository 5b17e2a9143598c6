#include "swf/render/PointSampleRasterizer.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Points are held at 1/256 pixel, so that an edge a transform leaves a hair's breadth from a
// sample counts as on it, as the original player's edges do.
constexpr double kSubpixels = 256;

// std::round, halves away from zero, without its library call: this runs for every crossing.
double roundHalfAway(double v) {
    // From 2^52 on every double is whole; NaN and the infinities stay as they are too.
    if (!(std::fabs(v) < 0x1p52)) return v;
    auto whole = static_cast<double>(static_cast<int64_t>(v));
    double rest = v - whole;  // exact: both lie within the same power of two
    if (rest >= 0.5)
        whole += 1;
    else if (rest <= -0.5)
        whole -= 1;
    return std::copysign(whole, v);  // -0.4 gives -0, as std::round does
}

Point onSubpixelGrid(Point p, int perSide) {
    return {roundHalfAway(p.x * kSubpixels) / kSubpixels * perSide,
            roundHalfAway(p.y * kSubpixels) / kSubpixels * perSide};
}

// Rounding error could tip an edge that runs through a sample to either side of it; held at
// 1/65536 sample, its crossing lies exactly on the sample.
double onCrossingGrid(double x) {
    return roundHalfAway(x * 65536) / 65536;
}

// The first sample, column or row, whose centre lies at or after `at`; `at` is bounded to
// [low, high] first, so far away coordinates stay within an int.
int firstCentreFrom(double at, int low, int high) {
    double from = std::clamp(at, low - 1.0, high + 1.0) - 0.5;
    // Its ceiling, within int range now: truncated, then a step up past any fraction.
    auto whole = static_cast<int>(from);
    return whole < from ? whole + 1 : whole;
}

int floorDivide(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

void PointSampleRasterizer::reset(PixelBox clip, bool evenOdd, int samplesPerSide) {
    edges_.clear();
    crossings_.clear();
    recycleRow();
    evenOdd_ = evenOdd;
    perSide_ = std::clamp(samplesPerSide, 1, 4);
    left_ = right_ = -1;
    start_ = last_ = {0, 0};
    // The clip box lies on the surface, whose size is an int.
    auto floorOf = [this](double v) { return static_cast<int>(std::floor(v)) * perSide_; };
    auto ceilOf = [this](double v) { return static_cast<int>(std::ceil(v)) * perSide_; };
    int left = floorOf(clip.x1), right = ceilOf(clip.x2);
    int top = floorOf(clip.y1), bottom = ceilOf(clip.y2);
    firstColumn_ = firstCentreFrom(clip.x1 * perSide_, left, right);
    endColumn_ = firstCentreFrom(clip.x2 * perSide_, left, right);
    firstRow_ = firstCentreFrom(clip.y1 * perSide_, top, bottom);
    endRow_ = firstCentreFrom(clip.y2 * perSide_, top, bottom);
}

int PointSampleRasterizer::pixelOf(int column) const {
    return floorDivide(column, perSide_);
}

void PointSampleRasterizer::styles(int left, int right) {
    left_ = left;
    right_ = right;
    int highest = std::max(left, right);
    if (highest >= 0 && static_cast<size_t>(highest) >= winding_.size()) {
        winding_.resize(static_cast<size_t>(highest) + 1, 0);
        rowSlot_.resize(winding_.size(), -1);
    }
}

void PointSampleRasterizer::moveTo(Point p) {
    start_ = last_ = onSubpixelGrid(p, perSide_);
}

void PointSampleRasterizer::lineTo(Point to) {
    addEdge(onSubpixelGrid(to, perSide_));
}

void PointSampleRasterizer::addEdge(Point p) {
    Point from = last_;
    last_ = p;
    if ((left_ < 0 && right_ < 0) || from.y == p.y) return;
    if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(p.x) ||
        !std::isfinite(p.y))
        return;
    bool down = p.y > from.y;
    const Point& upper = down ? from : p;
    const Point& lower = down ? p : from;
    // The sample rows the edge crosses, its lower end excluded, so that edges meeting end to
    // end cross each sample once.
    int firstRow = std::max(firstCentreFrom(upper.y, firstRow_, endRow_), firstRow_);
    int endRow = std::min(firstCentreFrom(lower.y, firstRow_, endRow_), endRow_);
    if (firstRow >= endRow) return;
    edges_.push_back({upper.x, upper.y, (lower.x - upper.x) / (lower.y - upper.y), firstRow, endRow,
                      left_, right_, down ? 1 : -1});
}

bool PointSampleRasterizer::rewind() {
    crossings_.clear();
    recycleRow();
    if (edges_.empty() || firstColumn_ >= endColumn_) return false;
    std::sort(edges_.begin(), edges_.end(),
              [](const Edge& a, const Edge& b) { return a.firstRow < b.firstRow; });
    nextEdge_ = 0;
    row_ = edges_.front().firstRow;
    return true;
}

void PointSampleRasterizer::enter(int style, int delta) {
    int& winding = winding_[static_cast<size_t>(style)];
    bool was = inside(winding);
    winding += delta;
    // A style that leaves stays in the heap until it reaches the top (see highestInside).
    if (!was && inside(winding)) {
        insideStyles_.push_back(style);
        std::push_heap(insideStyles_.begin(), insideStyles_.end());
    }
}

int PointSampleRasterizer::highestInside() {
    while (!insideStyles_.empty() &&
           !inside(winding_[static_cast<size_t>(insideStyles_.front())])) {
        std::pop_heap(insideStyles_.begin(), insideStyles_.end());
        insideStyles_.pop_back();
    }
    return insideStyles_.empty() ? -1 : insideStyles_.front();
}

void PointSampleRasterizer::addRun(int style, int from, int to) {
    int& slot = rowSlot_[static_cast<size_t>(style)];
    if (slot < 0) {
        slot = static_cast<int>(rowStyles_.size());
        if (spareStyles_.empty()) {
            rowStyles_.push_back({style, {}});
        } else {
            rowStyles_.push_back(std::move(spareStyles_.back()));
            spareStyles_.pop_back();
            rowStyles_.back().style = style;
            rowStyles_.back().runs.clear();
        }
    }
    rowFrom_ = std::min(rowFrom_, from);
    rowTo_ = std::max(rowTo_, to);
    StyleSamples& samples = rowStyles_[static_cast<size_t>(slot)];
    if (!samples.runs.empty() && samples.runs.back().second == from)
        samples.runs.back().second = to;
    else
        samples.runs.emplace_back(from, to);
}

void PointSampleRasterizer::recycleRow() {
    for (StyleSamples& samples : rowStyles_) {
        rowSlot_[static_cast<size_t>(samples.style)] = -1;
        spareStyles_.push_back(std::move(samples));
    }
    rowStyles_.clear();
    rowFrom_ = endColumn_;
    rowTo_ = firstColumn_;
}

void PointSampleRasterizer::sampleRow(int row) {
    // The crossings stay in last row's order, which is this row's but where edges cross:
    // inserting each in turn sorts them in a pass or little more. Rows where many edges cross
    // (hatching, say) are sorted whole instead.
    std::erase_if(crossings_, [row](const Crossing& c) { return c.edge->endRow <= row; });
    while (nextEdge_ < edges_.size() && edges_[nextEdge_].firstRow <= row)
        crossings_.push_back({0, &edges_[nextEdge_++]});
    double centre = row + 0.5;
    for (Crossing& c : crossings_)
        c.x = onCrossingGrid(c.edge->x0 + (centre - c.edge->y0) * c.edge->slope);
    const auto byX = [](const Crossing& a, const Crossing& b) { return a.x < b.x; };
    size_t movesLeft = 8 * crossings_.size();
    for (size_t i = 1; i < crossings_.size() && movesLeft > 0; ++i)
        for (size_t j = i; j > 0 && byX(crossings_[j], crossings_[j - 1]) && movesLeft > 0; --j) {
            std::swap(crossings_[j], crossings_[j - 1]);
            --movesLeft;
        }
    if (movesLeft == 0) std::sort(crossings_.begin(), crossings_.end(), byX);
    insideStyles_.clear();
    for (size_t i = 0; i < crossings_.size(); ++i) {
        const Edge& edge = *crossings_[i].edge;
        if (edge.left >= 0) enter(edge.left, edge.direction);
        if (edge.right >= 0) enter(edge.right, -edge.direction);
        if (i + 1 == crossings_.size()) continue;
        int style = highestInside();
        if (style < 0) continue;
        // Samples from this crossing up to, not including, the next one.
        int from =
            std::max(firstCentreFrom(crossings_[i].x, firstColumn_, endColumn_), firstColumn_);
        int to =
            std::min(firstCentreFrom(crossings_[i + 1].x, firstColumn_, endColumn_), endColumn_);
        if (from >= to) continue;
        addRun(style, from, to);
    }
    for (const Crossing& c : crossings_) {
        if (c.edge->left >= 0) winding_[static_cast<size_t>(c.edge->left)] = 0;
        if (c.edge->right >= 0) winding_[static_cast<size_t>(c.edge->right)] = 0;
    }
}

bool PointSampleRasterizer::nextRow() {
    recycleRow();
    while (rowStyles_.empty()) {
        if (crossings_.empty() && nextEdge_ < edges_.size())
            row_ = std::max(row_, edges_[nextEdge_].firstRow);
        if (row_ >= endRow_ || (crossings_.empty() && nextEdge_ == edges_.size())) return false;
        pixelRow_ = floorDivide(row_, perSide_);
        int end = std::min((pixelRow_ + 1) * perSide_, endRow_);
        for (; row_ < end; ++row_) sampleRow(row_);
    }
    std::sort(rowStyles_.begin(), rowStyles_.end(),
              [](const StyleSamples& a, const StyleSamples& b) { return a.style < b.style; });
    return true;
}

void PointSampleRasterizer::covers(size_t i, agg::scanline_u8& scanline) {
    gatherChanges(i, 1);
    fillScanline(scanline);
}

void PointSampleRasterizer::coversOfAll(agg::scanline_u8& scanline) {
    gatherChanges(0, rowStyles_.size());
    fillScanline(scanline);
}

void PointSampleRasterizer::gatherChanges(size_t first, size_t count) {
    // Styles share no sample, so their runs' ends simply add up, once in column order.
    changes_.clear();
    for (size_t i = first; i < first + count; ++i)
        for (auto [from, to] : rowStyles_[i].runs) {
            changes_.push_back({from, 1});
            changes_.push_back({to, -1});
        }
    std::sort(changes_.begin(), changes_.end(),
              [](const CountChange& a, const CountChange& b) { return a.column < b.column; });
}

std::pair<int, int> PointSampleRasterizer::rowPixels() const {
    return {pixelOf(rowFrom_), pixelOf(rowTo_ - 1) + 1};
}

void PointSampleRasterizer::fillScanline(agg::scanline_u8& scanline) {
    const int full = perSide_ * perSide_;
    scanline.reset_spans();
    auto add = [&](int pixel, int length, int samples) {
        auto cover = static_cast<unsigned>((samples * agg::cover_full + full / 2) / full);
        if (length == 1)
            scanline.add_cell(pixel, cover);
        else
            scanline.add_span(pixel, static_cast<unsigned>(length), cover);
    };
    // Between two changes `depth` sample rows hold every column. The samples of a pixel the
    // runs end in are held until the count moves past it, as the next run may share it.
    int pixel = 0, samples = 0, depth = 0;
    for (size_t i = 0; i < changes_.size();) {
        int from = changes_[i].column;
        for (; i < changes_.size() && changes_[i].column == from; ++i) depth += changes_[i].change;
        if (depth == 0 || i == changes_.size()) continue;
        int to = changes_[i].column;
        int first = pixelOf(from), last = pixelOf(to - 1);
        if (first != pixel && samples > 0) {
            add(pixel, 1, samples);
            samples = 0;
        }
        pixel = first;
        if (first == last) {
            samples += depth * (to - from);
            continue;
        }
        add(first, 1, samples + depth * ((first + 1) * perSide_ - from));
        if (last > first + 1) add(first + 1, last - first - 1, depth * perSide_);
        pixel = last;
        samples = depth * (to - last * perSide_);
    }
    if (samples > 0) add(pixel, 1, samples);
    scanline.finalize(pixelRow_);
}

}  // namespace swf
