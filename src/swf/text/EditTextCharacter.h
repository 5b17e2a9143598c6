#pragma once
// A text field definition (DefineEditText): every field of the tag as stored. The text a
// field shows at run time lives in its TextField instance.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "swf/geom/Geometry.h"
#include "swf/movie/Character.h"
#include "swf/text/TextLayout.h"

namespace swf {

class Dictionary;

struct EditTextLayout {
    TextAlign align = TextAlign::Left;
    uint16_t leftMargin = 0;  // twips
    uint16_t rightMargin = 0;
    int16_t indent = 0;  // signed, although the format documents it as unsigned
    int16_t leading = 0;
};

class EditTextCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::EditText;

    // The body of DefineEditText (37), starting with the id; null when cut off before the
    // variable name.
    static std::shared_ptr<EditTextCharacter> parse(std::span<const uint8_t> body);

    // Applies a CSMTextSettings (74) body to the field or static text it names; false when it
    // names neither.
    static bool applyTextSettings(std::span<const uint8_t> body, Dictionary& dictionary);

    explicit EditTextCharacter(uint16_t id) : Character(id, kKind) {}
    // The definition of a field a script makes: `bounds` in twips, no text, a dynamic field
    // in the default font.
    static std::shared_ptr<EditTextCharacter> forScript(Rect bounds);

    Rect bounds;
    bool madeByScript = false;
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = false;
    bool autoSize = false;
    bool noSelect = false;
    bool border = false;
    bool wasStatic = false;
    bool html = false;
    bool useOutlines = false;
    std::optional<uint16_t> fontId;
    std::optional<std::string> fontClass;
    uint16_t fontHeight = 0;  // twips; present with a font or font class
    std::optional<Rgba> textColor;
    std::optional<uint16_t> maxLength;
    std::optional<EditTextLayout> layout;
    std::string variableName;
    std::optional<std::string> initialText;  // as stored: UTF-8 (or 8-bit), HTML when `html`
    // From CSMTextSettings, where the movie has one for the field.
    bool advancedAntiAlias = false;
    std::string gridFitType = "pixel";  // "none", "pixel" or "subpixel"
    double thickness = 0;
    double sharpness = 0;
};

}  // namespace swf
