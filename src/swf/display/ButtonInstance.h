#pragma once
// An instance of a button. With no pointer over it, it shows its up state: the records
// flagged for it, each at its own depth with its own matrix and colour transform.

#include "swf/character/ButtonCharacter.h"
#include "swf/display/DisplayList.h"
#include "swf/display/DisplayObject.h"

namespace swf {

class ButtonInstance : public DisplayObject {
  public:
    ButtonInstance(MovieContext& context, std::shared_ptr<const ButtonCharacter> button,
                   int nesting);

    DisplayList* children() override { return &state_; }
    bool isButton() const override { return true; }

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    std::shared_ptr<const ButtonCharacter> button_;
    DisplayList state_;
};

}  // namespace swf
