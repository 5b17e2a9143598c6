#pragma once
// Finds a movie clip from a target path as SWF 3 actions name them: slash paths ("/a/b",
// "a/b", "../c"), dot paths ("_root.a.b", "_parent.c") and the names "_root", "_parent", ".".

#include <string_view>

namespace swf {

class MovieClip;

class TargetPath {
  public:
    // The clip the path names, relative to `from`, or null when none has that name.
    static MovieClip* resolve(MovieClip& from, std::string_view path);

  private:
    static MovieClip* child(MovieClip& parent, std::string_view name);
};

}  // namespace swf
