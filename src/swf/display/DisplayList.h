#pragma once
// The objects of one timeline (or button state) by depth, drawn from the lowest depth up.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "swf/display/DisplayObject.h"
#include "swf/format/LetterCase.h"

namespace swf {

// The timeline's depths lie below this one; scripts count their depth 0 from here.
constexpr int kFirstScriptDepth = 16384;
// The depths a script may place at, counted from kFirstScriptDepth.
constexpr int32_t kMinScriptDepth = -kFirstScriptDepth;
constexpr int32_t kMaxScriptDepth = 2130690044;

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
    // Takes out an object that waited at its negative depth for its unload handlers.
    void removeWaiting(const DisplayObject& object);
    // Exchanges what stands at two depths (either may be empty); the moved objects are the
    // scripts' from then on, no longer the timeline's.
    void swap(int depthA, int depthB);
    // Takes the object at `depth` out without unload events (ActionScript 3 moves objects
    // between lists; they stay themselves).
    void takeOut(int depth);
    // Puts the list in `order`: every object of the list, and any new to it, each keeping its
    // depth where that keeps the order, else one above the object before it.
    void restack(const std::vector<std::shared_ptr<DisplayObject>>& order);
    void clear();

    size_t size() const { return objects_.size(); }
    const std::map<int, std::shared_ptr<DisplayObject>>& objects() const { return objects_; }
    // A copy of the entries, for walks that may change the list.
    std::vector<std::shared_ptr<DisplayObject>> snapshot() const;

    // The object of that name, ASCII case folded unless `caseSensitive`; where names repeat,
    // the one at the lowest depth, which the player's walk of its list meets first. Unnamed
    // objects are never found.
    DisplayObject* named(std::string_view name, bool caseSensitive) const;
    // An object of this list has changed its name from `previous` (the object tells it).
    void renamed(DisplayObject& object, std::string_view previous);

    // Draws every object in depth order. A clip layer (clip depth C at depth D) is drawn into
    // a mask that limits depths D + 1 to C, and is not drawn itself. With `grid`, the shapes
    // are drawn sliced by it; everything else is drawn through `toPixels` as usual.
    void render(RenderContext& context, const Matrix& toPixels, const ColorTransform& cxform,
                const ScalingGrid* grid = nullptr) const;
    // What the objects cover in the owner's space (empty without any).
    Rect bounds() const;

  private:
    // Takes the object into the list's care (index, holder) or out of it.
    void adopt(DisplayObject& object);
    void release(DisplayObject& object);
    // Takes the object at `depth` off the list and out of its care; null when none stands there.
    std::shared_ptr<DisplayObject> unlist(int depth);
    void unindex(DisplayObject& object, std::string_view name);

    // How many objects waiting for their unload handlers may share one depth.
    static constexpr int kMaxWaitingPlaces = 64;

    DisplayObject* owner_;
    std::map<int, std::shared_ptr<DisplayObject>> objects_;
    // The named objects of the list by name (any depth; a bucket is rarely more than one).
    std::unordered_map<std::string, std::vector<DisplayObject*>, FoldedNameHash, FoldedNameEqual> byName_;
};

}  // namespace swf
