#pragma once
// A character that draws itself (static text, edit text and other kinds whose drawing lives
// with their definition). Its display object calls draw with the composed transforms.

#include "swf/character/Character.h"
#include "swf/display/RenderContext.h"
#include "swf/geom/Geometry.h"

namespace swf {

class DrawableCharacter : public Character {
public:
    using Character::Character;

    // `toPixels` maps the character's twips to surface pixels; `cxform` is the composed
    // colour transform.
    virtual void draw(RenderContext& context, const Matrix& toPixels, const ColorTransform& cxform) const = 0;
};

}  // namespace swf
