#include "swf/render/PixelCentreRasterizer.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Points are held at 1/256 pixel, so that an edge a transform leaves a hair's breadth from a
// pixel centre counts as on it, as the original player's edges do.
constexpr double kSubpixels = 256;

Point onSubpixelGrid(Point p) {
    return {std::round(p.x * kSubpixels) / kSubpixels, std::round(p.y * kSubpixels) / kSubpixels};
}

// Rounding error could tip an edge that runs through a pixel centre to either side of it;
// held at 1/65536 pixel, its crossing lies exactly on the centre.
double onCrossingGrid(double x) {
    return std::round(x * 65536) / 65536;
}

// The first pixel, column or row, whose centre lies at or after `at`; `at` is bounded to
// [low, high] first, so far away coordinates stay within an int.
int firstCentreFrom(double at, int low, int high) {
    return static_cast<int>(std::ceil(std::clamp(at, low - 1.0, high + 1.0) - 0.5));
}

}  // namespace

void PixelCentreRasterizer::reset(PixelBox clip, bool evenOdd) {
    edges_.clear();
    active_.clear();
    runs_.clear();
    nextRun_ = 0;
    evenOdd_ = evenOdd;
    left_ = right_ = -1;
    start_ = last_ = {0, 0};
    // The clip box lies on the surface, whose size is an int.
    auto floorOf = [](double v) { return static_cast<int>(std::floor(v)); };
    auto ceilOf = [](double v) { return static_cast<int>(std::ceil(v)); };
    int left = floorOf(clip.x1), right = ceilOf(clip.x2);
    int top = floorOf(clip.y1), bottom = ceilOf(clip.y2);
    firstColumn_ = firstCentreFrom(clip.x1, left, right);
    endColumn_ = firstCentreFrom(clip.x2, left, right);
    firstRow_ = firstCentreFrom(clip.y1, top, bottom);
    endRow_ = firstCentreFrom(clip.y2, top, bottom);
}

void PixelCentreRasterizer::styles(int left, int right) {
    left_ = left;
    right_ = right;
    int highest = std::max(left, right);
    if (highest >= 0 && static_cast<size_t>(highest) >= winding_.size())
        winding_.resize(static_cast<size_t>(highest) + 1, 0);
}

void PixelCentreRasterizer::moveTo(Point p) {
    start_ = last_ = onSubpixelGrid(p);
}

void PixelCentreRasterizer::lineTo(Point to) {
    Point p = onSubpixelGrid(to);
    Point from = last_;
    last_ = p;
    if ((left_ < 0 && right_ < 0) || from.y == p.y) return;
    if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(p.x) ||
        !std::isfinite(p.y))
        return;
    bool down = p.y > from.y;
    const Point& upper = down ? from : p;
    const Point& lower = down ? p : from;
    // The rows whose centres the edge crosses, its lower end excluded, so that edges meeting
    // end to end cross each centre once.
    int firstRow = std::max(firstCentreFrom(upper.y, firstRow_, endRow_), firstRow_);
    int endRow = std::min(firstCentreFrom(lower.y, firstRow_, endRow_), endRow_);
    if (firstRow >= endRow) return;
    edges_.push_back(
        {upper.x, upper.y, lower.x, lower.y, firstRow, endRow, left_, right_, down ? 1 : -1});
}

bool PixelCentreRasterizer::rewind() {
    nextRun_ = 0;
    runs_.clear();
    active_.clear();
    if (edges_.empty() || firstColumn_ >= endColumn_) return false;
    std::sort(edges_.begin(), edges_.end(),
              [](const Edge& a, const Edge& b) { return a.firstRow < b.firstRow; });
    nextEdge_ = 0;
    row_ = edges_.front().firstRow;
    return true;
}

void PixelCentreRasterizer::enter(int style, int delta) {
    if (style < 0) return;
    int& winding = winding_[static_cast<size_t>(style)];
    bool was = inside(winding);
    winding += delta;
    bool is = inside(winding);
    if (was == is) return;
    if (is)
        insideStyles_.push_back(style);
    else
        insideStyles_.erase(std::find(insideStyles_.begin(), insideStyles_.end(), style));
}

void PixelCentreRasterizer::sampleRow() {
    while (nextEdge_ < edges_.size() && edges_[nextEdge_].firstRow <= row_)
        active_.push_back(&edges_[nextEdge_++]);
    std::erase_if(active_, [this](const Edge* e) { return e->endRow <= row_; });
    double centre = row_ + 0.5;
    crossings_.clear();
    for (const Edge* e : active_)
        crossings_.push_back(
            {onCrossingGrid(e->x0 + (centre - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0)), e});
    std::sort(crossings_.begin(), crossings_.end(),
              [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
    runs_.clear();
    nextRun_ = 0;
    insideStyles_.clear();
    for (size_t i = 0; i < crossings_.size(); ++i) {
        const Edge& edge = *crossings_[i].edge;
        enter(edge.left, edge.direction);
        enter(edge.right, -edge.direction);
        if (insideStyles_.empty() || i + 1 == crossings_.size()) continue;
        // Centres from this crossing up to, not including, the next one.
        int from =
            std::max(firstCentreFrom(crossings_[i].x, firstColumn_, endColumn_), firstColumn_);
        int to =
            std::min(firstCentreFrom(crossings_[i + 1].x, firstColumn_, endColumn_), endColumn_);
        if (from >= to) continue;
        int style = *std::max_element(insideStyles_.begin(), insideStyles_.end());
        if (!runs_.empty() && runs_.back().style == style &&
            runs_.back().x + runs_.back().length == from)
            runs_.back().length += to - from;
        else
            runs_.push_back({style, from, to - from});
    }
    for (const Crossing& c : crossings_) {
        if (c.edge->left >= 0) winding_[static_cast<size_t>(c.edge->left)] = 0;
        if (c.edge->right >= 0) winding_[static_cast<size_t>(c.edge->right)] = 0;
    }
    std::stable_sort(runs_.begin(), runs_.end(),
                     [](const Run& a, const Run& b) { return a.style < b.style; });
}

bool PixelCentreRasterizer::sweep(agg::scanline_u8& scanline, int& style) {
    while (nextRun_ == runs_.size()) {
        if (active_.empty() && nextEdge_ < edges_.size())
            row_ = std::max(row_, edges_[nextEdge_].firstRow);
        if (row_ >= endRow_ || (active_.empty() && nextEdge_ == edges_.size())) return false;
        sampleRow();
        ++row_;
    }
    style = runs_[nextRun_].style;
    scanline.reset_spans();
    for (; nextRun_ < runs_.size() && runs_[nextRun_].style == style; ++nextRun_)
        scanline.add_span(runs_[nextRun_].x, static_cast<unsigned>(runs_[nextRun_].length),
                          agg::cover_full);
    scanline.finalize(row_ - 1);
    return true;
}

}  // namespace swf
