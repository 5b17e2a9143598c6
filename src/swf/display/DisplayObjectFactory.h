#pragma once
// Makes the display object for a character id: the subclass its kind needs. Refuses (null)
// when the id is unknown, when the kind cannot be shown, when the movie already holds the
// most display objects allowed, or when a sprite would nest deeper than allowed.

#include <cstdint>
#include <memory>

#include "swf/display/DisplayObject.h"
#include "swf/movie/Dictionary.h"

namespace swf {

class DisplayObjectFactory {
  public:
    // `nesting` is the nesting level of the container the object goes into (0 for the main
    // timeline). A sprite is made with its first frame built and its actions queued.
    static std::shared_ptr<DisplayObject> create(MovieContext& context,
                                                 const Dictionary& dictionary,
                                                 uint16_t characterId, int nesting);
    static std::shared_ptr<DisplayObject> make(MovieContext& context,
                                               std::shared_ptr<const Character> character,
                                               int nesting);
};

}  // namespace swf
