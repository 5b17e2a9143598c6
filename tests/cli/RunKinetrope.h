#pragma once
// Runs the command line in-process with its standard output and error captured, and other
// programs (ffprobe, ffmpeg) for their output.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/CommandLine.h"

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

// `args` without the program name.
inline CommandRun RunKinetrope(std::vector<std::string> args) {
    args.insert(args.begin(), "kinetrope");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = cli::RunCommandLine(static_cast<int>(argv.size()), argv.data());
    std::string out = testing::internal::GetCapturedStdout();
    return {status, std::move(out), testing::internal::GetCapturedStderr()};
}

// RunKinetrope while the process is sent SIGINT every 50 ms, as a user pressing Ctrl+C.
inline CommandRun RunKinetropeInterrupted(std::vector<std::string> args) {
    // Interrupts that come before the command has taken Ctrl+C over are ignored.
    const auto previous = std::signal(SIGINT, SIG_IGN);
    std::atomic<bool> done{false};
    std::thread interrupter([&] {
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            kill(getpid(), SIGINT);
        }
    });
    CommandRun run = RunKinetrope(std::move(args));
    done = true;
    interrupter.join();
    std::signal(SIGINT, previous);
    return run;
}

// What a shell command prints on its standard output; empty when it cannot be started.
inline std::string ReadCommand(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}
