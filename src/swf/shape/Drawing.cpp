#include "swf/shape/Drawing.h"

#include <algorithm>
#include <cmath>

namespace swf {
namespace {

struct Extent {
    double xMin = 1e300, yMin = 1e300, xMax = -1e300, yMax = -1e300;

    void add(Point p, double margin) {
        xMin = std::min(xMin, p.x - margin);
        yMin = std::min(yMin, p.y - margin);
        xMax = std::max(xMax, p.x + margin);
        yMax = std::max(yMax, p.y + margin);
    }
    // Whole twips around the extent; nothing drawn is no extent (xMin > xMax).
    Rect rect() const {
        if (xMin > xMax) return Rect{1, 0, 1, 0};
        auto clamp = [](double v) { return static_cast<int32_t>(std::clamp(v, -2.0e9, 2.0e9)); };
        return Rect{clamp(std::floor(xMin)), clamp(std::ceil(xMax)), clamp(std::floor(yMin)),
                    clamp(std::ceil(yMax))};
    }
};

}  // namespace

void Drawing::clear() {
    *this = Drawing(reach_);
}

void Drawing::lineStyle(std::optional<LineStyle> style) {
    endStroke();
    if (!style) {
        line_ = 0;
        return;
    }
    committed_.lines.push_back(*style);
    line_ = static_cast<uint32_t>(committed_.lines.size());
    shape_.reset();
}

void Drawing::beginFill(const FillStyle& fill) {
    endFill();
    endStroke();
    // A fill goes above everything drawn before it.
    if (!committed_.paths.empty()) ++layer_;
    committed_.fills.push_back(fill);
    fill_ = static_cast<uint32_t>(committed_.fills.size());
    fillStart_ = pen_;
    shape_.reset();
}

void Drawing::closeFillPath() {
    // The closing line is stroked with the current line style, like the lines before it;
    // it may pass the edge bound, by one edge for each that the bound let in.
    if (fillEdges_.empty() || pen_ == fillStart_) return;
    --edges_;
    Point pen = pen_;
    addEdge(Edge{pen_, Point{}, fillStart_, false});
    pen_ = pen;
}

void Drawing::endFill() {
    if (!fill_) return;
    closeFillPath();
    endStroke();
    if (!fillEdges_.empty()) {
        ShapePath path;
        path.fill1 = *fill_;
        path.edges = std::move(fillEdges_);
        path.layer = layer_;
        committed_.paths.push_back(std::move(path));
    }
    for (ShapePath& stroke : fillStrokes_) committed_.paths.push_back(std::move(stroke));
    fillEdges_.clear();
    fillStrokes_.clear();
    fill_.reset();
    ++layer_;  // what follows is drawn above
    shape_.reset();
}

void Drawing::moveTo(Point to) {
    if (fill_) {
        // A fill's outlines are each closed.
        closeFillPath();
        fillStart_ = to;
    }
    endStroke();
    pen_ = to;
}

void Drawing::lineTo(Point to) {
    addEdge(Edge{pen_, Point{}, to, false});
}

void Drawing::curveTo(Point control, Point to) {
    addEdge(Edge{pen_, control, to, true});
}

void Drawing::addEdge(const Edge& edge) {
    if (edges_ >= kMaxEdges) return;
    ++edges_;
    if (fill_) fillEdges_.push_back(edge);
    if (line_) {
        if (!stroke_) {
            stroke_.emplace();
            stroke_->line = line_;
            stroke_->layer = layer_;
        }
        stroke_->edges.push_back(edge);
    }
    pen_ = edge.to;
    shape_.reset();
}

void Drawing::endStroke() {
    if (!stroke_) return;
    if (fill_)
        fillStrokes_.push_back(std::move(*stroke_));
    else
        committed_.paths.push_back(std::move(*stroke_));
    stroke_.reset();
    shape_.reset();
}

const Shape& Drawing::shape() const {
    if (shape_) return *shape_;
    Shape shape = committed_;
    // A fill still open is drawn closed, its closing line stroked as endFill would.
    const bool closing = fill_ && !fillEdges_.empty() && !(pen_ == fillStart_);
    const Edge closingEdge{pen_, Point{}, fillStart_, false};
    if (fill_ && !fillEdges_.empty()) {
        ShapePath path;
        path.fill1 = *fill_;
        path.edges = fillEdges_;
        if (closing) path.edges.push_back(closingEdge);
        path.layer = layer_;
        shape.paths.push_back(std::move(path));
    }
    for (const ShapePath& stroke : fillStrokes_) shape.paths.push_back(stroke);
    if (stroke_) {
        shape.paths.push_back(*stroke_);
        if (closing) shape.paths.back().edges.push_back(closingEdge);
    } else if (closing && line_) {
        ShapePath stroke;
        stroke.line = line_;
        stroke.layer = layer_;
        stroke.edges.push_back(closingEdge);
        shape.paths.push_back(std::move(stroke));
    }
    Extent extent;
    for (const ShapePath& path : shape.paths) {
        double margin = 0;
        if (path.line > 0 && path.line <= shape.lines.size())
            margin = shape.lines[path.line - 1].width / (reach_ == LineReach::WholeWidth ? 1.0 : 2.0);
        for (const Edge& edge : path.edges) {
            extent.add(edge.from, margin);
            extent.add(edge.to, margin);
            if (edge.curved) extent.add(edge.control, margin);
        }
    }
    shape.bounds = extent.rect();
    shape_ = std::move(shape);
    return *shape_;
}

}  // namespace swf
