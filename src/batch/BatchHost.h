#pragma once
// What a batch run needs from the main window. The main window implements it; tests put in
// their own to follow and answer the run.
//
// The main window's part of the wiring, besides implementing this:
// - the Batch Create command: ExportRecords::PrepareForBatch with the player area, then
//   BatchDialog on the main window's task list and records; on OK, BatchRun::Start() (an
//   empty list too: it shows the log of no tasks);
// - on every BatchNextTask event (a player::HostValueEvent: stop, result),
//   BatchRun::OnNextTask(stop);
// - on a clock tick while playback is stopped and BatchRun::running(), post BatchNextTask
//   (false, 0): that is what starts the next task;
// - drop clock ticks (and reset pendingTicks) while BatchRun::runInProgress(), as while a
//   conversion run is in progress.

#include <cstdint>
#include <string>

#include "settings/ExportTask.h"
#include "settings/ImageSequenceSettings.h"
#include "settings/OutputKind.h"

namespace convert {
struct AviJob;
struct VideoJob;
}  // namespace convert

namespace batch {

struct ExportRecords;

class BatchHost {
  public:
    virtual ~BatchHost() = default;

    // The main window's current export settings, which each task's settings replace.
    virtual ExportRecords& Records() = 0;

    // Makes the task's movie the open one: its header (task.movie) becomes the open movie's,
    // its outputPath the output name the save dialogs propose; its working copy and silent
    // copy are made from task.sourcePath (the previous ones discarded), the silent copy is
    // loaded into the player and the player's timer sink taken as the last sink. False when
    // the movie cannot be read or a copy cannot be written; the run shows the message.
    virtual bool OpenTaskMovie(const settings::ExportTask& task) = 0;
    // The frames of the movie opened last: for a movie cut short, those complete.
    virtual int32_t OpenMovieFrameCount() const = 0;
    // The window title for the movie at `path`.
    virtual void ShowMovieTitle(const std::string& path) = 0;
    // The player area becomes width x height; the player shows all of the movie with its
    // own aspect when keepAspectRatio is set, else stretches it.
    virtual void ResizeToMovie(int32_t width, int32_t height, bool keepAspectRatio) = 0;

    // The conversion runs (convert::ConversionRunner): each returns its result code and
    // shows its own messages; LastFrameReached() is where the last one stopped.
    virtual int32_t RunImageSequence(const settings::ImageSequenceSettings& settings,
                                     settings::OutputKind kind, const std::string& outputPath) = 0;
    virtual int32_t RunAvi(const convert::AviJob& job) = 0;
    virtual int32_t RunVideo(const convert::VideoJob& job) = 0;
    virtual int32_t LastFrameReached() const = 0;

    // Removes the queued ClockTick and BatchNextTask events of the main window and sets
    // pendingTicks to 0.
    virtual void DiscardQueuedTicks() = 0;

    // Hides the seek controller when it is shown.
    virtual void HideSeekController() = 0;
    // Gives the seek controller the open movie's frame count - 1 as its end frame.
    virtual void ResetSeekEndFrame() = 0;

    // An error box with the string table's text of `stringId`, owned by the main window.
    virtual void ShowErrorMessage(int stringId) = 0;
    // A Yes/No question with a question icon, owned by the main window; true for Yes.
    virtual bool AskYesNo(int stringId) = 0;
};

}  // namespace batch
