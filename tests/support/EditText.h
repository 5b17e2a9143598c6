#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/Rect.h"
#include "support/Rgba.h"

namespace swftest {

enum class TextAlign : uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

// The fields of a DefineEditText tag. Optional fields that are set are written with their
// flag; setting `align` writes the layout block (align, margins, indent, leading).
//   writer.defineEditText(3, {.bounds = Rect::fromPixels(0, 0, 200, 30), .text = "Hello",
//                             .fontId = 2, .fontHeight = px(18), .color = Rgba{0, 0, 0}});
struct EditText {
    Rect bounds = {};
    std::optional<std::string> text = std::nullopt;  // initial text
    std::optional<uint16_t> fontId = std::nullopt;   // none: the player's default font
    uint16_t fontHeight = 240;                       // twips, written with the font
    std::optional<Rgba> color = std::nullopt;
    std::optional<uint16_t> maxLength = std::nullopt;
    std::optional<TextAlign> align = std::nullopt;
    uint16_t leftMargin = 0;
    uint16_t rightMargin = 0;
    uint16_t indent = 0;
    int16_t leading = 0;
    std::string variableName = {};
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = true;
    bool autoSize = false;
    bool noSelect = false;
    bool border = false;
    bool wasStatic = false;
    bool html = false;
    bool useOutlines = false;

    std::vector<uint8_t> defineEditTextBody(uint16_t id) const;
};

}  // namespace swftest
