#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

#include "DialogTestSupport.h"
#include "settings/dialogs/CompressorDialog.h"
#include "settings/dialogs/DimensionsDialog.h"
#include "settings/dialogs/ImageSequenceSettingsDialog.h"

namespace {

using dialogtest::Click;
using dialogtest::Find;
using dialogtest::Text;
using dialogtest::Type;

constexpr settings::PixelSize kMovie{550, 400};

settings::ImageSequenceSettings Offered() {
    settings::ImageSequenceSettings offered;
    offered.endFrame = 20;
    offered.width = 320;
    offered.height = 240;
    offered.useOriginalSize = 0;
    return offered;
}

TEST(ImageSequenceDialog, OnlyTheFrameRangeCanRefuseOk) {
    settings::ImageSequenceSettingsDialog dialog(Offered(), kMovie);
    dialogtest::MessageLog messages;
    dialog.SetShowMessage(messages.Recorder());

    Type(dialog, "startFrame", "3");
    Type(dialog, "endFrame", "2");
    Click(dialog, "ok");
    EXPECT_EQ(messages.TakeIds(), std::vector<int>{135});
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Settings(), Offered());

    // Any text may be typed; what is not a number reads as 0, and a size of 0 is taken.
    Type(dialog, "endFrame", "abc");
    Type(dialog, "startFrame", "0");
    Type(dialog, "width", "wide");
    Click(dialog, "keepAspectRatio");
    Click(dialog, "ok");
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Settings().endFrame, 0);
    EXPECT_EQ(dialog.Settings().width, 0);
    EXPECT_EQ(dialog.Settings().height, 240);
    EXPECT_EQ(dialog.Settings().keepAspectRatio, 0);
}

TEST(ImageSequenceDialog, OriginalDocSizeGivesTheMovieSizeAndCancelKeepsTheMode) {
    settings::ImageSequenceSettings offered = Offered();
    offered.useOriginalSize = 1;
    settings::ImageSequenceSettingsDialog dialog(offered, kMovie);
    EXPECT_EQ(Text(dialog, "width"), "550");
    EXPECT_FALSE(Find<QLineEdit>(dialog, "height")->isEnabled());
    Click(dialog, "useOriginalSize");
    EXPECT_EQ(Text(dialog, "width"), "320");

    Click(dialog, "sequenceFrameByFrame");
    Click(dialog, "depth32");
    Click(dialog, "cancel");
    EXPECT_EQ(dialog.Settings(), offered);

    settings::ImageSequenceSettingsDialog again(offered, kMovie);
    Click(again, "sequenceFrameByFrame");
    Click(again, "ok");
    ASSERT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(again.Settings().sequenceMode, settings::SequenceMode::FrameByFrame);
    EXPECT_EQ(again.Settings().width, 550);
    EXPECT_EQ(again.Settings().height, 400);
}

TEST(DimensionsDialogTest, StartsOnTheMovieSizeWhenThePlayerHasIt) {
    settings::DimensionsDialog dialog(kMovie, kMovie);
    EXPECT_TRUE(Find<QCheckBox>(dialog, "useOriginalSize")->isChecked());
    EXPECT_FALSE(Find<QLineEdit>(dialog, "width")->isEnabled());

    settings::DimensionsDialog resized({640, 480}, kMovie);
    EXPECT_FALSE(Find<QCheckBox>(resized, "useOriginalSize")->isChecked());
    EXPECT_EQ(Text(resized, "width"), "640");
    Click(resized, "useOriginalSize");
    EXPECT_EQ(Text(resized, "height"), "400");
    Click(resized, "useOriginalSize");
    EXPECT_EQ(Text(resized, "height"), "480");
}

TEST(DimensionsDialogTest, TakesEachDimensionAsTypedZeroIncluded) {
    settings::DimensionsDialog dialog({640, 480}, kMovie);
    Type(dialog, "width", "0");
    EXPECT_EQ(Text(dialog, "height"), "480");  // neither dimension follows the other
    Click(dialog, "ok");
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Size().width, 0);
    EXPECT_EQ(dialog.Size().height, 480);

    settings::DimensionsDialog cancelled({640, 480}, kMovie);
    Type(cancelled, "width", "100");
    Click(cancelled, "cancel");
    EXPECT_EQ(cancelled.Size().width, 640);
}

TEST(CompressorChooser, OffersOnlyCompressorsThatTakeTheFrames) {
    const auto even = settings::CompressorsAccepting({64, 48, 24, 0});
    ASSERT_FALSE(even.empty());
    EXPECT_EQ(even.front().fourcc, convert::kFourCCDib);
    EXPECT_EQ(even.size(), convert::AvailableVideoCompressors().size());
    // No encoder takes frames without pixels; uncompressed rows are still offered.
    const auto empty = settings::CompressorsAccepting({0, 0, 24, 0});
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty.front().fourcc, convert::kFourCCDib);
}

TEST(CompressorChooser, ShowsAndKeepsKeyFramesDataRateAndQuality) {
    const auto offered = settings::CompressorsAccepting({64, 48, 24, 0});
    if (offered.size() < 2) GTEST_SKIP() << "no encoder in this build";
    convert::CompressorSettings current = convert::DefaultCompressorSettings();
    current.fccHandler = offered[1].fourcc;
    current.lKey = 0;
    current.lDataRate = 1000;
    current.lQ = 7500;
    settings::CompressorDialog chooser({64, 48, 24, 0}, current);
    EXPECT_EQ(Find<QComboBox>(chooser, "compressor")->currentIndex(), 1);
    EXPECT_FALSE(Find<QCheckBox>(chooser, "keyFrames")->isChecked());
    EXPECT_FALSE(Find<QSpinBox>(chooser, "keyFrameEvery")->isEnabled());
    EXPECT_EQ(Find<QSpinBox>(chooser, "quality")->value(), 75);

    Find<QSpinBox>(chooser, "quality")->setValue(-1);
    Find<QCheckBox>(chooser, "dataRate")->setChecked(false);
    Find<QCheckBox>(chooser, "keyFrames")->setChecked(true);
    convert::CompressorSettings chosen = current;
    chooser.ApplyTo(chosen);
    EXPECT_EQ(chosen.fccHandler, offered[1].fourcc);
    EXPECT_EQ(chosen.lKey, 15);
    EXPECT_EQ(chosen.lDataRate, 0);
    EXPECT_EQ(chosen.lQ, convert::kDefaultQuality);

    Find<QComboBox>(chooser, "compressor")->setCurrentIndex(0);  // uncompressed: no options
    EXPECT_FALSE(Find<QSpinBox>(chooser, "quality")->isEnabled());
    chooser.ApplyTo(chosen);
    EXPECT_EQ(chosen.fccHandler, convert::kFourCCDib);
    EXPECT_EQ(chosen.hic, nullptr);
}

}  // namespace
