#pragma once
// The options the conversion commands (avi, png, tga, wav, video) share, their parsing, and
// the steps every such command takes around its run: the movie opened, the engine's input
// prepared, the outcome said.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/WaveFormat.h"
#include "cli/CliConversionHost.h"
#include "cli/InputScript.h"
#include "convert/CompressorSettings.h"
#include "convert/MovieHeader.h"
#include "settings/AviExportSettings.h"
#include "settings/OfferedSettings.h"
#include "settings/SequenceMode.h"
#include "settings/VideoExportSettings.h"
#include "swf/render/RenderQuality.h"

namespace convert {
class ConversionRunner;
class ParsedMovie;
}  // namespace convert

namespace cli {

// Exit statuses besides kExitUsage: the conversion failed; cancelled.
inline constexpr int kExitFailed = 1;
inline constexpr int kExitCancelled = 130;

enum class AudioChoice { None, Movie, File };
// Which command's options: PNG and TGA take the same ones.
enum class ConvertKind { Images, Avi, Wav, Video };

struct ConvertOptions {
    std::string movie;
    std::string output;
    std::optional<int32_t> start;
    std::optional<int32_t> end;
    settings::SequenceMode mode = settings::SequenceMode::Normal;
    std::optional<std::pair<int32_t, int32_t>> size;
    bool stretch = false;
    int32_t depth = settings::kColorDepthRgb;
    // AVI and video.
    std::optional<int32_t> frameRate100;
    AudioChoice audio = AudioChoice::Movie;
    std::string wavePath;
    bool audioGiven = false;  // --audio was on the command line
    // AVI only.
    convert::CompressorSettings compressor = convert::DefaultCompressorSettings();
    audio::WaveFormat format = settings::DefaultAudioFormat();
    int32_t splitSizeMB = settings::kDefaultSplitSizeMB;
    bool play = false;
    // Video only; unset ones follow the container.
    std::optional<settings::VideoCodec> videoCodec;
    std::optional<int32_t> crf;
    std::string preset;
    std::optional<settings::AudioCodec> audioCodec;
    std::optional<int32_t> audioBitrateK;
    // Scripted mouse and keyboard, and playing on past a movie that waits for a click.
    std::optional<InputScript> input;
    bool autoplay = false;
    swf::RenderQuality quality = swf::RenderQuality::High;
};

// The command's arguments after its name; nothing, with `error` saying why, when they are
// not a movie, an output in an existing folder and options the command takes.
std::optional<ConvertOptions> ParseConvertOptions(const std::vector<std::string>& args,
                                                  ConvertKind kind, std::string& error);

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
bool SameFile(const std::string& output, const std::string& input);
// Says how the run ended (and where the movie's scripts were stopped, if they were) and
// gives the exit status.
int Conclude(const CliConversionHost& host, int32_t result, const std::string& written);
// Every player of the movie (the one drawn, and the one playing its sound beside it) gets
// the same input and drawing quality.
void PrepareInput(CliConversionHost& host, const ConvertOptions& options);
// The movie read and parsed; false (with the message said) when unreadable.
bool OpenMovie(convert::ParsedMovie& movie, const std::string& path);
// An AVI or video export: `run` runs it on the runner, and `conclude` reads the runner and
// gives the exit status.
int RunExport(CliConversionHost& host, const convert::ParsedMovie& movie,
              const std::function<int32_t(convert::ConversionRunner&)>& run,
              const std::function<int(convert::ConversionRunner&, int32_t)>& conclude);

}  // namespace cli
