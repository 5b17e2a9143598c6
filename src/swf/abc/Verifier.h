#pragma once
// Checks a method body for what the interpreter relies on: every instruction decodes, every
// path keeps the stack and scope depths within the body's limits and agrees where paths meet,
// branch and handler targets fall on instructions inside the body, registers are below the
// local count and pool indexes are in range. A body that fails is refused with the player's
// VerifyError text and never run.

#include <string>

#include "swf/abc/AbcFile.h"

namespace swf::abc {

class Verifier {
  public:
    // True when the body may run; otherwise `error` holds "VerifyError: Error #NNNN: ...".
    static bool verify(const AbcFile& file, const MethodBody& body, std::string& error);
    // The most instructions one body may hold, bounding the verifier's own work.
    static constexpr size_t kMaxCodeBytes = size_t{1} << 20;
};

}  // namespace swf::abc
