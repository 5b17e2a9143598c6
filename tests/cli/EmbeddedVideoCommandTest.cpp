// A movie FFmpeg writes with embedded video, converted by `kinetrope avi`: every frame of the
// AVI is FFmpeg's own decode of the movie's video, and there are as many.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "audio/TestFiles.h"
#include "cli/RunKinetrope.h"

namespace {

constexpr size_t kFrameBytes = 160 * 120 * 3;

// PSNR of the brightness of two rgb24 pictures.
double BrightnessPsnr(const std::string& a, const std::string& b, size_t offset) {
    double sum = 0;
    for (size_t i = offset; i < offset + kFrameBytes; i += 3) {
        const auto luma = [&](const std::string& s) {
            return 0.299 * static_cast<uint8_t>(s[i]) + 0.587 * static_cast<uint8_t>(s[i + 1]) +
                   0.114 * static_cast<uint8_t>(s[i + 2]);
        };
        const double d = luma(a) - luma(b);
        sum += d * d;
    }
    const double mse = sum / (kFrameBytes / 3);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(EmbeddedVideoCommand, AviFramesAreFfmpegsDecodeOfTheMovie) {
    testfiles::ScratchDir scratch;
    for (const std::string codec : {"flv", "flashsv"}) {
        SCOPED_TRACE(codec);
        const std::string movie = scratch.File(codec + ".swf");
        ASSERT_EQ(ReadCommand("ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=12 "
                              "-frames:v 24 -c:v " +
                              codec + " '" + movie + "' && echo ok"),
                  "ok\n");
        const std::string theirs =
            ReadCommand("ffmpeg -v error -i '" + movie + "' -f rawvideo -pix_fmt rgb24 -");
        ASSERT_EQ(theirs.size(), kFrameBytes * 24);

        const std::string avi = scratch.File(codec + ".avi");
        const CommandRun run = RunKinetrope({"avi", movie, "-o", avi});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string ours =
            ReadCommand("ffmpeg -v error -i '" + avi + "' -f rawvideo -pix_fmt rgb24 -");
        ASSERT_EQ(ours.size(), theirs.size());
        for (size_t f = 0; f < 24; ++f)
            EXPECT_GT(BrightnessPsnr(ours, theirs, f * kFrameBytes), 35) << "frame " << f;
    }
}

}  // namespace
