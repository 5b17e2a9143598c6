#pragma once
// Owns every object of a script machine and reclaims the unreachable ones by mark and sweep
// (cycles are the rule: every function is one through prototype.constructor). Collection runs
// only between scripts, so values held by running code never need to be roots: the roots are
// the handles that registered themselves (Rooted, RootsOf).

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "swf/script/Collectable.h"
#include "swf/script/Rooted.h"
#include "swf/script/ScriptLimitError.h"

namespace swf::script {

class Heap {
  public:
    // Making an object while `maxObjects` are alive throws `tooManyObjects`: the script stops.
    Heap(size_t maxObjects, std::string tooManyObjects)
        : maxObjects_(maxObjects), tooManyObjects_(std::move(tooManyObjects)) {}
    ~Heap();
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    template <class T, class... Args>
    T* make(Args&&... args) {
        if (objects_.size() >= maxObjects_) throw ScriptLimitError(tooManyObjects_);
        auto owned = std::make_unique<T>(std::forward<Args>(args)...);
        T* object = owned.get();
        objects_.push_back(std::move(owned));
        ++madeSinceCollection_;
        return object;
    }

    size_t objectCount() const { return objects_.size(); }
    // True once enough was made since the last collection to make one worth its cost: as many
    // objects as survived it, and never fewer than a floor that keeps small movies from
    // collecting all the time.
    bool collectionDue() const {
        return madeSinceCollection_ >= std::max<size_t>(kCollectionFloor, lastLive_);
    }
    // Marks from every registered root, lets the watched weak holders forget what was not
    // reached, then frees it.
    void collect();
    // Has `holder` forget its weak references to unreachable objects before each sweep, for
    // as long as it lives.
    void watchWeak(Collectable* holder) { weakHolders_.push_back(holder); }

    // Visits every object alive (after a collection: every survivor).
    template <class Visit>
    void forEachObject(Visit&& visit) const {
        for (const auto& object : objects_) visit(*object);
    }

  private:
    friend class RootLink;
    static constexpr size_t kCollectionFloor = 20000;

    size_t maxObjects_;
    std::string tooManyObjects_;
    std::vector<std::unique_ptr<Collectable>> objects_;
    std::vector<Collectable*> weakHolders_;
    size_t madeSinceCollection_ = 0;
    size_t lastLive_ = 0;
    RootLink* roots_ = nullptr;  // the first of the live roots
};

}  // namespace swf::script
