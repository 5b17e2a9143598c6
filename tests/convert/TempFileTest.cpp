#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "audio/TestFiles.h"
#include "convert/TempFile.h"

namespace convert {
namespace {

// Sets TMPDIR for one test and puts the old value back.
class TmpDirVariable {
  public:
    explicit TmpDirVariable(const char* value) {
        if (const char* old = std::getenv("TMPDIR")) saved_ = old;
        if (value)
            setenv("TMPDIR", value, 1);
        else
            unsetenv("TMPDIR");
    }
    ~TmpDirVariable() {
        if (saved_)
            setenv("TMPDIR", saved_->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

  private:
    std::optional<std::string> saved_;
};

TEST(TempFileTest, MakesNewEmptyFilesNamedKtpInTmpDir) {
    testfiles::ScratchDir dir;
    const std::string folder = dir.File("");
    TmpDirVariable variable(folder.c_str());
    const std::string first = MakeTempFileName();
    const std::string second = MakeTempFileName();
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    for (const auto& path : {first, second}) {
        const std::filesystem::path file(path);
        EXPECT_EQ(std::filesystem::canonical(file.parent_path()),
                  std::filesystem::canonical(folder));
        EXPECT_EQ(file.filename().string().substr(0, 3), "KTP");
        EXPECT_EQ(file.filename().string().size(), 9u);
        EXPECT_TRUE(std::filesystem::is_regular_file(file));
        EXPECT_EQ(std::filesystem::file_size(file), 0u);
    }
}

TEST(TempFileTest, FallsBackToTmpAndFailsInAMissingFolder) {
    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        TmpDirVariable variable(unset);
        const std::string path = MakeTempFileName();
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(std::filesystem::path(path).parent_path(), "/tmp");
        std::filesystem::remove(path);
    }
    testfiles::ScratchDir dir;
    TmpDirVariable variable(dir.File("missing").c_str());
    EXPECT_EQ(MakeTempFileName(), "");
}

}  // namespace
}  // namespace convert
