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
    const std::string text =
        "# movies of the week\n\n  avi a.swf -o a.avi --codec MJPG\n"
        "png \"my movie.swf\" -o \"out dir/b.png\"   # the intro\r\n"
        "wav d.swf -o \"say \\\"hi\\\" \\\\ bye.wav\"\n"
        "avi e.swf -o out\" \"1.avi\n"
        "convert b.swf -o b.avi\n \t\npng \"c.swf -o c.png\npng d.swf\ntga e.swf -o\n"
        "batch more.txt\navi f.swf g.swf -o f.avi\navi --audio x.wav -o h.avi\n"
        "video k.swf -o k.mp4 --codec hevc\n"
        "tga --stretch --size 8x8 c.swf --autoplay -o c.tga";
    const std::vector<ExpectedTask> expected = {
        {3, {"avi", "a.swf", "-o", "a.avi", "--codec", "MJPG"}, "a.swf", "a.avi", ""},
        {4, {"png", "my movie.swf", "-o", "out dir/b.png"}, "my movie.swf", "out dir/b.png", ""},
        {5, {"wav", "d.swf", "-o", "say \"hi\" \\ bye.wav"}, "d.swf", "say \"hi\" \\ bye.wav", ""},
        {6, {"avi", "e.swf", "-o", "out 1.avi"}, "e.swf", "out 1.avi", ""},
        {7, {"convert", "b.swf", "-o", "b.avi"}, "", "", "unknown command 'convert'"},
        {9, {}, "", "", "unbalanced quote"},
        {10, {"png", "d.swf"}, "d.swf", "", "no output given (-o)"},
        {11, {"tga", "e.swf", "-o"}, "e.swf", "", "-o needs a value"},
        {12, {"batch", "more.txt"}, "", "", "unknown command 'batch'"},
        {13,
         {"avi", "f.swf", "g.swf", "-o", "f.avi"},
         "f.swf",
         "",
         "more than one movie given ('f.swf' and 'g.swf')"},
        {14, {"avi", "--audio", "x.wav", "-o", "h.avi"}, "", "h.avi", "no movie given"},
        {15, {"video", "k.swf", "-o", "k.mp4", "--codec", "hevc"}, "k.swf", "k.mp4", ""},
        {16,
         {"tga", "--stretch", "--size", "8x8", "c.swf", "--autoplay", "-o", "c.tga"},
         "c.swf",
         "c.tga",
         ""},
    };
    const cli::BatchTaskFile file = cli::BatchTaskFile::Parse(text);
    ASSERT_EQ(file.tasks().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].line);
        const cli::BatchTask& got = file.tasks()[i];
        EXPECT_EQ(got.line, expected[i].line);
        EXPECT_EQ(got.args, expected[i].args);
        EXPECT_EQ(got.movie, expected[i].movie);
        EXPECT_EQ(got.output, expected[i].output);
        EXPECT_EQ(got.error, expected[i].error);
    }
    // Past the last task it takes, the file is refused at the line it stops at.
    std::string many;
    for (size_t i = 0; i <= cli::BatchTaskFile::kMaxTasks; ++i) many += "\navi a.swf -o a.avi";
    const cli::BatchTaskFile tooMany = cli::BatchTaskFile::Parse(many);
    ASSERT_EQ(tooMany.tasks().size(), cli::BatchTaskFile::kMaxTasks + 1);
    EXPECT_EQ(tooMany.MalformedCount(), 1u);
    EXPECT_EQ(tooMany.tasks().back().line, static_cast<int>(cli::BatchTaskFile::kMaxTasks) + 2);
    EXPECT_EQ(tooMany.tasks().back().error, "more than 100000 tasks; split the file");
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
    EXPECT_EQ(help.out.rfind("usage: kinetrope batch TASKS [--jobs N] [--slice I/N] [--report "
                             "FILE.jsonl]\n                       [--keep-going] [--slurm] "
                             "[--slurm-workers N]\n                       [--slurm-option ARG "
                             "...]\n",
                             0),
              0u)
        << help.out;
}

