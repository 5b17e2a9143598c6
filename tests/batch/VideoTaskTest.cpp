#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeBatchHost.h"
#include "batch/BatchLog.h"
#include "batch/BatchRun.h"
#include "batch/BatchTaskList.h"
#include "batch/TaskSummary.h"
#include "settings/VideoExportTask.h"

namespace {

using settings::OutputKind;
using settings::VideoCodec;
using settings::VideoContainer;
using settings::VideoExportTask;

class VideoTaskTest : public ::testing::Test {
  protected:
    VideoTaskTest() {
        host.run = &run;
        run.SetShowLog([this](const batch::BatchTaskList& finished) {
            log = batch::BatchLog::Text(finished);
        });
        host.records.video.audioEnabled = 0;
        host.records.video.width = 320;
        host.records.video.height = 240;
    }
    VideoExportTask& Add(const std::string& output,
                         convert::MovieHeader movie = {320, 240, 10, 12}) {
        tasks.Append(tasks.NewTask(batch::BatchTaskList::KindForOutput(output), movie,
                                   "/movies/m.swf", output, host.records));
        return dynamic_cast<VideoExportTask&>(tasks.at(tasks.size() - 1));
    }

    batchtest::FakeBatchHost host;
    batch::BatchTaskList tasks;
    batch::BatchRun run{host, tasks, nullptr};
    std::string log;
};

TEST_F(VideoTaskTest, VideoExtensionsMakeVideoTasks) {
    const std::pair<const char*, OutputKind> cases[] = {
        {"/out/a.mp4", OutputKind::Video},   {"/out/a.MKV", OutputKind::Video},
        {"/out/a.webm", OutputKind::Video},  {"/out/a.Mov", OutputKind::Video},
        {"/out/a.gif", OutputKind::Video},   {"/out/a.avi", OutputKind::Avi},
        {"/out/a.mp4.png", OutputKind::Png}, {"/out.mp4/a", OutputKind::Png},
        {"/out/a.mpg", OutputKind::Png},
    };
    for (const auto& [path, kind] : cases)
        EXPECT_EQ(batch::BatchTaskList::KindForOutput(path), kind) << path;
    EXPECT_STREQ(settings::OutputKindLabel(OutputKind::Video), "VIDEO");
    EXPECT_FALSE(settings::IsImageSequence(OutputKind::Video));
}

TEST_F(VideoTaskTest, ANewTaskTakesTheLastVideoTaskInItsOutputsContainer) {
    host.records.video.crf = 30;
    host.records.video.sequenceMode = settings::SequenceMode::SkipBackward;
    VideoExportTask& first = Add("/out/one.mp4", {320, 240, 50, 29.96875});
    // The first takes the main window's record, over its own movie.
    EXPECT_EQ(first.kind, OutputKind::Video);
    EXPECT_EQ(first.settings.crf, 30);
    EXPECT_EQ(first.settings.sequenceMode, settings::SequenceMode::SkipBackward);
    EXPECT_EQ(first.settings.endFrame, 49);
    EXPECT_EQ(first.settings.frameRate100, 2996);
    EXPECT_EQ(first.result, kResultAbort);

    first.settings.videoCodec = VideoCodec::Hevc;
    first.settings.colorDepth = 24;
    first.settings.width = 640;
    tasks.Append(
        tasks.NewTask(OutputKind::Png, {10, 10, 2, 12}, "/m.swf", "/out/x.png", host.records));
    const VideoExportTask& second = Add("/out/two.mp4", {100, 80, 7, 24});
    EXPECT_EQ(second.settings.videoCodec, VideoCodec::Hevc);
    EXPECT_EQ(second.settings.width, 640);
    EXPECT_EQ(second.settings.crf, 30);
    EXPECT_EQ(second.settings.endFrame, 6);
    EXPECT_EQ(second.settings.frameRate100, 2400);

    // Another container brings its own codecs and the encoders' own quality.
    const VideoExportTask& third = Add("/out/three.webm");
    EXPECT_EQ(third.settings.container, VideoContainer::WebM);
    EXPECT_EQ(third.settings.videoCodec, VideoCodec::Vp9);
    EXPECT_EQ(third.settings.audioCodec, settings::AudioCodec::Opus);
    EXPECT_EQ(third.settings.crf, -1);
    EXPECT_EQ(third.settings.width, 640);
    EXPECT_FALSE(tasks.HasAviTask());
}

TEST_F(VideoTaskTest, TheSummaryShowsContainerCodecAndSound) {
    VideoExportTask& task = Add("/out/one.mkv", {320, 240, 100, 25});
    task.settings.crf = 18;
    task.settings.colorDepth = 32;
    task.settings.startFrame = 3;
    batch::TaskSummary summary = batch::TaskSummary::Of(task);
    EXPECT_TRUE(summary.avi);
    EXPECT_EQ(summary.duration, "3 ~ 99 frames");
    EXPECT_EQ(summary.dimension, "320 x 240, keep aspect ratio");
    EXPECT_EQ(summary.videoOrColors, "Matroska, h264, crf 18, 25.00 fps, 32 bits");
    EXPECT_EQ(summary.audio, "none");
    task.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    EXPECT_EQ(batch::TaskSummary::Of(task).audio, "flac, from the SWF file");
    task.settings.SetAudioSource(settings::AudioSource::WaveFile, "/s/a.wav");
    EXPECT_EQ(batch::TaskSummary::Of(task).audio, "flac, from external wave file  /s/a.wav");
}

TEST_F(VideoTaskTest, TheBatchRunsVideoTasksAtOnceWhateverTheirSound) {
    Add("/out/one.mp4").settings.keepAspectRatio = 0;
    // The second takes the first one's settings, stretching too.
    VideoExportTask& recorded = Add("/out/two.webm", {200, 100, 20, 12});
    recorded.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    recorded.settings.width = 200;
    recorded.settings.height = 100;
    const settings::VideoExportSettings recordedSettings = recorded.settings;
    host.runs["/out/one.mp4"] = {kResultOk, 9};
    host.runs["/out/two.webm"] = {kResultOk, 19};

    run.Start();
    host.RunEventLoop(run);

    EXPECT_EQ(host.calls, (std::vector<std::string>{
                              "open /movies/m.swf", "title /movies/m.swf", "resize 320x240 stretch",
                              "video /out/one.mp4", "open /movies/m.swf", "title /movies/m.swf",
                              "resize 200x100 stretch", "video /out/two.webm"}));
    EXPECT_EQ(host.lastVideoJob.outputPath, "/out/two.webm");
    EXPECT_EQ(host.lastVideoJob.audioFormat.samplesPerSec, 48000u);
    EXPECT_EQ(host.lastVideoJob.audioFormat.avgBytesPerSec, 192000u);
    EXPECT_TRUE(host.records.video == recordedSettings);
    EXPECT_NE(log.find("task 1 --  0 ~ 9 frames created successfully\r\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("task 2 --  0 ~ 19 frames created successfully\r\n"), std::string::npos)
        << log;
}

TEST_F(VideoTaskTest, AFailedVideoEndsTheBatch) {
    Add("/out/one.mp4");
    Add("/out/two.mp4");
    host.runs["/out/one.mp4"] = {kResultFail, 3};

    run.Start();
    host.RunEventLoop(run);

    EXPECT_EQ(host.calls.back(), "error 137");
    EXPECT_NE(log.find("task 1 --   failed\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("task 2 --   aborted\r\n"), std::string::npos) << log;
}

}  // namespace
