#pragma once
// The command-line program: parses the command word and hands the rest to its command.

#include <string>
#include <vector>

namespace cli {

int RunCommandLine(int argc, char** argv);

// Each command takes the arguments after its own name and returns the exit status.
int RunInfoCommand(const std::vector<std::string>& args);
int RunSnapshotCommand(const std::vector<std::string>& args);
// Conversions: an AVI file, or a PNG or TGA image sequence.
int RunAviCommand(const std::vector<std::string>& args);
int RunWavCommand(const std::vector<std::string>& args);
int RunPngCommand(const std::vector<std::string>& args);
int RunTgaCommand(const std::vector<std::string>& args);

}  // namespace cli
