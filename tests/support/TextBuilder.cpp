#include "support/TextBuilder.h"

#include <algorithm>
#include <stdexcept>

#include "support/BitWriter.h"

namespace swftest {

TextBuilder& TextBuilder::setBounds(const Rect& bounds) {
    bounds_ = bounds;
    return *this;
}

TextBuilder& TextBuilder::setMatrix(const Matrix& matrix) {
    matrix_ = matrix;
    return *this;
}

TextBuilder& TextBuilder::add(TextRecord record) {
    if (record.glyphs.size() > 255)
        throw std::invalid_argument("a text record holds at most 255 glyphs");
    records_.push_back(std::move(record));
    return *this;
}

std::vector<uint8_t> TextBuilder::defineTextBody(uint16_t id, int textVersion) const {
    if (textVersion != 1 && textVersion != 2)
        throw std::invalid_argument("DefineText version must be 1 or 2");
    int glyphBits = 0;
    int advanceBits = 0;
    for (const TextRecord& record : records_) {
        for (const TextGlyph& glyph : record.glyphs) {
            glyphBits = std::max(glyphBits, BitWriter::unsignedBits(glyph.index));
            advanceBits = std::max(advanceBits, BitWriter::signedBits(glyph.advance));
        }
    }

    BitWriter body;
    body.u16(id);
    bounds_.write(body);
    matrix_.write(body);
    body.u8(static_cast<uint8_t>(glyphBits)).u8(static_cast<uint8_t>(advanceBits));
    for (const TextRecord& record : records_) {
        body.ub(1, 1).ub(0, 3).flag(record.fontId.has_value()).flag(record.color.has_value());
        body.flag(record.y.has_value()).flag(record.x.has_value());
        if (record.fontId) body.u16(*record.fontId);
        if (record.color) record.color->write(body, textVersion == 2);
        if (record.x) body.s16(*record.x);
        if (record.y) body.s16(*record.y);
        if (record.fontId) body.u16(record.height);
        body.u8(static_cast<uint8_t>(record.glyphs.size()));
        for (const TextGlyph& glyph : record.glyphs)
            body.ub(glyph.index, glyphBits).sb(glyph.advance, advanceBits);
        body.align();
    }
    body.u8(0);  // end of records
    return body.bytes();
}

}  // namespace swftest
