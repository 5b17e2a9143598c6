#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "cli/CommandLine.h"
#include "support/SwfWriter.h"

namespace {

struct InfoRun {
    int status;
    std::string out;
    std::string err;
};

InfoRun RunInfo(const std::vector<std::string>& args) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = cli::RunInfoCommand(args);
    InfoRun run{status, "", ""};
    run.out = testing::internal::GetCapturedStdout();
    run.err = testing::internal::GetCapturedStderr();
    return run;
}

swftest::SwfWriter ThreeFrames() {
    swftest::SwfWriter movie;
    movie.setBackgroundColor({255, 255, 255}).showFrame().showFrame().showFrame();
    return movie;
}

class InfoCommand : public testing::Test {
  protected:
    testfiles::ScratchDir scratch_;
};

TEST_F(InfoCommand, ShowsTheHeaderOfAnUncompressedMovie) {
    const std::string path = scratch_.File("plain.swf");
    swftest::SwfWriter movie = ThreeFrames();
    movie.version(6).frameSizePixels(550, 400).frameRateFixed(0x1DF8);  // 29.96875 fps
    movie.writeFile(path);

    const InfoRun run = RunInfo({path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "File:        " + path +
                           "\n"
                           "Signature:   FWS\n"
                           "Compressed:  no\n"
                           "Version:     6\n"
                           "Width:       550 px\n"
                           "Height:      400 px\n"
                           "Frame rate:  29.96875 fps\n"
                           "Frame count: 3\n");
}

TEST_F(InfoCommand, ShowsTheHeaderOfACompressedMovie) {
    const std::string path = scratch_.File("packed.swf");
    swftest::SwfWriter movie = ThreeFrames();
    movie.frameSizePixels(320, 240).frameRate(12).compressed().showFrame();
    movie.writeFile(path);

    const InfoRun run = RunInfo({path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("Signature:   CWS\nCompressed:  yes (zlib)\nVersion:     8\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Width:       320 px\nHeight:      240 px\nFrame rate:  12 fps\n"
                           "Frame count: 4\n"),
              std::string::npos)
        << run.out;
}

TEST_F(InfoCommand, RefusesAFileThatIsNotAMovie) {
    const std::string path = scratch_.File("garbage.swf");
    testfiles::WriteBytes(path, {'G', 'I', 'F', '8', '9', 'a', 0, 0, 1, 2, 3, 4, 5});

    const InfoRun run = RunInfo({path});
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("File Open Error: " + path + ": ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("neither FWS nor CWS"), std::string::npos) << run.err;
}

TEST_F(InfoCommand, RefusesAMovieCutShortInItsHeader) {
    const std::string whole = scratch_.File("whole.swf");
    ThreeFrames().frameSizePixels(550, 400).writeFile(whole);
    std::vector<uint8_t> bytes = testfiles::ReadBytes(whole);
    for (size_t keep : {size_t{3}, size_t{12}}) {
        const std::string path = scratch_.File("cut" + std::to_string(keep) + ".swf");
        testfiles::WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + keep));
        const InfoRun run = RunInfo({path});
        EXPECT_NE(run.status, 0) << keep;
        EXPECT_EQ(run.out, "") << keep;
        EXPECT_EQ(run.err.rfind("File Open Error: ", 0), 0u) << run.err;
    }
}

TEST_F(InfoCommand, RefusesAMissingFileOrAFolderSayingWhy) {
    const InfoRun missing = RunInfo({scratch_.File("absent.swf")});
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("File Open Error"), std::string::npos);
    EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;

    const InfoRun folder = RunInfo({scratch_.File("")});
    EXPECT_NE(folder.status, 0);
    EXPECT_NE(folder.err.find("File Open Error"), std::string::npos) << folder.err;
    EXPECT_EQ(folder.out, "");
}

TEST_F(InfoCommand, NeedsExactlyOneMovie) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no movie given"}, {{"a.swf", "b.swf"}, "give exactly one movie"}};
    for (const auto& [args, says] : cases) {
        const InfoRun run = RunInfo(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "kinetrope info: " + says + " (see 'kinetrope info --help')\n");
    }
}

}  // namespace
