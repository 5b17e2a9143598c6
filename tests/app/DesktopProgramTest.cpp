#include <gtest/gtest.h>

#include "app/DesktopFixture.h"
#include "app/DesktopProgram.h"

namespace apptest {
namespace {

TEST(EngineVersionTest, OnlySixZeroTwentyTwoIsRefused) {
    EXPECT_FALSE(app::EngineVersionAccepted({6, 0, 22, 0}));
    for (const swf::Version version :
         {swf::Version{6, 0, 21, 0}, swf::Version{6, 0, 23, 0}, swf::Version{5, 0, 42, 0},
          swf::Version{6, 0, 22, 1}, swf::Version{6, 1, 22, 0}, swf::Version{7, 0, 19, 0},
          swf::Version{1, 0, 0, 0}})
        EXPECT_TRUE(app::EngineVersionAccepted(version))
            << version.major << "." << version.minor << "." << version.build << "."
            << version.revision;
    EXPECT_TRUE(app::EngineVersionAccepted(swf::EngineVersion()));
}

TEST(EngineVersionTest, ARefusedVersionSaysToUpgrade) {
    AnsweringPresenter presenter;
    app::MessageBoxes messages(presenter);
    EXPECT_TRUE(app::CheckEngineVersion({6, 0, 23, 0}, messages));
    EXPECT_TRUE(presenter.texts.empty());
    EXPECT_FALSE(app::CheckEngineVersion({6, 0, 22, 0}, messages));
    ASSERT_EQ(presenter.texts.size(), 1u);
    EXPECT_EQ(presenter.texts[0],
              "Please upgrade the Flash ActiveX control version to 6.0 r23 above.");
}

}  // namespace
}  // namespace apptest
