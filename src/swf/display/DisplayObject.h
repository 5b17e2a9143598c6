#pragma once
// An entry of a display list: an instance of a character with its own placement. Subclasses
// exist per character kind; containers (movie clips, buttons) hold their own display list.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/display/RenderContext.h"
#include "swf/geom/Geometry.h"
#include "swf/movie/Character.h"
#include "swf/movie/PlaceObject.h"
#include "swf/render/ScalingGrid.h"
#include "swf/render/SurfaceFilter.h"

namespace swf {

class ButtonInstance;
class DisplayList;
class MovieClip;
class MovieContext;
namespace avm1 {
class StageObject;
}
namespace avm2 {
class Object;
}

class DisplayObject : public std::enable_shared_from_this<DisplayObject> {
  public:
    DisplayObject(MovieContext& context, std::shared_ptr<const Character> character);
    virtual ~DisplayObject();
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    const Character* character() const { return character_.get(); }
    const std::shared_ptr<const Character>& sharedCharacter() const { return character_; }
    // The character id, or -1 for an object without a character (the main timeline).
    int characterId() const { return character_ ? character_->id() : -1; }

    int depth() const { return depth_; }
    void setDepth(int depth) { depth_ = depth; }
    const Matrix& matrix() const { return matrix_; }
    void setMatrix(const Matrix& m) { matrix_ = m; }
    const ColorTransform& colorTransform() const { return colorTransform_; }
    void setColorTransform(const ColorTransform& c) { colorTransform_ = c; }
    uint16_t ratio() const { return ratio_; }
    void setRatio(uint16_t ratio) { ratio_ = ratio; }
    const std::string& name() const { return name_; }
    // Tells the list holding the object, which finds its objects by name.
    void setName(std::string name);
    // Unnamed clips, buttons and text fields get the player's next default name ("instance1").
    void takeDefaultName();
    // Spends the number a fresh object of this kind, placed with or without a name, would take:
    // a timeline going back makes its placements anew and keeps the objects still standing.
    void spendDefaultNumber(bool named);
    uint16_t clipDepth() const { return clipDepth_; }
    bool visible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }
    uint8_t blendMode() const { return blendMode_; }
    bool cacheAsBitmap() const { return cacheAsBitmap_; }
    // The opaque colour filled over the object's bounds behind it, if any.
    const std::optional<Rgba>& opaqueBackground() const { return opaqueBackground_; }
    void setOpaqueBackground(std::optional<Rgba> color) { opaqueBackground_ = color; }
    // scrollRect: the part of the object's own space it shows, in pixels; that part's corner
    // sits at the object's origin, and it is all the object's extent.
    struct ScrollRect {
        double x = 0, y = 0, width = 0, height = 0;
    };
    const std::optional<ScrollRect>& scrollRect() const { return scrollRect_; }
    void setScrollRect(std::optional<ScrollRect> rect) { scrollRect_ = rect; }
    // The nine-slice grid (twips, the object's own space): its character's until a script
    // sets scale9Grid.
    const std::optional<Rect>& scalingGrid() const { return scalingGrid_; }
    void setScalingGrid(std::optional<Rect> grid) { scalingGrid_ = grid; }
    // setMask: the object whose fills limit this one's drawing (null for none, or once it
    // left the stage). A mask set so is drawn only as a mask. An object given a mask masks
    // nothing any more.
    DisplayObject* scriptMask() const;
    void setScriptMask(DisplayObject* mask);
    // The object on the stage this one is the script mask of, or null.
    DisplayObject* scriptMasked() const;
    const std::vector<uint8_t>& filters() const { return filters_; }
    // The filters a script gave the object; until it does, those of the placement.
    const std::optional<std::vector<SurfaceFilter>>& scriptFilters() const {
        return scriptFilters_;
    }
    void setScriptFilters(std::vector<SurfaceFilter> filters) {
        scriptFilters_ = std::move(filters);
    }

    bool placedByTimeline() const { return placedByTimeline_; }
    void setPlacedByTimeline(bool placed) { placedByTimeline_ = placed; }
    // Made by a script (attachMovie, duplicateMovieClip, ...): a rewind never keeps it in the
    // timeline's depths.
    bool madeByScript() const { return madeByScript_; }
    void setMadeByScript() { madeByScript_ = true; }
    uint64_t bornTick() const { return bornTick_; }

    DisplayObject* parent() const { return parent_; }
    // The object itself when it is a clip, else the nearest clip holding it; null for none.
    MovieClip* nearestClip();
    // The display list the object stands in (set by the list itself), or null.
    void setHoldingList(DisplayList* list) { holdingList_ = list; }
    void attach(DisplayObject* parent) {
        parent_ = parent;
        removed_ = false;
    }
    // Called when the object leaves its display list: it is no longer on the stage and no
    // longer refers to its parent, which may go away before it.
    void detach();
    // True once the object has left its display list.
    bool removed() const { return removed_; }
    // True while the object and all its ancestors are in the tree under the main timeline.
    bool onStage() const;

