#pragma once

#include <stdexcept>

namespace swf::script {

// Thrown when a script goes past one of its machine's bounds (steps, depth, objects); the
// script stops, the movie plays on.
class ScriptLimitError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace swf::script
