// kinetrope batch --slice and --slurm. The tests named SlurmCluster need a Slurm cluster
// that takes jobs (scripts/slurm-cluster.sh starts one on this machine); without one they
// are skipped, unless KINETROPE_NEED_SLURM=1 says one must be there, as in CI.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/TestFiles.h"
#include "cli/BatchLedger.h"
#include "cli/RunKinetrope.h"
#include "cli/SlurmBatch.h"
#include "cli/SlurmCluster.h"
#include "cli/TaskProcess.h"
#include "support/SwfWriter.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

TEST(SlurmStates, StatesAndLinesAreReadAndSaid) {
    // Records as `scontrol -o show job` gives them for an array of 8, cut short.
    const std::string records =
        "JobId=12 ArrayJobId=11 ArrayTaskId=1 JobName=k JobState=TIMEOUT Reason=TimeLimit "
        "Dependency=(null) ExitCode=0:15\n"
        "JobId=11 ArrayJobId=11 ArrayTaskId=3-5,7%2 JobState=PENDING Reason=Resources "
        "ExitCode=0:0\n"
        "JobId=13 ArrayJobId=11 ArrayTaskId=0 JobState=FAILED Reason=NonZeroExitCode "
        "ExitCode=1:0\n"
        "JobId=14 ArrayJobId=11 ArrayTaskId=2 JobState=COMPLETING Reason=None ExitCode=0:0\n"
        "slurm_load_jobs error: something\nJobId=15 ArrayTaskId=9 JobState=RUNNING\n";
    std::vector<cli::SlurmArrayTask> tasks(8);
    tasks[6].state = "COMPLETED";
    cli::SlurmCluster::ParseStates(records, tasks);
    const struct {
        std::string state, describe;
        bool ended, asABatch;
    } expected[] = {
        {"FAILED", "FAILED (NonZeroExitCode), exit code 1:0", true, true},
        {"TIMEOUT", "TIMEOUT (TimeLimit), exit code 0:15", true, false},
        {"COMPLETING", "COMPLETING, exit code 0:0", false, false},
        {"PENDING", "PENDING (Resources), exit code 0:0", false, false},
        {"PENDING", "PENDING (Resources), exit code 0:0", false, false},
        {"PENDING", "PENDING (Resources), exit code 0:0", false, false},
        {"COMPLETED", "COMPLETED", true, true},
        {"PENDING", "PENDING (Resources), exit code 0:0", false, false},
    };
    for (size_t i = 0; i < tasks.size(); ++i) {
        EXPECT_EQ(tasks[i].state, expected[i].state) << i;
        EXPECT_EQ(tasks[i].Describe(), expected[i].describe) << i;
        EXPECT_EQ(tasks[i].Ended(), expected[i].ended) << i;
        EXPECT_EQ(tasks[i].EndedAsABatch(), expected[i].asABatch) << i;
    }

    std::vector<int> many;
    for (int line = 1; line <= 200; line += 2) many.push_back(line);
    const struct {
        std::vector<int> lines;
        std::string said;
    } lines[] = {
        {{7}, "line 7"},
        {{2, 3, 4, 7, 9}, "lines 2-4, 7 and 9"},
        {{1, 2}, "lines 1-2"},
        {many,
         "lines 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31, 33, 35, 37, 39, 41, "
         "43, 45, 47, 49, 51, 53, 55, 57, 59, 61, 63, 65, 67, 69, 71, 73, 75, 77, 79 and 60 "
         "more"},
    };
    for (const auto& test : lines) EXPECT_EQ(cli::SlurmBatch::DescribeLines(test.lines), test.said);
}

struct Entry {
    int line;
    std::string status;
    double frames;  // -1 for null
    std::string message;
    bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& entry, std::ostream* out) {
    *out << entry.line << " " << entry.status << " " << entry.frames << " " << entry.message;
}

class SlurmBatch : public testing::Test {
  protected:
    void SetUp() override {
        cli::TaskProcess::SetProgram(KINETROPE_PROGRAM);
        swftest::SwfWriter movie;
        movie.frameSizePixels(32, 24).frameRate(12).setBackgroundColor({10, 20, 30});
        movie.showFrame().showFrame().showFrame().showFrame();
        movie.writeFile(scratch_.File("one.swf"));
        std::ofstream(scratch_.File("broken.swf")) << "FWS\x08 not a movie";
        fs::create_directory(scratch_.File("out"));
    }

