#pragma once
// Namespaces at run time, interned: two namespaces are the same exactly when their pointers
// are. Public, package and user namespaces with one URI are one namespace; each private
// namespace of a file is its own.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <tuple>

namespace swf::avm2 {

struct Ns {
    enum class Group : uint8_t { Public, Internal, Protected, Explicit, Private };
    Group group = Group::Public;
    std::string uri;
    uint64_t uid = 0;  // private namespaces only
};

class Namespaces {
  public:
    Namespaces();
    const Ns* intern(Ns::Group group, const std::string& uri, uint64_t uid = 0);
    // A private namespace unlike any other.
    const Ns* freshPrivate(const std::string& uri);
    const Ns* publicNs() const { return public_; }
    // The namespace of the language's own methods ("http://adobe.com/AS3/2006/builtin"),
    // which finds the public methods of the built-in classes.
    const Ns* as3() const { return as3_; }

  private:
    std::deque<Ns> storage_;
    std::map<std::tuple<Ns::Group, std::string, uint64_t>, const Ns*> index_;
    uint64_t nextUid_ = 1;
    const Ns* public_ = nullptr;
    const Ns* as3_ = nullptr;
};

}  // namespace swf::avm2
