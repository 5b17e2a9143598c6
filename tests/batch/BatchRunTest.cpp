#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FakeBatchHost.h"
#include "batch/BatchLog.h"
#include "batch/BatchRun.h"
#include "batch/BatchTaskList.h"
#include "convert/VideoEncoder.h"
#include "resources/ResultCode.h"
#include "settings/AviExportTask.h"
#include "settings/ImageSequenceTask.h"

namespace {

using batchtest::FakeBatchHost;
using batchtest::ScriptedRun;
using settings::OutputKind;

const std::string kSeparator = std::string(103, '/') + "\r\n";

convert::MovieHeader Movie(int32_t width, int32_t height, int32_t frames, double rate = 12) {
    return {width, height, frames, rate};
}

class BatchRunTest : public ::testing::Test {
  protected:
    BatchRunTest() {
        host.run = &run;
        run.SetShowLog([this](const batch::BatchTaskList& finished) {
            ++logsShown;
            countLine = batch::BatchLog::CountLine(finished);
            log = batch::BatchLog::Text(finished);
        });
        // No sound to record unless a test asks for it: the AVI runs at once.
        host.records.avi.audioEnabled = 0;
        // The batch command sets the templates' size to the player area's.
        host.records.avi.width = host.records.image.width = 320;
        host.records.avi.height = host.records.image.height = 240;
    }

    settings::ExportTask& Add(OutputKind kind, const std::string& name,
                              convert::MovieHeader movie = Movie(320, 240, 10)) {
        const char* extension = kind == OutputKind::Avi ? ".avi" : ".png";
        tasks.Append(tasks.NewTask(kind, movie, "/movies/" + name + ".swf",
                                   "/out/" + name + extension, host.records));
        return tasks.at(tasks.size() - 1);
    }

    // The three tasks the cancelling cases share: frames 0-9 with skipping, 0-9 frame by
    // frame, and 5-20 as the movie plays.
    void AddThreeTasks() {
        static_cast<settings::AviExportTask&>(Add(OutputKind::Avi, "one")).settings.sequenceMode =
            settings::SequenceMode::SkipBackward;
        static_cast<settings::ImageSequenceTask&>(Add(OutputKind::Png, "two"))
            .settings.sequenceMode = settings::SequenceMode::FrameByFrame;
        // The third takes the first one's settings as its template.
        auto& third = static_cast<settings::AviExportTask&>(
            Add(OutputKind::Avi, "three", Movie(320, 240, 21)));
        third.settings.sequenceMode = settings::SequenceMode::Normal;
        third.settings.startFrame = 5;
        host.runs["/out/one.avi"] = {kResultOk, 9};
        host.runs["/out/two.png"] = {kResultAbort, 3};
        host.runs["/out/three.avi"] = {kResultOk, 20};
    }

    std::vector<std::string> Started() const {
        std::vector<std::string> started;
        for (const std::string& call : host.calls) {
            if (call.starts_with("open ")) started.push_back(call.substr(5));
        }
        return started;
    }

