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

#include "audio/PcmConversion.h"
#include "audio/WavFile.h"
#include "audio/WaveFormat.h"
#include "cli/CliConversionHost.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/InputScript.h"
#include "cli/MovieDiagnosis.h"
#include "convert/AviWriter.h"
#include "convert/CompressorSettings.h"
#include "convert/FrameBuffer.h"
#include "convert/TempFile.h"
#include "convert/VideoEncoder.h"
#include "convert/run/ConversionRunner.h"
#include "convert/run/ImageSequenceNames.h"
#include "convert/run/MovieCopies.h"
#include "convert/run/SequenceStepper.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"
#include "settings/ExportChecks.h"
#include "settings/OfferedSettings.h"

namespace cli {
namespace {

// Exit statuses besides kExitUsage: the conversion failed; cancelled.
constexpr int kExitFailed = 1;
constexpr int kExitCancelled = 130;

enum class AudioChoice { None, Movie, File };
enum class Command { Images, Avi, Wav };

struct ConvertOptions {
    std::string movie;
    std::string output;
    std::optional<int32_t> start;
    std::optional<int32_t> end;
    settings::SequenceMode mode = settings::SequenceMode::Normal;
    std::optional<std::pair<int32_t, int32_t>> size;
    bool stretch = false;
    int32_t depth = settings::kColorDepthRgb;
    // AVI only.
    std::optional<int32_t> frameRate100;
    convert::CompressorSettings compressor = convert::DefaultCompressorSettings();
    AudioChoice audio = AudioChoice::Movie;
    std::string wavePath;
    audio::WaveFormat format = settings::DefaultAudioFormat();
    int32_t splitSizeMB = settings::kDefaultSplitSizeMB;
    bool play = false;
    // Scripted mouse and keyboard, and playing on past a movie that waits for a click.
    std::optional<InputScript> input;
    bool autoplay = false;
    swf::RenderQuality quality = swf::RenderQuality::High;
};

// The folder an output would go into, when it is not an existing folder.
std::optional<std::string> MissingOutputFolder(const std::string& output) {
    std::filesystem::path folder = std::filesystem::path(output).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) return std::nullopt;
    return folder.string();
}

// A whole number from 0 to the largest 32-bit one, nothing else.
std::optional<int32_t> ParseCount(std::string_view text) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

// "29.97" as 2997: digits with at most two decimals.
std::optional<int32_t> ParseFrameRate(std::string_view text) {
    const size_t dot = text.find('.');
    const auto whole = ParseCount(text.substr(0, dot));
    if (!whole || *whole > 1000000) return std::nullopt;
    int32_t hundredths = 0;
    if (dot != std::string_view::npos) {
        const std::string_view decimals = text.substr(dot + 1);
        const auto fraction = ParseCount(decimals);
        if (decimals.empty() || decimals.size() > 2 || !fraction) return std::nullopt;
        hundredths = decimals.size() == 1 ? *fraction * 10 : *fraction;
    }
    return *whole * 100 + hundredths;
}

std::optional<std::pair<int32_t, int32_t>> ParseSize(std::string_view text) {
    const size_t x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = ParseCount(text.substr(0, x));
    const auto height = ParseCount(text.substr(x + 1));
    if (!width || !height || *width < 1 || *height < 1 || *width > convert::FrameBuffer::kMaxSide ||
        *height > convert::FrameBuffer::kMaxSide)
        return std::nullopt;
    return std::make_pair(*width, *height);
}

// "44100:16:2": samples per second, bits per sample, channels; PCM.
std::optional<audio::WaveFormat> ParseWaveFormat(std::string_view text) {
    const size_t first = text.find(':');
    const size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto rate = ParseCount(text.substr(0, first));
    const auto bits = ParseCount(text.substr(first + 1, second - first - 1));
    const auto channels = ParseCount(text.substr(second + 1));
    if (!rate || !bits || !channels || *rate < 1000 || *rate > 384000 ||
        (*bits != 8 && *bits != 16 && *bits != 24 && *bits != 32) || *channels < 1 || *channels > 8)
        return std::nullopt;
    audio::WaveFormat format;
    format.samplesPerSec = static_cast<uint32_t>(*rate);
    format.bitsPerSample = static_cast<uint16_t>(*bits);
    format.channels = static_cast<uint16_t>(*channels);
    return audio::NormalizePcm(format);
}

std::string AvailableCodecs() {
    std::string list;
    for (const convert::VideoCompressorInfo& info : convert::AvailableVideoCompressors())
        list += (list.empty() ? "" : ", ") + convert::FourCCToString(info.fourcc);
    return list;
}

// Applies one option with its value; an error says what is wrong with it.
bool ApplyOption(ConvertOptions& options, const std::string& name, const std::string& value,
                 Command command, std::string& error) {
    auto invalid = [&](const char* what) {
        error = name + " needs " + what + ", not '" + value + "'";
        return false;
    };
    if (name == "-o") {
        options.output = value;
    } else if (name == "--start" || name == "--end") {
        const auto frame = ParseCount(value);
        if (!frame) return invalid("a frame number from 0");
        (name == "--start" ? options.start : options.end) = *frame;
    } else if (name == "--mode") {
        if (value == "normal")
            options.mode = settings::SequenceMode::Normal;
        else if (value == "frame")
            options.mode = settings::SequenceMode::FrameByFrame;
        else if (value == "skip")
            options.mode = settings::SequenceMode::SkipBackward;
        else
            return invalid("normal, frame or skip");
    } else if (name == "--input") {
        options.input = InputScript::Read(value, error);
        if (!options.input) return false;
    } else if (name == "--size" && command != Command::Wav) {
        options.size = ParseSize(value);
        if (!options.size) return invalid("WIDTHxHEIGHT in pixels, 1 to 16384 each");
    } else if (name == "--render-quality" && command != Command::Wav) {
        const auto quality = ParseRenderQuality(value);
        if (!quality) return invalid("low, medium, high or best");
        options.quality = *quality;
    } else if (name == "--depth" && command != Command::Wav) {
        if (value != "24" && value != "32") return invalid("24 or 32");
        options.depth = value == "24" ? settings::kColorDepthRgb : settings::kColorDepthRgba;
    } else if (name == "--format" && command != Command::Images) {
        const auto format = ParseWaveFormat(value);
        if (!format) return invalid("RATE:BITS:CHANNELS such as 44100:16:2");
        options.format = *format;
    } else if (command != Command::Avi) {
        error = "unknown option '" + name + "'";
        return false;
    } else if (name == "--fps") {
        options.frameRate100 = ParseFrameRate(value);
        if (!options.frameRate100) return invalid("frames per second such as 29.97");
    } else if (name == "--codec") {
        const auto code = convert::ParseFourCC(value);
        if (!code) return invalid("a FourCC such as MJPG");
        options.compressor.fccHandler = *code;
        options.compressor.hic = convert::OpenVideoCompressor(*code);
        if (*code != convert::kFourCCDib && !options.compressor.hic) {
            error =
                "no encoder for --codec " + value + " (this build has: " + AvailableCodecs() + ")";
            return false;
        }
    } else if (name == "--quality" || name == "--keyframes" || name == "--data-rate") {
        const auto number = ParseCount(value);
        if (!number) return invalid("a whole number");
        if (name == "--quality") {
            if (*number > 10000) return invalid("a quality from 0 to 10000");
            options.compressor.lQ = *number;
        } else {
            (name == "--keyframes" ? options.compressor.lKey : options.compressor.lDataRate) =
                *number;
        }
    } else if (name == "--audio") {
        options.audio = value == "none"    ? AudioChoice::None
                        : value == "movie" ? AudioChoice::Movie
                                           : AudioChoice::File;
        options.wavePath = options.audio == AudioChoice::File ? value : std::string();
    } else if (name == "--split-mb") {
        const auto size = ParseCount(value);
        if (!size || *size < 1) return invalid("megabytes from 1");
        options.splitSizeMB = *size;
    } else {
        error = "unknown option '" + name + "'";
        return false;
    }
    return true;
}

std::optional<ConvertOptions> ParseOptions(const std::vector<std::string>& args, Command command,
                                           std::string& error) {
    ConvertOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--stretch") {
            options.stretch = true;
        } else if (arg == "--autoplay") {
            options.autoplay = true;
        } else if (command == Command::Avi && arg == "--play") {
            options.play = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            // PNG and TGA take the same options.
            const char* name = command == Command::Avi   ? "avi"
                               : command == Command::Wav ? "wav"
                                                         : "png";
            if (!FindOptionHelp(name, arg)) {
                error = "unknown option '" + arg + "'";
                return std::nullopt;
            }
            if (i + 1 == args.size()) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            if (!ApplyOption(options, arg, args[++i], command, error)) return std::nullopt;
        } else if (options.movie.empty()) {
            options.movie = arg;
        } else {
            error = "more than one movie given ('" + options.movie + "' and '" + arg + "')";
            return std::nullopt;
        }
    }
    if (options.movie.empty())
        error = "no movie given";
    else if (options.output.empty())
        error = "no output given (-o)";
    else if (const auto folder = MissingOutputFolder(options.output))
        error = "the output folder " + *folder + " does not exist";
    if (!error.empty()) return std::nullopt;
    return options;
}

