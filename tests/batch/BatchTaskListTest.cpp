#include <gtest/gtest.h>

#include <memory>

#include "batch/BatchTaskList.h"
#include "batch/ExportRecords.h"
#include "batch/TaskSummary.h"
#include "settings/AviExportTask.h"
#include "settings/ImageSequenceTask.h"

namespace {

using settings::OutputKind;

class BatchTaskListTest : public ::testing::Test {
  protected:
    template <class Task>
    Task& Add(OutputKind kind, const convert::MovieHeader& movie, const char* output = "out") {
        tasks.Append(tasks.NewTask(kind, movie, "movie.swf", output, records));
        return dynamic_cast<Task&>(tasks.at(tasks.size() - 1));
    }

    batch::ExportRecords records;
    batch::BatchTaskList tasks;
};

TEST_F(BatchTaskListTest, SecondAviTaskTakesTheFirstOnesSettingsWithItsOwnFramesAndRate) {
    auto& first = Add<settings::AviExportTask>(OutputKind::Avi, {320, 240, 50, 12});
    first.settings.colorDepth = 32;
    first.settings.splitSizeMB = 700;
    first.settings.SetAudioSource(settings::AudioSource::WaveFile, "/sound/a.wav");
    first.audioFormat.samplesPerSec = 22050;
    first.compressor->fccHandler = convert::MakeFourCC('F', 'F', 'V', '1');
    first.compressor->lKey = 5;
    first.settings.startFrame = 7;
    // An image task in between is no template for AVI tasks.
    Add<settings::ImageSequenceTask>(OutputKind::Png, {100, 100, 3, 30});

    const auto& second = Add<settings::AviExportTask>(OutputKind::Avi, {640, 480, 300, 29.96875});

    EXPECT_EQ(second.settings.colorDepth, 32);
    EXPECT_EQ(second.settings.splitSizeMB, 700);
    EXPECT_EQ(second.settings.wavePath, "/sound/a.wav");
    EXPECT_EQ(second.audioFormat.samplesPerSec, 22050u);
    EXPECT_EQ(second.compressor->fccHandler, convert::MakeFourCC('F', 'F', 'V', '1'));
    EXPECT_EQ(second.compressor->lKey, 5);
    EXPECT_NE(second.compressor, first.compressor);
    EXPECT_EQ(second.settings.startFrame, 0);
    EXPECT_EQ(second.settings.endFrame, 299);
    EXPECT_EQ(second.settings.frameRate100, 2996);
    EXPECT_EQ(second.result, kResultAbort);
    EXPECT_EQ(second.lastFrame, -1);
}

TEST_F(BatchTaskListTest, ImageTaskTakesTheLastImageTaskOfEitherFormat) {
    auto& png = Add<settings::ImageSequenceTask>(OutputKind::Png, {100, 100, 3, 30});
    png.settings.sequenceMode = settings::SequenceMode::FrameByFrame;
    png.settings.colorDepth = 32;
    Add<settings::AviExportTask>(OutputKind::Avi, {320, 240, 50, 12});

    const auto& tga = Add<settings::ImageSequenceTask>(OutputKind::Tga, {100, 100, 8, 30});

    EXPECT_EQ(tga.kind, OutputKind::Tga);
    EXPECT_EQ(tga.settings.sequenceMode, settings::SequenceMode::FrameByFrame);
    EXPECT_EQ(tga.settings.colorDepth, 32);
    EXPECT_EQ(tga.settings.endFrame, 7);
}

TEST_F(BatchTaskListTest, FirstTaskOfAKindTakesTheMainWindowsRecords) {
    records.image.keepAspectRatio = 0;
    records.image.width = 800;
    records.avi.playAfterCreating = 1;
    records.audioFormat.channels = 1;

    const auto& images = Add<settings::ImageSequenceTask>(OutputKind::Png, {100, 100, 3, 30});
    const auto& avi = Add<settings::AviExportTask>(OutputKind::Avi, {100, 100, 3, 30});

    EXPECT_EQ(images.settings.keepAspectRatio, 0);
    EXPECT_EQ(images.settings.width, 800);
    EXPECT_EQ(avi.settings.playAfterCreating, 1);
    EXPECT_EQ(avi.audioFormat.channels, 1);
    // The main window has no compressor record before its first Create AVI.
    ASSERT_NE(avi.compressor, nullptr);
    EXPECT_EQ(avi.compressor->fccHandler, convert::kFourCCDib);
    EXPECT_EQ(avi.compressor->lKey, 15);
}

TEST_F(BatchTaskListTest, OutputExtensionChoosesTheKind) {
    using batch::BatchTaskList;
    EXPECT_EQ(BatchTaskList::KindForOutput("/out/clip.avi"), OutputKind::Avi);
    EXPECT_EQ(BatchTaskList::KindForOutput("/out/CLIP.AVI"), OutputKind::Avi);
    EXPECT_EQ(BatchTaskList::KindForOutput("/out/frames.TgA"), OutputKind::Tga);
    EXPECT_EQ(BatchTaskList::KindForOutput("/out/frames.bmp"), OutputKind::Png);
    EXPECT_EQ(BatchTaskList::KindForOutput("/out/frames"), OutputKind::Png);
    EXPECT_EQ(BatchTaskList::KindForOutput("/out.avi/frames"), OutputKind::Png);
    EXPECT_EQ(BatchTaskList::KindForOutput("/out/clip.avi.png"), OutputKind::Png);
}

TEST_F(BatchTaskListTest, RemovingClosesTheGapAndIgnoresRowsBeyondTheList) {
    Add<settings::ImageSequenceTask>(OutputKind::Png, {1, 1, 1, 1}, "a");
    Add<settings::ImageSequenceTask>(OutputKind::Png, {1, 1, 1, 1}, "b");
    Add<settings::AviExportTask>(OutputKind::Avi, {1, 1, 1, 1}, "c");

    tasks.RemoveAt(3);
    EXPECT_EQ(tasks.size(), 3u);
    tasks.RemoveAt(1);
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks.at(0).outputPath, "a");
    EXPECT_EQ(tasks.at(1).outputPath, "c");
    EXPECT_TRUE(tasks.HasAviTask());
    tasks.RemoveAt(1);
    EXPECT_FALSE(tasks.HasAviTask());
    tasks.Clear();
    EXPECT_TRUE(tasks.empty());
}

