#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace resources;

// Every message the program shows, word for word; a typo here is a typo on screen.
const std::map<int, std::string>& ExpectedTexts() {
    static const std::map<int, std::string> texts = {
        {103, "Select a Flash File"},
        {104, "Out of Memory"},
        {105, "Disk space not enough. Please change your temp directory."},
        {110, "File Open Error"},
        {111, "Create AVI File"},
        {113, "Failed to Open AVI File"},
        {114, "Failed to Create AVI Stream"},
        {116, "Failed to Create Compressed stream"},
        {117, "Failed to Set Stream Format"},
        {118, "Failed to Write Stream"},
        {123, "Are you sure you want to cancel ?"},
        {124, "Are you sure you want to finish?"},
        {125, "Invalid wav file."},
        {126, "Uncompressed"},
        {127, "Creating video : %d  frames"},
        {128, "Creating audio : %d  frames"},
        {129, "Total : %d  frames\n(%d ~ %d)"},
        {130, "File not exists."},
        {131, "Video compressor not selected."},
        {132, "Creating image sequence : %d frames"},
        {133, "Create Image Sequence Files"},
        {134, "Select Output File Name"},
        {135, "The \"Start/End frame\" number is invalid."},
        {136, "The \"Frame rate\" is invalid."},
        {137, "Fail to finish batch creating."},
        {138, "Converting to AVI"},
        {139, "Converting to TGA"},
        {140, "Converting to PNG"},
        {141, "Do you want to cancel all the remaining batch tasks?"},
        {142, "Total %d batch tasks"},
        {143, "File size cannot exceed %d MB."},
        {146, "Please upgrade the Flash ActiveX control version to 6.0 r23 above."},
        {149,
         "In seek mode, the audio will be disabled to present frame-accurate. Therefore, you "
         "cannot hear any sound under this mode."},
    };
    return texts;
}

TEST(StringTable, HoldsEveryMessageWordForWord) {
    for (const auto& [id, text] : ExpectedTexts()) {
        const char* loaded = LoadString(id);
        ASSERT_NE(loaded, nullptr) << "string " << id;
        EXPECT_EQ(text, loaded) << "string " << id;
    }
    // The player download message names an address after its fixed opening.
    const char* download = LoadString(kStrPlayerMissing);
    ASSERT_NE(download, nullptr);
    const std::string opening = "Please get Flash ActiveX control from ";
    EXPECT_EQ(std::string(download).substr(0, opening.size()), opening);
    EXPECT_GT(std::strlen(download), opening.size());
}

TEST(StringTable, HoldsNoIdBeyondTheKnownMessages) {
    std::vector<int> expected;
    for (const auto& entry : ExpectedTexts()) expected.push_back(entry.first);
    expected.push_back(kStrPlayerMissing);
    std::sort(expected.begin(), expected.end());
    const auto ids = StringIds();
    EXPECT_EQ(std::vector<int>(ids.begin(), ids.end()), expected);
}

TEST(StringTable, UnknownIdsHaveNoText) {
    for (int id : {0, -1, 102, 112, 144, 150, 32768}) {
        EXPECT_EQ(LoadString(id), nullptr) << id;
        EXPECT_EQ(FormatString(id, 1), "") << id;
    }
}

TEST(StringTable, FormatsPlaceholdersInOrder) {
    EXPECT_EQ(FormatString(kStrTotalFrames, 11, 5, 15), "Total : 11  frames\n(5 ~ 15)");
    EXPECT_EQ(FormatString(kStrSplitSizeTooLarge, 2000), "File size cannot exceed 2000 MB.");
    EXPECT_EQ(FormatString(kStrTotalBatchTasks, 0), "Total 0 batch tasks");
    EXPECT_EQ(FormatString(kStrCreatingImageSequence, -3), "Creating image sequence : -3 frames");
    EXPECT_EQ(FormatString(kStrCreatingVideo, 2147483647LL * 2),
              "Creating video : 4294967294  frames");
}

TEST(StringTable, FormatLeavesMissingPlaceholdersAndIgnoresExtraValues) {
    EXPECT_EQ(FormatString(kStrTotalFrames, 7), "Total : 7  frames\n(%d ~ %d)");
    EXPECT_EQ(FormatString(kStrFileOpenError, 1, 2), "File Open Error");
    EXPECT_EQ(FormatString(kStrFileOpenError), "File Open Error");
}

TEST(StringTable, EveryTextHasAtMostTheRoomOfAMessageBox) {
    for (int id : StringIds()) {
        ASSERT_NE(LoadString(id), nullptr);
        EXPECT_LE(std::strlen(LoadString(id)), 255u) << id;
    }
}

}  // namespace