    void WriteTasks(const std::string& text) const { std::ofstream(tasks_) << text; }

    // The report's entries in the order of their lines, paths checked to be the folder's.
    std::vector<Entry> ReadReport(const std::string& report) const {
        std::vector<Entry> entries;
        std::ifstream in(report);
        for (std::string text; std::getline(in, text);) {
            const auto entry = cli::BatchLedger::ReadReportLine(text);
            EXPECT_TRUE(entry) << text;
            if (!entry) continue;
            EXPECT_TRUE(text.find("\"output\": \"\"") != std::string::npos ||
                        text.find("\"output\": \"" + scratch_.File("")) != std::string::npos)
                << text;
            const cli::TaskResult& result = entry->second;
            static const char* kStatus[] = {"ok", "failed", "skipped"};
            entries.push_back({entry->first, kStatus[static_cast<int>(result.status)],
                               result.frames ? static_cast<double>(*result.frames) : -1,
                               result.message});
        }
        std::ranges::sort(entries, {}, &Entry::line);
        return entries;
    }

    // The files of the output folder, with their sizes.
    std::map<std::string, uintmax_t> Outputs() const {
        std::map<std::string, uintmax_t> files;
        for (const auto& entry : fs::directory_iterator(scratch_.File("out")))
            files[entry.path().filename().string()] = entry.file_size();
        return files;
    }

    CommandRun RunBatch(std::vector<std::string> options) const {
        std::vector<std::string> args = {"batch", tasks_, "--report", report_};
        args.insert(args.end(), options.begin(), options.end());
        return RunKinetrope(args);
    }

    void ClearOutputs() const {
        fs::remove_all(scratch_.File("out"));
        fs::create_directory(scratch_.File("out"));
    }

    testfiles::ScratchDir scratch_;
    const std::string tasks_ = scratch_.File("tasks.txt");
    const std::string report_ = scratch_.File("report.jsonl");
};

