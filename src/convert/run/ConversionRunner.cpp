#include "convert/run/ConversionRunner.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

#include "convert/PngWriter.h"
#include "convert/SoundQueue.h"
#include "convert/TgaWriter.h"
#include "convert/VideoFileWriter.h"
#include "convert/WavSoundInput.h"
#include "convert/run/ConversionHost.h"
#include "convert/run/FrameCapture.h"
#include "convert/run/FramePipeline.h"
#include "convert/run/ImageSequenceNames.h"
#include "convert/run/MovieSound.h"
#include "convert/run/ParsedMovie.h"
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

// The movie's sound during a run, as a normal play makes it: the control's own, or that of
// a player of its own beside the control, ticked with it.
class ConversionRunner::SoundPass {
  public:
    SoundPass(const audio::WaveFormat& format, double volume)
        : take_(format, volume), queue_(take_.format()) {}

    MovieSound& take() { return take_; }
    // What the writer reads the sound from; each frame's joins it on the writer's thread.
    SoundQueue& queue() { return queue_; }
    // The player beside the control, playing the movie from its first frame; false when it
    // cannot load it.
    bool PlayBeside(ConversionHost& host, const ParsedMovie& movie, const swf::Player& control) {
        beside_ = std::make_unique<swf::Player>();
        host.PreparePlayer(*beside_);
        beside_->SetViewSize(control.ViewWidth(), control.ViewHeight());
        beside_->SetScaleMode(control.GetScaleMode());
        take_.Prepare(*beside_);
        if (!movie.LoadInto(*beside_)) return false;
        beside_->Play();
        return true;
    }
    bool beside() const { return beside_ != nullptr; }
    // After each tick of the control (the player beside it is ticked here): the sound of the
    // frame it left, in `out` (cleared first), or dropped (a pre-roll step) without `out`.
    void TakeFrame(swf::Player& control, std::vector<uint8_t>* out) {
        if (beside_) beside_->advanceFrame();
        swf::Player& player = beside_ ? *beside_ : control;
        out = out ? out : &skipped_;
        out->clear();
        take_.Take(player, *out);
    }

  private:
    MovieSound take_;
    SoundQueue queue_;
    std::unique_ptr<swf::Player> beside_;
    std::vector<uint8_t> skipped_;
};

ConversionRunner::ConversionRunner(ConversionHost& host, const ParsedMovie& movie)
    : host_(host), movie_(movie) {}

ConversionRunner::~ConversionRunner() = default;

bool ConversionRunner::LoadForRun(SoundPass* sound) {
    swf::Player& control = host_.Control();
    if (sound && !sound->beside())
        sound->take().Prepare(control);
    else
        control.SetSoundOutput(0, 0);  // the control's own sound is not wanted: muted
    return movie_.LoadInto(control);
}

void ConversionRunner::EndRun() {
    host_.Renderer().alphaFlag = false;
    host_.ReloadMovie(movie_);
    host_.Control().StopPlay();
    host_.SetInterfaceEnabled(true);
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
    settings::SequenceMode mode, int32_t start, int32_t end, int statusId, SoundPass* sound,
    const std::function<AviResult(const OutputFrame&)>& write) {
    FramePipeline pipeline(
        1, PipelineBuffers(kOrderedBuffers),
        [&write](int64_t, const OutputFrame& frame) { return write(frame); });
    return RunFrames(mode, start, end, statusId, sound, pipeline);
}

