#pragma once
// A property name as an instruction gives it at run time: a local name and the namespaces it
// may be in (one for a qualified name, a set for a multiname).

#include <cstdint>
#include <span>
#include <string>

#include "swf/avm2/Namespaces.h"

namespace swf::avm2 {

class Object;

struct Name {
    std::string local;
    bool anyName = false;    // "*"
    bool attribute = false;  // E4X attributes
    const Ns* single = nullptr;
    std::span<const Ns* const> set;
    // The object a runtime name was, kept for receivers that key by identity (Dictionary).
    Object* keyObject = nullptr;

    bool anyNamespace() const { return !single && set.empty(); }
    bool inNamespace(const Ns* ns) const {
        if (single) return single == ns;
        for (const Ns* n : set)
            if (n == ns) return true;
        return anyNamespace();
    }
    // Public names reach dynamic properties and the built-in classes' methods.
    bool isPublic(const Namespaces& table) const {
        return anyNamespace() || inNamespace(table.publicNs()) || inNamespace(table.as3());
    }
    // The array index the local name spells: digits without leading zeros, below 2^32 - 1.
    bool arrayIndex(uint32_t& index) const {
        if (local.empty() || local.size() > 10 || attribute || keyObject) return false;
        if (local.size() > 1 && local[0] == '0') return false;
        uint64_t v = 0;
        for (char c : local) {
            if (c < '0' || c > '9') return false;
            v = v * 10 + static_cast<uint64_t>(c - '0');
        }
        if (v >= 0xFFFFFFFFull) return false;
        index = static_cast<uint32_t>(v);
        return true;
    }
    static Name qualified(const Ns* ns, std::string local) {
        Name n;
        n.local = std::move(local);
        n.single = ns;
        return n;
    }
};

}  // namespace swf::avm2
