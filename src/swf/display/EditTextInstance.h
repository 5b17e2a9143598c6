#pragma once
// An instance of a text field (DefineEditText): each instance has its own text and settings,
// which start as the definition's and which scripts may change.

#include <string>

#include "swf/display/DisplayObject.h"
#include "swf/input/InputEvent.h"
#include "swf/text/TextField.h"

namespace swf {

class EditTextInstance : public DisplayObject {
  public:
    EditTextInstance(MovieContext& context, std::shared_ptr<const EditTextCharacter> field);

    TextField& field() { return field_; }
    const TextField& field() const { return field_; }
    // The movie's dictionary, where the field's fonts are.
    const Dictionary& dictionary() const;
    bool isEditText() const override { return true; }
    // The field's box, grown to its text when it sizes itself.
    Rect localBounds() const override;
    // Where the field's box starts from its origin, in its parent's space (twips): its _x and
    // _y are the box's corner (two pixels left of and above the origin for a field with the
    // authoring tool's gutter; none for a field a script made). A field that sizes itself
    // about its centre or right edge moves its box while its matrix (which a duplicate
    // copies) stays.
    Point boxOffset() const override;
    // What the bound variable held when the field last looked, in the script side's terms:
    // the field changes only when the variable does.
    const std::string& boundValueKey() const { return boundValueKey_; }
    void setBoundValueKey(std::string key) { boundValueKey_ = std::move(key); }
    // The selected characters, which replaceSel replaces: none, before the first, until the
    // field takes the focus.
    size_t selectionBegin() const { return selectionBegin_; }
    size_t selectionEnd() const { return selectionEnd_; }
    void select(size_t begin, size_t end) {
        selectionBegin_ = begin;
        selectionEnd_ = end;
    }
    // Text typed or pasted while the field has the focus replaces the selection, where the
    // field is editable: its `restrict` pattern filters the characters, line breaks come in
    // only in multiline fields, other control characters not at all, and maxChars cuts what
    // does not fit. The caret follows the text. True when the text changed.
    bool typeText(std::u32string_view text);
    // An editing command other than the clipboard's; true when the text changed.
    bool edit(InputEvent::TextControl control);
    std::u32string selectedText() const;
    // Makes the field input or dynamic. A field a script made keeps the type in its
    // definition, so its duplicates start with it.
    void setEditable(bool editable);
    // Whether the field has the keyboard focus: an editable one then shows its caret.
    void setFocused(bool focused) { focused_ = focused; }

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    TextField field_;
    std::string boundValueKey_;
    size_t selectionBegin_ = 0;
    size_t selectionEnd_ = 0;
    bool focused_ = false;
};

}  // namespace swf
