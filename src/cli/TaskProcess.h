#pragma once
// One batch task run as a child process of the program itself, so that tasks run side by
// side without sharing an engine, their messages do not mix, and a crash ends only its own
// task. The child's standard output and error go into one pipe read by the batch; its
// standard input is /dev/null. Should the batch die, the child gets SIGINT and cancels as on
// Ctrl+C, removing what it had written. A batch on a Slurm cluster runs the cluster's
// commands (sbatch, scontrol, scancel) the same way.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace cli {

class TaskProcess {
  public:
    // The program run for each task: this one (/proc/self/exe) unless set otherwise, as the
    // tests do, whose own program is not kinetrope.
    static void SetProgram(std::string path);
    static std::string Program();
    // Where the PATH has an executable file of that name; empty when nowhere.
    static std::string FindOnPath(const std::string& name);

    TaskProcess() = default;
    // A child still running is interrupted and waited for.
    ~TaskProcess();
    TaskProcess(const TaskProcess&) = delete;
    TaskProcess& operator=(const TaskProcess&) = delete;

    // Runs the program with `args` (after the program name) in `folder`; false with `error`
    // when no child could be started.
    bool Start(const std::vector<std::string>& args, const std::string& folder, std::string& error);
    // The same for another program, looked for on the PATH when `program` holds no '/'.
    bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, std::string& error);
    // The pipe to read from, -1 once it is closed.
    int outputFd() const { return output_; }
    // Reads what the child has written so far without waiting.
    void ReadOutput();
    // Whether the child has ended; then its output is read to the end and its status taken.
    bool Finished();
    // Asks the child to cancel, as Ctrl+C does.
    void Interrupt();

    // After Finished: whether it exited with status 0, and what it said.
    bool Succeeded() const;
    // The exit status, or 128 + the signal that ended it.
    int ExitCode() const;
    std::string DescribeEnd() const;
    bool EndedBySignal() const;
    pid_t pid() const { return pid_; }
    // When the child started, on the clock of file times, a second early: a file's time
    // comes from a coarser clock.
    std::filesystem::file_time_type startedAt() const { return startedAt_; }
    const std::string& output() const { return text_; }
    double Seconds() const;

  private:
    void CloseOutput();

    pid_t pid_ = -1;
    int output_ = -1;
    int status_ = 0;
    bool finished_ = false;
    std::string text_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point ended_;
    std::filesystem::file_time_type startedAt_;
};

}  // namespace cli