TEST_F(BatchTaskListTest, AviSummaryShowsVideoAndEachAudioSource) {
    records.avi.width = 320;
    records.avi.height = 240;
    records.avi.sequenceMode = settings::SequenceMode::SkipBackward;
    auto& task = Add<settings::AviExportTask>(OutputKind::Avi, {320, 240, 100, 29.96875});
    task.settings.startFrame = 4;

    batch::TaskSummary summary = batch::TaskSummary::Of(task);
    EXPECT_TRUE(summary.avi);
    EXPECT_EQ(summary.sequence, "skip backward frame");
    EXPECT_EQ(summary.duration, "4 ~ 99 frames");
    EXPECT_EQ(summary.dimension, "320 x 240, keep aspect ratio");
    EXPECT_EQ(summary.videoOrColors, "Uncompressed, 29.96 fps, 24 bits");
    EXPECT_EQ(summary.audio, "PCM, 44.100 kHz, 16 Bit, Stereo");

    task.settings.SetAudioSource(settings::AudioSource::WaveFile, "/sound/a.wav");
    EXPECT_EQ(batch::TaskSummary::Of(task).audio, "from external wave file  /sound/a.wav");
    task.settings.SetAudioSource(settings::AudioSource::None);
    EXPECT_EQ(batch::TaskSummary::Of(task).audio, "none");
}

TEST_F(BatchTaskListTest, ImageSummaryShowsColoursAndNoAudio) {
    records.image.width = 640;
    records.image.height = 480;
    records.image.keepAspectRatio = 0;
    records.image.colorDepth = 32;
    records.image.sequenceMode = static_cast<settings::SequenceMode>(7);
    const auto& task = Add<settings::ImageSequenceTask>(OutputKind::Tga, {320, 240, 1, 12});

    const batch::TaskSummary summary = batch::TaskSummary::Of(task);
    EXPECT_FALSE(summary.avi);
    EXPECT_EQ(summary.sequence, "normal");
    EXPECT_EQ(summary.duration, "0 ~ 0 frames");
    EXPECT_EQ(summary.dimension, "640 x 480");
    EXPECT_EQ(summary.videoOrColors, "32 bits");
    EXPECT_EQ(summary.audio, "");
}

TEST(ExportRecordsTest, BatchTemplatesTakeThePlayerAreaAndKnowTheOriginalSize) {
    batch::ExportRecords records;
    records.avi.useOriginalSize = records.image.useOriginalSize = 0;
    records.PrepareForBatch(400, 300, nullptr);
    EXPECT_EQ(records.avi.width, 400);
    EXPECT_EQ(records.image.height, 300);
    EXPECT_EQ(records.avi.useOriginalSize, 1);
    EXPECT_EQ(records.image.useOriginalSize, 1);

    const convert::MovieHeader movie{400, 300, 10, 12};
    records.PrepareForBatch(401, 300, &movie);
    EXPECT_EQ(records.avi.width, 401);
    EXPECT_EQ(records.avi.useOriginalSize, 0);
    EXPECT_EQ(records.image.useOriginalSize, 0);
    records.PrepareForBatch(400, 300, &movie);
    EXPECT_EQ(records.image.useOriginalSize, 1);
}

}  // namespace
