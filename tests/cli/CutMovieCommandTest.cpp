#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "cli/RunKinetrope.h"
#include "support/SwfWriter.h"

namespace {

namespace fs = std::filesystem;

// `frames` frames of 32 x 24, each defining a box of its own colour in place of the last.
swftest::SwfWriter BoxMovie(int frames, bool compressed) {
    swftest::SwfWriter movie;
    movie.frameSizePixels(32, 24).frameRate(12).compressed(compressed);
    movie.setBackgroundColor({10, 20, 30});
    for (int frame = 0; frame < frames; ++frame) {
        swftest::ShapeBuilder box;
        box.fill1(box.addFill(swftest::FillStyle::solid({static_cast<uint8_t>(40 * frame), 90, 9})))
            .rectangle(0, 0, swftest::px(32), swftest::px(24));
        const auto id = static_cast<uint16_t>(frame + 1);
        movie.defineShape(id, box);
        if (frame > 0) movie.removeObject2(1);
        movie.place(id, 1).showFrame();
    }
    return movie;
}

// The complete frames in the first `bytes` bytes of the uncompressed movie of six frames.
int CompleteFrames(size_t bytes) {
    int frames = 0;
    while (frames < 6 && BoxMovie(frames + 1, false).bytes().size() - 2 <= bytes) ++frames;
    return frames;
}

size_t CountFiles(const std::string& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// A movie of six frames cut short, plain or compressed, converts the frames it holds in each
// command, which names the last of them.
TEST(CutMovieCommand, AviPngAndTgaConvertTheCompleteFramesWithAWarning) {
    struct Cut {
        bool compressed;
        double keptShare;
    };
    const Cut cuts[] = {{false, 0.35}, {false, 0.6}, {false, 0.9}, {true, 0.7}, {true, 0.9}};
    for (const Cut& cut : cuts) {
        for (const std::string command : {"avi", "png", "tga"}) {
            SCOPED_TRACE(testing::Message()
                         << command << (cut.compressed ? " compressed " : " plain ")
                         << cut.keptShare);
            testfiles::ScratchDir scratch;
            std::vector<uint8_t> bytes = BoxMovie(6, cut.compressed).bytes();
            bytes.resize(static_cast<size_t>(static_cast<double>(bytes.size()) * cut.keptShare));
            const std::string movie = scratch.File("movie.swf");
            testfiles::WriteBytes(movie, bytes);
            fs::create_directory(scratch.File("out"));
            const std::string output = scratch.File("out/movie." + command);
            std::vector<std::string> args = {command, movie, "-o", output};
            if (command == "avi") args.insert(args.end(), {"--audio", "none"});
            const CommandRun run = RunKinetrope(args);
            ASSERT_EQ(run.status, 0) << run.err;

            const std::string warning = "warning: the movie is cut short: frame ";
            const size_t at = run.err.find(warning);
            ASSERT_NE(at, std::string::npos) << run.err;
            const int last = std::stoi(run.err.substr(at + warning.size()));
            EXPECT_LT(last, 5);
            if (!cut.compressed) {
                EXPECT_EQ(last + 1, CompleteFrames(bytes.size()));
            }
            if (command == "avi") {
                EXPECT_EQ(ReadCommand("ffprobe -v error -count_frames -select_streams v "
                                      "-show_entries stream=nb_read_frames -of csv=p=0 '" +
                                      output + "'"),
                          std::to_string(last + 1) + "\n");
            } else {
                EXPECT_EQ(CountFiles(scratch.File("out")), static_cast<size_t>(last + 1));
            }
        }
    }
}

}  // namespace
