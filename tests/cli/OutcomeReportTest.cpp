// Failures are never reported as success: the exit status and what the commands say on
// stderr for captures that cannot be written, stages of no size, scripts stopped as
// runaways and scripted input of types the program does not know.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "cli/RunKinetrope.h"
#include "support/SwfWriter.h"

namespace {

namespace st = swftest;

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class OutcomeReport : public testing::Test {
  protected:
    void SetUp() override {
        // A stage rectangle of negative size: the player shows no stage at all.
        st::SwfWriter reversed;
        reversed.frameSize({2000, 0, 2000, 0}).showFrame().showFrame();
        reversed.writeFile(reversedStage_);

        // Frames 2 and 3 run away; frame 4 traces (the movie plays on).
        st::SwfWriter runaway;
        runaway.frameSizePixels(8, 8).showFrame();
        for (int f = 2; f <= 3; ++f)
            runaway.doAction(st::ActionBuilder::assemble("forever: jump forever")).showFrame();
        runaway.doAction(st::ActionBuilder::assemble("push \"on\"; trace")).showFrame();
        runaway.writeFile(runaway_);

        // A key listener traces each key it gets.
        st::SwfWriter keys;
        keys.frameSizePixels(8, 8);
        keys.doAction(st::ActionBuilder::assemble(
            "push \"l\"; push 0; initObject; setVariable;"
            "push \"l\"; getVariable; push \"onKeyDown\"; function () {"
            "  push 0, \"Key\"; getVariable; push \"getCode\"; callMethod; trace"
            "}; setMember;"
            "push \"l\"; getVariable; push 1, \"Key\"; getVariable; push \"addListener\";"
            "callMethod; pop"));
        keys.showFrame().showFrame();
        keys.writeFile(keys_);
        std::ofstream(input_) << R"([{"type": "KeyDown", "key": "Escape"},
                                    {"type": "Gesture", "fingers": 3},
                                    {"type": "KeyDown", "key": "Space"}])";
    }

    testfiles::ScratchDir scratch_;
    std::string reversedStage_ = scratch_.File("reversed.swf");
    std::string runaway_ = scratch_.File("runaway.swf");
    std::string keys_ = scratch_.File("keys.swf");
    std::string input_ = scratch_.File("input.json");
    std::string trace_ = scratch_.File("trace.txt");
};

TEST_F(OutcomeReport, ExitStatusAndMessages) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> says;  // each once on stderr (or stdout for info)
    };
    const std::string png = scratch_.File("shot.png");
    const std::vector<Case> cases = {
        {{"info", reversedStage_}, 0, {"Width:       0 px\n", "Height:      0 px\n"}},
        {{"snapshot", reversedStage_, "--frames", "2", "--capture", "1=" + png}, 1,
         {"a stage of 0 x 0 pixels cannot be captured"}},
        {{"snapshot", reversedStage_, "--frames", "2", "--capture", "last=" + png}, 1,
         {"a stage of 0 x 0 pixels cannot be captured"}},
        {{"snapshot", runaway_, "--frames", "4", "--trace", trace_}, 0,
         {"kinetrope: frame 2: the script ran too long in one frame (more than 5,000,000 "
          "actions); the script was stopped\n"}},
        {{"png", runaway_, "-o", scratch_.File("frame.png")}, 0,
         {"kinetrope: frame 2: the script ran too long", "wrote 4 image(s)"}},
        {{"snapshot", keys_, "--frames", "2", "--trace", trace_, "--input", input_}, 0,
         {"input.json: event 2 has the type 'Gesture', which this program does not know; it "
          "is left out\n"}},
    };
    for (const Case& test : cases) {
        const CommandRun run = RunKinetrope(test.args);
        const std::string said = run.err + run.out;
        EXPECT_EQ(run.status, test.status) << test.args[0] << " " << test.args[1] << ": " << said;
        for (const std::string& part : test.says)
            EXPECT_EQ(Occurrences(said, part), 1u) << part << " in: " << said;
    }
    EXPECT_FALSE(testfiles::ReadBytes(trace_).empty());
}

TEST_F(OutcomeReport, TheRunawayIsInTheTraceAndTheMoviePlaysOn) {
    ASSERT_EQ(RunKinetrope({"snapshot", runaway_, "--frames", "4", "--trace", trace_}).status, 0);
    const auto bytes = testfiles::ReadBytes(trace_);
    const std::string trace(bytes.begin(), bytes.end());
    EXPECT_EQ(Occurrences(trace, "the script ran too long"), 2u) << trace;
    EXPECT_NE(trace.find("\non\n"), std::string::npos) << trace;
}

TEST_F(OutcomeReport, EventsAfterOneOfAnUnknownTypeStillRun) {
    ASSERT_EQ(RunKinetrope({"snapshot", keys_, "--frames", "2", "--trace", trace_, "--input",
                            input_})
                  .status,
              0);
    const auto bytes = testfiles::ReadBytes(trace_);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "27\n32\n");
}

}  // namespace
