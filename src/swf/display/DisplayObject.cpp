#include "swf/display/DisplayObject.h"

#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf {

DisplayObject::DisplayObject(MovieContext& context, std::shared_ptr<const Character> character)
    : context_(context), character_(std::move(character)), bornTick_(context.tick()) {
    context_.addObject();
}

DisplayObject::~DisplayObject() {
    context_.releaseObject();
}

bool DisplayObject::onStage() const {
    const DisplayObject* object = this;
    while (object->parent_) {
        if (object->removed_) return false;
        object = object->parent_;
    }
    return !object->removed_ && object == context_.root();
}

void DisplayObject::applyPlacement(const PlaceObject& p, bool resetAbsent) {
    if (p.matrix || resetAbsent) matrix_ = p.matrix.value_or(Matrix{});
    if (p.colorTransform || resetAbsent)
        colorTransform_ = p.colorTransform.value_or(ColorTransform{});
    if (p.ratio || resetAbsent) ratio_ = p.ratio.value_or(0);
    if (p.name || resetAbsent) name_ = p.name.value_or(std::string());
    if (p.clipDepth || resetAbsent) clipDepth_ = p.clipDepth.value_or(0);
    if (p.visible || resetAbsent) visible_ = p.visible.value_or(true);
    if (p.blendMode || resetAbsent) blendMode_ = p.blendMode.value_or(0);
    if (p.cacheAsBitmap || resetAbsent) cacheAsBitmap_ = p.cacheAsBitmap.value_or(false);
    if (p.filters || resetAbsent) filters_ = p.filters.value_or(std::vector<uint8_t>{});
}

void DisplayObject::takePlacementOf(const DisplayObject& other) {
    depth_ = other.depth_;
    matrix_ = other.matrix_;
    colorTransform_ = other.colorTransform_;
    ratio_ = other.ratio_;
    name_ = other.name_;
    clipDepth_ = other.clipDepth_;
    visible_ = other.visible_;
    blendMode_ = other.blendMode_;
    cacheAsBitmap_ = other.cacheAsBitmap_;
    filters_ = other.filters_;
    placedByTimeline_ = other.placedByTimeline_;
}

void DisplayObject::render(RenderContext& context, const Matrix& parentToPixels,
                           const ColorTransform& parentCxform) const {
    if (!visible_ && !context.maskPass) return;
    draw(context, parentToPixels * matrix_, parentCxform * colorTransform_);
}

}  // namespace swf
