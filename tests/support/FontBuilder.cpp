#include "support/FontBuilder.h"

#include <stdexcept>

#include "support/BitWriter.h"

namespace swftest {

FontBuilder& FontBuilder::name(std::string_view fontName) {
    if (fontName.size() > 255) throw std::invalid_argument("font names hold at most 255 bytes");
    name_ = fontName;
    return *this;
}

FontBuilder& FontBuilder::bold(bool value) {
    bold_ = value;
    return *this;
}

FontBuilder& FontBuilder::italic(bool value) {
    italic_ = value;
    return *this;
}

FontBuilder& FontBuilder::smallText(bool value) {
    smallText_ = value;
    return *this;
}

FontBuilder& FontBuilder::layout(uint16_t ascent, uint16_t descent, int16_t leading) {
    layout_ = Layout{ascent, descent, leading};
    return *this;
}

int FontBuilder::addGlyph(uint16_t code, ShapeBuilder shape, int16_t advance) {
    if (glyphs_.size() >= 0xFFFF) throw std::invalid_argument("too many glyphs");
    glyphs_.push_back(Glyph{code, std::move(shape), advance});
    return static_cast<int>(glyphs_.size()) - 1;
}

std::vector<std::vector<uint8_t>> FontBuilder::encodedGlyphs() const {
    std::vector<std::vector<uint8_t>> shapes;
    for (const Glyph& glyph : glyphs_) shapes.push_back(glyph.shape.encodeShape(1, 0));
    return shapes;
}

std::vector<uint8_t> FontBuilder::defineFontBody(uint16_t id) const {
    const auto shapes = encodedGlyphs();
    BitWriter table;
    size_t offset = 2 * shapes.size();
    for (const auto& shape : shapes) {
        if (offset > 0xFFFF)
            throw std::invalid_argument("glyph shapes too large for DefineFont's 16-bit offsets");
        table.u16(static_cast<uint16_t>(offset));
        offset += shape.size();
    }
    for (const auto& shape : shapes) table.raw(shape);
    BitWriter body;
    body.u16(id).raw(table.bytes());
    return body.bytes();
}

std::vector<uint8_t> FontBuilder::defineFont2Body(uint16_t id, int fontVersion) const {
    if (fontVersion != 2 && fontVersion != 3)
        throw std::invalid_argument("DefineFont2 body version must be 2 or 3");
    const auto shapes = encodedGlyphs();
    size_t shapeBytes = 0;
    for (const auto& shape : shapes) shapeBytes += shape.size();
    // Offsets count from the start of the offset table, which ends with the code table offset.
    const bool wideOffsets = 2 * (shapes.size() + 1) + shapeBytes > 0xFFFF;
    const size_t offsetSize = wideOffsets ? 4 : 2;
    auto writeOffset = [&](BitWriter& out, size_t offset) {
        if (wideOffsets)
            out.u32(static_cast<uint32_t>(offset));
        else
            out.u16(static_cast<uint16_t>(offset));
    };

    BitWriter body;
    body.u16(id);
    body.flag(layout_.has_value())
        .flag(false)  // ShiftJIS
        .flag(smallText_)
        .flag(false)  // ANSI
        .flag(wideOffsets)
        .flag(true)  // wide codes
        .flag(italic_)
        .flag(bold_);
    body.u8(0);  // language code
    body.u8(static_cast<uint8_t>(name_.size()));
    body.raw(std::span(reinterpret_cast<const uint8_t*>(name_.data()), name_.size()));
    body.u16(static_cast<uint16_t>(shapes.size()));
    size_t offset = offsetSize * (shapes.size() + 1);
    for (const auto& shape : shapes) {
        writeOffset(body, offset);
        offset += shape.size();
    }
    writeOffset(body, offset);  // code table
    for (const auto& shape : shapes) body.raw(shape);
    for (const Glyph& glyph : glyphs_) body.u16(glyph.code);
    if (layout_) {
        body.u16(layout_->ascent).u16(layout_->descent).s16(layout_->leading);
        for (const Glyph& glyph : glyphs_) body.s16(glyph.advance);
        for (const Glyph& glyph : glyphs_) glyph.shape.edgeBounds().write(body);
        body.u16(0);  // no kerning records
    }
    return body.bytes();
}

}  // namespace swftest