// The tasks of every kind run side by side, then again: what is done is skipped, what is
// missing or older than its movie is redone. Either way the report gives the frames on disk.
TEST_F(BatchCommand, ReportsEachTaskAndARerunSkipsWhatIsDone) {
    WriteTasks(
        "# conversions of each kind, paths relative to this file\n"
        "avi one.swf -o out/one.avi --audio none\n"
        "png \"two movie.swf\" -o \"out/two frames.png\" --size 16x12\n"
        "\n"
        "tga one.swf -o out/three.tga --end 1\n"
        "wav one.swf -o out/four.wav --start 1\n"
        "video one.swf -o out/five.mkv --codec ffv1 --audio none --end 2\n"
        "video one.swf -o out/six.mp4 --audio none\n"
        // A frame of 640 x 480 takes most of a megabyte: a part or so each.
        "avi one.swf -o out/big.avi --audio none --size 640x480 --split-mb 1\n");
    const struct {
        int line;
        std::string movie, output, wrote;
        double frames;
    } tasks[] = {
        {2, "one.swf", "out/one.avi", "wrote out/one.avi", 4},
        {3, "two movie.swf", "out/two frames.png",
         "wrote 4 image(s): out/two frames0.png ... out/two frames3.png", 4},
        {5, "one.swf", "out/three.tga", "wrote 2 image(s): out/three0.tga ... out/three1.tga", 2},
        {6, "one.swf", "out/four.wav", "wrote out/four.wav", 3},
        {7, "one.swf", "out/five.mkv", "wrote out/five.mkv", 3},
        {8, "one.swf", "out/six.mp4", "wrote out/six.mp4", 4},
        {9, "one.swf", "out/big.avi", "wrote 3 parts: out/big0000.avi ... out/big0002.avi", 4},
    };
    struct Step {
        std::string change;  // what happens before the run
        std::string ran;     // the tasks run, as letters: the others are skipped
    };
    const std::vector<Step> steps = {
        {"first run", "abcdefg"},
        {"nothing", ""},
        {"delete the first image", "b"},
        {"the AVI, WAV and MP4 files older than their movie", "adf"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.change);
        if (step.change == "delete the first image")
            fs::remove(scratch_.File("out/two frames0.png"));
        if (step.change == "the AVI, WAV and MP4 files older than their movie")
            for (const char* name : {"out/one.avi", "out/four.wav", "out/six.mp4"})
                fs::last_write_time(
                    scratch_.File(name),
                    fs::last_write_time(scratch_.File("one.swf")) - std::chrono::hours(1));
        const CommandRun run = RunBatch({"--jobs", "2"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "batch: " + std::to_string(step.ran.size()) + " converted, " +
                               std::to_string(7 - step.ran.size()) + " skipped, 0 failed\n");
        // Not a terminal: a plain progress line as each task run ends.
        if (!step.ran.empty()) {
            EXPECT_NE(run.err.find("batch: 7/7 tasks done, 0 running, 0 failed"), std::string::npos)
                << run.err;
        }
        std::vector<ReportLine> report = ReadReport();
        ASSERT_EQ(report.size(), 7u);
        // Two run at once, so the order is the order they ended in.
        std::ranges::sort(report, {}, &ReportLine::line);
        for (size_t i = 0; i < report.size(); ++i) {
            SCOPED_TRACE(tasks[i].output);
            const bool ran = step.ran.find(static_cast<char>('a' + i)) != std::string::npos;
            EXPECT_EQ(report[i].line, tasks[i].line);
            EXPECT_EQ(report[i].movie, scratch_.File(tasks[i].movie));
            EXPECT_EQ(report[i].output, scratch_.File(tasks[i].output));
            EXPECT_EQ(report[i].status, ran ? "ok" : "skipped");
            EXPECT_EQ(report[i].frames, tasks[i].frames);
            EXPECT_EQ(report[i].message,
                      ran ? tasks[i].wrote : "the output is newer than the movie");
        }
        // The split AVI file is found by its parts.
        EXPECT_FALSE(fs::exists(scratch_.File("out/big.avi")));
        EXPECT_TRUE(fs::exists(scratch_.File("out/big0001.avi")));
    }
}

// A task that fails stops the batch, as does a malformed line before anything runs, unless
// --keep-going runs the others; the report says why for each.
TEST_F(BatchCommand, FailuresStopTheBatchUnlessToldToKeepGoing) {
    const std::string missing = "avi missing.swf -o out/missing.avi\npng one.swf -o out/one.png\n";
    const std::string malformed =
        "png one.swf -o out/one.png\nconvert one.swf -o x.avi\npng one.swf\n";
    struct Entry {
        std::string status, movie, messageEnd;
    };
    struct Case {
        std::string tasks;
        std::vector<std::string> options;
        std::string summary;
        std::vector<std::string> said;  // on standard error, each after "TASKS:"
        std::vector<Entry> report;
    };
    const Entry missingEntry = {"failed", "missing.swf",
                                "No such file or directory; exit status 1"};
    const Entry imagesEntry = {"ok", "one.swf", "wrote 4 image(s): out/one0.png ... out/one3.png"};
    const std::vector<std::string> malformedSaid = {"2: unknown command 'convert'",
                                                    "3: no output given (-o)"};
    const std::vector<Entry> malformedEntries = {
        {"failed", "", "line 2: unknown command 'convert'"},
        {"failed", "one.swf", "line 3: no output given (-o)"}};
    const std::vector<Case> cases = {
        {missing,
         {"--jobs", "1"},
         "batch: 0 converted, 0 skipped, 1 failed, 1 not run\n",
         {"1: kinetrope: File Open Error: missing.swf: No such file"},
         {missingEntry}},
        {missing,
         {"--jobs", "1", "--keep-going"},
         "batch: 1 converted, 0 skipped, 1 failed\n",
         {"1: kinetrope: File Open Error: missing.swf: No such file"},
         {missingEntry, imagesEntry}},
        {malformed, {}, "", malformedSaid, malformedEntries},
        {malformed,
         {"--keep-going"},
         "batch: 1 converted, 0 skipped, 2 failed\n",
         malformedSaid,
         {malformedEntries[0], malformedEntries[1], imagesEntry}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tasks + testing::PrintToString(c.options));
        WriteTasks(c.tasks);
        fs::remove_all(scratch_.File("out"));
        fs::create_directory(scratch_.File("out"));
        const CommandRun run = RunBatch(c.options);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, c.summary);
        for (const std::string& said : c.said)
            EXPECT_NE(run.err.find(tasks_ + ":" + said), std::string::npos) << run.err;
        const std::vector<ReportLine> report = ReadReport();
        ASSERT_EQ(report.size(), c.report.size());
        for (size_t i = 0; i < report.size(); ++i) {
            EXPECT_EQ(report[i].status, c.report[i].status) << i;
            EXPECT_EQ(report[i].movie,
                      c.report[i].movie.empty() ? "" : scratch_.File(c.report[i].movie))
                << i;
            EXPECT_TRUE(report[i].message.ends_with(c.report[i].messageEnd)) << report[i].message;
            if (report[i].status == "failed") {
                EXPECT_EQ(report[i].frames, -1) << i;
            }
        }
        // Only the images of a task that ran are written.
        std::vector<std::string> written;
        for (const auto& entry : fs::directory_iterator(scratch_.File("out")))
            written.push_back(entry.path().filename().string());
        std::ranges::sort(written);
        const std::vector<std::string> images = {"one0.png", "one1.png", "one2.png", "one3.png"};
        EXPECT_EQ(written, c.report.back().status == "ok" ? images : std::vector<std::string>());
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
