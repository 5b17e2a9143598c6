// Converting a 640 x 480 movie without a window, as `kinetrope` does: to MJPG, to an
// uncompressed AVI file and to a PNG sequence, in frames per second; and ffmpeg encoding the
// same frames, captured beforehand as raw rows, with its own MJPEG encoder, timed in the
// same run. The drawing alone is timed too, to show where the difference goes.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchMovie.h"
#include "cli/CliConversionHost.h"
#include "convert/CompressorSettings.h"
#include "convert/VideoEncoder.h"
#include "convert/run/ConversionRunner.h"
#include "convert/run/ParsedMovie.h"
#include "settings/AviExportSettings.h"
#include "support/SwfWriter.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 60;

namespace fs = std::filesystem;

// A folder with a 640 x 480 movie of 12 frames: a gradient backdrop and a few shapes that
// move across it.
class BenchFolder {
  public:
    BenchFolder() : path_(fs::temp_directory_path() / ("kt-bench-" + std::to_string(getpid()))) {
        fs::create_directories(path_);
        swftest::SwfWriter movie;
        movie.frameSizePixels(kWidth, kHeight).frameRate(30).setBackgroundColor({250, 248, 240});
        bench::AddMovingShapes(movie, kWidth, kHeight);
        for (int frame = 0; frame < 12; ++frame) {
            bench::MoveShapes(movie, frame);
            movie.showFrame();
        }
        movie.writeFile(path_ / "movie.swf");
    }
    ~BenchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    fs::path operator/(const std::string& name) const { return path_ / name; }

  private:
    fs::path path_;
};

BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

// The sample movie's conversion through the same runs as the command line.
class Conversion {
  public:
    Conversion() {
        movie_.Open((Folder() / "movie.swf").string());
        host_.Prepare(kWidth, kHeight, true);
    }
    convert::ConversionRunner& runner() { return runner_; }
    convert::AviJob Job(convert::FourCC codec) const {
        convert::AviJob job;
        job.settings.startFrame = 0;
        job.settings.endFrame = kFrames - 1;
        job.settings.frameRate100 = 3000;
        job.settings.width = kWidth;
        job.settings.height = kHeight;
        job.settings.SetAudioSource(settings::AudioSource::None);
        job.compressor = convert::DefaultCompressorSettings();
        job.compressor.fccHandler = codec;
        job.compressor.hic = convert::OpenVideoCompressor(codec);
        job.outputPath = (Folder() / "out.avi").string();
        return job;
    }
    cli::CliConversionHost& host() { return host_; }

  private:
    cli::CliConversionHost host_;
    convert::ParsedMovie movie_;
    convert::ConversionRunner runner_{host_, movie_};
};

void ReportFrames(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.counters["frames/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kFrames), benchmark::Counter::kIsRate);
}

void BM_ConvertToMjpgAvi(benchmark::State& state) {
    Conversion conversion;
    const convert::AviJob job = conversion.Job(convert::MakeFourCC('M', 'J', 'P', 'G'));
    for (auto _ : state)
        if (conversion.runner().RunAvi(job) < 0) state.SkipWithError("the conversion failed");
    ReportFrames(state);
}
BENCHMARK(BM_ConvertToMjpgAvi)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same frames as raw rows (top row first), encoded by the ffmpeg program.
void BM_FfmpegMjpgFromRawFrames(benchmark::State& state) {
    const fs::path raw = Folder() / "frames.raw";
    {
        Conversion conversion;
        swf::Player& control = conversion.host().Control();
        control.LoadMovie((Folder() / "movie.swf").string());
        std::ofstream out(raw, std::ios::binary);
        for (int frame = 0; frame < kFrames; ++frame) {
            convert::FrameCapture& renderer = conversion.host().Renderer();
            renderer.Capture(control);
            conversion.host().TickControl();
            for (int32_t y = 0; y < kHeight; ++y)
                out.write(reinterpret_cast<const char*>(renderer.colourBuffer.row(y)), kWidth * 3);
        }
    }
    const std::string command = "ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s " +
                                std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                                " -r 30 -i '" + raw.string() + "' -c:v mjpeg -f avi '" +
                                (Folder() / "ffmpeg.avi").string() + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("ffmpeg failed");
    ReportFrames(state);
}
BENCHMARK(BM_FfmpegMjpgFromRawFrames)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ConvertToUncompressedAvi(benchmark::State& state) {
    Conversion conversion;
    const convert::AviJob job = conversion.Job(convert::kFourCCDib);
    for (auto _ : state)
        if (conversion.runner().RunAvi(job) < 0) state.SkipWithError("the conversion failed");
    ReportFrames(state);
}
BENCHMARK(BM_ConvertToUncompressedAvi)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ConvertToPngSequence(benchmark::State& state) {
    Conversion conversion;
    settings::ImageSequenceSettings settings;
    settings.endFrame = kFrames - 1;
    settings.width = kWidth;
    settings.height = kHeight;
    const std::string output = (Folder() / "frame.png").string();
    for (auto _ : state)
        if (conversion.runner().RunImageSequence(settings, settings::OutputKind::Png, output) < 0)
            state.SkipWithError("the conversion failed");
    ReportFrames(state);
}
BENCHMARK(BM_ConvertToPngSequence)->Unit(benchmark::kMillisecond)->UseRealTime();

// Drawing and capturing the frames, without writing them: the share of a conversion that
// ffmpeg, given finished frames, does not have.
void BM_CaptureFramesOnly(benchmark::State& state) {
    Conversion conversion;
    swf::Player& control = conversion.host().Control();
    control.LoadMovie((Folder() / "movie.swf").string());
    for (auto _ : state)
        for (int frame = 0; frame < kFrames; ++frame) {
            conversion.host().Renderer().Capture(control);
            conversion.host().TickControl();
        }
    ReportFrames(state);
}
BENCHMARK(BM_CaptureFramesOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
