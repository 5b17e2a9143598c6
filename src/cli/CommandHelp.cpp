#include "cli/CommandHelp.h"

#include <cctype>
#include <cstdio>

#include "cli/ProductVersion.h"
#include "swf/player/EngineVersion.h"

namespace cli {
namespace {

constexpr size_t kLineWidth = 79;
constexpr size_t kOptionColumn = 26;

// The options the AVI, image and sound commands share, in their order.
const OptionHelp kStart{"--start", "N", "first frame written, counted from 0", "0"};
const OptionHelp kEnd{"--end", "N", "last frame written", "the movie's last frame"};
const OptionHelp kMode{"--mode", "normal|frame|skip",
                       "how frames follow: as the movie plays, frame by frame in the main "
                       "timeline, or skipping \"goto backward frame\" jumps",
                       "normal"};
const OptionHelp kSize{"--size", "WxH", "output size in pixels, 1 to 16384 each",
                       "the movie's own size"};
const OptionHelp kStretch{"--stretch", "", "fill the size instead of keeping the aspect ratio",
                          "keep it"};
const OptionHelp kDepth{"--depth", "24|32", "bits per pixel; 32 keeps an alpha channel", "24"};
const OptionHelp kFormat{"--format", "44100:16:2",
                         "sound as samples per second, bits per sample and channels",
                         "44100:16:2"};
const OptionHelp kInput{"--input", "FILE.json",
                        "mouse and keyboard events to deliver, a JSON list; {\"type\": "
                        "\"Wait\"} ends a frame's",
                        "none"};
const OptionHelp kAutoplay{"--autoplay", "",
                           "play on when the movie stands stopped waiting for a click", "off"};
const OptionHelp kRenderQuality{"--render-quality", "low|medium|high|best",
                                "low draws without anti-aliasing or bitmap smoothing; medium "
                                "anti-aliases; high and best also smooth bitmaps",
                                "high"};

OptionHelp Output(std::string_view value, std::string_view text) {
    return {"-o", value, text, "", true};
}

std::vector<CommandHelp> MakeTable() {
    const std::string_view imageDetails =
        "Images are numbered from 0 before the extension, with as many digits as the last "
        "number needs (OUT00.png ... OUT99.png for 100 frames).";
    return {
        {"info",
         "MOVIE.swf",
         "show what the movie's header says",
         "Prints the signature, whether the movie is compressed, its SWF version, size in "
         "pixels, frame rate and frame count.",
         {},
         "kinetrope info cartoon.swf"},
        {"snapshot",
         "MOVIE.swf",
         "play frames headless, write the trace and captures",
         "Plays the movie without a window, one frame interval per tick, until N frames have "
         "been shown or the movie quits (a capture of a frame it never reached fails the run). K is a "
         "frame number from 1, or 'last'.",
         {{"--frames", "N", "how many frames to show, from 1", "", true},
          {"--trace", "FILE", "write the movie's trace() output to FILE", "none"},
          {"--capture", "K=FILE.png", "write the stage after frame K as a PNG", "none", false,
           true},
          kInput,
          kAutoplay,
          kRenderQuality,
          {"--size", "WxH",
           "the view's size in pixels, 1 to 16384 each: the stage shown in the movie's scale "
           "mode (show all unless it sets Stage.scaleMode), placed by Stage.align",
           "the movie's own size"}},
         "kinetrope snapshot cartoon.swf --frames 24 --trace trace.txt --capture last=end.png"},
        {"avi",
         "MOVIE.swf",
         "convert to an AVI file",
         "Converts as the desktop program's Create AVI does. A file past --split-mb is split "
         "into numbered parts (OUT0000.avi, OUT0001.avi, ...). --codec takes DIB, MJPG, FFV1, "
         "HFYU, ZMBV, MPNG, H264 or FMP4 where this build's FFmpeg has the encoder.",
         {Output("OUT.avi", "the AVI file to write"),
          kStart,
          kEnd,
          kMode,
          kSize,
          kStretch,
          {"--fps", "29.97", "frames per second, at most two decimals", "the movie's own"},
          kDepth,
          {"--codec", "FOURCC", "the video compressor", "DIB (uncompressed)"},
          {"--quality", "N", "compressor quality, 0 to 10000", "the compressor's own"},
          {"--keyframes", "N", "a key frame every N frames (0: only the first)", "15"},
          {"--data-rate", "KB", "kilobytes per second the compressor aims at (0: any)", "300"},
          {"--audio", "none|movie|FILE.wav",
           "the sound: none, the movie's own (recorded as fast as the engine plays) or a WAV "
           "file's",
           "movie"},
          kFormat,
          {"--split-mb", "N", "start a new part past N megabytes, 1 to 2000", "2000"},
          {"--play", "", "open the AVI file with the desktop's player when done", "off"},
          kInput,
          kAutoplay,
          kRenderQuality},
         "kinetrope avi cartoon.swf -o cartoon.avi --codec MJPG --size 640x480 --autoplay"},
        {"wav",
         "MOVIE.swf",
         "write the movie's sound to a WAV file",
         "Writes one frame interval of the movie's sound per frame, the sound the AVI command "
         "puts beside the same frames: in every sequence mode, that of the movie playing "
         "normally.",
         {Output("OUT.wav", "the WAV file to write"), kStart, kEnd, kMode, kFormat, kInput,
          kAutoplay},
         "kinetrope wav cartoon.swf -o cartoon.wav --format 48000:16:2"},
        {"png",
         "MOVIE.swf",
         "convert to numbered PNG images",
         imageDetails,
         {Output("OUT.png", "the name the images are numbered after"), kStart, kEnd, kMode, kSize,
          kStretch, kDepth, kInput, kAutoplay, kRenderQuality},
         "kinetrope png cartoon.swf -o frames/cartoon.png --end 99"},
        {"tga",
         "MOVIE.swf",
         "convert to numbered TGA images",
         imageDetails,
         {Output("OUT.tga", "the name the images are numbered after"), kStart, kEnd, kMode, kSize,
          kStretch, kDepth, kInput, kAutoplay, kRenderQuality},
         "kinetrope tga cartoon.swf -o frames/cartoon.tga --depth 32"},
        {"video",
         "MOVIE.swf",
         "convert to an MP4, MKV, WebM, MOV or GIF file",
         "The extension chooses the container and its codecs: .mp4 H.264 with AAC, .mkv H.264 "
         "with FLAC, .webm VP9 with Opus, .mov ProRes 422 HQ (ProRes 4444 with alpha at --depth "
         "32) with PCM, .gif a palette of its own, delays in hundredths of a second averaging "
         "the frame rate, no sound. --depth 32 keeps transparency in .webm and .mov (and .mkv "
         "with ffv1). Where H.264, HEVC, VP9, AV1 or ProRes 422 need even sides, an odd width "
         "or height is padded by repeating the last column or row. The sound ends with the "
         "video, padded with silence or cut. Settings this FFmpeg cannot write are refused "
         "before anything is written.",
         {Output("OUT.mp4", "the video file to write: .mp4, .mkv, .webm, .mov or .gif"),
          kStart,
          kEnd,
          kMode,
          kSize,
          kStretch,
          {"--fps", "29.97", "frames per second, at most two decimals", "the movie's own"},
          kDepth,
          {"--codec", "h264|hevc|vp9|av1|prores|ffv1|gif", "the video codec",
           "the container's"},
          {"--crf", "N", "constant quality, lower is better (h264, hevc: 0-51; vp9, av1: 0-63)",
           "the encoder's own; vp9 31, av1 32"},
          {"--preset", "P", "the encoder's speed preset (vp9: good, best or realtime)",
           "the encoder's own"},
          {"--audio", "none|movie|FILE.wav",
           "the sound: none, the movie's own (recorded as fast as the engine plays) or a WAV "
           "file's",
           "movie; none for .gif"},
          {"--audio-codec", "CODEC", "the audio codec: aac, opus, mp3, flac or pcm",
           "the container's"},
          {"--audio-bitrate", "K", "kilobits per second of lossy sound, 8 to 1024",
           "192; opus 128"},
          kInput,
          kAutoplay,
          kRenderQuality},
         "kinetrope video cartoon.swf -o cartoon.mp4 --crf 20 --autoplay"},
        {"batch",
         "TASKS",
         "run the conversions a file lists, several at once",
         "TASKS holds one conversion a line as typed after 'kinetrope' (avi a.swf -o a.avi "
         "--codec MJPG); '#' starts a comment, \"...\" keeps a path with spaces together, and "
         "paths are relative to the TASKS file's folder. Every line is checked before anything "
         "runs; each task runs as a process of its own. A task whose output is there and newer "
         "than its movie is skipped (an image sequence by its first image, a split AVI file by "
         "its first part), so a stopped batch runs on where it stopped. Ctrl+C or SIGTERM stops "
         "the batch and cancels the running tasks, which remove their output, as they do when "
         "the batch is killed; the files of a task that crashes or is killed alone are removed "
         "by the batch. Only when both are killed at once (kill -9 of the whole group) can a "
         "partial output stay behind and be skipped by the next run. The exit status is 1 when "
         "a task failed or was left undone, 130 when the batch was stopped. --slurm submits one "
         "Slurm job array (sbatch) whose workers each run 'kinetrope batch TASKS --slice I/N' "
         "with as many tasks at once as the CPUs Slurm gives them, their logs and reports in "
         "TASKS.slurm/JOBID/; the batch waits for them, shows their progress, writes their "
         "reports into --report in the order of TASKS, and on Ctrl+C or SIGTERM cancels the "
         "array (scancel). The TASKS file, its movies and outputs and this program must be on "
         "a file system every node reads at the same path: that is yours to arrange. Lines a "
         "worker leaves undone (killed, out of time, never started) are named and what it had "
         "begun on them is removed; the same command again does what is left. Without "
         "--keep-going each worker stops after its own first failure. --slice lets other "
         "schedulers (Kubernetes indexed Jobs, a loop over ssh) split the file the same way.",
         {{"--jobs", "N", "how many tasks run at once, 1 to 256", "one per processor core"},
          {"--slice", "I/N",
           "run only the tasks whose index among the runnable lines (from 0) modulo N is I",
           "all of them"},
          {"--report", "FILE.jsonl",
           "write one JSON line per task: line, movie, output, status (ok, failed or skipped), "
           "frames (of AVI files and images; null for others), seconds, message",
           "none"},
          {"--keep-going", "", "run the other tasks after a failed or malformed line",
           "stop, letting the running tasks finish"},
          {"--slurm", "", "run the tasks on the Slurm cluster this machine submits jobs to",
           "run them here"},
          {"--slurm-workers", "N", "how many workers the job array has, 1 to 100000",
           "one per 16 tasks to run, at most the cluster's MaxArraySize"},
          {"--slurm-option", "ARG",
           "an option for sbatch as it is (--partition=gpu, --time=2:00:00, --mem=4G)", "none",
           false, true}},
         "kinetrope batch week.txt --jobs 2 --report week.jsonl"},
    };
}

// Appends `words` to `out`, breaking lines before kLineWidth and starting each new line
// with `indent` spaces.
void AppendWrapped(std::string& out, std::string_view words, size_t column, size_t indent) {
    bool first = true;
    while (!words.empty()) {
        const size_t space = words.find(' ');
        const std::string_view word = words.substr(0, space);
        words = space == std::string_view::npos ? std::string_view() : words.substr(space + 1);
        if (word.empty()) continue;
        if (!first && column + 1 + word.size() > kLineWidth) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
        } else if (!first) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        first = false;
    }
}

std::string OptionUsage(const OptionHelp& option) {
    std::string text(option.name);
    if (!option.value.empty()) text.append(" ").append(option.value);
    if (option.repeats) text += " ...";
    return text;
}

}  // namespace

