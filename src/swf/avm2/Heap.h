#pragma once
// Owns every object of the ActionScript 3 machine and reclaims the unreachable ones by mark
// and sweep. Collection runs only between frames, when no script is running, so the only
// roots are the handles (Root) that register themselves when they are made.

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "swf/avm2/Object.h"

namespace swf::avm2 {

// Thrown when a script goes past a bound of the machine (steps, depth, objects); the script
// stops, the movie plays on.
class ScriptLimit : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Marker {
  public:
    void mark(Object* object) {
        if (object && !object->marked_) {
            object->marked_ = true;
            pending_.push_back(object);
        }
    }
    void mark(const Value& value) { mark(value.asObject()); }
    void drain();

  private:
    std::vector<Object*> pending_;
};

class Heap;

// Something that holds objects the collector must keep: registered while it exists.
class RootSet {
  public:
    explicit RootSet(Heap& heap);
    virtual ~RootSet();
    RootSet(const RootSet&) = delete;
    RootSet& operator=(const RootSet&) = delete;
    virtual void markRoots(Marker& marker) const = 0;

  private:
    Heap& heap_;
};

// One rooted object pointer.
template <class T>
class Root : public RootSet {
  public:
    explicit Root(Heap& heap, T* object = nullptr) : RootSet(heap), object_(object) {}
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    Root& operator=(T* object) {
        object_ = object;
        return *this;
    }
    void markRoots(Marker& marker) const override { marker.mark(static_cast<Object*>(object_)); }

  private:
    T* object_;
};

class Heap {
  public:
    // The most objects alive at once; making one more stops the script.
    static constexpr size_t kMaxObjects = size_t{4} << 20;

    Heap() = default;
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;
    ~Heap();

    template <class T, class... Args>
    T* make(Args&&... args) {
        if (objects_.size() >= kMaxObjects) throw ScriptLimit("Error #1000: The system is out of memory.");
        auto owned = std::make_unique<T>(std::forward<Args>(args)...);
        T* object = owned.get();
        objects_.push_back(std::move(owned));
        return object;
    }
    // Frees every object no root reaches.
    void collect();
    // Has `object` forget its weak references to unreachable objects before each sweep.
    void watchWeak(Object* object) { weakHolders_.push_back(object); }
    // During a collection, after marking: whether the object survives.
    static bool isMarked(const Object* object) { return object->marked_; }
    size_t objectCount() const { return objects_.size(); }

  private:
    friend class RootSet;
    std::vector<std::unique_ptr<Object>> objects_;
    std::vector<const RootSet*> roots_;
    std::vector<Object*> weakHolders_;
};

}  // namespace swf::avm2
