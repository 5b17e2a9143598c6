#pragma once
// One entry of a scope chain: an object searched for names, and whether `with` pushed it
// (a with scope is searched for dynamic properties too).

#include <vector>

#include "swf/avm2/Value.h"

namespace swf::avm2 {

struct ScopeEntry {
    Value value;
    bool with = false;
};

using ScopeChain = std::vector<ScopeEntry>;

}  // namespace swf::avm2