    FakeBatchHost host;
    batch::BatchTaskList tasks;
    batch::BatchRun run{host, tasks};
    int logsShown = 0;
    std::string countLine;
    std::string log;
};

TEST_F(BatchRunTest, CancelledTaskAnsweredNoLeavesTheOthersToRun) {
    AddThreeTasks();
    host.answerYes = false;

    run.Start();
    host.RunEventLoop(run);

    EXPECT_EQ(Started(), (std::vector<std::string>{"/movies/one.swf", "/movies/two.swf",
                                                   "/movies/three.swf"}));
    EXPECT_EQ(std::ranges::count(host.calls, std::string("ask 141")), 1);
    EXPECT_TRUE(host.runInProgressDuringQuestions);
    EXPECT_EQ(countLine, "Total 3 batch tasks");
    EXPECT_EQ(log, kSeparator +
                       "task 1 --  0 ~ 9 frames created successfully\r\n"
                       "Source file: /movies/one.swf\r\n"
                       "Output file: /out/one.avi\r\n"
                       "Sequence : skip backward frame\r\n" +
                       kSeparator +
                       "task 2 --   aborted\r\n"
                       "Source file: /movies/two.swf\r\n"
                       "Output file: /out/two.png\r\n"
                       "Sequence : frame by frame\r\n" +
                       kSeparator +
                       "task 3 --  5 ~ 20 frames created successfully\r\n"
                       "Source file: /movies/three.swf\r\n"
                       "Output file: /out/three.avi\r\n"
                       "Sequence : normal\r\n");
    EXPECT_TRUE(tasks.empty());
    EXPECT_EQ(logsShown, 1);
}

TEST_F(BatchRunTest, CancelledTaskAnsweredYesLeavesTheRestAborted) {
    AddThreeTasks();
    host.answerYes = true;

    run.Start();
    host.RunEventLoop(run);

    EXPECT_EQ(Started(), (std::vector<std::string>{"/movies/one.swf", "/movies/two.swf"}));
    EXPECT_EQ(std::ranges::count(host.calls, std::string("ask 141")), 1);
    EXPECT_NE(log.find("task 2 --   aborted\r\n"), std::string::npos);
    EXPECT_NE(log.find("task 3 --   aborted\r\n"), std::string::npos);
    EXPECT_EQ(log.find("task 3 --  5"), std::string::npos);
}

TEST_F(BatchRunTest, CancellingTheLastTaskAsksNothing) {
    Add(OutputKind::Png, "one");
    Add(OutputKind::Avi, "two");
    host.runs["/out/two.avi"] = {kResultAbort, 4};

    run.Start();
    host.RunEventLoop(run);

    EXPECT_EQ(std::ranges::count(host.calls, std::string("ask 141")), 0);
    EXPECT_NE(log.find("task 2 --   aborted\r\n"), std::string::npos);
    EXPECT_FALSE(run.running());
}

TEST_F(BatchRunTest, FailedRunEndsTheBatchAndTheRestStayAborted) {
    Add(OutputKind::Avi, "one");
    Add(OutputKind::Png, "two");
    Add(OutputKind::Avi, "three");
    host.runs["/out/two.png"] = {kResultFail, 2};

    run.Start();
    host.RunEventLoop(run);

    EXPECT_EQ(Started(), (std::vector<std::string>{"/movies/one.swf", "/movies/two.swf"}));
    EXPECT_EQ(host.calls.back(), "error 137");
    EXPECT_NE(log.find("task 1 --  0 ~ 0 frames created successfully\r\n"), std::string::npos);
    EXPECT_NE(log.find("task 2 --   failed\r\n"), std::string::npos);
    EXPECT_NE(log.find("task 3 --   aborted\r\n"), std::string::npos);
}

TEST_F(BatchRunTest, MovieThatCannotBeOpenedEndsTheBatchAsFailed) {
    Add(OutputKind::Png, "gone");
    Add(OutputKind::Png, "two");
    host.unreadableSources.insert("/movies/gone.swf");

    run.Start();
    host.RunEventLoop(run);

    EXPECT_EQ(host.calls, (std::vector<std::string>{"open /movies/gone.swf", "error 110"}));
    EXPECT_NE(log.find("task 1 --   failed\r\n"), std::string::npos);
    EXPECT_NE(log.find("task 2 --   aborted\r\n"), std::string::npos);
}

TEST_F(BatchRunTest, EmptyBatchShowsAnEmptyLogAtOnce) {
    run.Start();

    EXPECT_FALSE(run.running());
    EXPECT_EQ(logsShown, 1);
    EXPECT_EQ(countLine, "Total 0 batch tasks");
    EXPECT_EQ(log, "");
    EXPECT_TRUE(host.seekHidden);
    EXPECT_EQ(host.seekEndFrameResets, 1);
}

TEST_F(BatchRunTest, TasksStartOnlyFromTheEventLoopOneAfterAnother) {
    Add(OutputKind::Png, "one");
    Add(OutputKind::Png, "two");
    // An event that a run's own event pumping dispatches does not start another task.
    host.eventDuringRuns = true;

    run.Start();
    // The first task runs at once; the second waits for the next event.
    EXPECT_EQ(Started(), std::vector<std::string>{"/movies/one.swf"});
    EXPECT_TRUE(run.running());
    EXPECT_FALSE(run.runInProgress());

    host.RunEventLoop(run);
    EXPECT_EQ(Started(), (std::vector<std::string>{"/movies/one.swf", "/movies/two.swf"}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"open /movies/one.swf", "title /movies/one.swf",
                                                    "resize 320x240 keep", "images /out/one.png",
                                                    "open /movies/two.swf", "title /movies/two.swf",
                                                    "resize 320x240 keep", "images /out/two.png"}));
}

