#pragma once
// A property name as an instruction gives it at run time: a local name and the namespaces it
// may be in (one for a qualified name, a set for a multiname).

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
    static Name qualified(const Ns* ns, std::string local) {
        Name n;
        n.local = std::move(local);
        n.single = ns;
        return n;
    }
};

}  // namespace swf::avm2
