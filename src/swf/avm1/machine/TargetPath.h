#pragma once
// Target paths as actions write them: "/a/b", "a.b", "a:b", "../a", mixed at will.

#include <algorithm>
#include <cctype>
#include <string_view>

namespace swf::avm1 {

// Takes the next part off the front of `path`, with the separator after it: a name, "..", or
// "" for an empty segment. A path starting with '/' starts at the root: callers check first.
inline std::string_view takePathPart(std::string_view& path) {
    std::string_view part;
    if (path.starts_with("..")) {
        part = path.substr(0, 2);
        path.remove_prefix(2);
    } else {
        size_t end = std::min(path.find_first_of("/.:"), path.size());
        part = path.substr(0, end);
        path.remove_prefix(end);
    }
    if (!path.empty()) path.remove_prefix(1);
    return part;
}

// The same for tellTarget and variable paths: once a '/' has been met (`slashSeen`, kept by
// the caller, true from the start for a path starting with '/'), a '.' is part of a name.
inline std::string_view takePathPart(std::string_view& path, bool& slashSeen) {
    std::string_view part;
    if (path.starts_with("..")) {
        // ".." is the parent only before a '/', a ':' or the end; "...x" is a name of its own.
        size_t end = path.size() == 2 || path[2] == '/' || path[2] == ':'
                         ? 2
                         : std::min(path.find_first_of("/:"), path.size());
        part = path.substr(0, end);
        path.remove_prefix(end);
    } else {
        size_t end = std::min(path.find_first_of(slashSeen ? "/:" : "/.:"), path.size());
        part = path.substr(0, end);
        path.remove_prefix(end);
    }
    if (!path.empty()) {
        if (path.front() == '/') slashSeen = true;
        path.remove_prefix(1);
    }
    return part;
}

// The level a target such as "_level2" names (digits only after "_level"), else -1.
inline int levelNumber(std::string_view target) {
    constexpr std::string_view kLevel = "_level";
    if (target.size() <= kLevel.size() || target.size() > kLevel.size() + 9) return -1;
    for (size_t i = 0; i < kLevel.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(target[i])) != kLevel[i]) return -1;
    int number = 0;
    for (char c : target.substr(kLevel.size())) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace swf::avm1
