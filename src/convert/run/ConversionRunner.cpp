#include "convert/run/ConversionRunner.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>
#include <thread>

#include "audio/SoundRecorder.h"
#include "audio/WavFile.h"
#include "convert/PngWriter.h"
#include "convert/TgaWriter.h"
#include "convert/VideoFileWriter.h"
#include "convert/run/BatchReport.h"
#include "convert/run/ConversionHost.h"
#include "convert/run/FrameCapture.h"
#include "convert/run/FramePipeline.h"
#include "convert/run/ImageSequenceNames.h"
#include "convert/run/MovieCopies.h"
#include "convert/run/ProgressDialog.h"
#include "convert/run/SequenceStepper.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"
#include "settings/OfferedSettings.h"
#include "swf/player/Player.h"

namespace convert {
namespace {

// The run-in-progress flag, set by whoever starts a synchronous run for its duration.
class RunScope {
  public:
    explicit RunScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~RunScope() { flag_ = previous_; }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

  private:
    bool& flag_;
    bool previous_;
};

std::filesystem::path TempFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path("/tmp") : folder;
}

// The folder a file is in; "." for a bare name.
std::filesystem::path FolderOf(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

void StartProgress(ProgressDialog& progress, int titleId, int statusId, int32_t start,
                   int32_t end) {
    progress.Open(resources::LoadString(titleId));
    progress.SetRange(start, end);
    progress.SetTotalText(
        resources::FormatString(resources::kStrTotalFrames, int64_t{end} - start + 1, start, end));
    progress.SetStatusText(resources::FormatString(statusId, 0));
}

int32_t CappedFrame(int64_t frame, int32_t end) {
    return static_cast<int32_t>(std::min<int64_t>(frame, end));
}

// An AVI's frames: one being drawn, one queued, one being encoded.
constexpr int kOrderedBuffers = 3;
// Frame buffers of one pipeline take no more than this between them (at least one buffer).
constexpr uint64_t kPipelineBufferBytes = uint64_t{256} << 20;
// Image files are compressed on this many threads at most, leaving one core to draw.
constexpr unsigned kMaxImageWriters = 4;

int ImageWriterCount() {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<int>(std::clamp(cores - 1, 1u, kMaxImageWriters));
}

}  // namespace

struct ConversionRunner::Recording {
    AviJob job;
    std::optional<VideoJob> video;  // the run after the phase, when it makes a video file
    audio::WaveFormat format;       // the job's, normalised
    std::unique_ptr<audio::SoundRecorder> recorder;
    double movieFrameRate = 0;
    uint64_t startOffset = 0;
    uint64_t endOffset = 0;
    // Where the recording stood when a confirmation question opened and the movie stopped.
    std::optional<uint64_t> endMark;
    int ticks = 0;
    int seconds = 0;
};

ConversionRunner::ConversionRunner(ConversionHost& host, MovieCopies& movie,
                                   std::string recordingPath)
    : host_(host), movie_(movie), recordingPath_(std::move(recordingPath)) {}

ConversionRunner::~ConversionRunner() = default;

bool ConversionRunner::LoadSilentCopy() {
    const std::string& path = movie_.SilentCopy();
    host_.Control().SetBaseFolder(movie_.baseFolder());
    return !path.empty() && host_.Control().LoadMovie(path);
}

void ConversionRunner::ReloadWorkingMovie() {
    swf::Player& control = host_.Control();
    if (!reloadAfterRun_) {
        control.StopPlay();
        return;
    }
    control.SetBaseFolder(movie_.baseFolder());
    control.LoadMovie(movie_.workingPath());
    control.StopPlay();
}

void ConversionRunner::AbandonRecording(int messageId) {
    lastFrameReached_ = -1;
    swf::Player& control = host_.Control();
    control.Rewind();
    control.StopPlay();
    host_.SetInterfaceEnabled(true);
    ShowPending(messageId);
}

void ConversionRunner::ShowPending(int messageId) {
    if (messageId != 0) host_.ShowErrorMessage(messageId);
}

void ConversionRunner::WarnOfMissingFrames() {
    if (movie_.cutShort()) {
        host_.ShowWarning("the movie is cut short: frame " +
                          std::to_string(movie_.lastCompleteFrame()) +
                          " (counted from 0) is its last complete frame");
    } else if (movie_.header().frameCount < movie_.announcedFrames()) {
        host_.ShowWarning("the movie holds " + std::to_string(movie_.header().frameCount) +
                          " frames, fewer than the " + std::to_string(movie_.announcedFrames()) +
                          " its header announces");
    }
}

int ConversionRunner::PipelineBuffers(int wanted) {
    const swf::Player& control = host_.Control();
    const uint64_t width = static_cast<uint64_t>(std::max(1, control.ViewWidth()));
    const uint64_t height = static_cast<uint64_t>(std::max(1, control.ViewHeight()));
    const uint64_t frameBytes = width * height * (host_.Renderer().alphaFlag ? 4 : 3);
    const uint64_t fitting = kPipelineBufferBytes / frameBytes;
    return static_cast<int>(std::clamp<uint64_t>(fitting, 1, static_cast<uint64_t>(wanted)));
}

ConversionRunner::FrameLoopEnd ConversionRunner::RunFrames(
    settings::SequenceMode mode, int32_t start, int32_t end, int statusId,
    const std::function<AviResult(const FrameBuffer&)>& write) {
    FramePipeline pipeline(
        1, PipelineBuffers(kOrderedBuffers),
        [&write](int64_t, const FrameBuffer& picture) { return write(picture); });
    return RunFrames(mode, start, end, statusId, pipeline);
}

ConversionRunner::FrameLoopEnd ConversionRunner::RunFrames(settings::SequenceMode mode,
                                                           int32_t start, int32_t end, int statusId,
                                                           FramePipeline& pipeline) {
    swf::Player& control = host_.Control();
    const FrameCapture& renderer = host_.Renderer();
    ProgressDialog& progress = host_.Progress();
    SequenceStepper stepper(mode);
    for (int32_t step = 0; step < start; ++step) {
        stepper.Apply(control);
        host_.TickControl();
    }
    FrameLoopEnd loop{start, {}};
    for (; loop.frame <= end; ++loop.frame) {
        // Waits while every buffer is still being written; none comes after a failed write.
        FrameBuffer* buffer = pipeline.NextBuffer();
        if (!buffer) break;
        stepper.Apply(control);
        const bool captured = renderer.CaptureInto(control, *buffer);
        host_.TickControl();
        if (!captured) {
            loop.written = {kResultFail, resources::kStrFailedToWriteStream};
            break;
        }
        pipeline.Submit();
        progress.SetStatusText(resources::FormatString(statusId, loop.frame - start + 1));
        if (progress.finished() || progress.cancelled()) break;
        progress.SetPos(static_cast<int>(loop.frame));
        host_.PumpMessages();
    }
    if (progress.cancelled())
        pipeline.Abandon();
    else
        pipeline.Finish();
    // The earliest failed write ends the run where it failed, as if the loop had waited for it.
    const auto failure = pipeline.failure();
    if (failure && (loop.written.ok() || start + failure->frame < loop.frame)) {
        loop.frame = start + failure->frame;
        loop.written = failure->result;
    }
    return loop;
}

int32_t ConversionRunner::RunImageSequence(const settings::ImageSequenceSettings& settings,
                                           settings::OutputKind kind,
                                           const std::string& outputPath) {
    RunScope scope(runInProgress_);
    const int32_t start = settings.startFrame, end = settings.endFrame;
    const bool alpha = settings.colorDepth == settings::kColorDepthRgba;

    // Every image, with room for its header, must fit into the temporary folder's disk.
    const uint64_t width = std::clamp<int32_t>(settings.width, 0, FrameBuffer::kMaxSide);
    const uint64_t height = std::clamp<int32_t>(settings.height, 0, FrameBuffer::kMaxSide);
    const uint64_t frames = static_cast<uint64_t>(std::max<int64_t>(0, int64_t{end} - start + 1));
    const uint64_t needed = ((alpha ? 4 : 3) * width * height + 40) * frames;
    if (freeSpace_(TempFolder()) <= needed) {
        host_.ShowErrorMessage(resources::kStrDiskSpaceNotEnough);
        return kResultFail;
    }

    FrameCapture& renderer = host_.Renderer();
    ProgressDialog& progress = host_.Progress();
    int32_t result = kResultOk;
    int message = 0;
    WarnOfMissingFrames();
    renderer.alphaFlag = alpha;
    host_.SetInterfaceEnabled(false);
    if (!LoadSilentCopy()) {
        message = resources::kStrFileOpenError;
        result = kResultFail;
    } else {
        StartProgress(progress,
                      kind == settings::OutputKind::Tga ? resources::kStrConvertingToTga
                                                        : resources::kStrConvertingToPng,
                      resources::kStrCreatingImageSequence, start, end);
        const ImageSequenceNames names(outputPath, start, end);
        const auto write = names.IsTga() ? WriteTgaFile : WritePngFile;
        // Each image is a file of its own: a few are compressed at once, each under its
        // frame's name whatever order they finish in.
        const int writers = ImageWriterCount();
        FramePipeline pipeline(
            writers, PipelineBuffers(writers + 2), [&](int64_t index, const FrameBuffer& image) {
                return write(names.Name(static_cast<int32_t>(index)), image.header(),
                             image.pixels(), alpha) == 1
                           ? AviResult{}
                           : AviResult{kResultFail, resources::kStrFailedToWriteStream};
            });
        const FrameLoopEnd loop = RunFrames(settings.sequenceMode, start, end,
                                            resources::kStrCreatingImageSequence, pipeline);
        result = loop.written.code;
        message = loop.written.messageId;
        lastFrameReached_ = CappedFrame(loop.frame, end);
        progress.Close();
        // Images written past a failed one go, as if the run had stopped there; after
        // Cancel every image goes.
        for (const int64_t index : pipeline.WrittenOutOfOrder())
            std::remove(names.Name(static_cast<int32_t>(index)).c_str());
        if (progress.cancelled()) {
            for (int64_t i = 0; i < pipeline.writtenInOrder(); ++i)
                std::remove(names.Name(static_cast<int32_t>(i)).c_str());
            result = kResultAbort;
        }
    }

    renderer.alphaFlag = false;
    ReloadWorkingMovie();
    host_.SetInterfaceEnabled(true);
    ShowPending(message);
    return result;
}

int32_t ConversionRunner::StartAviExport(const AviJob& job) {
    if (job.settings.audioSource() == settings::AudioSource::RecordFromMovie)
        return BeginRecordingPhase(job);
    return RunAvi(job);
}

int32_t ConversionRunner::OpenFileRun(bool withSound, const std::string& wavePath,
                                      int32_t colorDepth, int32_t start, int32_t end,
                                      audio::WavFile& sound, AviAudioSource& source, int& message) {
    if (!phase_) WarnOfMissingFrames();  // else the recording phase has warned
    host_.SetInterfaceEnabled(false);
    host_.Renderer().alphaFlag = colorDepth == settings::kColorDepthRgba;

    int32_t result = kResultOk;
    if (withSound) {
        const bool fromFile = !wavePath.empty();
        result = sound.Open(fromFile ? wavePath : recordingPath_, audio::WavFile::ReadMode);
        if (Succeeded(result) && !sound.Format()) result = kResultFail;
        source = {&sound, fromFile ? 0 : recordedStart_,
                  fromFile ? sound.DataSize() : recordedEnd_};
    }
    if (Succeeded(result) && !LoadSilentCopy()) {
        message = resources::kStrFileOpenError;
        result = kResultFail;
    }
    if (Succeeded(result))
        StartProgress(host_.Progress(), resources::kStrConvertingToAvi,
                      resources::kStrCreatingVideo, start, end);
    return result;
}

int32_t ConversionRunner::RunAvi(const AviJob& job) {
    RunScope scope(runInProgress_);
    const settings::AviExportSettings& settings = job.settings;
    const int32_t start = settings.startFrame, end = settings.endFrame;
    ProgressDialog& progress = host_.Progress();
    swf::Player& control = host_.Control();
    int message = 0;
    audio::WavFile sound;
    AviAudioSource source;
    int32_t result = OpenFileRun(settings.audioEnabled, settings.wavePath, settings.colorDepth,
                                 start, end, sound, source, message);

    AviWriter writer;
    bool opened = false;
    bool cancelled = false;
    int64_t frame = start;
    if (Succeeded(result)) {
        const AviOutput output{job.outputPath,      control.ViewWidth(),   control.ViewHeight(),
                               settings.colorDepth, settings.frameRate100, settings.splitSizeMB};
        const AviResult open = writer.Open(output, job.compressor, source.file ? &source : nullptr);
        opened = open.ok();
        if (!opened) {
            message = open.messageId;
            result = open.code;
        } else {
            control.Play();
            const FrameLoopEnd loop =
                RunFrames(settings.sequenceMode, start, end, resources::kStrCreatingVideo,
                          [&](const FrameBuffer& image) { return writer.WriteFrame(image); });
            result = loop.written.code;
            message = loop.written.messageId;
            frame = loop.frame;
        }
        progress.Close();
        cancelled = progress.cancelled();
    }
    lastFrameReached_ = CappedFrame(frame, end);
    // A file that cannot be finished is a failure even when every frame went in.
    const AviResult closed = writer.Close();
    if (opened && !closed.ok() && Succeeded(result)) {
        message = closed.messageId;
        result = closed.code;
    }
    sound.Close();
    std::remove(recordingPath_.c_str());
    if (cancelled) {
        writer.DeleteOutput();
        result = kResultAbort;
    }
    lastAviFileCount_ = opened && !cancelled ? std::max(1, writer.partCounter()) : 0;

    host_.Renderer().alphaFlag = false;
    ReloadWorkingMovie();
    host_.SetInterfaceEnabled(true);
    if (Succeeded(result) && !batch_ && settings.playAfterCreating && !cancelled) {
        // After a split the chosen name has become the first part.
        host_.OpenDocument(writer.partCounter() > 0
                               ? AviWriter::PartName(job.outputPath, 0).string()
                               : job.outputPath);
    }
    ShowPending(message);
    return result;
}

int32_t ConversionRunner::BeginRecordingPhase(const AviJob& job) {
    WarnOfMissingFrames();
    host_.SetInterfaceEnabled(false);
    ProgressDialog& progress = host_.Progress();
    swf::Player& control = host_.Control();
    control.SetBaseFolder(movie_.baseFolder());  // loads read beside the original, not the copy
    auto phase = std::make_unique<Recording>();
    phase->job = job;
    phase->format = audio::NormalizePcm(job.audioFormat);
    phase->movieFrameRate = movie_.header().frameRate;
    const settings::AviExportSettings& settings = job.settings;
    const uint64_t bytesPerSecond = phase->format.avgBytesPerSec;
    const int32_t movieRate100 = settings::FrameRate100(phase->movieFrameRate);

    int message = 0;
    bool started = false;
    if (movieRate100 > 0 && bytesPerSecond > 0 && phase->format.blockAlign > 0) {
        // The sound of frames start to end at the movie's own rate, in whole sample blocks so
        // that the sound read from the start offset on is not shifted by part of a sample.
        const auto offsetOfFrame = [&](int64_t frame) {
            const uint64_t bytes = static_cast<uint64_t>(std::max<int64_t>(0, frame)) *
                                   bytesPerSecond * 100 / static_cast<uint64_t>(movieRate100);
            return bytes - bytes % phase->format.blockAlign;
        };
        phase->startOffset = offsetOfFrame(settings.startFrame);
        phase->endOffset = offsetOfFrame(int64_t{settings.endFrame} + 1);

        if (freeSpace_(FolderOf(recordingPath_)) <= phase->endOffset) {
            message = resources::kStrDiskSpaceNotEnough;
        } else {
            phase->recorder.reset(new (std::nothrow) audio::SoundRecorder(host_.SoundSource()));
            if (!phase->recorder) {
                message = resources::kStrOutOfMemory;
            } else {
                phase->recorder->SetFreeSpaceQuery(freeSpace_);
                StartProgress(progress, resources::kStrConvertingToAvi,
                              resources::kStrCreatingAudio, settings.startFrame, settings.endFrame);
                // Seconds of movie time; a very slow movie must not overflow the bar's range.
                const double seconds = (int64_t{settings.endFrame} + 1) / phase->movieFrameRate;
                progress.SetRange(0, static_cast<int>(std::min<double>(
                                         seconds, std::numeric_limits<int>::max())));
                if (phase->startOffset != 0) progress.EnableButton(ProgressButton::Finish, false);
                started = Succeeded(phase->recorder->Open(recordingPath_, &phase->format)) &&
                          control.LoadMovie(movie_.workingPath());
                if (started) {
                    control.Play();
                    started = Succeeded(phase->recorder->StartCapture(phase->endOffset));
                }
            }
        }
    }
    if (started) {
        phase_ = std::move(phase);
        recording_ = true;
        return kResultOk;
    }

    recording_ = false;
    if (phase->recorder) {
        phase->recorder->Close();
        progress.Close();
    }
    AbandonRecording(message);
    return kResultFail;
}

std::optional<int32_t> ConversionRunner::OnRecordingTick() {
    if (!recording_ || !phase_) return std::nullopt;
    Recording& phase = *phase_;
    ProgressDialog& progress = host_.Progress();

    if (progress.finished() || progress.cancelled()) return CompleteRecording();

    if (++phase.ticks >= phase.movieFrameRate) {
        phase.ticks = 0;
        const uint64_t recorded = phase.recorder->BytesRecorded();
        if (recorded >= phase.endOffset) return CompleteRecording();
        ++phase.seconds;
        progress.SetPos(phase.seconds);
        progress.SetStatusText(
            resources::FormatString(resources::kStrCreatingAudio,
                                    static_cast<int64_t>(phase.seconds * phase.movieFrameRate)));
        if (phase.startOffset != 0 && recorded > phase.startOffset)
            progress.EnableButton(ProgressButton::Finish, true);
        host_.PumpMessages();
    }

    // While a confirmation question is open the movie stands still; if the user then
    // finishes, the sound ends where the question opened.
    if (!progress.asking()) {
        phase.endMark.reset();
        host_.TickControl();
    } else if (!phase.endMark) {
        phase.endMark = phase.recorder->BytesRecorded();
    }
    return std::nullopt;
}

int32_t ConversionRunner::CompleteRecording() {
    // A cancelled or failed phase ends as a failure, with the movie already stopped.
    int32_t result = EndRecordingPhase();
    if (Succeeded(result) && phase_->video) {
        phase_->video->settings.endFrame = phase_->job.settings.endFrame;  // after Finish
        result = RunVideo(*phase_->video);
    } else if (Succeeded(result)) {
        result = RunAvi(phase_->job);
    }
    Report(result);
    phase_.reset();
    return result;
}

int32_t ConversionRunner::EndRecordingPhase() {
    if (!phase_ || !phase_->recorder) return kResultFail;
    Recording& phase = *phase_;
    ProgressDialog& progress = host_.Progress();
    swf::Player& control = host_.Control();
    const bool cancelled = progress.cancelled();
    int message = 0;

    int32_t result = phase.recorder->StopCapture();
    recording_ = false;
    if (Succeeded(result) && cancelled) {
        control.StopPlay();
        result = kResultAbort;
    } else if (Succeeded(result)) {
        recordedStart_ = phase.startOffset;
        recordedEnd_ = phase.endMark.value_or(phase.recorder->BytesRecorded());
        if (progress.finished()) {
            // The frames the recorded sound covers at the output rate.
            const int64_t covered = static_cast<int64_t>(
                recordedEnd_ * static_cast<uint64_t>(std::max(0, phase.job.settings.frameRate100)) /
                (uint64_t{phase.format.avgBytesPerSec} * 100));
            const int64_t endFrame = covered - 1;
            if (endFrame < phase.job.settings.startFrame)
                result = kResultFail;
            else
                phase.job.settings.endFrame = static_cast<int32_t>(
                    std::min<int64_t>(endFrame, std::numeric_limits<int32_t>::max()));
        }
    }

    // A recording that cannot be finished on disk holds no usable sound.
    if (Failed(phase.recorder->Close()) && Succeeded(result)) {
        message = resources::kStrDiskSpaceNotEnough;
        result = kResultFail;
    }
    phase.recorder.reset();
    if (cancelled) std::remove(recordingPath_.c_str());
    progress.Close();
    if (Failed(result)) AbandonRecording(message);
    return result;
}

void ConversionRunner::Report(int32_t result) {
    if (!batch_) return;
    bool stopRemaining = Failed(result);
    if (result == kResultAbort || (Succeeded(result) && host_.Progress().cancelled())) {
        RunScope scope(runInProgress_);
        stopRemaining =
            !batch_->HasFurtherTasks() || host_.AskYesNo(resources::kStrCancelRemainingBatchTasks);
    }
    batch_->PostNextTask(result, stopRemaining);
}

int32_t ConversionRunner::StartVideoExport(const VideoJob& job) {
    if (job.settings.audioSource() != settings::AudioSource::RecordFromMovie) return RunVideo(job);
    // The recording phase of an AVI with the same frames, then this run.
    AviJob recording;
    const settings::VideoExportSettings& video = job.settings;
    recording.settings.startFrame = video.startFrame;
    recording.settings.endFrame = video.endFrame;
    recording.settings.frameRate100 = video.frameRate100;
    recording.settings.sequenceMode = video.sequenceMode;
    recording.settings.SetAudioSource(settings::AudioSource::RecordFromMovie);
    recording.audioFormat = job.audioFormat;
    recording.outputPath = job.outputPath;
    const int32_t result = BeginRecordingPhase(recording);
    if (Succeeded(result) && phase_) phase_->video = job;
    return result;
}

int32_t ConversionRunner::RunVideo(const VideoJob& job) {
    RunScope scope(runInProgress_);
    const settings::VideoExportSettings& settings = job.settings;
    const int32_t start = settings.startFrame, end = settings.endFrame;
    ProgressDialog& progress = host_.Progress();
    swf::Player& control = host_.Control();
    lastVideoError_.clear();

    int message = 0;
    audio::WavFile sound;
    AviAudioSource source;
    const bool withSound =
        settings.audioEnabled && settings.container != settings::VideoContainer::Gif;
    int32_t result = OpenFileRun(withSound, settings.wavePath, settings.colorDepth, start, end,
                                 sound, source, message);

    VideoFileWriter writer;
    bool cancelled = false;
    int64_t frame = start;
    if (Succeeded(result)) {
        VideoFileTarget target;
        target.path = job.outputPath;
        target.formatName = settings::InfoOf(settings.container).formatName;
        target.videoEncoder = settings::VideoEncoderName(settings.videoCodec);
        target.pixelFormat = settings::PixelFormatName(settings);
        target.width = control.ViewWidth();
        target.height = control.ViewHeight();
        target.frameRate100 = settings.frameRate100;
        target.crf = settings.crf;
        target.preset = settings.preset;
        if (withSound) {
            target.audioEncoder = settings::InfoOf(settings.audioCodec).encoder;
            target.audioBitrateK = settings::AudioBitrateK(settings);
        }
        lastVideoError_ = writer.Open(target, withSound ? &source : nullptr);
        if (!lastVideoError_.empty()) {
            result = kResultFail;
        } else {
            control.Play();
            const FrameLoopEnd loop = RunFrames(
                settings.sequenceMode, start, end, resources::kStrCreatingVideo,
                [&](const FrameBuffer& image) {
                    lastVideoError_ = writer.WriteFrame(image);
                    return lastVideoError_.empty() ? AviResult{} : AviResult{kResultFail, 0};
                });
            result = loop.written.code;
            message = loop.written.messageId;
            frame = loop.frame;
        }
        progress.Close();
        cancelled = progress.cancelled();
    }
    lastFrameReached_ = CappedFrame(frame, end);
    if (cancelled) {
        result = kResultAbort;
    } else if (Succeeded(result)) {
        // A file that cannot be finished is a failure even when every frame went in.
        lastVideoError_ = writer.Close();
        if (!lastVideoError_.empty()) result = kResultFail;
    }
    writer.Discard();
    sound.Close();
    std::remove(recordingPath_.c_str());

    host_.Renderer().alphaFlag = false;
    ReloadWorkingMovie();
    host_.SetInterfaceEnabled(true);
    ShowPending(message);
    return result;
}

}  // namespace convert
