#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "support/FillStyle.h"
#include "support/LineStyle.h"
#include "support/ShapeBuilder.h"

namespace swftest {

// Builds DefineMorphShape (version 1) and DefineMorphShape2 (version 2) bodies.
//
// Each style is a start/end pair of the same type (gradients with the same number of stops).
// Draw the start edges with styles selected by the indices addFill/addLine return, and the
// end edges with the same edges in the same order, moves only:
//   MorphShapeBuilder morph;
//   int fill = morph.addFill(FillStyle::solid({255, 0, 0}), FillStyle::solid({0, 0, 255}));
//   morph.startEdges().fill1(fill).rectangle(0, 0, px(10), px(10));
//   morph.endEdges().rectangle(0, 0, px(40), px(20));
// The styles added to the two ShapeBuilders themselves are not written.
class MorphShapeBuilder {
  public:
    int addFill(FillStyle start, FillStyle end);
    int addLine(LineStyle start, LineStyle end);

    ShapeBuilder& startEdges() { return start_; }
    ShapeBuilder& endEdges() { return end_; }

    std::vector<uint8_t> defineMorphShapeBody(uint16_t id, int morphVersion) const;

  private:
    static void writeFill(BitWriter& out, const FillStyle& start, const FillStyle& end);
    static void writeLine(BitWriter& out, const LineStyle& start, const LineStyle& end,
                          int morphVersion);

    std::vector<std::pair<FillStyle, FillStyle>> fills_;
    std::vector<std::pair<LineStyle, LineStyle>> lines_;
    ShapeBuilder start_;
    ShapeBuilder end_;
};

}  // namespace swftest
