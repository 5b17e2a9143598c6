#include "swf/text/EditTextCharacter.h"

#include <cmath>

#include "swf/format/BitReader.h"
#include "swf/movie/Dictionary.h"
#include "swf/text/TextCharacter.h"
#include "swf/text/TextField.h"

namespace swf {

std::shared_ptr<EditTextCharacter> EditTextCharacter::parse(std::span<const uint8_t> body) {
    BitReader in(body);
    auto field = std::make_shared<EditTextCharacter>(in.u16());
    field->bounds = in.rect();
    const uint8_t flags = in.u8();
    const uint8_t moreFlags = in.u8();
    const bool hasText = flags & 0x80;
    field->wordWrap = flags & 0x40;
    field->multiline = flags & 0x20;
    field->password = flags & 0x10;
    field->readOnly = flags & 0x08;
    const bool hasTextColor = flags & 0x04;
    const bool hasMaxLength = flags & 0x02;
    const bool hasFont = flags & 0x01;
    const bool hasFontClass = moreFlags & 0x80;
    field->autoSize = moreFlags & 0x40;
    const bool hasLayout = moreFlags & 0x20;
    field->noSelect = moreFlags & 0x10;
    field->border = moreFlags & 0x08;
    field->wasStatic = moreFlags & 0x04;
    field->html = moreFlags & 0x02;
    field->useOutlines = moreFlags & 0x01;

    if (hasFont) field->fontId = in.u16();
    if (hasFontClass) field->fontClass = in.cString();
    if (hasFont || hasFontClass) field->fontHeight = in.u16();
    if (hasTextColor) field->textColor = in.rgba();
    if (hasMaxLength) field->maxLength = in.u16();
    if (hasLayout) {
        EditTextLayout layout;
        const uint8_t align = in.u8();
        layout.align = align <= 3 ? static_cast<TextAlign>(align) : TextAlign::Left;
        layout.leftMargin = in.u16();
        layout.rightMargin = in.u16();
        layout.indent = in.s16();
        layout.leading = in.s16();
        field->layout = layout;
    }
    field->variableName = in.cString();
    if (in.overrun()) return nullptr;
    // A cut-off initial text keeps what is there.
    if (hasText) field->initialText = in.cString();
    return field;
}

bool EditTextCharacter::applyTextSettings(std::span<const uint8_t> body, Dictionary& dictionary) {
    BitReader in(body);
    const uint16_t id = in.u16();
    const uint8_t flags = in.u8();
    const float thickness = in.f32();
    const float sharpness = in.f32();
    std::shared_ptr<Character> character = dictionary.share(id);
    if (in.overrun() || !character) return false;
    // UseFlashType in the top two bits, GridFit in the next three.
    const bool advanced = (flags >> 6) == 1;
    if (character->kind() == TextCharacter::kKind) {
        static_cast<TextCharacter*>(character.get())->setAdvancedAntiAlias(advanced);
        return true;
    }
    if (character->kind() != kKind) return false;
    auto* field = static_cast<EditTextCharacter*>(character.get());
    field->advancedAntiAlias = advanced;
    static const char* const kGridFits[] = {"none", "pixel", "subpixel"};
    const unsigned gridFit = (flags >> 3) & 0x07;
    field->gridFitType = gridFit < 3 ? kGridFits[gridFit] : "pixel";
    field->thickness = std::isfinite(thickness) ? thickness : 0;
    field->sharpness = std::isfinite(sharpness) ? sharpness : 0;
    return true;
}

std::shared_ptr<EditTextCharacter> EditTextCharacter::forScript(Rect bounds) {
    auto definition = std::make_shared<EditTextCharacter>(0);
    definition->bounds = bounds;
    definition->madeByScript = true;
    definition->readOnly = true;
    definition->fontHeight = TextField::kDefaultFontHeight;
    return definition;
}

}  // namespace swf
