#include "swf/display/DisplayList.h"

#include <algorithm>
#include <cctype>

#include "swf/format/LetterCase.h"
#include "swf/format/Utf8.h"

namespace swf {

void DisplayList::adopt(DisplayObject& object) {
    object.setHoldingList(this);
    if (object.name().empty()) return;
    auto it = byName_.find(std::string_view(object.name()));
    if (it == byName_.end()) it = byName_.emplace(object.name(), std::vector<DisplayObject*>{}).first;
    it->second.push_back(&object);
}

void DisplayList::release(DisplayObject& object) {
    object.setHoldingList(nullptr);
    unindex(object, object.name());
}

void DisplayList::unindex(DisplayObject& object, std::string_view name) {
    if (name.empty()) return;
    auto it = byName_.find(name);
    if (it == byName_.end()) return;
    std::erase(it->second, &object);
    if (it->second.empty()) byName_.erase(it);
}

DisplayObject* DisplayList::named(std::string_view name, bool caseSensitive) const {
    if (name.empty()) return nullptr;
    auto it = byName_.find(name);
    if (it == byName_.end()) return nullptr;
    DisplayObject* lowest = nullptr;
    for (DisplayObject* object : it->second)
        if ((!caseSensitive || object->name() == name) &&
            (!lowest || object->depth() < lowest->depth()))
            lowest = object;
    return lowest;
}

void DisplayList::renamed(DisplayObject& object, std::string_view previous) {
    unindex(object, previous);
    object.setHoldingList(nullptr);
    adopt(object);
}

DisplayList::~DisplayList() {
    clear();
}

std::shared_ptr<DisplayObject> DisplayList::at(int depth) const {
    auto it = objects_.find(depth);
    return it == objects_.end() ? nullptr : it->second;
}

void DisplayList::place(std::shared_ptr<DisplayObject> object) {
    if (!object) return;
    object->attach(owner_);
    auto& slot = objects_[object->depth()];
    if (slot) {
        release(*slot);
        slot->detach();
    }
    slot = std::move(object);
    adopt(*slot);
}

std::shared_ptr<DisplayObject> DisplayList::unlist(int depth) {
    auto it = objects_.find(depth);
    if (it == objects_.end()) return nullptr;
    std::shared_ptr<DisplayObject> object = std::move(it->second);
    objects_.erase(it);
    release(*object);
    return object;
}

void DisplayList::remove(int depth) {
    std::shared_ptr<DisplayObject> object = unlist(depth);
    if (!object) return;
    // One with unload handlers to run goes below every depth in use (the player's -32769 less
    // its script depth), where scripts still find it, until the next frame takes it out. One
    // already waiting there stays too: the newcomer tells the same depth from the next free
    // place below it.
    if (object->startUnload()) {
        object->setDepth(-1 - depth);
        int place = object->depth();
        for (int steps = 0; objects_.count(place) && steps < kMaxWaitingPlaces; ++steps) --place;
        auto& slot = objects_[place];
        if (slot) {
            release(*slot);
            slot->detach();
        }
        slot = std::move(object);
        adopt(*slot);
        return;
    }
    object->detach();
}

void DisplayList::removeWaiting(const DisplayObject& object) {
    for (int place = object.depth(), steps = 0; steps <= kMaxWaitingPlaces; --place, ++steps) {
        auto it = objects_.find(place);
        if (it != objects_.end() && it->second.get() == &object) return remove(place);
    }
}

void DisplayList::swap(int depthA, int depthB) {
    if (depthA == depthB) return;
    auto a = at(depthA);
    auto b = at(depthB);
    objects_.erase(depthA);
    objects_.erase(depthB);
    if (a) {
        a->setDepth(depthB);
        a->setPlacedByTimeline(false);
        objects_[depthB] = a;
    }
    if (b) {
        b->setDepth(depthA);
        b->setPlacedByTimeline(false);
        objects_[depthA] = b;
    }
}

void DisplayList::takeOut(int depth) {
    if (std::shared_ptr<DisplayObject> object = unlist(depth)) object->attach(nullptr);
}

void DisplayList::restack(const std::vector<std::shared_ptr<DisplayObject>>& order) {
    std::vector<int> depths;
    depths.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const DisplayObject& object = *order[i];
        bool held = object.parent() == owner_ && at(object.depth()).get() == &object;
        int depth = held ? object.depth() : 0;
        if (!held && depths.empty() && i + 1 < order.size()) depth = std::max(0, order[i + 1]->depth() - 1);
        if (!depths.empty() && (!held || depth <= depths.back())) depth = depths.back() + 1;
        depths.push_back(depth);
    }
    std::map<int, std::shared_ptr<DisplayObject>> rebuilt;
    std::vector<std::pair<int, std::shared_ptr<DisplayObject>>> arriving;
    for (size_t i = 0; i < order.size(); ++i) {
        const auto& object = order[i];
        bool held = object->parent() == owner_ && at(object->depth()) == object;
        if (!held) {
            arriving.emplace_back(depths[i], object);
            continue;
        }
        if (object->depth() != depths[i]) {
            object->setDepth(depths[i]);
            object->setPlacedByTimeline(false);
        }
        rebuilt[depths[i]] = object;
    }
    objects_ = std::move(rebuilt);
    for (auto& [depth, object] : arriving) {
        object->setDepth(depth);
        place(object);
    }
}

void DisplayList::clear() {
    for (auto& [depth, object] : objects_) {
        object->setHoldingList(nullptr);
        object->detach();
    }
    objects_.clear();
    byName_.clear();
}

std::vector<std::shared_ptr<DisplayObject>> DisplayList::snapshot() const {
    std::vector<std::shared_ptr<DisplayObject>> out;
    out.reserve(objects_.size());
    for (const auto& [depth, object] : objects_) out.push_back(object);
    return out;
}

void DisplayList::render(RenderContext& context, const Matrix& toPixels,
                         const ColorTransform& cxform, const ScalingGrid* grid) const {
    auto draw = [&](const DisplayObject& object) {
        const Character* character = object.character();
        bool shape = character && (character->kind() == CharacterKind::Shape ||
                                   character->kind() == CharacterKind::MorphShape);
        if (!grid || !shape) return object.render(context, toPixels, cxform);
        grid->drawSliced(context.canvas,
                         [&](const Matrix& region) { object.render(context, region, cxform); });
    };
    std::vector<int> openClips;  // clip depths of the masks in force, innermost last
    auto closeClipsBelow = [&](int depth) {
        while (!openClips.empty() && depth > openClips.back()) {
            context.canvas.popMask();
            openClips.pop_back();
        }
    };
    for (const auto& [depth, object] : objects_) {
        if (!context.maskPass) closeClipsBelow(depth);
        if (object->clipDepth() > 0) {
            // A clip layer is never drawn itself, nor inside a mask being built.
            if (context.maskPass) continue;
            context.canvas.beginMask();
            context.maskPass = true;
            draw(*object);
            context.maskPass = false;
            context.canvas.endMask();
            openClips.push_back(object->clipDepth());
            continue;
        }
        draw(*object);
    }
    while (!openClips.empty()) {
        context.canvas.popMask();
        openClips.pop_back();
    }
}

Rect DisplayList::bounds() const {
    Rect bounds = kNoBounds;
    for (const auto& [depth, object] : objects_)
        bounds = unionBounds(bounds, object->boundsInParent());
    return bounds;
}

}  // namespace swf
