#include "run/RunFixture.h"

#include <string>

namespace runtest {

void RunFixture::OpenColourMovie(const ColourMovie& movie) {
    const std::string path = scratch_.File("movie.swf");
    WriteColourMovie(path, movie);
    ASSERT_TRUE(movie_.Open(path));
    host_.player.SetViewSize(movie.width, movie.height);
}

}  // namespace runtest
