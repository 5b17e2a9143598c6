// Which URLs a loading movie may read: files in its base folder or below, nothing else.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "swf/display/MovieContext.h"
#include "swf/movie/SwfMovie.h"
#include "swf/player/ContentLoader.h"

namespace {

namespace fs = std::filesystem;

TEST(ContentLoader, ResolvesOnlyFilesInTheBaseFolder) {
    swf::MovieContext context(std::make_shared<swf::SwfMovie>());
    swf::ContentLoader loader(context);
    loader.setBaseFolder("/movies/show/");
    EXPECT_EQ(loader.baseFolder(), fs::path("/movies/show"));

    struct Case {
        std::string url;
        std::optional<std::string> path;  // nullopt: refused with `refusal`
        std::string refusal;
    };
    const std::string outside = "the file is outside the movie's folder";
    const std::string remote = "only local files are read, nothing is fetched";
    const std::vector<Case> cases = {
        {"vars.txt", "/movies/show/vars.txt", ""},
        {"./sub/a.swf", "/movies/show/sub/a.swf", ""},
        {"sub\\b.jpg", "/movies/show/sub/b.jpg", ""},
        {"sub/../c.xml", "/movies/show/c.xml", ""},
        {"my%20file.txt?nocache=1#top", "/movies/show/my file.txt", ""},
        {"/movies/show/abs.txt", "/movies/show/abs.txt", ""},
        {"file:///movies/show/f.swf", "/movies/show/f.swf", ""},
        {"FILE:///movies/show/g.swf", "/movies/show/g.swf", ""},
        {"../other.txt", std::nullopt, outside},
        {"sub/../../other.txt", std::nullopt, outside},
        {"..\\other.txt", std::nullopt, outside},
        {"%2E%2E/other.txt", std::nullopt, outside},
        {"/movies/showtime/x.txt", std::nullopt, outside},
        {"/etc/passwd", std::nullopt, outside},
        {"file:///etc/passwd", std::nullopt, outside},
        {"file://server/share/x.txt", std::nullopt, "only files on this machine are read"},
        {"http://example.com/x.txt", std::nullopt, remote},
        {"HTTPS://example.com/x.swf", std::nullopt, remote},
        {"ftp://example.com/x", std::nullopt, remote},
        {"javascript:alert(1)", std::nullopt, remote},
        {"C:\\movies\\x.swf", std::nullopt, remote},
        {".", std::nullopt, outside},
        {"", std::nullopt, "no file is named"},
        {"?only=query", std::nullopt, "no file is named"},
    };
    for (const Case& c : cases) {
        std::string refusal;
        std::optional<fs::path> got = loader.resolve(c.url, refusal);
        if (c.path) {
            ASSERT_TRUE(got.has_value()) << c.url << ": " << refusal;
            EXPECT_EQ(got->string(), *c.path) << c.url;
        } else {
            EXPECT_FALSE(got.has_value()) << c.url << " -> " << (got ? got->string() : "");
            EXPECT_EQ(refusal, c.refusal) << c.url;
        }
    }

    swf::ContentLoader unset(context);
    std::string refusal;
    EXPECT_FALSE(unset.resolve("vars.txt", refusal));
    EXPECT_EQ(refusal, "the movie has no folder to load from");
}

}  // namespace
