#include "swf/display/DisplayObject.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/display/ObjectLayer.h"

namespace swf {

DisplayObject::DisplayObject(MovieContext& context, std::shared_ptr<const Character> character)
    : context_(context), character_(std::move(character)), bornTick_(context.tick()) {
    if (character_) scalingGrid_ = character_->scalingGrid();
    context_.addObject();
}

DisplayObject::~DisplayObject() {
    context_.releaseObject();
}

void DisplayObject::detach() {
    bool wasPlaced = parent_ != nullptr;
    if (wasPlaced) context_.objectRemoved(*this);
    parent_ = nullptr;
    removed_ = true;
}

void DisplayObject::setName(std::string name) {
    if (name == name_) return;
    const std::string previous = std::exchange(name_, std::move(name));
    if (holdingList_) holdingList_->renamed(*this, previous);
}

bool DisplayObject::takesNumber(bool named) {
    // ActionScript 3 numbers every such object it makes, named or not.
    return (asMovieClip() || isButton() || isEditText()) &&
           (!named || context_.movie().actionScript3);
}

void DisplayObject::takeDefaultName() {
    if (!takesNumber(!name_.empty())) return;
    int number = context_.nextInstanceNumber();
    if (name_.empty()) setName("instance" + std::to_string(number));
}

void DisplayObject::spendDefaultNumber(bool named) {
    if (takesNumber(named)) context_.nextInstanceNumber();
}

bool DisplayObject::startUnload() {
    return parent_ && context_.startUnload(*this);
}

bool DisplayObject::onStage() const {
    const DisplayObject* object = this;
    while (object->parent_) {
        if (object->removed_) return false;
        object = object->parent_;
    }
    return !object->removed_ && context_.isLevelRoot(object);
}

namespace {

// A rectangle over `r` filled opaque with `color`: an opaque background.
Shape backgroundShape(const Rect& r, Rgba color) {
    Shape shape;
    FillStyle fill;
    fill.color = {color.r, color.g, color.b, 255};
    shape.fills.push_back(fill);
    shape.bounds = r;
    ShapePath path;
    path.fill1 = 1;
    Point corners[] = {{double(r.xMin), double(r.yMin)},
                       {double(r.xMax), double(r.yMin)},
                       {double(r.xMax), double(r.yMax)},
                       {double(r.xMin), double(r.yMax)}};
    for (int i = 0; i < 4; ++i) path.edges.push_back({corners[i], {}, corners[(i + 1) % 4], false});
    shape.paths.push_back(std::move(path));
    return shape;
}

}  // namespace

namespace {

// Twips, clamped to what a Rect holds.
int32_t toTwips(double pixels) {
    if (!std::isfinite(pixels)) return 0;
    return static_cast<int32_t>(std::clamp(pixels * kTwipsPerPixel, -1e9, 1e9));
}

}  // namespace

Rect scrollBox(const DisplayObject::ScrollRect& r, double x, double y) {
    double w = std::max(r.width, 0.0), h = std::max(r.height, 0.0);
    return Rect{toTwips(x), toTwips(x + w), toTwips(y), toTwips(y + h)};
}

DisplayObject* DisplayObject::scriptMask() const {
    auto mask = scriptMask_.lock();
    return mask && !mask->removed() ? mask.get() : nullptr;
}

void DisplayObject::setScriptMask(DisplayObject* mask) {
    if (auto old = scriptMask_.lock(); old && old->masking_.lock().get() == this)
        old->masking_.reset();
    scriptMask_.reset();
    if (!mask) return;
    if (auto masked = masking_.lock(); masked && masked->scriptMask_.lock().get() == this)
        masked->scriptMask_.reset();
    masking_.reset();
    scriptMask_ = mask->weak_from_this();
    mask->masking_ = weak_from_this();
    // A timeline mask that a script pairs, as mask or as masked, no longer masks the layers
    // above it.
    clipDepth_ = 0;
    mask->clipDepth_ = 0;
}

DisplayObject* DisplayObject::scriptMasked() const {
    auto masked = masking_.lock();
    return masked && masked->scriptMask() == this && !masked->removed() ? masked.get() : nullptr;
}

namespace {

// The matrix from the space of `object` (null: the root's) to that of its root, or nothing
// for an object too deep to be real.
std::optional<Matrix> spaceToRoot(const DisplayObject* object) {
    Matrix m;
    int steps = 0;
    for (const DisplayObject* o = object; o && o->parent(); o = o->parent()) {
        if (++steps > MovieContext::kMaxNesting + 2) return std::nullopt;
        m = o->matrix() * m;
    }
    return m;
}

}  // namespace

Rect DisplayObject::localBounds() const {
    return kNoBounds;
}

std::optional<ScalingGrid> DisplayObject::slicing(const RenderContext& context,
                                                  const Matrix& toPixels) const {
    if (!scalingGrid_) return std::nullopt;
    // At the object's own size a twip takes the view's share of a pixel.
    return ScalingGrid::slice(*scalingGrid_, localBounds(), toPixels,
                              context.viewScaleX / kTwipsPerPixel,
                              context.viewScaleY / kTwipsPerPixel);
}

Rect DisplayObject::boundsInParent() const {
    if (scrollRect_) return transformBounds(scrollBox(*scrollRect_, 0, 0), matrix_);
    return transformBounds(localBounds(), matrix_);
}

Rect transformBounds(const Rect& r, const Matrix& m) {
    if (r.xMin > r.xMax) return r;
    Point corners[4] = {m.apply({double(r.xMin), double(r.yMin)}),
                        m.apply({double(r.xMax), double(r.yMin)}),
                        m.apply({double(r.xMin), double(r.yMax)}),
                        m.apply({double(r.xMax), double(r.yMax)})};
    double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const Point& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    auto clampTwips = [](double v) { return static_cast<int32_t>(std::clamp(v, -1e9, 1e9)); };
    return Rect{clampTwips(x0), clampTwips(x1), clampTwips(y0), clampTwips(y1)};
}

Rect unionBounds(const Rect& a, const Rect& b) {
    if (a.xMin > a.xMax) return b;
    if (b.xMin > b.xMax) return a;
    return Rect{std::min(a.xMin, b.xMin), std::max(a.xMax, b.xMax), std::min(a.yMin, b.yMin),
                std::max(a.yMax, b.yMax)};
}

void DisplayObject::applyPlacement(const PlaceObject& p, bool resetAbsent) {
    if ((p.matrix || resetAbsent) && !scriptMoved_) matrix_ = p.matrix.value_or(Matrix{});
    if ((p.colorTransform || resetAbsent) && !scriptMoved_)
        colorTransform_ = p.colorTransform.value_or(ColorTransform{});
    if (p.ratio || resetAbsent) ratio_ = p.ratio.value_or(0);
    if (p.name || resetAbsent) setName(p.name.value_or(std::string()));
    if (p.clipDepth || resetAbsent) clipDepth_ = p.clipDepth.value_or(0);
    if (p.visible || resetAbsent) visible_ = p.visible.value_or(true);
    if (p.blendMode || resetAbsent) blendMode_ = p.blendMode.value_or(0);
    if (p.cacheAsBitmap || resetAbsent) cacheAsBitmap_ = p.cacheAsBitmap.value_or(false);
    if (p.opaqueBackground || resetAbsent) opaqueBackground_ = p.opaqueBackground;
    if (p.filters || resetAbsent) filters_ = p.filters.value_or(std::vector<uint8_t>{});
}

void DisplayObject::takePlacementOf(const DisplayObject& other) {
    depth_ = other.depth_;
    matrix_ = other.matrix_;
    colorTransform_ = other.colorTransform_;
    ratio_ = other.ratio_;
    setName(other.name_);
    clipDepth_ = other.clipDepth_;
    visible_ = other.visible_;
    blendMode_ = other.blendMode_;
    cacheAsBitmap_ = other.cacheAsBitmap_;
    opaqueBackground_ = other.opaqueBackground_;
    filters_ = other.filters_;
    placedByTimeline_ = other.placedByTimeline_;
}

void DisplayObject::render(RenderContext& context, const Matrix& parentToPixels,
                           const ColorTransform& parentCxform) const {
    if (!visible_ && !context.maskPass) return;
    // A script's mask is drawn only into the mask of the object it masks.
    if (!context.maskPass && scriptMasked()) return;
    DisplayObject* mask = context.maskPass ? nullptr : scriptMask();
    for (const DisplayObject* o = this; o && mask; o = o->parent())
        if (o == mask) mask = nullptr;  // a mask holding the object does not count
    if (mask) {
        // The mask lies elsewhere in the tree: from this object's parent back to the root,
        // then down to the mask's parent.
        std::optional<Matrix> here = spaceToRoot(parent_), there = spaceToRoot(mask->parent());
        if (!here || !there) return;
        context.canvas.beginMask();
        context.maskPass = true;
        mask->render(context, parentToPixels * here->inverted() * *there, ColorTransform{});
        context.maskPass = false;
        context.canvas.endMask();
    }
    renderUnmasked(context, parentToPixels, parentCxform);
    if (mask) context.canvas.popMask();
}

void DisplayObject::renderUnmasked(RenderContext& context, const Matrix& parentToPixels,
                                   const ColorTransform& parentCxform) const {
    Matrix toPixels = parentToPixels * matrix_;
    ColorTransform cxform = parentCxform * colorTransform_;
    // Masks take outlines only: no layer for them.
    std::vector<SurfaceFilter> filters = context.maskPass ? std::vector<SurfaceFilter>{}
                                         : scriptFilters_ ? *scriptFilters_
                                                          : parseFilterList(filters_);
    // A cached bitmap, and a scrolled object, is drawn at whole pixels: the player moves the
    // object so that the top-left corner of its extent (its origin, when scrolled) lands on
    // the nearest pixel corner. Filters cache the object as a bitmap too.
    if (!context.maskPass && (cacheAsBitmap_ || scrollRect_ || !filters.empty())) {
        Rect extent = scrollRect_ ? Rect{0, 0, 0, 0} : localBounds();
        Point corner{toPixels.tx, toPixels.ty};
        if (extent.xMin <= extent.xMax) {
            corner = {INFINITY, INFINITY};
            for (int32_t x : {extent.xMin, extent.xMax}) {
                for (int32_t y : {extent.yMin, extent.yMax}) {
                    Point p = toPixels.apply({double(x), double(y)});
                    corner = {std::min(corner.x, p.x), std::min(corner.y, p.y)};
                }
            }
        }
        toPixels.tx += std::floor(corner.x + 0.5) - corner.x;
        toPixels.ty += std::floor(corner.y + 0.5) - corner.y;
    }
    // A scroll rectangle shows its part of the object at the origin, clipped to its size.
    Rect bounds = localBounds();
    bool clipped = false;
    if (scrollRect_) {
        const ScrollRect& r = *scrollRect_;
        if (!context.maskPass) {
            context.canvas.beginMask();
            context.canvas.drawShape(backgroundShape(scrollBox(r, 0, 0), {0, 0, 0, 255}), toPixels,
                                     ColorTransform{}, context.bitmaps);
            context.canvas.endMask();
            clipped = true;
        }
        toPixels = toPixels * Matrix::translate(-r.x * kTwipsPerPixel, -r.y * kTwipsPerPixel);
        bounds = scrollBox(r, r.x, r.y);
    }
    ObjectLayer layer(std::move(filters), context.maskPass ? 0 : blendMode_,
                      cacheAsBitmap_ && !context.maskPass);
    auto drawAll = [&](const ColorTransform& inner) {
        if (opaqueBackground_ && !context.maskPass && bounds.xMin <= bounds.xMax)
            context.canvas.drawShape(backgroundShape(bounds, *opaqueBackground_), toPixels, inner,
                                     context.bitmaps);
        draw(context, toPixels, inner);
    };
    if (!layer.needed())
        drawAll(cxform);
    else
        layer.render(context, bounds, toPixels, cxform, drawAll);
    if (clipped) context.canvas.popMask();
}

MovieClip* DisplayObject::nearestClip() {
    DisplayObject* o = this;
    for (int steps = 0; o && steps <= MovieContext::kMaxNesting; ++steps, o = o->parent())
        if (MovieClip* clip = o->asMovieClip()) return clip;
    return nullptr;
}

}  // namespace swf
