// Converting a 640 x 480 movie with sound, as `kinetrope avi --audio movie` does: a stream
// MP3 sound over all 300 frames (10 s at 30 fps) and four event sounds (MP3, 16-bit and 8-bit
// PCM) started in turn every 10 frames, over moving shapes. Reported as how many times faster
// than real time the movie converts; the same conversion without sound, and the engine's
// ticks with and without mixing (no drawing), show what share decoding and mixing take.
// The MP3 data is made by the ffmpeg program when the benchmark starts. CPU times are the
// whole process's (the conversion encodes and writes on threads of its own), so that on a
// busy machine they still say what the conversion costs.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "BenchMovie.h"
#include "cli/CommandLine.h"
#include "support/BitWriter.h"
#include "support/SwfWriter.h"
#include "swf/player/Player.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFps = 30;
constexpr int kFrames = 300;
constexpr double kSeconds = static_cast<double>(kFrames) / kFps;
constexpr uint32_t kRate = 44100;
constexpr size_t kMp3FrameSamples = 1152;  // MPEG-1 layer III

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// MPEG-1 layer III frames of a raw MP3 file, each as its bytes.
std::vector<std::vector<uint8_t>> Mp3Frames(const std::vector<uint8_t>& data) {
    static constexpr int kKbps[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                      112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr int kHz[4] = {44100, 48000, 32000, 0};
    std::vector<std::vector<uint8_t>> frames;
    for (size_t at = 0; at + 4 <= data.size();) {
        const bool mpeg1Layer3 = data[at] == 0xFF && (data[at + 1] & 0xFE) == 0xFA;
        const int kbps = kKbps[data[at + 2] >> 4];
        const int hz = kHz[(data[at + 2] >> 2) & 3];
        if (!mpeg1Layer3 || kbps == 0 || hz == 0) {
            ++at;
            continue;
        }
        const size_t size = static_cast<size_t>(144000 * kbps / hz + ((data[at + 2] >> 1) & 1));
        if (at + size > data.size()) break;
        frames.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(at),
                            data.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size;
    }
    return frames;
}

std::vector<int16_t> Tone(double hz, uint32_t rate, double seconds, int channels) {
    std::vector<int16_t> out;
    for (size_t i = 0; i < static_cast<size_t>(rate * seconds); ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(
                std::lrint(6000 * std::sin(2 * std::numbers::pi * hz * (c + 1) * i / rate))));
    return out;
}

class SoundBenchFolder {
  public:
    SoundBenchFolder()
        : path_(fs::temp_directory_path() / ("kt-sound-bench-" + std::to_string(getpid()))) {
        fs::create_directories(path_);
        const std::string stream = (path_ / "stream.mp3").string();
        const std::string event = (path_ / "event.mp3").string();
        // Two tones with a little noise, so that the encoder has something to code.
        const std::string signal =
            "aevalsrc='0.3*sin(2*PI*330*t)+0.05*(random(0)-0.5)|0.3*sin(2*PI*495*t)+0.05*(random("
            "1)-0.5)':s=44100:d=";
        const std::string encode =
            "ffmpeg -v error -y -f lavfi -i \"" + signal + std::to_string(kSeconds + 1) +
            "\" -c:a libmp3lame -b:a 128k -write_xing 0 -id3v2_version 0 -f mp3 '" + stream +
            "' && ffmpeg -v error -y -f lavfi -i \"" + signal +
            "1\" -ac 1 -c:a libmp3lame -b:a 96k -write_xing 0 -id3v2_version 0 -f mp3 '" + event +
            "'";
        if (std::system(encode.c_str()) != 0) return;
        const auto streamFrames = Mp3Frames(ReadAll(stream));
        std::vector<uint8_t> eventMp3 = {0, 0};  // no samples to skip
        const std::vector<uint8_t> eventBody = ReadAll(event);
        eventMp3.insert(eventMp3.end(), eventBody.begin(), eventBody.end());
        if (streamFrames.empty() || eventBody.empty()) return;

        using swftest::SoundCodec;
        using swftest::SoundRate;
        swftest::SwfWriter movie;
        movie.frameSizePixels(kWidth, kHeight).frameRate(kFps).setBackgroundColor({250, 248, 240});
        bench::AddMovingShapes(movie, kWidth, kHeight);
        const swftest::SoundFormat streamFormat{SoundCodec::Mp3, SoundRate::Hz44100, true, true};
        movie.defineSound(10, {SoundCodec::Mp3, SoundRate::Hz44100, true, false}, eventMp3,
                          static_cast<uint32_t>(kRate))
            .defineSound(11, {SoundCodec::LittleEndianPcm, SoundRate::Hz44100, true, true},
                         swftest::SoundFormat::littleEndian(Tone(440, 44100, 0.5, 2)))
            .defineSound(12, {SoundCodec::LittleEndianPcm, SoundRate::Hz22050, true, false},
                         swftest::SoundFormat::littleEndian(Tone(660, 22050, 0.8, 1)));
        std::vector<uint8_t> eightBit;
        for (int16_t v : Tone(550, 11025, 1.0, 1))
            eightBit.push_back(static_cast<uint8_t>((v >> 8) + 128));
        movie.defineSound(13, {SoundCodec::LittleEndianPcm, SoundRate::Hz11025, false, false},
                          eightBit);
        movie.soundStreamHead(streamFormat, streamFormat, kRate / kFps);
        // Each frame's block holds the MP3 frames that begin before the frame's sound ends.
        size_t next = 0;
        for (int frame = 0; frame < kFrames; ++frame) {
            uint16_t samples = 0;
            std::vector<uint8_t> data;
            for (; next < streamFrames.size() &&
                   next * kMp3FrameSamples < static_cast<size_t>(frame + 1) * kRate / kFps;
                 ++next, samples = static_cast<uint16_t>(samples + kMp3FrameSamples))
                data.insert(data.end(), streamFrames[next].begin(), streamFrames[next].end());
            if (!data.empty()) {
                swftest::BitWriter block;
                block.u16(samples).s16(0).raw(data);
                movie.soundStreamBlock(block.bytes());
            }
            if (frame % 10 == 0) movie.startSound(static_cast<uint16_t>(10 + frame / 10 % 4));
            bench::MoveShapes(movie, frame);
            movie.showFrame();
        }
        movie.writeFile(path_ / "sound.swf");
        ready_ = true;
    }
    ~SoundBenchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    bool ready() const { return ready_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
    bool ready_ = false;
};

SoundBenchFolder& Folder() {
    static SoundBenchFolder folder;
    return folder;
}

// Runs the command line with its "wrote ..." line kept off the report.
int RunQuietly(std::vector<std::string> args) {
    args.insert(args.begin(), "kinetrope");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    const int status = cli::RunCommandLine(static_cast<int>(argv.size()), argv.data());
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(null);
    close(saved);
    return status;
}

void ReportRealTime(benchmark::State& state) {
    state.counters["x real time"] = benchmark::Counter(
        kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void Convert(benchmark::State& state, const char* audio) {
    if (!Folder().ready()) return state.SkipWithError("ffmpeg could not make the MP3 data");
    const std::vector<std::string> args = {
        "avi", Folder() / "sound.swf", "-o", Folder() / "out.avi", "--codec", "MJPG",
        "--audio", audio};
    for (auto _ : state)
        if (RunQuietly(args) != 0) state.SkipWithError("the conversion failed");
    ReportRealTime(state);
}

void BM_ConvertWithSoundToMjpgAvi(benchmark::State& state) {
    Convert(state, "movie");
}
BENCHMARK(BM_ConvertWithSoundToMjpgAvi)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_ConvertWithoutSoundToMjpgAvi(benchmark::State& state) {
    Convert(state, "none");
}
BENCHMARK(BM_ConvertWithoutSoundToMjpgAvi)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The engine's ticks alone, mixing the sound of each (decoding included, as the sounds are
// first heard) or not; nothing is drawn.
void Ticks(benchmark::State& state, bool sound) {
    if (!Folder().ready()) return state.SkipWithError("ffmpeg could not make the MP3 data");
    std::vector<int16_t> interval(2 * (kRate / kFps));
    for (auto _ : state) {
        swf::Player player;
        if (sound) player.SetSoundOutput(kRate, 2);
        if (!player.LoadMovie(Folder() / "sound.swf")) state.SkipWithError("cannot load");
        for (int frame = 0; frame < kFrames; ++frame) {
            player.advanceFrame();
            player.TakeSound(interval);
        }
        benchmark::DoNotOptimize(interval.data());
    }
    ReportRealTime(state);
}

void BM_TicksDecodingAndMixingSound(benchmark::State& state) {
    Ticks(state, true);
}
BENCHMARK(BM_TicksDecodingAndMixingSound)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_TicksWithoutSound(benchmark::State& state) {
    Ticks(state, false);
}
BENCHMARK(BM_TicksWithoutSound)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
