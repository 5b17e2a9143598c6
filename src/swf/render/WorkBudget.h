#pragma once
// A bound on the work one draw may do (vertices and estimated rasterizer cells), so that
// absurd geometry from a hostile movie costs bounded time and memory.

#include <cstdint>

namespace swf {

class WorkBudget {
  public:
    explicit WorkBudget(uint64_t units) : granted_(units), left_(units) {}

    uint64_t left() const { return left_; }
    uint64_t used() const { return granted_ - left_; }

    // Takes `units` from the budget; false (and the budget stays spent) when not enough is left.
    bool spend(uint64_t units) {
        if (units > left_) {
            left_ = 0;
            return false;
        }
        left_ -= units;
        return true;
    }

  private:
    uint64_t granted_;
    uint64_t left_;
};

}  // namespace swf
