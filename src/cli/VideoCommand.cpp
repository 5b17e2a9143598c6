// kinetrope video MOVIE.swf -o OUT.mp4|.mkv|.webm|.mov|.gif [options]: the frames of the AVI
// conversion, with the movie's own sound or a WAV file's, written as a video file through
// FFmpeg, with codecs chosen by the output's extension unless given.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliConversionHost.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/ConvertOptions.h"
#include "convert/run/ConversionRunner.h"
#include "convert/run/ParsedMovie.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"
#include "settings/OfferedSettings.h"
#include "settings/VideoExportSettings.h"

namespace cli {
namespace {

// The movie's sound is recorded at the rate Opus wants, and resampled for the others.
audio::WaveFormat RecordingFormat() {
    audio::WaveFormat format = settings::DefaultAudioFormat();
    format.samplesPerSec = 48000;
    return audio::NormalizePcm(format);
}

int Refuse(const std::string& message) {
    std::fprintf(stderr, "kinetrope video: %s\n", message.c_str());
    return kExitUsage;
}

}  // namespace

int RunVideoCommand(const std::vector<std::string>& args) {
    if (PrintHelpIfAsked("video", args)) return 0;
    std::string error;
    const auto options = ParseConvertOptions(args, ConvertKind::Video, error);
    if (!options) return UsageError("video", error);
    const auto container = settings::ContainerForPath(options->output);
    if (!container)
        return UsageError("video",
                          "the output must end in .mp4, .mkv, .webm, .mov or .gif (AVI files "
                          "come from 'kinetrope avi')");
    if (SameFile(options->output, options->movie) || SameFile(options->output, options->wavePath))
        return Refuse("the output " + options->output +
                      " would replace an input of the conversion");

    CliConversionHost host;
    convert::ParsedMovie parsed;
    if (!OpenMovie(parsed, options->movie)) return kExitFailed;
    const convert::MovieHeader& movie = parsed.header();

    convert::VideoJob job;
    settings::VideoExportSettings& settings = job.settings;
    settings::SetContainer(settings, *container);
    ApplyCommon(settings, *options, movie);
    if (options->frameRate100) settings.frameRate100 = *options->frameRate100;
    if (options->videoCodec) settings.videoCodec = *options->videoCodec;
    if (options->crf) settings.crf = *options->crf;
    settings.preset = options->preset;
    if (options->audioCodec) settings.audioCodec = *options->audioCodec;
    if (options->audioBitrateK) settings.audioBitrateK = *options->audioBitrateK;
    // A GIF has no sound: without --audio it is made silent rather than refused.
    const AudioChoice audio = *container == settings::VideoContainer::Gif && !options->audioGiven
                                  ? AudioChoice::None
                                  : options->audio;
    settings.SetAudioSource(audio == AudioChoice::None    ? settings::AudioSource::None
                            : audio == AudioChoice::Movie ? settings::AudioSource::RecordFromMovie
                                                          : settings::AudioSource::WaveFile,
                            options->wavePath);
    if (const std::string refused = settings::CheckVideoExport(settings); !refused.empty())
        return Refuse(refused);
    if (audio == AudioChoice::Movie && settings::FrameRate100(movie.frameRate) <= 0)
        return Refuse(
            "the movie has no frame rate to record its sound at; use --audio none or --audio "
            "FILE.wav");
    job.audioFormat = RecordingFormat();
    job.outputPath = options->output;

    host.Prepare(settings.width, settings.height, settings.keepAspectRatio != 0);
    PrepareInput(host, *options);
    return RunExport(
        host, parsed, [&](convert::ConversionRunner& runner) { return runner.RunVideo(job); },
        [&](convert::ConversionRunner& runner, int32_t result) {
            if (Failed(result) && result != kResultAbort && !runner.lastVideoError().empty()) {
                std::fprintf(stderr, "kinetrope video: %s\n", runner.lastVideoError().c_str());
                return kExitFailed;
            }
            return Conclude(host, result, "wrote " + options->output);
        });
}

}  // namespace cli
