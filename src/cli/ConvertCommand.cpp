// kinetrope avi|png|tga MOVIE.swf -o OUT [options]: the conversions of the desktop program's
// Create AVI and Create Image Sequence commands, with the same records, defaults and checks,
// run without a window. kinetrope wav writes the movie's own sound alone.

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "audio/WavFile.h"
#include "audio/WaveFormat.h"
#include "cli/CliConversionHost.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/ConvertOptions.h"
#include "cli/InputScript.h"
#include "cli/MovieDiagnosis.h"
#include "convert/AviWriter.h"
#include "convert/CompressorSettings.h"
#include "convert/FrameBuffer.h"
#include "convert/VideoEncoder.h"
#include "convert/run/ConversionRunner.h"
#include "convert/run/ImageSequenceNames.h"
#include "convert/run/MovieSound.h"
#include "convert/run/ParsedMovie.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"
#include "settings/ExportChecks.h"
#include "settings/OfferedSettings.h"

namespace cli {
namespace {

int Refuse(const char* command, int messageId, const std::string& detail = {}) {
    std::fprintf(stderr, "kinetrope %s: %s%s\n", command, resources::LoadString(messageId),
                 detail.c_str());
    return kExitUsage;
}

// Says how the run ended and gives the exit status.
int RunImageCommand(const std::vector<std::string>& args, settings::OutputKind kind) {
    const char* command = kind == settings::OutputKind::Tga ? "tga" : "png";
    if (PrintHelpIfAsked(command, args)) return 0;
    std::string error;
    const auto options = ParseConvertOptions(args, ConvertKind::Images, error);
    if (!options) return UsageError(command, error);
    CliConversionHost host;
    convert::ParsedMovie movie;
    if (!OpenMovie(movie, options->movie)) return kExitFailed;

    settings::ImageSequenceSettings settings;
    ApplyCommon(settings, *options, movie.header());
    if (const int refused = settings::CheckImageSequenceExport(settings))
        return Refuse(command, refused);

    host.Prepare(settings.width, settings.height, settings.keepAspectRatio != 0);
    PrepareInput(host, *options);
    convert::ConversionRunner runner(host, movie);
    const int32_t result = runner.RunImageSequence(settings, kind, options->output);
    const convert::ImageSequenceNames names(options->output, settings.startFrame,
                                            settings.endFrame);
    const int32_t last = runner.lastFrameReached() - settings.startFrame;
    return Conclude(host, result,
                    "wrote " + std::to_string(last + 1) + " image(s): " + names.Name(0) +
                        (last > 0 ? " ... " + names.Name(last) : std::string()));
}

std::string DescribeAviOutput(const std::string& output, int files) {
    if (files <= 1) return "wrote " + output;
    return "wrote " + std::to_string(files) +
           " parts: " + convert::AviWriter::PartName(output, 0).string() + " ... " +
           convert::AviWriter::PartName(output, files - 1).string();
}

}  // namespace

int RunAviCommand(const std::vector<std::string>& args) {
    if (PrintHelpIfAsked("avi", args)) return 0;
    std::string error;
    const auto options = ParseConvertOptions(args, ConvertKind::Avi, error);
    if (!options) return UsageError("avi", error);
    // The AVI file replaces whatever has its name: never the movie or the sound it is made of.
    if (SameFile(options->output, options->movie) || SameFile(options->output, options->wavePath)) {
        std::fprintf(stderr,
                     "kinetrope avi: the output %s would replace an input of the conversion\n",
                     options->output.c_str());
        return kExitUsage;
    }
    CliConversionHost host;
    convert::ParsedMovie parsed;
    if (!OpenMovie(parsed, options->movie)) return kExitFailed;
    const convert::MovieHeader& movie = parsed.header();

    convert::AviJob job;
    settings::AviExportSettings& settings = job.settings;
    ApplyCommon(settings, *options, movie);
    if (options->frameRate100) settings.frameRate100 = *options->frameRate100;
    settings.playAfterCreating = options->play ? 1 : 0;
    settings.SetAudioSource(options->audio == AudioChoice::None ? settings::AudioSource::None
                            : options->audio == AudioChoice::Movie
                                ? settings::AudioSource::RecordFromMovie
                                : settings::AudioSource::WaveFile,
                            options->wavePath);
    const settings::SplitSizeLimit split = settings::LimitSplitSize(options->splitSizeMB);
    if (split.messageId != 0)
        std::fprintf(stderr, "kinetrope avi: %s\n",
                     resources::FormatString(split.messageId, settings::kMaxSplitSizeMB).c_str());
    settings.splitSizeMB = split.splitSizeMB;
    job.audioFormat = options->format;
    job.compressor = options->compressor;
    job.outputPath = options->output;
    if (const int refused =
            settings::CheckAviExport(settings, convert::VideoCompressorName(job.compressor),
                                     options->audio == AudioChoice::File))
        return Refuse(
            "avi", refused,
            refused == resources::kStrFileNotExists || refused == resources::kStrInvalidWavFile
                ? " (" + options->wavePath + ")"
                : std::string());

    // The movie's sound is timed by its own frame rate.
    if (options->audio == AudioChoice::Movie && settings::FrameRate100(movie.frameRate) <= 0) {
        std::fprintf(stderr,
                     "kinetrope avi: the movie has no frame rate to record its sound at; "
                     "use --audio none or --audio FILE.wav\n");
        return kExitUsage;
    }
    host.Prepare(settings.width, settings.height, settings.keepAspectRatio != 0);
    PrepareInput(host, *options);
    return RunExport(
        host, parsed, [&](convert::ConversionRunner& runner) { return runner.RunAvi(job); },
        [&](convert::ConversionRunner& runner, int32_t result) {
            return Conclude(host, result,
                            DescribeAviOutput(options->output, runner.lastAviFileCount()));
        });
}

int RunWavCommand(const std::vector<std::string>& args) {
    if (PrintHelpIfAsked("wav", args)) return 0;
    std::string error;
    const auto options = ParseConvertOptions(args, ConvertKind::Wav, error);
    if (!options) return UsageError("wav", error);
    if (SameFile(options->output, options->movie)) {
        std::fprintf(stderr, "kinetrope wav: the output %s would replace the movie\n",
                     options->output.c_str());
        return kExitUsage;
    }
    CliConversionHost host;
    convert::ParsedMovie parsed;
    if (!OpenMovie(parsed, options->movie)) return kExitFailed;
    const convert::MovieHeader& movie = parsed.header();
    settings::AviExportSettings settings;
    ApplyCommon(settings, *options, movie);
    if (movie.frameRate <= 0 || settings.startFrame > settings.endFrame) {
        std::fprintf(stderr, "kinetrope wav: %s\n",
                     movie.frameRate <= 0 ? "the movie has no frame rate to time its sound by"
                                          : "the start frame is after the end frame");
        return kExitUsage;
    }
    const audio::WaveFormat& format = options->format;
    convert::MovieSound sound(format, 1.0);
    swf::Player& player = host.Control();
    PrepareInput(host, *options);
    sound.Prepare(player);
    if (!parsed.LoadInto(player)) {
        host.ShowErrorMessage(resources::kStrFileOpenError);
        return kExitFailed;
    }
    player.Play();

    // Written beside the output and put in its place once whole.
    const std::string scratch = options->output + ".partial";
    audio::WavFile wav;
    bool written = Succeeded(wav.Open(scratch, audio::WavFile::WriteMode, &format));
    // The sound of a normal play, as the AVI command takes it in every sequence mode.
    std::vector<uint8_t> bytes;
    for (int64_t frame = 0; written && frame <= settings.endFrame; ++frame) {
        host.PumpMessages();
        if (host.Progress().cancelled()) break;
        host.TickControl();
        bytes.clear();
        sound.Take(player, bytes);
        if (frame < settings.startFrame) continue;
        written = Succeeded(wav.Write(bytes.data(), static_cast<uint32_t>(bytes.size())));
    }
    ReportScriptStop(host.scriptStop());
    const bool cancelled = host.Progress().cancelled();
    written = Succeeded(wav.Close()) && written && !cancelled;
    std::error_code renamed;
    if (written) std::filesystem::rename(scratch, options->output, renamed);
    if (!written || renamed) {
        std::remove(scratch.c_str());
        if (cancelled) return kExitCancelled;
        std::fprintf(stderr, "kinetrope wav: could not write %s\n", options->output.c_str());
        return kExitFailed;
    }
    std::printf("wrote %s\n", options->output.c_str());
    return 0;
}

int RunPngCommand(const std::vector<std::string>& args) {
    return RunImageCommand(args, settings::OutputKind::Png);
}
int RunTgaCommand(const std::vector<std::string>& args) {
    return RunImageCommand(args, settings::OutputKind::Tga);
}

}  // namespace cli
