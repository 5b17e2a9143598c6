#pragma once
// Names for the working copy, the silent copy and the recorded sound.

#include <string>

namespace convert {

// Creates a new empty file named "KTP" and six unique characters in the temporary folder
// ($TMPDIR, else /tmp) and returns its path; empty when no file could be made.
std::string MakeTempFileName();

}  // namespace convert