    // Sets the fields the tag carries. With `resetAbsent`, fields it leaves out take their
    // defaults (a fresh placement or a rebuilt frame); otherwise they keep their values.
    void applyPlacement(const PlaceObject& place, bool resetAbsent);
    // Copies the placement of an object this one replaces at its depth.
    void takePlacementOf(const DisplayObject& other);

    // Draws the object under its parent's transforms (composed with its own).
    void render(RenderContext& context, const Matrix& parentToPixels,
                const ColorTransform& parentCxform) const;

    virtual DisplayList* children() { return nullptr; }
    virtual MovieClip* asMovieClip() { return nullptr; }
    virtual ButtonInstance* asButton() { return nullptr; }
    virtual bool isButton() const { return false; }
    virtual bool isEditText() const { return false; }
    virtual bool isVideo() const { return false; }

    // The object's own extent in twips, before its matrix; empty (xMin > xMax) when it has none.
    virtual Rect localBounds() const;
    // The extent in its parent's space (its scroll rectangle's, when it has one).
    Rect boundsInParent() const;
    // How far the object shows from where its matrix puts it, in its parent's space (twips):
    // scripts' x and y include it (a text field that sizes itself about its centre).
    virtual Point boxOffset() const { return Point{}; }

    // Its script object, once a script has asked for it. The script side refers back weakly.
    avm1::StageObject* scriptObject() const { return scriptObject_; }
    void setScriptObject(avm1::StageObject* object) { scriptObject_ = object; }
    // Its ActionScript 3 object, once made; that object holds the display object alive.
    avm2::Object* as3Object() const { return as3Object_; }
    void setAs3Object(avm2::Object* object) { as3Object_ = object; }
    // Once a script moves, scales, turns or recolours the object, the timeline no longer does.
    void setScriptMoved() { scriptMoved_ = true; }
    // Set once its unload event is queued, so that it never has two.
    bool unloadQueued() const { return unloadQueued_; }
    void setUnloadQueued() { unloadQueued_ = true; }
    // Queues the unload events of the object and everything in it, as it leaves its list.
    // True when one of them has handlers: it then stays, below the timeline's depths, until
    // the next frame.
    bool startUnload();
    // The onClipEvent handlers of its placement (owned by the movie's timeline), if any.
    const std::vector<ClipActionRecord>* clipActions() const { return clipActions_.get(); }
    const std::shared_ptr<const std::vector<ClipActionRecord>>& sharedClipActions() const {
        return clipActions_;
    }
    void setClipActions(std::shared_ptr<const std::vector<ClipActionRecord>> actions) {
        clipActions_ = std::move(actions);
    }
    bool scriptMoved() const { return scriptMoved_; }

  protected:
    // Swaps the definition a duplicate starts from.
    void setCharacter(std::shared_ptr<const Character> character) {
        character_ = std::move(character);
    }
    virtual void draw(RenderContext& context, const Matrix& toPixels,
                      const ColorTransform& cxform) const = 0;
    // How the shapes directly inside are sliced when drawn through `toPixels`; nothing when
    // they are drawn as usual.
    std::optional<ScalingGrid> slicing(const RenderContext& context, const Matrix& toPixels) const;
    // render, leaving out the object's script mask.
    void renderUnmasked(RenderContext& context, const Matrix& parentToPixels,
                        const ColorTransform& parentCxform) const;
    MovieContext& context() const { return context_; }

  private:
    // Whether making this object, with or without a name, takes the next default-name number.
    bool takesNumber(bool named);

    MovieContext& context_;
    std::shared_ptr<const Character> character_;
    int depth_ = 0;
    Matrix matrix_;
    ColorTransform colorTransform_;
    uint16_t ratio_ = 0;
    std::string name_;
    uint16_t clipDepth_ = 0;
    bool visible_ = true;
    uint8_t blendMode_ = 0;
    bool cacheAsBitmap_ = false;
    std::optional<Rgba> opaqueBackground_;
    std::optional<ScrollRect> scrollRect_;
    std::optional<Rect> scalingGrid_;
    std::weak_ptr<DisplayObject> scriptMask_;
    std::weak_ptr<DisplayObject> masking_;  // the object this one is the script mask of
    std::vector<uint8_t> filters_;
    std::optional<std::vector<SurfaceFilter>> scriptFilters_;
    bool placedByTimeline_ = false;
    bool madeByScript_ = false;
    uint64_t bornTick_ = 0;
    DisplayObject* parent_ = nullptr;
    DisplayList* holdingList_ = nullptr;
    bool removed_ = false;
    avm1::StageObject* scriptObject_ = nullptr;
    avm2::Object* as3Object_ = nullptr;
    bool scriptMoved_ = false;
    bool unloadQueued_ = false;
    std::shared_ptr<const std::vector<ClipActionRecord>> clipActions_;
};

// The smallest rectangle holding `r` under `m` (empty stays empty).
Rect transformBounds(const Rect& r, const Matrix& m);
// A scroll rectangle's extent in twips with its corner put at (x, y) pixels.
Rect scrollBox(const DisplayObject::ScrollRect& rect, double x, double y);
// The union of two extents, either of which may be empty.
Rect unionBounds(const Rect& a, const Rect& b);
constexpr Rect kNoBounds{1, 0, 1, 0};

}  // namespace swf
