#pragma once
// Reads DefineMorphShape (version 1) and DefineMorphShape2 (version 2) bodies.

#include <memory>

#include "swf/format/BitReader.h"
#include "swf/movie/MorphShapeCharacter.h"

namespace swf {

class MorphShapeParser {
  public:
    // The whole tag body, starting with the character id. Returns null when nothing usable
    // can be read; a fault part-way keeps the records read before it.
    static std::shared_ptr<MorphShapeCharacter> parse(std::span<const uint8_t> body, int version);

    // Pairs the start records with the end records. The end edges' style-change records carry
    // only moves; where one side is straight and the other curved, the straight edge becomes
    // a curve with its control point at its middle. Missing end edges collapse to the end pen.
    static std::vector<MorphRecord> pairRecords(const std::vector<ShapeRecord>& start,
                                                const std::vector<ShapeRecord>& end);

  private:
    static void readFillPair(BitReader& in, FillStyle& start, FillStyle& end);
    static void readLinePair(BitReader& in, int version, LineStyle& start, LineStyle& end);
};

}  // namespace swf
