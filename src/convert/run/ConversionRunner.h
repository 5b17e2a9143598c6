#pragma once
// The conversion runs. An image sequence or an AVI file is made in one synchronous loop: the
// silent copy is loaded, pre-rolled to the start frame one tick at a time, and for each
// output frame the sequence mode is applied, the frame captured, the control ticked once and
// the frame handed to writer threads (FramePipeline), which write it while the next one is
// drawn: a file's frames in order on one thread, image files on a few at once. An AVI with
// the movie's own sound is preceded by a recording phase, which runs on the host's clock
// ticks (OnRecordingTick) while the movie plays with sound.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "audio/DiskSpace.h"
#include "audio/WaveFormat.h"
#include "convert/AviWriter.h"
#include "convert/CompressorSettings.h"
#include "settings/AviExportSettings.h"
#include "settings/ImageSequenceSettings.h"
#include "settings/OutputKind.h"
#include "settings/VideoExportSettings.h"

namespace audio {
class SoundRecorder;
}

namespace convert {

class BatchReport;
class ConversionHost;
class FramePipeline;
class MovieCopies;

// Everything an AVI export reads.
struct AviJob {
    settings::AviExportSettings settings;
    audio::WaveFormat audioFormat;  // of the recording
    CompressorSettings compressor;
    std::string outputPath;
};

// Everything a video file export (MP4, MKV, WebM, MOV, GIF) reads.
struct VideoJob {
    settings::VideoExportSettings settings;
    audio::WaveFormat audioFormat;  // of the recording of the movie's sound
    std::string outputPath;
};

class ConversionRunner {
  public:
    // `recordingPath` is the temporary WAV file the recording phase writes.
    ConversionRunner(ConversionHost& host, MovieCopies& movie, std::string recordingPath);
    ~ConversionRunner();
    ConversionRunner(const ConversionRunner&) = delete;
    ConversionRunner& operator=(const ConversionRunner&) = delete;

    // The batch to report to while one runs; null otherwise.
    void SetBatch(BatchReport* batch) { batch_ = batch; }
    void SetFreeSpaceQuery(audio::FreeSpaceQuery query) { freeSpace_ = std::move(query); }
    // Whether a run ends by loading the working movie back, stopped (the desktop shows it
    // again); a command that exits after its run has no use for it.
    void SetReloadAfterRun(bool reload) { reloadAfterRun_ = reload; }

    // TGA or PNG files, one per frame. 0, E_ABORT (cancelled: the images are deleted) or a
    // failure; the run shows its own message.
    int32_t RunImageSequence(const settings::ImageSequenceSettings& settings,
                             settings::OutputKind kind, const std::string& outputPath);

    // An AVI export as its settings choose: at once without audio or with a WAV file, else
    // a recording phase first (then the result is that of starting it, and the run's own
    // comes from the tick that ends it).
    int32_t StartAviExport(const AviJob& job);
    int32_t RunAvi(const AviJob& job);
    int32_t BeginRecordingPhase(const AviJob& job);
    // A video file as its settings choose, the movie's own sound recorded first as for AVI.
    // A failure's message is lastVideoError() (or, for the run's own failures, shown).
    int32_t StartVideoExport(const VideoJob& job);
    int32_t RunVideo(const VideoJob& job);
    // A clock tick while recording. Returns the result of the export when this tick ended
    // it (the recording phase and the AVI run after it), nothing while it goes on.
    std::optional<int32_t> OnRecordingTick();
    int32_t EndRecordingPhase();

    bool runInProgress() const { return runInProgress_; }
    bool recording() const { return recording_; }
    // Where the last run stopped, capped at its end frame; -1 after a failed recording phase.
    int32_t lastFrameReached() const { return lastFrameReached_; }
    // The files the last AVI run left: 1, or the number of parts after a split.
    int lastAviFileCount() const { return lastAviFileCount_; }
    // Why the last video run failed, when the video writer said; empty otherwise.
    const std::string& lastVideoError() const { return lastVideoError_; }

  private:
    struct Recording;
    // Where the frame loop stopped, and how the last write went.
    struct FrameLoopEnd {
        int64_t frame;
        AviResult written;
    };

    // The loop every run shares: pre-roll to the start frame one tick at a time, then for
    // each frame apply the sequence mode, capture, tick and `write`, until the end frame, a
    // failed write, or Finish or Cancel. `write` runs on a writer thread, one frame after the
    // other, while the loop draws the next.
    FrameLoopEnd RunFrames(settings::SequenceMode mode, int32_t start, int32_t end, int statusId,
                           const std::function<AviResult(const FrameBuffer&)>& write);
    // The same loop over a pipeline of the caller's, finished (or abandoned after Cancel)
    // when it returns; a failed write ends it on that write's frame.
    FrameLoopEnd RunFrames(settings::SequenceMode mode, int32_t start, int32_t end, int statusId,
                           FramePipeline& pipeline);
    // How many frame buffers of the control's view a pipeline may hold, up to `wanted`.
    int PipelineBuffers(int wanted);

    // The end of the recording phase, by Finish, Cancel or the last frame's sound: the AVI
    // run when the phase ended well, then the batch told. Returns the export's result.
    int32_t CompleteRecording();
    bool LoadSilentCopy();
    // The opening an AVI and a video file run share: the interface locked, the alpha
    // flag, the sound (the chosen WAV file, else the recording's range) when `withSound`,
    // the silent copy and the progress dialog. A failure sets `message` when there is one
    // to show.
    int32_t OpenFileRun(bool withSound, const std::string& wavePath, int32_t colorDepth,
                        int32_t start, int32_t end, audio::WavFile& sound, AviAudioSource& source,
                        int& message);
    void ReloadWorkingMovie();
    // A recording phase that ends without an AVI run: no frame reached, the movie stopped
    // at its start, the interface unlocked, the message (if any) shown.
    void AbandonRecording(int messageId);
    void Report(int32_t result);
    void ShowPending(int messageId);
    // A movie holding fewer frames than its header announces (cut short, or a placeholder
    // count) converts the frames it holds; the host is told so.
    void WarnOfMissingFrames();

    ConversionHost& host_;
    MovieCopies& movie_;
    std::string recordingPath_;
    BatchReport* batch_ = nullptr;
    audio::FreeSpaceQuery freeSpace_ = audio::GetFreeDiskSpace;
    bool reloadAfterRun_ = true;

    bool runInProgress_ = false;
    bool recording_ = false;
    int32_t lastFrameReached_ = -1;
    int lastAviFileCount_ = 0;
    std::string lastVideoError_;

    // The sound the next AVI run takes from the recording: byte offsets into its data.
    uint64_t recordedStart_ = 0;
    uint64_t recordedEnd_ = 0;
    std::unique_ptr<Recording> phase_;
};

}  // namespace convert