// The frame range, size and aspect choice as the dialogs offer them, then the options.
template <typename Settings>
void ApplyCommon(Settings& settings, const ConvertOptions& options,
                 const convert::MovieHeader& movie) {
    settings::SetFrameRangeFor(settings, movie);
    if (options.start) settings.startFrame = *options.start;
    if (options.end) settings.endFrame = *options.end;
    settings.sequenceMode = options.mode;
    settings.colorDepth = options.depth;
    settings.width = options.size ? options.size->first : movie.width;
    settings.height = options.size ? options.size->second : movie.height;
    settings.keepAspectRatio = options.stretch ? 0 : 1;
    settings.useOriginalSize = settings.width == movie.width && settings.height == movie.height;
}

// An existing file that the output would replace.
bool SameFile(const std::string& output, const std::string& input) {
    std::error_code error;
    return !input.empty() && std::filesystem::equivalent(output, input, error) && !error;
}

int Refuse(const char* command, int messageId, const std::string& detail = {}) {
    std::fprintf(stderr, "kinetrope %s: %s%s\n", command, resources::LoadString(messageId),
                 detail.c_str());
    return kExitUsage;
}

// Says how the run ended and gives the exit status.
int Conclude(const CliConversionHost& host, int32_t result, const std::string& written) {
    if (result == kResultAbort) {
        std::fprintf(stderr, "kinetrope: cancelled; the files it had written were removed\n");
        return kExitCancelled;
    }
    if (Failed(result)) {
        if (!host.messageShown())
            std::fprintf(stderr, "kinetrope: the conversion failed (result 0x%08X)\n",
                         static_cast<unsigned>(result));
        return kExitFailed;
    }
    std::printf("%s\n", written.c_str());
    return 0;
}

