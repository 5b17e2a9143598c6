#pragma once
// A shape drawn by script (the drawing API of movie clips): fills begun and ended, lines in
// the current line style, moves, straight and curved segments. Each fill with the lines drawn
// while it was open makes a style layer, above the ones before, as the player stacks them.
// A fill still open is drawn closed. The number of segments is bounded.

#include <cstddef>
#include <optional>
#include <vector>

#include "swf/shape/Shape.h"

namespace swf {

class Drawing {
  public:
    static constexpr size_t kMaxEdges = 1'000'000;

    // How far a line's extent reaches past its path: ActionScript 1 and 2 count the line's
    // whole thickness, ActionScript 3's Graphics half of it.
    enum class LineReach { WholeWidth, HalfWidth };

    explicit Drawing(LineReach reach = LineReach::WholeWidth) : reach_(reach) {}

    void clear();
    // No style ends the lines.
    void lineStyle(std::optional<LineStyle> style);
    void beginFill(const FillStyle& fill);
    // Closes the open fill back to where it began, if one is open.
    void endFill();
    void moveTo(Point to);
    void lineTo(Point to);
    void curveTo(Point control, Point to);

    bool empty() const { return committed_.paths.empty() && fillEdges_.empty() && !stroke_; }
    // What is drawn so far, in twips.
    const Shape& shape() const;

  private:
    void addEdge(const Edge& edge);
    void endStroke();
    void closeFillPath();

    LineReach reach_;
    Shape committed_;
    uint32_t layer_ = 0;
    Point pen_;
    uint32_t line_ = 0;                  // the line style of new segments, 1-based; 0 none
    std::optional<uint32_t> fill_;       // the open fill's style, 1-based
    Point fillStart_;                    // where the open fill's current outline began
    std::vector<Edge> fillEdges_;        // the open fill's outline
    std::vector<ShapePath> fillStrokes_; // lines drawn while the fill is open
    std::optional<ShapePath> stroke_;    // the line being drawn
    size_t edges_ = 0;
    mutable std::optional<Shape> shape_;  // committed plus what is open, made when asked
};

}  // namespace swf
