#include "support/EditText.h"

#include "support/BitWriter.h"

namespace swftest {

std::vector<uint8_t> EditText::defineEditTextBody(uint16_t id) const {
    BitWriter body;
    body.u16(id);
    bounds.write(body);
    body.flag(text.has_value())
        .flag(wordWrap)
        .flag(multiline)
        .flag(password)
        .flag(readOnly)
        .flag(color.has_value())
        .flag(maxLength.has_value())
        .flag(fontId.has_value());
    body.flag(false)  // font class
        .flag(autoSize)
        .flag(align.has_value())
        .flag(noSelect)
        .flag(border)
        .flag(wasStatic)
        .flag(html)
        .flag(useOutlines);
    if (fontId) body.u16(*fontId).u16(fontHeight);
    if (color) color->write(body, true);
    if (maxLength) body.u16(*maxLength);
    if (align) {
        body.u8(static_cast<uint8_t>(*align))
            .u16(leftMargin)
            .u16(rightMargin)
            .u16(indent)
            .s16(leading);
    }
    body.string(variableName);
    if (text) body.string(*text);
    return body.bytes();
}

}  // namespace swftest
