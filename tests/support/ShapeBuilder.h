#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "support/FillStyle.h"
#include "support/LineStyle.h"
#include "support/Rect.h"

namespace swftest {

class BitWriter;

// Builds the edges and styles of a shape, a glyph or one side of a morph shape.
//
// Coordinates are absolute twips in the shape's own space; the builder writes the
// deltas the format stores. Style selections and moves are collected into one
// style-change record, written before the next edge. Straight edges whose dx or dy
// is zero are written in the short horizontal/vertical form.
//
//   ShapeBuilder shape;
//   int red = shape.addFill(FillStyle::solid({255, 0, 0}));
//   int black = shape.addLine(LineStyle::solid(40, {0, 0, 0}));
//   shape.fill1(red).line(black).rectangle(0, 0, px(100), px(50));
//   writer.defineShape(1, shape, 3);
class ShapeBuilder {
  public:
    // Adds to the current style arrays and returns the 1-based index to select it with.
    int addFill(FillStyle style);
    int addLine(LineStyle style);
    // Starts new style arrays (DefineShape2 and later), written in a style-change record of
    // their own; later addFill/addLine calls fill the new arrays and indices restart at 1,
    // so select styles again after this.
    ShapeBuilder& newStyles();

    // Style selection for the following edges; 0 selects no style. fill0 is the fill on the
    // left of each edge (in its drawing direction, on screen), fill1 the fill on its right.
    ShapeBuilder& fill0(int index);
    ShapeBuilder& fill1(int index);
    ShapeBuilder& line(int index);

    ShapeBuilder& moveTo(int32_t x, int32_t y);
    ShapeBuilder& lineTo(int32_t x, int32_t y);
    ShapeBuilder& curveTo(int32_t controlX, int32_t controlY, int32_t anchorX, int32_t anchorY);

    // Closed outlines, each starting with a move and drawn with the current styles. They
    // run clockwise on screen, so their inside is on the right of every edge: fill1.
    // The rectangle starts at its top-left corner.
    ShapeBuilder& rectangle(int32_t x, int32_t y, int32_t width, int32_t height);
    // Straight sides and quarter-curve corners of the given radius (at most half a side).
    ShapeBuilder& roundedRectangle(int32_t x, int32_t y, int32_t width, int32_t height,
                                   int32_t radius);
    // Eight quadratic curves, starting at the rightmost point.
    ShapeBuilder& ellipse(int32_t centerX, int32_t centerY, int32_t radiusX, int32_t radiusY);

    // Bounds written in DefineShape: computed from the edges (curve extremes included),
    // shape bounds widened by half the widest line. Set them to write other values.
    ShapeBuilder& setBounds(const Rect& shapeBounds);
    ShapeBuilder& setEdgeBounds(const Rect& edgeBounds);
    Rect bounds() const;
    Rect edgeBounds() const;
    // DefineShape4's UsesFillWindingRule flag (non-zero winding instead of even-odd).
    ShapeBuilder& setFillWindingRule(bool nonZero);

    // SHAPEWITHSTYLE for DefineShape `shapeVersion` (1..4).
    std::vector<uint8_t> encodeWithStyles(int shapeVersion) const;
    // SHAPE (bit counts, records, end record) with the given index widths: glyphs use one
    // fill bit and no line bits, morph shapes the widths of their own style arrays.
    std::vector<uint8_t> encodeShape(int fillBits, int lineBits, int shapeVersion = 1) const;
    // The whole body of a DefineShape tag (id, bounds, shape with styles).
    std::vector<uint8_t> defineShapeBody(uint16_t id, int shapeVersion) const;

  private:
    struct StyleArrays {
        std::vector<FillStyle> fills;
        std::vector<LineStyle> lines;
    };
    struct StyleChange {
        std::optional<std::pair<int32_t, int32_t>> moveTo;
        std::optional<int> fill0;
        std::optional<int> fill1;
        std::optional<int> line;
        std::optional<size_t> newStyles;  // index into styleArrays_
    };
    struct StraightEdge {
        int32_t dx;
        int32_t dy;
    };
    struct CurvedEdge {
        int32_t controlDx;
        int32_t controlDy;
        int32_t anchorDx;
        int32_t anchorDy;
    };
    using Record = std::variant<StyleChange, StraightEdge, CurvedEdge>;

    StyleChange& pendingChange();
    void addEdge(Record edge, int32_t endX, int32_t endY);
    void includeInBounds(int32_t x, int32_t y);
    static void writeStyleArrays(BitWriter& out, const StyleArrays& styles, int shapeVersion);
    void writeRecords(BitWriter& out, int fillBits, int lineBits, int shapeVersion) const;

    std::vector<StyleArrays> styleArrays_{1};
    std::vector<Record> records_;
    std::optional<StyleChange> pending_;
    int32_t penX_ = 0;
    int32_t penY_ = 0;
    std::optional<Rect> computedEdgeBounds_;
    std::optional<Rect> shapeBoundsOverride_;
    std::optional<Rect> edgeBoundsOverride_;
    bool fillWindingNonZero_ = false;
};

}  // namespace swftest
