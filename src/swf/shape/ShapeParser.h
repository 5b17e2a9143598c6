#pragma once
// Reads the shape records of the format into the engine's Shape model: DefineShape 1 to 4
// (SHAPEWITHSTYLE, styles flattened across "new styles" records) and plain SHAPE records
// (font glyphs, morph-shape edges) that carry no style arrays of their own.
//
// Positions stay in the units of the data: twips for shapes, em units for glyphs.

#include <cstdint>
#include <vector>

#include "swf/format/BitReader.h"
#include "swf/shape/Shape.h"

namespace swf {

// One record of an edge list with its position made absolute. A style change starts a new
// run of edges; it may move the pen and select flattened style indices (1-based, 0 = none).
struct ShapeRecord {
    enum class Type : uint8_t { StyleChange, Edge };
    Type type = Type::Edge;
    // StyleChange
    bool moves = false;
    Point moveTo;
    bool setsFill0 = false, setsFill1 = false, setsLine = false;
    bool newStyles = false;  // starts a style layer
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    // Edge
    Edge edge;
};

class ShapeParser {
  public:
    // Guards against hostile data: the most records one shape may hold and the most styles
    // its flattened arrays may hold.
    static constexpr size_t kMaxRecords = 1u << 20;
    static constexpr size_t kMaxStyles = 1u << 18;

    // The body of DefineShape (version 1), DefineShape2 (2), DefineShape3 (3) or DefineShape4 (4)
    // after the character id. Returns false when the data is malformed; `out` then holds
    // what was read before the fault.
    static bool parseDefineShape(BitReader& in, int version, Shape& out);

    // SHAPEWITHSTYLE: style arrays, then records; version as above (3 and 4 read RGBA colours,
    // 4 reads LINESTYLE2).
    static bool parseShapeWithStyle(BitReader& in, int version, Shape& out);

    // SHAPE as fonts store glyphs: fill style 1 is implied for the outline, so `out` gets one
    // solid opaque black fill (the text code sets the colour it needs), no line styles, and
    // bounds computed from the edges.
    static bool parseGlyph(BitReader& in, Shape& out);

    // Records only, with the number of index bits already read. Style-change records
    // refer to indices offset by the sizes the arrays had before; new style arrays (version 2
    // and later) are appended to `fills` and `lines`. Returns false when the data is malformed.
    static bool readRecords(BitReader& in, int version, unsigned fillBits, unsigned lineBits,
                            std::vector<FillStyle>& fills, std::vector<LineStyle>& lines,
                            std::vector<ShapeRecord>& records);

    // Pieces shared with the morph-shape reader.
    static FillStyle readFillStyle(BitReader& in, int version);
    static LineStyle readLineStyle(BitReader& in, int version);
    static Gradient readGradient(BitReader& in, int version, bool focal);
    static void applyBitmapFillType(uint8_t type, FillStyle& fill);

    // Turns records into paths: a new path at every style change; edges keep the styles in
    // force where they are drawn, and the layer of the style arrays in force.
    static void buildPaths(const std::vector<ShapeRecord>& records, Shape& out);
    // The box around every edge point (control points included), in the records' units.
    static Rect edgeBounds(const Shape& shape);

  private:
    static bool readStyleArrays(BitReader& in, int version, std::vector<FillStyle>& fills,
                                std::vector<LineStyle>& lines);
};

}  // namespace swf
