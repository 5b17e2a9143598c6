#include "swf/avm2/Namespaces.h"

namespace swf::avm2 {

Namespaces::Namespaces() {
    public_ = intern(Ns::Group::Public, "");
    as3_ = intern(Ns::Group::Public, "http://adobe.com/AS3/2006/builtin");
}

const Ns* Namespaces::intern(Ns::Group group, const std::string& uri, uint64_t uid) {
    auto key = std::make_tuple(group, uri, uid);
    auto it = index_.find(key);
    if (it != index_.end()) return it->second;
    storage_.push_back(Ns{group, uri, uid});
    const Ns* ns = &storage_.back();
    index_.emplace(std::move(key), ns);
    return ns;
}

const Ns* Namespaces::freshPrivate(const std::string& uri) {
    return intern(Ns::Group::Private, uri, nextUid_++);
}

}  // namespace swf::avm2
