#pragma once
// A morph shape (DefineMorphShape 1 and 2): start and end edges paired record by record,
// with start and end styles; an instance shows the shape at its ratio.

#include <cstdint>
#include <vector>

#include "swf/movie/Character.h"
#include "swf/shape/Shape.h"
#include "swf/shape/ShapeParser.h"

namespace swf {

// A start record and its end partner: style changes carry both pen moves, edges both
// geometries (a straight edge paired with a curve is already a curve with a middle control).
struct MorphRecord {
    ShapeRecord start;
    ShapeRecord end;
};

struct MorphShapeData {
    Rect startBounds, endBounds;
    std::vector<FillStyle> startFills, endFills;  // same length, pair by pair
    std::vector<LineStyle> startLines, endLines;  // same length, pair by pair
    std::vector<MorphRecord> records;
};

class MorphShapeCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::MorphShape;

    MorphShapeCharacter(uint16_t id, MorphShapeData data);

    // The shape at `ratio` (0 = start, 65535 = end): every coordinate, colour, gradient ratio,
    // width and matrix term interpolated by ratio / 65535.
    Shape shapeAt(uint16_t ratio) const;
    const MorphShapeData& data() const { return data_; }

  private:
    MorphShapeData data_;
};

}  // namespace swf
