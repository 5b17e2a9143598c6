#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/TestFiles.h"
#include "cli/BatchTaskFile.h"
#include "cli/JsonValue.h"
#include "cli/RunKinetrope.h"
#include "cli/TaskProcess.h"
#include "support/SwfWriter.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct ExpectedTask {
    int line;
    std::vector<std::string> args;
    std::string movie;
    std::string output;
    std::string error;
};

TEST(BatchTaskFile, LinesBecomeTasksWithTheirLineNumbers) {
    struct Case {
        std::string text;
        std::vector<ExpectedTask> tasks;
    };
    const std::vector<Case> cases = {
        {"# movies of the week\n\n  avi a.swf -o a.avi --codec MJPG\n",
         {{3, {"avi", "a.swf", "-o", "a.avi", "--codec", "MJPG"}, "a.swf", "a.avi", ""}}},
        {"png \"my movie.swf\" -o \"out dir/b.png\"   # the intro\r\n",
         {{1,
           {"png", "my movie.swf", "-o", "out dir/b.png"},
           "my movie.swf",
           "out dir/b.png",
           ""}}},
        {"tga --stretch --size 8x8 c.swf --autoplay -o c.tga",
         {{1,
           {"tga", "--stretch", "--size", "8x8", "c.swf", "--autoplay", "-o", "c.tga"},
           "c.swf",
           "c.tga",
           ""}}},
        {"wav d.swf -o \"say \\\"hi\\\" \\\\ bye.wav\"\n",
         {{1,
           {"wav", "d.swf", "-o", "say \"hi\" \\ bye.wav"},
           "d.swf",
           "say \"hi\" \\ bye.wav",
           ""}}},
        {"avi e.swf -o out\" \"1.avi\n",
         {{1, {"avi", "e.swf", "-o", "out 1.avi"}, "e.swf", "out 1.avi", ""}}},
        {"\n# one\navi a.swf -o a.avi\nconvert b.swf -o b.avi\n \t\npng \"c.swf -o c.png\npng "
         "d.swf\n"
         "tga e.swf -o\nbatch more.txt\navi f.swf g.swf -o f.avi\navi --audio x.wav -o h.avi\n",
         {{3, {"avi", "a.swf", "-o", "a.avi"}, "a.swf", "a.avi", ""},
          {4, {"convert", "b.swf", "-o", "b.avi"}, "", "", "unknown command 'convert'"},
          {6, {}, "", "", "unbalanced quote"},
          {7, {"png", "d.swf"}, "d.swf", "", "no output given (-o)"},
          {8, {"tga", "e.swf", "-o"}, "e.swf", "", "-o needs a value"},
          {9, {"batch", "more.txt"}, "", "", "unknown command 'batch'"},
          {10,
           {"avi", "f.swf", "g.swf", "-o", "f.avi"},
           "f.swf",
           "",
           "more than one movie given ('f.swf' and 'g.swf')"},
          {11, {"avi", "--audio", "x.wav", "-o", "h.avi"}, "", "h.avi", "no movie given"}}},
    };
    for (const Case& test : cases) {
        const cli::BatchTaskFile file = cli::BatchTaskFile::Parse(test.text);
        ASSERT_EQ(file.tasks().size(), test.tasks.size()) << test.text;
        for (size_t i = 0; i < test.tasks.size(); ++i) {
            const cli::BatchTask& got = file.tasks()[i];
            const ExpectedTask& want = test.tasks[i];
            EXPECT_EQ(got.line, want.line) << test.text;
            EXPECT_EQ(got.args, want.args) << test.text;
            EXPECT_EQ(got.movie, want.movie) << test.text;
            EXPECT_EQ(got.output, want.output) << test.text;
            EXPECT_EQ(got.error, want.error) << test.text;
        }
    }
    // Past the last task it takes, the file is refused at the line it stops at.
    std::string many;
    for (size_t i = 0; i <= cli::BatchTaskFile::kMaxTasks; ++i) many += "\navi a.swf -o a.avi";
    const cli::BatchTaskFile file = cli::BatchTaskFile::Parse(many);
    ASSERT_EQ(file.tasks().size(), cli::BatchTaskFile::kMaxTasks + 1);
    EXPECT_EQ(file.MalformedCount(), 1u);
    EXPECT_EQ(file.tasks().back().line, static_cast<int>(cli::BatchTaskFile::kMaxTasks) + 2);
    EXPECT_EQ(file.tasks().back().error, "more than 100000 tasks; split the file");
}