// Every run of the movie (the recording phase's and the frames') gets the same input and
// drawing quality.
void PrepareInput(CliConversionHost& host, const ConvertOptions& options) {
    host.Control().SetAutoplay(options.autoplay);
    host.Control().SetRenderQuality(options.quality);
    if (options.input) host.Control().SetScriptedInput(options.input->Frames());
}

// The working and silent copies of the movie; false (with the message said) when unreadable.
bool OpenMovie(convert::MovieCopies& copies, const std::string& path) {
    if (copies.Open(path)) return true;
    std::fputs("kinetrope: ", stderr);
    ReportUnreadableMovie(path, DescribeUnreadableMovie(path));
    return false;
}

int RunImageCommand(const std::vector<std::string>& args, settings::OutputKind kind) {
    const char* command = kind == settings::OutputKind::Tga ? "tga" : "png";
    if (PrintHelpIfAsked(command, args)) return 0;
    std::string error;
    const auto options = ParseOptions(args, Command::Images, error);
    if (!options) return UsageError(command, error);
    // Ctrl+C is taken over first, so that an early one still removes the temporary copies.
    CliConversionHost host;
    convert::MovieCopies copies;
    if (!OpenMovie(copies, options->movie)) return kExitFailed;

    settings::ImageSequenceSettings settings;
    ApplyCommon(settings, *options, copies.header());
    if (const int refused = settings::CheckImageSequenceExport(settings))
        return Refuse(command, refused);

    host.Prepare(copies.header(), settings.width, settings.height, settings.keepAspectRatio != 0);
    PrepareInput(host, *options);
    convert::ConversionRunner runner(host, copies, std::string());
    const int32_t result = runner.RunImageSequence(settings, kind, options->output);
    const convert::ImageSequenceNames names(options->output, settings.startFrame,
                                            settings.endFrame);
    const int32_t last = runner.lastFrameReached() - settings.startFrame;
    return Conclude(host, result,
                    "wrote " + std::to_string(last + 1) + " image(s): " + names.Name(0) +
                        (last > 0 ? " ... " + names.Name(last) : std::string()));
}