const std::vector<CommandHelp>& AllCommandHelp() {
    static const std::vector<CommandHelp> table = MakeTable();
    return table;
}

const CommandHelp* FindCommandHelp(std::string_view command) {
    for (const CommandHelp& help : AllCommandHelp())
        if (help.name == command) return &help;
    return nullptr;
}

const OptionHelp* FindOptionHelp(std::string_view command, std::string_view option) {
    if (const CommandHelp* help = FindCommandHelp(command))
        for (const OptionHelp& entry : help->options)
            if (entry.name == option) return &entry;
    return nullptr;
}

std::string FormatCommandHelp(const CommandHelp& help) {
    std::string lead = "usage: kinetrope " + std::string(help.name) + " ";
    std::string synopsis(help.operand);
    for (const OptionHelp& option : help.options) {
        // Spaces inside one option's usage must not break, so they are joined with a
        // placeholder that the wrapping leaves alone.
        std::string part = OptionUsage(option);
        if (!option.required) part = "[" + part + "]";
        for (char& c : part)
            if (c == ' ') c = '\x01';
        synopsis += " " + part;
    }
    std::string out = lead;
    AppendWrapped(out, synopsis, lead.size(), lead.size());
    for (char& c : out)
        if (c == '\x01') c = ' ';
    // The summary as a sentence: "Convert to an AVI file."
    std::string sentence(help.summary);
    if (!sentence.empty()) sentence[0] = static_cast<char>(std::toupper(sentence[0]));
    out += "\n\n" + sentence + ".\n";

    if (!help.options.empty()) {
        out += "\noptions:\n";
        for (const OptionHelp& option : help.options) {
            std::string line = "  " + OptionUsage(option);
            if (line.size() + 2 > kOptionColumn) {
                out += line + "\n";
                line.clear();
            }
            line.resize(kOptionColumn, ' ');
            out += line;
            std::string text(option.text);
            text += option.required ? " (required)"
                                    : " (default: " + std::string(option.byDefault) + ")";
            AppendWrapped(out, text, kOptionColumn, kOptionColumn);
            out += '\n';
        }
    }
    if (!help.details.empty()) {
        out += '\n';
        AppendWrapped(out, help.details, 0, 0);
        out += '\n';
    }
    out += "\nexample:\n  " + std::string(help.example) + "\n";
    return out;
}

