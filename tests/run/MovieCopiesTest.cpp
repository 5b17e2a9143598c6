#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "audio/TestFiles.h"
#include "convert/run/MovieCopies.h"
#include "run/RunTestFiles.h"

namespace {

namespace fs = std::filesystem;

class MovieCopiesTest : public testing::Test {
  protected:
    std::string WriteMovie(bool compressed) {
        runtest::ColourMovie movie = runtest::Movie(3);
        movie.compressed = compressed;
        const std::string path = scratch_.File(compressed ? "packed.swf" : "plain.swf");
        runtest::WriteColourMovie(path, movie);
        return path;
    }

    testfiles::ScratchDir scratch_;
};

TEST_F(MovieCopiesTest, ACompressedMovieIsPlayedFromATemporaryCopyThatGoesWithIt) {
    const std::string source = WriteMovie(true);
    std::string working, silent;
    {
        convert::MovieCopies copies;
        ASSERT_TRUE(copies.Open(source));
        working = copies.workingPath();
        silent = copies.SilentCopy();
        EXPECT_NE(working, source);
        // The copy plays elsewhere; what the movie loads is looked for beside the original.
        EXPECT_NE(fs::path(working).parent_path(), fs::path(source).parent_path());
        EXPECT_EQ(copies.baseFolder(), fs::absolute(source).parent_path().string());
        EXPECT_EQ(testfiles::ReadBytes(working).at(0), 'F');
        EXPECT_TRUE(fs::exists(silent));
        EXPECT_EQ(copies.header().frameCount, 3);
        EXPECT_EQ(copies.header().width, 32);
    }
    EXPECT_FALSE(fs::exists(working));
    EXPECT_FALSE(fs::exists(silent));
    EXPECT_TRUE(fs::exists(source));
}

TEST_F(MovieCopiesTest, AnUncompressedMovieIsPlayedFromItselfAndKept) {
    const std::string source = WriteMovie(false);
    {
        convert::MovieCopies copies;
        ASSERT_TRUE(copies.Open(source));
        EXPECT_EQ(copies.workingPath(), source);
    }
    EXPECT_TRUE(fs::exists(source));
}

TEST_F(MovieCopiesTest, AMissingSilentCopyIsMadeAgain) {
    convert::MovieCopies copies;
    ASSERT_TRUE(copies.Open(WriteMovie(false)));
    const std::string first = copies.SilentCopy();
    EXPECT_EQ(copies.SilentCopy(), first);  // kept while it is there
    fs::remove(first);
    const std::string second = copies.SilentCopy();
    ASSERT_FALSE(second.empty());
    EXPECT_TRUE(fs::exists(second));
    EXPECT_EQ(testfiles::ReadBytes(second), testfiles::ReadBytes(copies.workingPath()));
}

TEST_F(MovieCopiesTest, AFileThatIsNoMovieKeepsNothing) {
    const std::string path = scratch_.File("notes.swf");
    testfiles::WriteBytes(path, {'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'v', 'i', 'e'});
    convert::MovieCopies copies;
    EXPECT_FALSE(copies.Open(path));
    EXPECT_TRUE(copies.workingPath().empty());
    EXPECT_TRUE(copies.SilentCopy().empty());
    EXPECT_TRUE(fs::exists(path));
}

}  // namespace
