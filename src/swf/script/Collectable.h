#pragma once
// What a script machine's heap owns: every object of both machines derives from it.

namespace swf::script {

class Heap;
class Marker;

class Collectable {
  public:
    Collectable() = default;
    virtual ~Collectable() = default;
    Collectable(const Collectable&) = delete;
    Collectable& operator=(const Collectable&) = delete;

    // Marks the objects this one refers to.
    virtual void trace(Marker&) const {}
    // Drops what refers to objects the collection is about to free (weak keys); run on the
    // objects the heap was asked to watch, after marking.
    virtual void forgetUnreachable() {}
    // During a collection, after marking: whether the object survives.
    bool isMarked() const { return marked_; }

  private:
    friend class Heap;
    friend class Marker;
    bool marked_ = false;
};

}  // namespace swf::script