TEST_F(BatchRunTest, ATaskWithTheMoviesSoundRunsAtOnceAndIsLoggedWithItsLastFrame) {
    host.records.avi.audioEnabled = 1;
    static_cast<settings::AviExportTask&>(Add(OutputKind::Avi, "one", Movie(320, 240, 100)))
        .settings.startFrame = 10;
    Add(OutputKind::Png, "two");
    host.runs["/out/one.avi"] = {kResultOk, 40};

    run.Start();
    EXPECT_EQ(host.calls.back(), "avi /out/one.avi");
    EXPECT_EQ(host.lastAviJob.settings.audioSource(), settings::AudioSource::RecordFromMovie);
    host.RunEventLoop(run);

    EXPECT_NE(log.find("task 1 --  10 ~ 40 frames created successfully\r\n"), std::string::npos);
    EXPECT_NE(log.find("task 2 --  0 ~ 0 frames created successfully\r\n"), std::string::npos);
}

TEST_F(BatchRunTest, MainWindowKeepsTheLastSettingsPutInPlace) {
    host.records.compressor =
        std::make_shared<convert::CompressorSettings>(convert::DefaultCompressorSettings());
    auto& first = static_cast<settings::AviExportTask&>(Add(OutputKind::Avi, "one"));
    first.compressor->fccHandler = convert::MakeFourCC('M', 'J', 'P', 'G');
    first.compressor->lKey = 7;
    first.compressor->dwFlags = 0;
    first.audioFormat.samplesPerSec = 22050;
    first.settings.frameRate100 = 1500;
    auto& images = static_cast<settings::ImageSequenceTask&>(Add(OutputKind::Png, "two"));
    images.settings.colorDepth = 32;
    images.settings.keepAspectRatio = 0;
    images.settings.width = 640;
    const settings::AviExportSettings aviSettings = first.settings;
    const settings::ImageSequenceSettings imageSettings = images.settings;
    const convert::CompressorSettings* taskCompressor = first.compressor.get();

    run.Start();
    // While the AVI task ran, the main window used the task's own compressor record.
    EXPECT_EQ(host.records.compressor.get(), taskCompressor);
    EXPECT_EQ(host.lastAviJob.settings, aviSettings);
    host.RunEventLoop(run);

    EXPECT_EQ(host.records.avi, aviSettings);
    EXPECT_EQ(host.records.image, imageSettings);
    EXPECT_EQ(host.records.audioFormat.samplesPerSec, 22050u);
    ASSERT_NE(host.records.compressor, nullptr);
    EXPECT_EQ(host.records.compressor->fccHandler, convert::MakeFourCC('M', 'J', 'P', 'G'));
    EXPECT_EQ(host.records.compressor->lKey, 7);
    EXPECT_EQ(host.records.compressor->dwFlags, convert::kCompressorSettingsValid);
    EXPECT_NE(std::ranges::find(host.calls, "resize 640x240 stretch"), host.calls.end());
}

TEST_F(BatchRunTest, BatchWithoutAviTaskKeepsTheMainWindowsCompressor) {
    host.records.compressor =
        std::make_shared<convert::CompressorSettings>(convert::DefaultCompressorSettings());
    host.records.compressor->lKey = 3;
    Add(OutputKind::Png, "one");

    run.Start();

    ASSERT_NE(host.records.compressor, nullptr);
    EXPECT_EQ(host.records.compressor->lKey, 3);
}

}  // namespace
