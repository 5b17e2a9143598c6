#pragma once
// An instance of a text field (DefineEditText): each instance has its own text, which
// starts as the definition's and which scripts may change.

#include "swf/display/DisplayObject.h"
#include "swf/text/TextField.h"

namespace swf {

class EditTextInstance : public DisplayObject {
  public:
    EditTextInstance(MovieContext& context, std::shared_ptr<const EditTextCharacter> field);

    TextField& field() { return field_; }
    bool isEditText() const override { return true; }

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    TextField field_;
};

}  // namespace swf