std::string FormatProgramHelp() {
    std::string out =
        "usage: kinetrope COMMAND MOVIE.swf [options]\n"
        "       kinetrope COMMAND --help\n"
        "       kinetrope --version\n"
        "\n"
        "Converts Flash movies (SWF files) to AVI files, PNG or TGA image sequences and WAV\n"
        "sound, playing them with its own engine.\n"
        "\n"
        "commands:\n";
    for (const CommandHelp& help : AllCommandHelp()) {
        std::string line = "  " + std::string(help.name);
        line.resize(12, ' ');
        out += line + std::string(help.summary) + "\n";
    }
    out +=
        "\n"
        "'kinetrope COMMAND --help' shows a command's options, their defaults and an example.\n";
    return out;
}

std::string FormatVersion() {
    const swf::Version engine = swf::EngineVersion();
    char line[160];
    std::snprintf(line, sizeof line,
                  "engine %u.%u.%u.%u, plays SWF versions 1 to %d (ActionScript 1 and 2)\n",
                  unsigned{engine.major}, unsigned{engine.minor}, unsigned{engine.build},
                  unsigned{engine.revision}, swf::kHighestSwfVersion);
    return "kinetrope " + std::string(kProductVersion) + " (" + std::string(kProductName) +
           ")\n" + line;
}

bool PrintHelpIfAsked(std::string_view command, const std::vector<std::string>& args) {
    const CommandHelp* help = FindCommandHelp(command);
    if (!help) return false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(FormatCommandHelp(*help).c_str(), stdout);
            return true;
        }
        for (const OptionHelp& option : help->options)
            if (args[i] == option.name && !option.value.empty()) {
                ++i;
                break;
            }
    }
    return false;
}

int UsageError(std::string_view command, std::string_view error) {
    std::string name = "kinetrope";
    if (!command.empty()) name.append(" ").append(command);
    std::fprintf(stderr, "%s: %.*s (see '%s --help')\n", name.c_str(),
                 static_cast<int>(error.size()), error.data(), name.c_str());
    return kExitUsage;
}

}  // namespace cli