struct ReportLine {
    int line = 0;
    std::string movie;
    std::string output;
    std::string status;
    double frames = -1;  // -1 for null
    std::string message;
};

class BatchCommand : public testing::Test {
  protected:
    void SetUp() override {
        cli::TaskProcess::SetProgram(KINETROPE_PROGRAM);
        // Four frames of 32 x 24, in a folder whose name has a space.
        swftest::SwfWriter movie;
        movie.frameSizePixels(32, 24).frameRate(12).setBackgroundColor({10, 20, 30});
        movie.showFrame().showFrame().showFrame().showFrame();
        movie.writeFile(scratch_.File("one.swf"));
        movie.writeFile(scratch_.File("two movie.swf"));
        fs::create_directory(scratch_.File("out"));
    }

    void WriteTasks(const std::string& text) { std::ofstream(tasks_) << text; }

    std::vector<ReportLine> ReadReport() {
        std::vector<ReportLine> lines;
        std::ifstream in(report_);
        for (std::string text; std::getline(in, text);) {
            std::string error;
            const auto json = cli::JsonValue::Parse(text, error);
            EXPECT_TRUE(json) << error << ": " << text;
            if (!json) continue;
            ReportLine line;
            line.line = static_cast<int>(*json->Member("line")->AsNumber());
            line.movie = *json->Member("movie")->AsString();
            line.output = *json->Member("output")->AsString();
            line.status = *json->Member("status")->AsString();
            if (const double* frames = json->Member("frames")->AsNumber()) line.frames = *frames;
            line.message = *json->Member("message")->AsString();
            EXPECT_NE(json->Member("seconds")->AsNumber(), nullptr) << text;
            lines.push_back(line);
        }
        return lines;
    }

    CommandRun RunBatch(std::vector<std::string> options = {}) {
        std::vector<std::string> args = {"batch", tasks_, "--report", report_};
        args.insert(args.end(), options.begin(), options.end());
        return RunKinetrope(args);
    }

    testfiles::ScratchDir scratch_;
    const std::string tasks_ = scratch_.File("tasks.txt");
    const std::string report_ = scratch_.File("report.jsonl");
    const std::string kThreeTasks =
        "# three conversions, paths relative to this file\n"
        "avi one.swf -o out/one.avi --audio none\n"
        "png \"two movie.swf\" -o \"out/two frames.png\" --size 16x12\n"
        "\n"
        "tga one.swf -o out/three.tga --end 1\n";
};

