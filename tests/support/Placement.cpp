#include "support/Placement.h"

#include "support/BitWriter.h"

namespace swftest {

void Placement::write(BitWriter& out, int placeVersion, int swfVersion) const {
    out.flag(!clipActions.empty())
        .flag(clipDepth.has_value())
        .flag(name.has_value())
        .flag(ratio.has_value())
        .flag(colorTransform.has_value())
        .flag(matrix.has_value())
        .flag(character.has_value())
        .flag(move);
    if (placeVersion >= 3) {
        out.flag(false)
            .flag(opaqueBackground.has_value())
            .ub(0, 3)
            .flag(cacheAsBitmap.has_value())
            .flag(blendMode.has_value())
            .flag(!filters.empty());
    }
    out.u16(depth);
    if (character) out.u16(*character);
    if (matrix) matrix->write(out);
    if (colorTransform) colorTransform->writeWithAlpha(out);
    if (ratio) out.u16(*ratio);
    if (name) out.string(*name);
    if (clipDepth) out.u16(*clipDepth);
    if (placeVersion >= 3) {
        for (uint8_t byte : filters) out.u8(byte);
        if (blendMode) out.u8(*blendMode);
        if (cacheAsBitmap) out.u8(*cacheAsBitmap ? 1 : 0);
        if (opaqueBackground) opaqueBackground->write(out, true);
    }
    if (!clipActions.empty()) ClipAction::writeList(out, clipActions, swfVersion);
}

}  // namespace swftest
