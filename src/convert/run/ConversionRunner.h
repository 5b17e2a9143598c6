#pragma once
// The conversion runs. An image sequence, an AVI file or a video file is made in one
// synchronous loop over the movie held in memory: the control is pre-rolled to the start
// frame one tick at a time, and for each output frame the sequence mode is applied, the
// frame captured, the control ticked once and the frame, with the sound the engine mixed
// for it, handed to writer threads (FramePipeline), which write it while the next one is
// drawn: a file's frames in order on one thread, image files on a few at once. The movie's
// sound is that of a normal play: the control's own in normal mode; in the frame-by-frame
// and skip-backward modes, which step the control, a second player beside it plays the
// movie normally, one tick per step, and the control mixes nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "audio/DiskSpace.h"
#include "audio/WaveFormat.h"
#include "convert/AviWriter.h"
#include "convert/CompressorSettings.h"
#include "settings/AviExportSettings.h"
#include "settings/ImageSequenceSettings.h"
#include "settings/OutputKind.h"
#include "settings/VideoExportSettings.h"

namespace swf {
class Player;
}

namespace convert {

class ConversionHost;
class FramePipeline;
class MovieSound;
class ParsedMovie;
class WavSoundInput;
struct OutputFrame;

// Everything an AVI export reads.
struct AviJob {
    settings::AviExportSettings settings;
    audio::WaveFormat audioFormat;  // of the movie's sound
    CompressorSettings compressor;
    std::string outputPath;
};

// Everything a video file export (MP4, MKV, WebM, MOV, GIF) reads.
struct VideoJob {
    settings::VideoExportSettings settings;
    audio::WaveFormat audioFormat;  // of the movie's sound
    std::string outputPath;
};

class ConversionRunner {
  public:
    ConversionRunner(ConversionHost& host, const ParsedMovie& movie);
    ~ConversionRunner();
    ConversionRunner(const ConversionRunner&) = delete;
    ConversionRunner& operator=(const ConversionRunner&) = delete;

    void SetFreeSpaceQuery(audio::FreeSpaceQuery query) { freeSpace_ = std::move(query); }

    // TGA or PNG files, one per frame. 0, E_ABORT (cancelled: the images are deleted) or a
    // failure; the run shows its own message.
    int32_t RunImageSequence(const settings::ImageSequenceSettings& settings,
                             settings::OutputKind kind, const std::string& outputPath);
    // An AVI file with the sound its settings choose: none, a WAV file's or the movie's own.
    int32_t RunAvi(const AviJob& job);
    // A video file likewise. A failure's message is lastVideoError() (or, for the run's own
    // failures, shown).
    int32_t RunVideo(const VideoJob& job);

    bool runInProgress() const { return runInProgress_; }
    // Where the last run stopped, capped at its end frame.
    int32_t lastFrameReached() const { return lastFrameReached_; }
    // The files the last AVI run left: 1, or the number of parts after a split.
    int lastAviFileCount() const { return lastAviFileCount_; }
    // Why the last video run failed, when the video writer said; empty otherwise.
    const std::string& lastVideoError() const { return lastVideoError_; }

  private:
    class SoundPass;
    // Where the frame loop stopped, and how the last write went.
    struct FrameLoopEnd {
        int64_t frame;
        AviResult written;
    };

    // The loop every run shares: pre-roll to the start frame one tick at a time, then for
    // each frame apply the sequence mode, capture, tick, take the frame's sound (when
    // `sound` is given) and `write`, until the end frame, a failed write, or Finish or
    // Cancel. `write` runs on a writer thread, one frame after the other, while the loop
    // draws the next.
    FrameLoopEnd RunFrames(settings::SequenceMode mode, int32_t start, int32_t end, int statusId,
                           SoundPass* sound,
                           const std::function<AviResult(const OutputFrame&)>& write);
    // The same loop over a pipeline of the caller's, finished (or abandoned after Cancel)
    // when it returns; a failed write ends it on that write's frame.
    FrameLoopEnd RunFrames(settings::SequenceMode mode, int32_t start, int32_t end, int statusId,
                           SoundPass* sound, FramePipeline& pipeline);
    // How many frame buffers of the control's view a pipeline may hold, up to `wanted`.
    int PipelineBuffers(int wanted);

    // Loads the movie into the control for a run: muted, or mixing `sound` when the
    // control's own play is the sound.
    bool LoadForRun(SoundPass* sound);
    // The opening an AVI and a video file run share: the interface locked, the alpha flag,
    // the sound (the chosen WAV file, or the movie's own), the movie loaded and the progress
    // dialog. A failure sets `message` when there is one to show.
    int32_t OpenFileRun(settings::AudioSource audio, const std::string& wavePath,
                        const audio::WaveFormat& format, settings::SequenceMode mode,
                        int32_t colorDepth, int32_t start, int32_t end,
                        std::unique_ptr<WavSoundInput>& file, std::unique_ptr<SoundPass>& pass,
                        int& message);
    // Ends every run: the alpha flag cleared, the movie given back to the host, stopped, the
    // interface unlocked.
    void EndRun();
    void ShowPending(int messageId);
    // A movie holding fewer frames than its header announces (cut short, or a placeholder
    // count) converts the frames it holds; the host is told so.
    void WarnOfMissingFrames();

    ConversionHost& host_;
    const ParsedMovie& movie_;
    audio::FreeSpaceQuery freeSpace_ = audio::GetFreeDiskSpace;

    bool runInProgress_ = false;
    int32_t lastFrameReached_ = -1;
    int lastAviFileCount_ = 0;
    std::string lastVideoError_;
};

}  // namespace convert
