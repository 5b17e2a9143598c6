#pragma once
// Owns every script object of a movie and reclaims the unreachable ones by mark and sweep
// (cycles are the rule: every function is one through prototype.constructor). Collection runs
// only between action lists, so values held by running code never need to be roots.

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "swf/avm1/machine/Object.h"

namespace swf::avm1 {

// Thrown when a script goes past one of the machine's bounds; the script stops, the movie
// plays on.
class ScriptLimitError : public std::runtime_error {
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
    // Traces until every reachable object is marked (a work list: no recursion).
    void drain();

  private:
    std::vector<Object*> pending_;
};

class Heap;

// A link in the heap's list of roots. Links register themselves when made and leave when
// destroyed, so a root cannot be forgotten or left behind.
class RootLink {
  public:
    RootLink(const RootLink&) = delete;
    RootLink& operator=(const RootLink&) = delete;

  protected:
    RootLink(Heap* heap, Object* object);
    ~RootLink();
    void relink(Heap* heap, Object* object);
    Heap* heap_ = nullptr;
    Object* object_ = nullptr;

  private:
    friend class Heap;
    void unlink();
    RootLink* previous_ = nullptr;
    RootLink* next_ = nullptr;
};

// A pointer to a heap object that keeps it (and all it refers to) alive for as long as the
// handle lives. Copies are roots of their own. A handle may outlive its heap: the heap lets
// go of its links when it ends.
template <class T>
class Rooted : public RootLink {
  public:
    explicit Rooted(Heap& heap, T* object = nullptr) : RootLink(&heap, object) {}
    Rooted(const Rooted& other) : RootLink(other.heap_, other.object_) {}
    Rooted& operator=(const Rooted& other) {
        relink(other.heap_, other.object_);
        return *this;
    }
    Rooted& operator=(T* object) {
        object_ = object;
        return *this;
    }
    T* get() const { return static_cast<T*>(object_); }
    operator T*() const { return get(); }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
};

class Heap {
  public:
    static constexpr size_t kMaxObjects = 4'000'000;
    static constexpr size_t kMaxProperties = 40'000'000;

    explicit Heap(int swfVersion) : swfVersion_(swfVersion) {}
    ~Heap();
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    int swfVersion() const { return swfVersion_; }
    // Names are compared with case from SWF 7 on.
    bool caseSensitive() const { return swfVersion_ >= 7; }
    static std::string fold(std::string_view name);

    template <class T, class... Args>
    T* make(Args&&... args) {
        if (objects_.size() >= kMaxObjects)
            throw ScriptLimitError("too many objects: the script made more than the player keeps");
        auto object = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = object.get();
        adopt(std::move(object));
        return raw;
    }
    void chargeProperty();

    size_t objectCount() const { return objects_.size(); }
    // True once enough was made since the last collection to make one worth its cost.
    bool collectionDue() const { return madeSinceCollection_ >= std::max<size_t>(20000, lastLive_); }
    // Marks from the roots `markRoots` marks, then frees everything left unmarked.
    // The rooted handles are marked too.
    void collect(const std::function<void(Marker&)>& markRoots);

  private:
    friend class RootLink;
    void adopt(std::unique_ptr<Object> object);

    int swfVersion_;
    std::vector<std::unique_ptr<Object>> objects_;
    size_t madeSinceCollection_ = 0;
    size_t lastLive_ = 0;
    size_t properties_ = 0;
    RootLink* roots_ = nullptr;  // the first of the live handles
};

}  // namespace swf::avm1