// Slices of one file, run one after the other as workers anywhere would run them side by
// side, run every runnable task once between them and report each malformed line once.
TEST_F(SlurmBatch, SlicesTogetherRunEveryTaskOnce) {
    WriteTasks(
        "png one.swf -o out/a.png --end 0\n"
        "png one.swf -o out/b.png --end 0\n"
        "# a comment is no task\n"
        "convert one.swf -o out/c.png\n"
        "png one.swf -o out/d.png --end 0\n"
        "png one.swf -o out/e.png --end 0\n"
        "png one.swf -o out/f.png --end 0\n"
        "png one.swf -o out/g.png --end 0\n");
    // The runnable lines 1, 2, 5, 6, 7, 8 by slice of 3: indexes 0 and 3, 1 and 4, 2 and 5.
    const std::vector<std::vector<int>> expected = {{1, 4, 6}, {2, 7}, {5, 8}};
    std::vector<int> all;
    for (int slice = 0; slice < 3; ++slice) {
        const std::string report = scratch_.File("slice" + std::to_string(slice) + ".jsonl");
        const CommandRun run =
            RunKinetrope({"batch", tasks_, "--slice", std::to_string(slice) + "/3", "--report",
                          report, "--keep-going", "--jobs", "2"});
        EXPECT_EQ(run.status, slice == 0 ? 1 : 0) << run.err;
        std::vector<int> lines;
        for (const Entry& entry : ReadReport(report)) lines.push_back(entry.line);
        EXPECT_EQ(lines, expected[static_cast<size_t>(slice)]) << slice;
        all.insert(all.end(), lines.begin(), lines.end());
    }
    std::ranges::sort(all);
    EXPECT_EQ(all, (std::vector<int>{1, 2, 4, 5, 6, 7, 8}));
    const std::map<std::string, uintmax_t> outputs = Outputs();
    EXPECT_EQ(outputs.size(), 6u);
    for (const char* name : {"a0.png", "b0.png", "d0.png", "e0.png", "f0.png", "g0.png"})
        EXPECT_EQ(outputs.count(name), 1u) << name;
    // Without --keep-going every slice refuses to start over the malformed line.
    const CommandRun refused = RunKinetrope({"batch", tasks_, "--slice", "2/3"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(tasks_ + ":4: unknown command 'convert'"), std::string::npos);

    const struct {
        std::vector<std::string> args;
        std::string says;
    } misuse[] = {
        {{"--slice", "3/3"}, "--slice needs I/N with 0 <= I < N <= 100000, not '3/3'"},
        {{"--slice", "1"}, "--slice needs I/N with 0 <= I < N <= 100000, not '1'"},
        {{"--slurm", "--jobs", "2"}, "--jobs does not go with --slurm"},
        {{"--slurm", "--slice", "0/2"}, "--slice does not go with --slurm"},
        {{"--slurm-workers", "2"}, "--slurm-workers and --slurm-option go with --slurm"},
        {{"--slurm", "--slurm-workers", "0"}, "--slurm-workers needs a number from 1 to 100000"},
        {{"--slurm", "--slurm-option"}, "--slurm-option needs a value"},
    };
    for (const auto& test : misuse) {
        std::vector<std::string> args = {"batch", tasks_};
        args.insert(args.end(), test.args.begin(), test.args.end());
        const CommandRun run = RunKinetrope(args);
        EXPECT_EQ(run.status, 2) << test.says;
        EXPECT_NE(run.err.find(test.says), std::string::npos) << run.err;
    }
}

// A PATH for the batch alone, restored at the end of the scope.
class ScopedPath {
  public:
    explicit ScopedPath(const std::string& path) : saved_(std::getenv("PATH")) {
        setenv("PATH", path.c_str(), 1);
    }
    ~ScopedPath() { setenv("PATH", saved_.c_str(), 1); }

  private:
    std::string saved_;
};

// Where no cluster can be reached, or the one there refuses the batch, the batch says so,
// names every line it leaves undone and ends with status 1 without writing anything.
TEST_F(SlurmBatch, NoClusterOrARefusalLeavesEveryLineUndone) {
    WriteTasks(
        "png one.swf -o out/a.png --end 0\nconvert x\npng one.swf -o out/b.png --end 0\n"
        "png one.swf -o out/c.png --end 0\n");
    const std::string bin = scratch_.File("bin");
    fs::create_directory(bin);
    // A done task is skipped before anything is submitted.
    ASSERT_EQ(RunKinetrope(
                  {"png", scratch_.File("one.swf"), "-o", scratch_.File("out/c.png"), "--end", "0"})
                  .status,
              0);
    const struct {
        std::string sbatch;  // the sbatch on the PATH; none when empty
        std::string says;
    } cases[] = {
        {"",
         "sbatch is not on the PATH: --slurm runs where the cluster's commands do, such as its "
         "login node"},
        {"echo 'sbatch: error: invalid partition specified: nope' >&2; exit 1",
         "the cluster refused the batch: sbatch: error: invalid partition specified: nope"},
        {"echo 'sbatch: warning: no id'", "the cluster refused the batch: sbatch: warning: no id"},
    };
    for (const auto& test : cases) {
        fs::remove(bin + "/sbatch");
        if (!test.sbatch.empty()) {
            std::ofstream(bin + "/sbatch") << "#!/bin/sh\n" << test.sbatch << "\n";
            fs::permissions(bin + "/sbatch", fs::perms::owner_all);
        }
        fs::remove(scratch_.File("out/a0.png"));
        CommandRun run{};
        {
            const ScopedPath path(bin);
            run = RunKinetrope({"batch", tasks_, "--slurm", "--keep-going", "--report", report_,
                                "--slurm-option", "--partition=nope"});
        }
        EXPECT_EQ(run.status, 1) << test.says;
        EXPECT_NE(run.err.find("kinetrope batch: " + test.says + "; lines 1 and 3 are left undone"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(run.out, "batch: 0 converted, 1 skipped, 1 failed, 2 not run\n");
        EXPECT_EQ(ReadReport(report_),
                  (std::vector<Entry>{{2, "failed", -1, "line 2: unknown command 'convert'"},
                                      {4, "skipped", 1, "the output is newer than the movie"}}));
        EXPECT_EQ(Outputs().size(), 1u);
    }
    // Without --keep-going the malformed line stops the batch before anything is asked of
    // the cluster.
    const CommandRun refused = RunKinetrope({"batch", tasks_, "--slurm", "--report", report_});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(ReadReport(report_),
              (std::vector<Entry>{{2, "failed", -1, "line 2: unknown command 'convert'"}}));
}

// The tests that need a cluster that takes jobs: without one they are skipped, or fail
// where one is needed.
class OnSlurmCluster : public SlurmBatch {};

bool ClusterAnswers() {
    return cli::SlurmCluster::Ask("sinfo", {"-h", "-o", "%T"}, std::chrono::seconds(20)).ran;
}

#define NEED_CLUSTER()                                                                   \
    do {                                                                                 \
        if (!ClusterAnswers()) {                                                         \
            const char* need = std::getenv("KINETROPE_NEED_SLURM");                      \
            if (need && std::string(need) == "1") FAIL() << "no Slurm cluster answers";  \
            GTEST_SKIP() << "no Slurm cluster answers (scripts/slurm-cluster.sh start)"; \
        }                                                                                \
    } while (false)

// The processes whose command line holds all of `words`.
std::vector<pid_t> FindProcesses(const std::vector<std::string>& words) {
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ranges::replace(line, '\0', ' ');
        if (std::ranges::all_of(
                words, [&](const std::string& w) { return line.find(w) != std::string::npos; }))
            found.push_back(std::stoi(name));
    }
    return found;
}

// Runs kinetrope as a process of its own, its output in `log`.
pid_t SpawnKinetrope(std::vector<std::string> words, const std::string& log) {
    words.insert(words.begin(), "kinetrope");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, KINETROPE_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

bool WaitFor(const std::function<bool()>& done, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The same batch, one movie broken, here and through the cluster: the same outputs, report
// lines, summary and exit status; then a rerun through the cluster skips what is done.
TEST_F(OnSlurmCluster, ThroughTheClusterAsHere) {
    NEED_CLUSTER();
    WriteTasks(
        "avi one.swf -o out/one.avi --audio none\n"
        "png one.swf -o out/two.png --size 16x12\n"
        "avi broken.swf -o out/three.avi\n"
        "video one.swf -o out/four.mkv --codec ffv1 --audio none --end 2\n"
        "\n"
        "wav one.swf -o out/five.wav --start 1\n"
        "tga one.swf -o out/six.tga --end 1\n");
    const CommandRun here = RunBatch({"--keep-going", "--jobs", "2"});
    const std::vector<Entry> hereReport = ReadReport(report_);
    const std::map<std::string, uintmax_t> hereOutputs = Outputs();
    ASSERT_EQ(hereReport.size(), 6u);
    ClearOutputs();

    const CommandRun there = RunBatch({"--keep-going", "--slurm", "--slurm-workers", "2"});
    EXPECT_EQ(there.status, 1) << there.err;
    EXPECT_EQ(there.status, here.status);
    EXPECT_EQ(there.out, here.out);
    EXPECT_EQ(there.out, "batch: 5 converted, 0 skipped, 1 failed\n");
    EXPECT_NE(there.err.find(tasks_ + ":3: "), std::string::npos) << there.err;
    EXPECT_NE(there.err.find("batch: 6/6 tasks done, "), std::string::npos) << there.err;
    EXPECT_EQ(ReadReport(report_), hereReport);
    // Written in the order of TASKS, whatever order the workers' tasks ended in.
    std::vector<int> written;
    std::ifstream report(report_);
    for (std::string text; std::getline(report, text);)
        written.push_back(cli::BatchLedger::ReadReportLine(text)->first);
    EXPECT_EQ(written, (std::vector<int>{1, 2, 3, 4, 6, 7}));
    EXPECT_EQ(Outputs(), hereOutputs);
    // Each worker's report and log is kept beside TASKS.
    std::vector<std::string> kept;
    for (const auto& job : fs::directory_iterator(tasks_ + ".slurm"))
        for (const auto& file : fs::directory_iterator(job.path()))
            kept.push_back(file.path().filename().string());
    std::ranges::sort(kept);
    EXPECT_EQ(kept, (std::vector<std::string>{"worker-0.jsonl", "worker-0.log", "worker-1.jsonl",
                                              "worker-1.log"}));

    const CommandRun rerun = RunBatch({"--keep-going", "--slurm"});
    EXPECT_EQ(rerun.status, 1) << rerun.err;
    EXPECT_EQ(rerun.out, "batch: 0 converted, 5 skipped, 1 failed\n");
    for (const Entry& entry : ReadReport(report_))
        EXPECT_EQ(entry.status, entry.line == 3 ? "failed" : "skipped") << entry.line;
    EXPECT_EQ(Outputs(), hereOutputs);
}

// Refusals by a real cluster: an unknown partition, an array larger than it takes.
TEST_F(OnSlurmCluster, TheClusterRefuses) {
    NEED_CLUSTER();
    std::string many;
    for (int i = 0; i < 1100; ++i) many += "png one.swf -o out/x.png\n";
    const struct {
        std::string tasks;
        std::vector<std::string> options;
        std::string says;
    } cases[] = {
        {"png one.swf -o out/a.png\n",
         {"--slurm-option", "--partition=nowhere"},
         "the cluster refused the batch: sbatch: error: Batch job submission failed: Invalid "
         "partition name specified; line 1 is left undone"},
        {many,
         {"--slurm-workers", "1100"},
         "the cluster refused the batch: sbatch: error: Batch job submission failed: Invalid "
         "job array specification; lines 1-1100 are left undone"},
    };
    for (const auto& test : cases) {
        WriteTasks(test.tasks);
        std::vector<std::string> args = {"batch", tasks_, "--slurm"};
        args.insert(args.end(), test.options.begin(), test.options.end());
        const CommandRun run = RunKinetrope(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(test.says), std::string::npos) << run.err;
        EXPECT_TRUE(Outputs().empty());
    }
}

// Ctrl+C while the workers convert cancels the array: no job left, no worker process, no
// partial output. A worker killed alone leaves its line undone, named; its partial output
// is removed and a rerun does only that line.
TEST_F(OnSlurmCluster, AStoppedBatchOrAKilledWorker) {
    NEED_CLUSTER();
    const std::string log = scratch_.File("batch.log");
    for (const bool killWorker : {false, true}) {
        SCOPED_TRACE(killWorker ? "a worker killed" : "the batch stopped");
        ClearOutputs();
        WriteTasks("tga one.swf -o out/endless.tga --end 1000000\npng one.swf -o out/short.png\n");
        const pid_t batch = SpawnKinetrope(
            {"batch", tasks_, "--slurm", "--slurm-workers", "2", "--report", report_}, log);
        ASSERT_GT(batch, 0);
        EXPECT_TRUE(
            WaitFor([&] { return fs::exists(scratch_.File("out/endless0000000.tga")); }, 60))
            << ReadText(log);
        const std::vector<pid_t> workers = FindProcesses({tasks_, "--slice", "0/2"});
        ASSERT_EQ(workers.size(), 1u) << ReadText(log);
        kill(killWorker ? workers[0] : batch, killWorker ? SIGKILL : SIGINT);
        int status = 0;
        EXPECT_TRUE(WaitFor([&] { return waitpid(batch, &status, WNOHANG) == batch; }, 120));
        const std::string said = ReadText(log);
        EXPECT_TRUE(WIFEXITED(status)) << said;
        EXPECT_EQ(WEXITSTATUS(status), killWorker ? 1 : 130) << said;
        // The job the batch said it submitted is no longer in the queue.
        const size_t at = said.find("kinetrope batch: job ");
        ASSERT_NE(at, std::string::npos) << said;
        const std::string job = said.substr(at + 21, said.find(',', at) - at - 21);
        std::istringstream queue(cli::SlurmCluster::Ask("squeue", {"-h", "-o", "%i"}).output);
        for (std::string id; std::getline(queue, id);)
            EXPECT_TRUE(id != job && !id.starts_with(job + "_")) << id;
        EXPECT_TRUE(FindProcesses({tasks_, "--slice"}).empty());
        EXPECT_TRUE(FindProcesses({"out/endless.tga"}).empty());
        std::map<std::string, uintmax_t> outputs = Outputs();
        outputs.erase("short0.png");
        outputs.erase("short1.png");
        outputs.erase("short2.png");
        outputs.erase("short3.png");
        EXPECT_TRUE(outputs.empty()) << outputs.begin()->first;
        if (!killWorker) {
            EXPECT_NE(said.find("stopping; the workers are cancelled"), std::string::npos) << said;
            continue;
        }
        EXPECT_EQ(Outputs().size(), 4u);
        EXPECT_NE(said.find(") ended FAILED"), std::string::npos) << said;
        EXPECT_NE(said.find("; line 1 is left undone"), std::string::npos) << said;
        EXPECT_NE(said.find("batch: 1 converted, 0 skipped, 0 failed, 1 not run"),
                  std::string::npos)
            << said;
        WriteTasks("tga one.swf -o out/endless.tga --end 2\npng one.swf -o out/short.png\n");
        const CommandRun rerun = RunBatch({"--slurm"});
        EXPECT_EQ(rerun.status, 0) << rerun.err;
        EXPECT_EQ(rerun.out, "batch: 1 converted, 1 skipped, 0 failed\n");
    }
}

// The README's section on converting an archive on a cluster, its commands run as written
// in an archive of three movies: the task file, the batch through the cluster, then slices
// as the pods of an indexed Job would run them.
TEST_F(OnSlurmCluster, TheReadmeSectionAsWritten) {
    NEED_CLUSTER();
    const std::string readme = ReadText(KINETROPE_README);
    const size_t start = readme.find("\n## Converting an archive on a cluster\n");
    ASSERT_NE(start, std::string::npos);
    std::istringstream section(readme.substr(start + 1, readme.find("\n## ", start + 1) - start));
    std::vector<std::string> blocks(1);
    for (std::string line; std::getline(section, line);) {
        if (line.starts_with("    "))
            blocks.back() += line.substr(4) + "\n";
        else if (!blocks.back().empty())
            blocks.emplace_back();
    }
    if (blocks.back().empty()) blocks.pop_back();
    ASSERT_EQ(blocks.size(), 3u);

    const std::string archive = scratch_.File("archive");
    fs::create_directories(archive + "/2024");
    for (const char* name : {"a.swf", "episode 2.swf", "2024/b.swf"})
        fs::copy_file(scratch_.File("one.swf"), archive + "/" + name);
    const std::string bin = fs::path(KINETROPE_PROGRAM).parent_path().string();
    const auto runBlock = [&](size_t block, const std::string& environment) {
        std::ofstream(scratch_.File("block.sh")) << blocks[block];
        const std::string command = "cd '" + archive + "' && " + environment + " PATH='" + bin +
                                    "':\"$PATH\" bash '" + scratch_.File("block.sh") + "' >'" +
                                    scratch_.File("block.log") + "' 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::vector<std::string> videos = {"2024/b.mp4", "a.mp4", "episode 2.mp4"};
    const auto videosThere = [&] {
        return std::ranges::all_of(
            videos, [&](const std::string& v) { return fs::exists(archive + "/" + v); });
    };
    ASSERT_EQ(runBlock(0, ""), 0) << ReadText(scratch_.File("block.log"));
    ASSERT_EQ(runBlock(1, ""), 0) << ReadText(scratch_.File("block.log"));
    EXPECT_TRUE(videosThere());
    const std::vector<Entry> report = ReadReport(archive + "/tasks.jsonl");
    ASSERT_EQ(report.size(), 3u);
    for (const Entry& entry : report) EXPECT_EQ(entry.status, "ok") << entry.message;

    for (const std::string& video : videos) fs::remove(archive + "/" + video);
    std::vector<int> lines;
    for (int index = 0; index < 8; ++index) {
        ASSERT_EQ(runBlock(2, "JOB_COMPLETION_INDEX=" + std::to_string(index)), 0)
            << ReadText(scratch_.File("block.log"));
        for (const Entry& entry :
             ReadReport(archive + "/tasks-" + std::to_string(index) + ".jsonl"))
            lines.push_back(entry.line);
    }
    std::ranges::sort(lines);
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(videosThere());
}

}  // namespace
