#include "cli/TaskProcess.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace cli {
namespace {

// What is kept of a child's messages: the end, where the reason for a failure is.
constexpr size_t kMaxOutput = 64 * 1024;

std::string& ProgramOverride() {
    static std::string program;
    return program;
}

void WriteAll(int fd, const std::string& text) {
    for (size_t at = 0; at < text.size();) {
        const ssize_t written = write(fd, text.data() + at, text.size() - at);
        if (written <= 0) return;
        at += static_cast<size_t>(written);
    }
}

}  // namespace

void TaskProcess::SetProgram(std::string path) {
    ProgramOverride() = std::move(path);
}

std::string TaskProcess::Program() {
    if (!ProgramOverride().empty()) return ProgramOverride();
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : "/proc/self/exe";
}

std::string TaskProcess::FindOnPath(const std::string& name) {
    const char* variable = std::getenv("PATH");
    std::string_view folders = variable ? variable : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const size_t colon = folders.find(':');
        std::string path(folders.substr(0, colon));
        path = (path.empty() ? "." : path) + "/" + name;
        std::error_code notThere;
        if (std::filesystem::is_regular_file(path, notThere) && access(path.c_str(), X_OK) == 0)
            return path;
        if (colon == std::string_view::npos) return {};
        folders.remove_prefix(colon + 1);
    }
}

TaskProcess::~TaskProcess() {
    if (pid_ > 0 && !finished_) {
        kill(pid_, SIGINT);
        waitpid(pid_, nullptr, 0);
    }
    CloseOutput();
}

bool TaskProcess::Start(const std::vector<std::string>& args, const std::string& folder,
                        std::string& error) {
    return StartProgram(Program(), args, folder, error);
}

bool TaskProcess::StartProgram(const std::string& program, const std::vector<std::string>& args,
                               const std::string& folder, std::string& error) {
    // Everything the child needs is made before the fork: after it, only calls that are safe
    // in a copy of a process that may have had threads.
    const std::string path = program.find('/') == std::string::npos ? FindOnPath(program) : program;
    if (path.empty()) {
        error = program + " is not on the PATH";
        return false;
    }
    std::vector<std::string> words = args;
    std::string name = program == Program() ? "kinetrope" : program;
    std::vector<char*> argv;
    argv.push_back(name.data());
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string noFolder = "kinetrope batch: cannot enter the folder " + folder + "\n";
    const std::string noProgram = "kinetrope batch: cannot run " + program + "\n";

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // A batch that dies (even by kill -9) cancels its tasks, which remove their output.
        prctl(PR_SET_PDEATHSIG, SIGINT);
        if (getppid() != parent) _exit(130);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (nothing >= 0) dup2(nothing, STDIN_FILENO);
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        // Nothing else the batch was given goes on to the task.
        close_range(3, ~0u, 0);
        if (chdir(folder.c_str()) != 0) {
            WriteAll(STDERR_FILENO, noFolder);
            _exit(127);
        }
        execv(path.c_str(), argv.data());
        WriteAll(STDERR_FILENO, noProgram);
        _exit(127);
    }
    close(pipeFds[1]);
    if (nothing >= 0) close(nothing);
    if (pid < 0) {
        error = std::string("cannot start a process: ") + std::strerror(errno);
        close(pipeFds[0]);
        return false;
    }
    pid_ = pid;
    output_ = pipeFds[0];
    fcntl(output_, F_SETFL, fcntl(output_, F_GETFL) | O_NONBLOCK);
    started_ = std::chrono::steady_clock::now();
    startedAt_ = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(1);
    return true;
}

void TaskProcess::ReadOutput() {
    char buffer[4096];
    while (output_ >= 0) {
        const ssize_t got = read(output_, buffer, sizeof buffer);
        if (got > 0) {
            text_.append(buffer, static_cast<size_t>(got));
            if (text_.size() > 2 * kMaxOutput) text_.erase(0, text_.size() - kMaxOutput);
        } else if (got == 0 || errno != EINTR) {
            // The end, or nothing more for now.
            if (got == 0) CloseOutput();
            return;
        }
    }
}

bool TaskProcess::Finished() {
    if (finished_ || pid_ <= 0) return finished_;
    int status = 0;
    const pid_t ended = waitpid(pid_, &status, WNOHANG);
    if (ended == 0 || (ended < 0 && errno == EINTR)) return false;
    ended_ = std::chrono::steady_clock::now();
    // Without a status (somebody else took it) the task cannot be known to have worked.
    status_ = ended == pid_ ? status : W_EXITCODE(1, 0);
    finished_ = true;
    // What it wrote before it ended is in the pipe; a program it started may still hold the
    // pipe open, so the batch does not wait for its end.
    ReadOutput();
    CloseOutput();
    return true;
}

void TaskProcess::Interrupt() {
    if (pid_ > 0 && !finished_) kill(pid_, SIGINT);
}

bool TaskProcess::Succeeded() const {
    return finished_ && WIFEXITED(status_) && WEXITSTATUS(status_) == 0;
}

int TaskProcess::ExitCode() const {
    if (WIFSIGNALED(status_)) return 128 + WTERMSIG(status_);
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 1;
}

std::string TaskProcess::DescribeEnd() const {
    if (WIFSIGNALED(status_))
        return "ended by signal " + std::to_string(WTERMSIG(status_)) + " (" +
               strsignal(WTERMSIG(status_)) + ")";
    return "exit status " + std::to_string(ExitCode());
}

bool TaskProcess::EndedBySignal() const {
    return finished_ && WIFSIGNALED(status_);
}

double TaskProcess::Seconds() const {
    return std::chrono::duration<double>((finished_ ? ended_ : std::chrono::steady_clock::now()) -
                                         started_)
        .count();
}

void TaskProcess::CloseOutput() {
    if (output_ >= 0) close(output_);
    output_ = -1;
}

}  // namespace cli
