#include "swf/action/TargetPath.h"

#include <algorithm>

#include "swf/display/IgnoringCase.h"
#include "swf/display/MovieClip.h"

namespace swf {
namespace {

MovieClip* topOf(MovieClip& clip) {
    MovieClip* top = &clip;
    while (top->parent() && top->parent()->asMovieClip()) top = top->parent()->asMovieClip();
    return top;
}

}  // namespace

MovieClip* TargetPath::child(MovieClip& parent, std::string_view name) {
    for (const auto& [depth, object] : parent.displayList().objects())
        if (MovieClip* clip = object->asMovieClip(); clip && equalsIgnoringCase(clip->name(), name))
            return clip;
    return nullptr;
}

MovieClip* TargetPath::resolve(MovieClip& from, std::string_view path) {
    MovieClip* clip = &from;
    if (path.empty()) return clip;
    if (path.front() == '/') {
        clip = topOf(from);
        path.remove_prefix(1);
    }
    size_t i = 0;
    while (i < path.size() && clip) {
        std::string_view part;
        if (path.substr(i).starts_with("..")) {
            part = "..";
            i += 2;
        } else {
            size_t end = std::min(path.find_first_of("/.:", i), path.size());
            part = path.substr(i, end - i);
            i = end;
        }
        if (i < path.size()) ++i;  // the separator
        if (part.empty()) continue;
        if (part == ".." || equalsIgnoringCase(part, "_parent")) {
            clip = clip->parent() ? clip->parent()->asMovieClip() : nullptr;
        } else if (equalsIgnoringCase(part, "_root") || equalsIgnoringCase(part, "_level0")) {
            clip = topOf(*clip);
        } else {
            clip = child(*clip, part);
        }
    }
    return clip;
}

}  // namespace swf
