#pragma once
// Runs the command line in-process with its standard output and error captured.

#include <gtest/gtest.h>

#include <string>
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