TEST_F(BatchCommand, ArgumentErrorsSayWhatIsWrong) {
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"batch"}, "kinetrope batch: no TASKS file given (see 'kinetrope batch --help')"},
        {{"batch", tasks_, "--jobs", "0"}, "--jobs needs a number from 1 to 256, not '0'"},
        {{"batch", tasks_, "--jobs"}, "--jobs needs a value"},
        {{"batch", tasks_, "--quiet"}, "unknown option --quiet"},
        {{"batch", tasks_, tasks_}, "more than one TASKS file given"},
        {{"batch", scratch_.File("none.txt")}, "cannot read " + scratch_.File("none.txt")},
    };
    for (const auto& test : cases) {
        const CommandRun run = RunKinetrope(test.args);
        EXPECT_EQ(run.status, 2) << test.says;
        EXPECT_NE(run.err.find(test.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const CommandRun help = RunKinetrope({"batch", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: kinetrope batch TASKS [--jobs N] [--report FILE.jsonl] "
                             "[--keep-going]\n",
                             0),
              0u)
        << help.out;
}

TEST_F(BatchCommand, RunsTheTasksSideBySideAndReportsEach) {
    WriteTasks(kThreeTasks);
    const CommandRun run = RunBatch({"--jobs", "2"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "batch: 3 converted, 0 skipped, 0 failed\n");
    // Not a terminal: a plain progress line as each task ends.
    EXPECT_NE(run.err.find("batch: 3/3 tasks done, 0 running, 0 failed"), std::string::npos)
        << run.err;
    for (const char* name : {"out/one.avi", "out/two frames0.png", "out/two frames3.png",
                             "out/three0.tga", "out/three1.tga"})
        EXPECT_TRUE(fs::is_regular_file(scratch_.File(name))) << name;
    EXPECT_FALSE(fs::exists(scratch_.File("out/three2.tga")));

    std::vector<ReportLine> report = ReadReport();
    ASSERT_EQ(report.size(), 3u);
    // Two run at once, so the order is the order they ended in.
    std::sort(report.begin(), report.end(),
              [](const ReportLine& a, const ReportLine& b) { return a.line < b.line; });
    const struct {
        int line;
        std::string movie, output, message;
        double frames;
    } expected[] = {
        {2, "one.swf", "out/one.avi", "wrote out/one.avi", 4},
        {3, "two movie.swf", "out/two frames.png",
         "wrote 4 image(s): out/two frames0.png ... out/two frames3.png", 4},
        {5, "one.swf", "out/three.tga", "wrote 2 image(s): out/three0.tga ... out/three1.tga", 2},
    };
    for (size_t i = 0; i < report.size(); ++i) {
        EXPECT_EQ(report[i].line, expected[i].line);
        EXPECT_EQ(report[i].movie, scratch_.File(expected[i].movie));
        EXPECT_EQ(report[i].output, scratch_.File(expected[i].output));
        EXPECT_EQ(report[i].status, "ok");
        EXPECT_EQ(report[i].frames, expected[i].frames) << expected[i].output;
        EXPECT_EQ(report[i].message, expected[i].message);
    }
}

TEST_F(BatchCommand, AFailedTaskStopsTheBatchUnlessToldToKeepGoing) {
    const std::string missing = "missing.swf";
    WriteTasks("avi " + missing + " -o out/missing.avi\npng one.swf -o out/one.png\n");
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> statuses;
        std::string summary;
    };
    const std::vector<Case> cases = {
        {{"--jobs", "1"}, {"failed"}, "batch: 0 converted, 0 skipped, 1 failed, 1 not run\n"},
        {{"--jobs", "1", "--keep-going"},
         {"failed", "ok"},
         "batch: 1 converted, 0 skipped, 1 failed\n"},
    };
    for (const Case& test : cases) {
        fs::remove(scratch_.File("out/one0.png"));
        const CommandRun run = RunBatch(test.options);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, test.summary);
        EXPECT_NE(
            run.err.find(tasks_ + ":1: kinetrope: File Open Error: missing.swf: No such file"),
            std::string::npos)
            << run.err;
        const std::vector<ReportLine> report = ReadReport();
        ASSERT_EQ(report.size(), test.statuses.size());
        for (size_t i = 0; i < report.size(); ++i) EXPECT_EQ(report[i].status, test.statuses[i]);
        EXPECT_EQ(report[0].movie, scratch_.File(missing));
        EXPECT_EQ(report[0].frames, -1);
        EXPECT_NE(report[0].message.find("No such file or directory; exit status 1"),
                  std::string::npos)
            << report[0].message;
        EXPECT_EQ(fs::exists(scratch_.File("out/one0.png")), test.statuses.size() == 2);
        EXPECT_FALSE(fs::exists(scratch_.File("out/missing.avi")));
    }
}

TEST_F(BatchCommand, MalformedLinesAreNamedAndNothingRunsWithoutKeepGoing) {
    WriteTasks("png one.swf -o out/one.png\nconvert one.swf -o x.avi\npng one.swf\n");
    const struct {
        std::vector<std::string> options;
        int status;
        bool ran;
    } cases[] = {{{}, 1, false}, {{"--keep-going"}, 1, true}};
    for (const auto& test : cases) {
        const CommandRun run = RunBatch(test.options);
        EXPECT_EQ(run.status, test.status);
        EXPECT_NE(run.err.find(tasks_ + ":2: unknown command 'convert'"), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find(tasks_ + ":3: no output given (-o)"), std::string::npos) << run.err;
        EXPECT_EQ(fs::exists(scratch_.File("out/one0.png")), test.ran);
        const std::vector<ReportLine> report = ReadReport();
        ASSERT_EQ(report.size(), test.ran ? 3u : 2u);
        EXPECT_EQ(report[0].status, "failed");
        EXPECT_EQ(report[0].message, "line 2: unknown command 'convert'");
        EXPECT_EQ(report[1].message, "line 3: no output given (-o)");
        if (test.ran) {
            EXPECT_EQ(report[2].status, "ok");
        }
    }
}

TEST_F(BatchCommand, ASecondRunSkipsWhatIsDoneAndRedoesWhatIsMissingOrOlder) {
    WriteTasks(kThreeTasks);
    ASSERT_EQ(RunBatch().status, 0);
    struct Step {
        std::string change;                 // what happens before the run
        std::vector<std::string> statuses;  // lines 2, 3 and 5
    };
    const std::vector<Step> steps = {
        {"nothing", {"skipped", "skipped", "skipped"}},
        {"delete the first image", {"skipped", "ok", "skipped"}},
        {"the AVI file older than its movie", {"ok", "skipped", "skipped"}},
    };
    for (const Step& step : steps) {
        if (step.change == "delete the first image")
            fs::remove(scratch_.File("out/two frames0.png"));
        if (step.change == "the AVI file older than its movie")
            fs::last_write_time(
                scratch_.File("out/one.avi"),
                fs::last_write_time(scratch_.File("one.swf")) - std::chrono::hours(1));
        const CommandRun run = RunBatch({"--jobs", "1"});
        EXPECT_EQ(run.status, 0) << step.change << run.err;
        const std::vector<ReportLine> report = ReadReport();
        ASSERT_EQ(report.size(), 3u) << step.change;
        for (size_t i = 0; i < report.size(); ++i) {
            EXPECT_EQ(report[i].status, step.statuses[i]) << step.change << " " << i;
            // Skipped or redone, the frames are those on disk.
            EXPECT_EQ(report[i].frames, i == 2 ? 2 : 4) << step.change << " " << i;
        }
    }
}

TEST_F(BatchCommand, ASplitAviFileIsFoundAndCountedByItsParts) {
    // A frame of 640 x 480 takes most of a megabyte: two frames a part.
    WriteTasks("avi one.swf -o out/big.avi --audio none --size 640x480 --split-mb 1\n");
    for (const std::string status : {"ok", "skipped"}) {
        const CommandRun run = RunBatch();
        EXPECT_EQ(run.status, 0) << run.err;
        const std::vector<ReportLine> report = ReadReport();
        ASSERT_EQ(report.size(), 1u);
        EXPECT_EQ(report[0].status, status);
        EXPECT_EQ(report[0].frames, 4);
        EXPECT_FALSE(fs::exists(scratch_.File("out/big.avi")));
        EXPECT_TRUE(fs::exists(scratch_.File("out/big0001.avi")));
    }
}

// The batch run as a program of its own, stopped while its one task writes images, or that
// task killed alone.
TEST_F(BatchCommand, AStoppedBatchOrAKilledTaskLeavesNoPartialOutput) {
    WriteTasks("tga one.swf -o out/long.tga --end 1000000\n");
    const struct {
        int signal;
        bool toTheTask;
        int status;  // -1: killed itself
        std::string says;
    } cases[] = {
        {SIGTERM, false, 130, "cancelled"},
        {SIGINT, false, 130, "cancelled"},
        {SIGKILL, false, -1, ""},
        {SIGKILL, true, 1, "ended by signal 9 (Killed); removed the "},
    };
    for (const auto& test : cases) {
        const std::string name = std::to_string(test.signal) + (test.toTheTask ? " task" : "");
        std::vector<std::string> words = {"kinetrope", "batch", tasks_, "--report", report_};
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        // Its progress lines are of no interest here.
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t batch = 0;
        const int spawned =
            posix_spawn(&batch, KINETROPE_PROGRAM, &quiet, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&quiet);
        ASSERT_EQ(spawned, 0);
        const std::string first = scratch_.File("out/long0000000.tga");
        for (int wait = 0; wait < 200 && !fs::exists(first); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_TRUE(fs::exists(first)) << name;
        pid_t target = batch;
        if (test.toTheTask) {
            const std::string list =
                "/proc/" + std::to_string(batch) + "/task/" + std::to_string(batch) + "/children";
            std::ifstream(list) >> target;
            ASSERT_NE(target, batch) << name;
        }
        kill(target, test.signal);
        int status = 0;
        waitpid(batch, &status, 0);
        if (test.status < 0) {
            EXPECT_TRUE(WIFSIGNALED(status)) << name;
            // The task outlives the batch for as long as it takes to cancel.
            for (int wait = 0; wait < 200 && !fs::is_empty(scratch_.File("out")); ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == test.status) << name;
            const std::vector<ReportLine> report = ReadReport();
            ASSERT_EQ(report.size(), 1u) << name;
            EXPECT_EQ(report[0].status, "failed") << name;
            EXPECT_NE(report[0].message.find(test.says), std::string::npos) << report[0].message;
        }
        EXPECT_TRUE(fs::is_empty(scratch_.File("out"))) << name;
    }
}

}  // namespace