// Ticks given as fast as the engine plays, each one a frame interval of the movie's sound,
// until the recording phase and the AVI run after it are over.
int32_t RunRecordingPhase(CliConversionHost& host, convert::ConversionRunner& runner,
                          const settings::AviExportSettings& settings, double movieFrameRate) {
    // The sound arrives a buffer or so behind the ticks; far more ticks than the frames
    // wanted mean that it has stopped coming.
    const double tickLimit = 2.0 * (int64_t{settings.endFrame} + 1) + 60 * movieFrameRate + 1000;
    for (double ticks = 0; runner.recording(); ++ticks) {
        if (ticks > tickLimit) {
            std::fprintf(stderr, "kinetrope: the movie's sound stopped coming in\n");
            host.Progress().OnCancel();
        }
        host.PumpMessages();
        if (const auto result = runner.OnRecordingTick()) return *result;
    }
    return kResultFail;
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
    const auto options = ParseOptions(args, Command::Avi, error);
    if (!options) return UsageError("avi", error);
    // The AVI file replaces whatever has its name: never the movie or the sound it is made of.
    if (SameFile(options->output, options->movie) || SameFile(options->output, options->wavePath)) {
        std::fprintf(stderr,
                     "kinetrope avi: the output %s would replace an input of the conversion\n",
                     options->output.c_str());
        return kExitUsage;
    }
    CliConversionHost host;
    convert::MovieCopies copies;
    if (!OpenMovie(copies, options->movie)) return kExitFailed;
    const convert::MovieHeader& movie = copies.header();

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

    // The recording lasts as long as the frames play at the movie's own rate.
    if (options->audio == AudioChoice::Movie && settings::FrameRate100(movie.frameRate) <= 0) {
        std::fprintf(stderr,
                     "kinetrope avi: the movie has no frame rate to record its sound at; "
                     "use --audio none or --audio FILE.wav\n");
        return kExitUsage;
    }
    host.Prepare(movie, settings.width, settings.height, settings.keepAspectRatio != 0);
    PrepareInput(host, *options);
    const std::string recordingPath = convert::MakeTempFileName();
    if (recordingPath.empty() && options->audio == AudioChoice::Movie) {
        host.ShowErrorMessage(resources::kStrDiskSpaceNotEnough);
        return kExitFailed;
    }
    convert::ConversionRunner runner(host, copies, recordingPath);
    int32_t result = runner.StartAviExport(job);
    if (Succeeded(result) && runner.recording())
        result = RunRecordingPhase(host, runner, settings, movie.frameRate);
    std::remove(recordingPath.c_str());
    return Conclude(host, result, DescribeAviOutput(options->output, runner.lastAviFileCount()));
}

int RunWavCommand(const std::vector<std::string>& args) {
    if (PrintHelpIfAsked("wav", args)) return 0;
    std::string error;
    const auto options = ParseOptions(args, Command::Wav, error);
    if (!options) return UsageError("wav", error);
    if (SameFile(options->output, options->movie)) {
        std::fprintf(stderr, "kinetrope wav: the output %s would replace the movie\n",
                     options->output.c_str());
        return kExitUsage;
    }
    CliConversionHost host;
    convert::MovieCopies copies;
    if (!OpenMovie(copies, options->movie)) return kExitFailed;
    const convert::MovieHeader& movie = copies.header();
    settings::AviExportSettings settings;
    ApplyCommon(settings, *options, movie);
    if (movie.frameRate <= 0 || settings.startFrame > settings.endFrame) {
        std::fprintf(stderr, "kinetrope wav: %s\n",
                     movie.frameRate <= 0 ? "the movie has no frame rate to time its sound by"
                                          : "the start frame is after the end frame");
        return kExitUsage;
    }
    const audio::WaveFormat& format = options->format;
    const int mixed = std::min<int>(format.channels, 2);
    swf::Player& player = host.Control();
    PrepareInput(host, *options);
    player.SetSoundOutput(format.samplesPerSec, mixed);
    player.SetBaseFolder(copies.baseFolder());
    if (!player.LoadMovie(copies.workingPath())) {
        host.ShowErrorMessage(resources::kStrFileOpenError);
        return kExitFailed;
    }
    player.Play();

    // Written beside the output and put in its place once whole.
    const std::string scratch = options->output + ".partial";
    audio::WavFile wav;
    bool written = Succeeded(wav.Open(scratch, audio::WavFile::WriteMode, &format));
    const auto samplesUpTo = [&](int64_t frames) {
        return static_cast<uint64_t>(static_cast<long double>(frames) * format.samplesPerSec /
                                     movie.frameRate);
    };
    convert::SequenceStepper stepper(options->mode);
    std::vector<int16_t> mix;
    std::vector<uint8_t> bytes;
    for (int64_t frame = 0; written && frame <= settings.endFrame; ++frame) {
        host.PumpMessages();
        if (host.Progress().cancelled()) break;
        stepper.Apply(player);
        host.TickControl();
        mix.assign((samplesUpTo(frame + 1) - samplesUpTo(frame)) * static_cast<uint64_t>(mixed), 0);
        player.TakeSound(mix);
        if (frame < settings.startFrame) continue;
        bytes.clear();
        audio::AppendPcm(mix, mixed, format, bytes);
        written = Succeeded(wav.Write(bytes.data(), static_cast<uint32_t>(bytes.size())));
    }
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
