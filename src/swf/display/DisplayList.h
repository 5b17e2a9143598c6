#pragma once
// The objects of one timeline (or button state) by depth, drawn from the lowest depth up.

#include <map>
#include <memory>
#include <vector>

#include "swf/display/DisplayObject.h"

namespace swf {

// The timeline's depths lie below this one; scripts count their depth 0 from here.
constexpr int kFirstScriptDepth = 16384;

class DisplayList {
  public:
    explicit DisplayList(DisplayObject* owner) : owner_(owner) {}
    ~DisplayList();
    DisplayList(const DisplayList&) = delete;
    DisplayList& operator=(const DisplayList&) = delete;

    std::shared_ptr<DisplayObject> at(int depth) const;
    // Puts the object at its depth, replacing (and detaching) whatever was there.
    void place(std::shared_ptr<DisplayObject> object);
    // Takes the object at `depth` out; one whose unload handlers are to run stays until the
    // next frame at a negative depth.
    void remove(int depth);
    // Exchanges what stands at two depths (either may be empty); the moved objects are the
    // scripts' from then on, no longer the timeline's.
    void swap(int depthA, int depthB);
    void clear();

    size_t size() const { return objects_.size(); }
    const std::map<int, std::shared_ptr<DisplayObject>>& objects() const { return objects_; }
    // A copy of the entries, for walks that may change the list.
    std::vector<std::shared_ptr<DisplayObject>> snapshot() const;

    // Draws every object in depth order. A clip layer (clip depth C at depth D) is drawn into
    // a mask that limits depths D + 1 to C, and is not drawn itself. With `grid`, the shapes
    // are drawn sliced by it; everything else is drawn through `toPixels` as usual.
    void render(RenderContext& context, const Matrix& toPixels, const ColorTransform& cxform,
                const ScalingGrid* grid = nullptr) const;
    // What the objects cover in the owner's space (empty without any).
    Rect bounds() const;

  private:
    DisplayObject* owner_;
    std::map<int, std::shared_ptr<DisplayObject>> objects_;
};

}  // namespace swf
