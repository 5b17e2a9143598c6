#pragma once
// A main window for batch runs in tests: it records what the run asks of it in order,
// answers with scripted results, and plays the event loop (queued BatchNextTask events,
// clock ticks while stopped).

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "batch/BatchHost.h"
#include "batch/BatchRun.h"
#include "batch/ExportRecords.h"
#include "convert/run/ConversionRunner.h"
#include "resources/ResultCode.h"

namespace batchtest {

// How a run of the task writing to an output path ends.
struct ScriptedRun {
    int32_t result = kResultOk;
    int32_t lastFrame = 0;
};

class FakeBatchHost : public batch::BatchHost {
  public:
    batch::ExportRecords records;
    // What happened, in order: "open SOURCE", "title SOURCE", "resize WxH keep|stretch",
    // "images OUTPUT", "avi OUTPUT", "video OUTPUT", "ask ID", "error ID".
    std::vector<std::string> calls;
    std::map<std::string, ScriptedRun> runs;  // by output path; unlisted ones succeed
    std::set<std::string> unreadableSources;
    bool answerYes = false;
    // The batch being driven, to see its state from inside the calls.
    batch::BatchRun* run = nullptr;
    // Runs pump events: a BatchNextTask dispatched in the middle of each run.
    bool eventDuringRuns = false;
    bool runInProgressDuringQuestions = true;
    bool seekHidden = false;
    int seekEndFrameResets = 0;
    convert::AviJob lastAviJob;
    convert::VideoJob lastVideoJob;

    batch::ExportRecords& Records() override { return records; }
    bool OpenTaskMovie(const settings::ExportTask& task) override {
        calls.push_back("open " + task.sourcePath);
        openFrames_ = task.movie.frameCount;
        return !unreadableSources.contains(task.sourcePath);
    }
    int32_t OpenMovieFrameCount() const override { return openFrames_; }
    void ShowMovieTitle(const std::string& path) override { calls.push_back("title " + path); }
    void ResizeToMovie(int32_t width, int32_t height, bool keepAspectRatio) override {
        calls.push_back("resize " + std::to_string(width) + "x" + std::to_string(height) +
                        (keepAspectRatio ? " keep" : " stretch"));
    }
    int32_t RunImageSequence(const settings::ImageSequenceSettings&, settings::OutputKind,
                             const std::string& outputPath) override {
        calls.push_back("images " + outputPath);
        if (eventDuringRuns && run) run->OnNextTask(false);
        return Finish(outputPath);
    }
    int32_t RunAvi(const convert::AviJob& job) override {
        calls.push_back("avi " + job.outputPath);
        lastAviJob = job;
        return Finish(job.outputPath);
    }
    int32_t RunVideo(const convert::VideoJob& job) override {
        calls.push_back("video " + job.outputPath);
        lastVideoJob = job;
        return Finish(job.outputPath);
    }
    int32_t LastFrameReached() const override { return lastFrame_; }
    void DiscardQueuedTicks() override { queue_.clear(); }
    void HideSeekController() override { seekHidden = true; }
    void ResetSeekEndFrame() override { ++seekEndFrameResets; }
    void ShowErrorMessage(int stringId) override {
        calls.push_back("error " + std::to_string(stringId));
    }
    bool AskYesNo(int stringId) override {
        calls.push_back("ask " + std::to_string(stringId));
        if (run && !run->runInProgress()) runInProgressDuringQuestions = false;
        return answerYes;
    }

    // The event loop until the batch has finished: queued events first, else one clock tick,
    // which (playback being stopped between tasks) posts BatchNextTask as the main window does.
    void RunEventLoop(batch::BatchRun& batch) {
        for (int turn = 0; batch.running(); ++turn) {
            ASSERT_LT(turn, 100) << "the batch never finished";
            if (!queue_.empty()) {
                const bool stop = queue_.front();
                queue_.pop_front();
                batch.OnNextTask(stop);
            } else if (batch.runInProgress()) {
                continue;  // the tick is dropped
            } else {
                queue_.push_back(false);
            }
        }
    }

  private:
    int32_t Finish(const std::string& outputPath) {
        const ScriptedRun scripted =
            runs.contains(outputPath) ? runs.at(outputPath) : ScriptedRun{};
        lastFrame_ = scripted.lastFrame;
        return scripted.result;
    }

    std::deque<bool> queue_;
    int32_t lastFrame_ = -1;
    int32_t openFrames_ = 0;
};

}  // namespace batchtest