ConversionRunner::FrameLoopEnd ConversionRunner::RunFrames(settings::SequenceMode mode,
                                                           int32_t start, int32_t end, int statusId,
                                                           SoundPass* sound,
                                                           FramePipeline& pipeline) {
    swf::Player& control = host_.Control();
    const FrameCapture& renderer = host_.Renderer();
    ProgressDialog& progress = host_.Progress();
    SequenceStepper stepper(mode);
    for (int32_t step = 0; step < start; ++step) {
        stepper.Apply(control);
        host_.TickControl();
        if (sound) sound->TakeFrame(control, nullptr);
    }
    FrameLoopEnd loop{start, {}};
    for (; loop.frame <= end; ++loop.frame) {
        // Waits while every buffer is still being written; none comes after a failed write.
        OutputFrame* output = pipeline.NextBuffer();
        if (!output) break;
        stepper.Apply(control);
        const bool captured = renderer.CaptureInto(control, output->picture);
        host_.TickControl();
        if (sound) sound->TakeFrame(control, &output->sound);
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
    if (!LoadForRun(nullptr)) {
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
            writers, PipelineBuffers(writers + 2), [&](int64_t index, const OutputFrame& frame) {
                const FrameBuffer& image = frame.picture;
                return write(names.Name(static_cast<int32_t>(index)), image.header(),
                             image.pixels(), alpha) == 1
                           ? AviResult{}
                           : AviResult{kResultFail, resources::kStrFailedToWriteStream};
            });
        const FrameLoopEnd loop = RunFrames(settings.sequenceMode, start, end,
                                            resources::kStrCreatingImageSequence, nullptr, pipeline);
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

    EndRun();
    ShowPending(message);
    return result;
}

int32_t ConversionRunner::OpenFileRun(settings::AudioSource audio, const std::string& wavePath,
                                      const audio::WaveFormat& format, settings::SequenceMode mode,
                                      int32_t colorDepth, int32_t start, int32_t end,
                                      std::unique_ptr<WavSoundInput>& file,
                                      std::unique_ptr<SoundPass>& pass, int& message) {
    WarnOfMissingFrames();
    host_.SetInterfaceEnabled(false);
    host_.Renderer().alphaFlag = colorDepth == settings::kColorDepthRgba;

    int32_t result = kResultOk;
    if (audio == settings::AudioSource::WaveFile) {
        file = std::make_unique<WavSoundInput>();
        result = file->Open(wavePath);
    } else if (audio == settings::AudioSource::RecordFromMovie) {
        pass = std::make_unique<SoundPass>(format, host_.RecordingVolume());
        // Stepping the control would step its sound: a normal play beside it makes it.
        if (mode != settings::SequenceMode::Normal &&
            !pass->PlayBeside(host_, movie_, host_.Control())) {
            message = resources::kStrFileOpenError;
            result = kResultFail;
        }
    }
    if (Succeeded(result) && !LoadForRun(pass.get())) {
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
    std::unique_ptr<WavSoundInput> file;
    std::unique_ptr<SoundPass> pass;
    int32_t result = OpenFileRun(settings.audioSource(), settings.wavePath, job.audioFormat,
                                 settings.sequenceMode, settings.colorDepth, start, end, file,
                                 pass, message);
    SoundInput* sound = pass ? static_cast<SoundInput*>(&pass->queue()) : file.get();

    AviWriter writer;
    bool opened = false;
    bool cancelled = false;
    int64_t frame = start;
    if (Succeeded(result)) {
        const AviOutput output{job.outputPath,      control.ViewWidth(),   control.ViewHeight(),
                               settings.colorDepth, settings.frameRate100, settings.splitSizeMB};
        const AviResult open = writer.Open(output, job.compressor, sound);
        opened = open.ok();
        if (!opened) {
            message = open.messageId;
            result = open.code;
        } else {
            control.Play();
            const FrameLoopEnd loop = RunFrames(settings.sequenceMode, start, end,
                                                resources::kStrCreatingVideo, pass.get(),
                                                [&](const OutputFrame& output) {
                                                    if (pass) pass->queue().Append(output.sound);
                                                    return writer.WriteFrame(output.picture);
                                                });
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
    if (cancelled) {
        writer.DeleteOutput();
        result = kResultAbort;
    }
    lastAviFileCount_ = opened && !cancelled ? std::max(1, writer.partCounter()) : 0;

    EndRun();
    if (Succeeded(result) && !host_.InBatch() && settings.playAfterCreating && !cancelled) {
        // After a split the chosen name has become the first part.
        host_.OpenDocument(writer.partCounter() > 0
                               ? AviWriter::PartName(job.outputPath, 0).string()
                               : job.outputPath);
    }
    ShowPending(message);
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
    std::unique_ptr<WavSoundInput> file;
    std::unique_ptr<SoundPass> pass;
    // A GIF has no sound.
    const settings::AudioSource audio = settings.container == settings::VideoContainer::Gif
                                            ? settings::AudioSource::None
                                            : settings.audioSource();
    int32_t result = OpenFileRun(audio, settings.wavePath, job.audioFormat, settings.sequenceMode,
                                 settings.colorDepth, start, end, file, pass, message);
    SoundInput* sound = pass ? static_cast<SoundInput*>(&pass->queue()) : file.get();

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
        if (sound) {
            target.audioEncoder = settings::InfoOf(settings.audioCodec).encoder;
            target.audioBitrateK = settings::AudioBitrateK(settings);
        }
        lastVideoError_ = writer.Open(target, sound);
        if (!lastVideoError_.empty()) {
            result = kResultFail;
        } else {
            control.Play();
            const FrameLoopEnd loop =
                RunFrames(settings.sequenceMode, start, end, resources::kStrCreatingVideo,
                          pass.get(), [&](const OutputFrame& output) {
                              if (pass) pass->queue().Append(output.sound);
                              lastVideoError_ = writer.WriteFrame(output.picture);
                              return lastVideoError_.empty() ? AviResult{}
                                                             : AviResult{kResultFail, 0};
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

    EndRun();
    ShowPending(message);
    return result;
}

}  // namespace convert
