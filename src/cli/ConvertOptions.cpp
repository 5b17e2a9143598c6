#include "cli/ConvertOptions.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "audio/PcmConversion.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/MovieDiagnosis.h"
#include "convert/FrameBuffer.h"
#include "convert/VideoEncoder.h"
#include "convert/run/ConversionRunner.h"
#include "convert/run/ParsedMovie.h"
#include "resources/ResultCode.h"

namespace cli {
namespace {

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

void ApplyAudioChoice(ConvertOptions& options, const std::string& value) {
    options.audio = value == "none"    ? AudioChoice::None
                    : value == "movie" ? AudioChoice::Movie
                                       : AudioChoice::File;
    options.wavePath = options.audio == AudioChoice::File ? value : std::string();
    options.audioGiven = true;
}

// The options only the video command has, and the frame rate and sound it shares with AVI.
bool ApplyVideoOption(ConvertOptions& options, const std::string& name, const std::string& value,
                      std::string& error) {
    auto invalid = [&](const std::string& what) {
        error = name + " needs " + what + ", not '" + value + "'";
        return false;
    };
    if (name == "--fps") {
        options.frameRate100 = ParseFrameRate(value);
        if (!options.frameRate100) return invalid("frames per second such as 29.97");
    } else if (name == "--audio") {
        ApplyAudioChoice(options, value);
    } else if (name == "--codec") {
        options.videoCodec = settings::ParseVideoCodec(value);
        if (!options.videoCodec) return invalid("h264, hevc, vp9, av1, prores, ffv1 or gif");
    } else if (name == "--crf") {
        options.crf = ParseCount(value);
        if (!options.crf || *options.crf > 63) return invalid("a quality from 0 to 63");
    } else if (name == "--preset") {
        if (value.empty()) return invalid("an encoder preset such as medium");
        options.preset = value;
    } else if (name == "--audio-codec") {
        options.audioCodec = settings::ParseAudioCodec(value);
        if (!options.audioCodec) return invalid("aac, opus, mp3, flac or pcm");
    } else if (name == "--audio-bitrate") {
        options.audioBitrateK = ParseCount(value);
        if (!options.audioBitrateK || *options.audioBitrateK < 8 || *options.audioBitrateK > 1024)
            return invalid("kilobits per second from 8 to 1024");
    } else {
        error = "unknown option '" + name + "'";
        return false;
    }
    return true;
}

// Applies one option with its value; an error says what is wrong with it.
bool ApplyOption(ConvertOptions& options, const std::string& name, const std::string& value,
                 ConvertKind command, std::string& error) {
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
        for (const std::string& warning : options.input->Warnings())
            std::fprintf(stderr, "kinetrope: %s\n", warning.c_str());
    } else if (name == "--size" && command != ConvertKind::Wav) {
        options.size = ParseSize(value);
        if (!options.size) return invalid("WIDTHxHEIGHT in pixels, 1 to 16384 each");
    } else if (name == "--render-quality" && command != ConvertKind::Wav) {
        const auto quality = ParseRenderQuality(value);
        if (!quality) return invalid("low, medium, high or best");
        options.quality = *quality;
    } else if (name == "--depth" && command != ConvertKind::Wav) {
        if (value != "24" && value != "32") return invalid("24 or 32");
        options.depth = value == "24" ? settings::kColorDepthRgb : settings::kColorDepthRgba;
    } else if (name == "--format" && (command == ConvertKind::Avi || command == ConvertKind::Wav)) {
        const auto format = ParseWaveFormat(value);
        if (!format) return invalid("RATE:BITS:CHANNELS such as 44100:16:2");
        options.format = *format;
    } else if (command == ConvertKind::Video) {
        return ApplyVideoOption(options, name, value, error);
    } else if (command != ConvertKind::Avi) {
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
        ApplyAudioChoice(options, value);
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

}  // namespace

std::optional<ConvertOptions> ParseConvertOptions(const std::vector<std::string>& args,
                                                  ConvertKind command, std::string& error) {
    ConvertOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--stretch") {
            options.stretch = true;
        } else if (arg == "--autoplay") {
            options.autoplay = true;
        } else if (command == ConvertKind::Avi && arg == "--play") {
            options.play = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            // PNG and TGA take the same options.
            const char* name = command == ConvertKind::Avi     ? "avi"
                               : command == ConvertKind::Wav   ? "wav"
                               : command == ConvertKind::Video ? "video"
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

bool SameFile(const std::string& output, const std::string& input) {
    std::error_code error;
    return !input.empty() && std::filesystem::equivalent(output, input, error) && !error;
}

int Conclude(const CliConversionHost& host, int32_t result, const std::string& written) {
    ReportScriptStop(host.scriptStop());
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

void PrepareInput(CliConversionHost& host, const ConvertOptions& options) {
    host.SetPlayOptions(options.input ? options.input->Frames()
                                      : std::vector<std::vector<swf::InputEvent>>{},
                        options.autoplay, options.quality);
}

bool OpenMovie(convert::ParsedMovie& movie, const std::string& path) {
    if (movie.Open(path)) return true;
    std::fputs("kinetrope: ", stderr);
    ReportUnreadableMovie(path, DescribeUnreadableMovie(path));
    return false;
}

int RunExport(CliConversionHost& host, const convert::ParsedMovie& movie,
              const std::function<int32_t(convert::ConversionRunner&)>& run,
              const std::function<int(convert::ConversionRunner&, int32_t)>& conclude) {
    convert::ConversionRunner runner(host, movie);
    return conclude(runner, run(runner));
}

}  // namespace cli
