#pragma once
// An instance of a character that draws itself (static and edit text).

#include "swf/character/DrawableCharacter.h"
#include "swf/display/DisplayObject.h"

namespace swf {

class DrawableInstance : public DisplayObject {
public:
    DrawableInstance(MovieContext& context, std::shared_ptr<const DrawableCharacter> drawable);

protected:
    void draw(RenderContext& context, const Matrix& toPixels, const ColorTransform& cxform) const override;

private:
    std::shared_ptr<const DrawableCharacter> drawable_;
};

}  // namespace swf
