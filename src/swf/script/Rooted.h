#pragma once
// Roots of a heap, registered by construction: a root links itself into its heap's list when
// made and leaves when destroyed, so none can be forgotten or left behind.

#include "swf/script/Marker.h"

namespace swf::script {

class Heap;

class RootLink {
  public:
    RootLink(const RootLink&) = delete;
    RootLink& operator=(const RootLink&) = delete;
    // Marks the objects this root keeps alive.
    virtual void markRoots(Marker& marker) const = 0;

  protected:
    explicit RootLink(Heap* heap) { link(heap); }
    virtual ~RootLink() { unlink(); }
    // Moves the link to `heap`'s list (none for null).
    void link(Heap* heap);
    Heap* heap_ = nullptr;

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
    explicit Rooted(Heap& heap, T* object = nullptr) : RootLink(&heap), object_(object) {}
    Rooted(const Rooted& other) : RootLink(other.heap_), object_(other.object_) {}
    Rooted& operator=(const Rooted& other) {
        link(other.heap_);
        object_ = other.object_;
        return *this;
    }
    Rooted& operator=(T* object) {
        object_ = object;
        return *this;
    }
    T* get() const { return object_; }
    operator T*() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    void markRoots(Marker& marker) const override { marker.mark(object_); }

  private:
    T* object_;
};

// The roots of something that holds many objects (a machine, a bridge to the stage): it
// marks them in its own `markRoots`, for as long as this member of it lives.
template <class Owner>
class RootsOf : public RootLink {
  public:
    RootsOf(Heap& heap, const Owner& owner) : RootLink(&heap), owner_(owner) {}
    void markRoots(Marker& marker) const override { owner_.markRoots(marker); }

  private:
    const Owner& owner_;
};

}  // namespace swf::script
