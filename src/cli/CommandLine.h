#pragma once
// The command-line program: parses the command word and hands the rest to its command.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "swf/render/RenderQuality.h"

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
// A video file (MP4, MKV, WebM, MOV or GIF) through FFmpeg.
int RunVideoCommand(const std::vector<std::string>& args);
// Many conversions from a TASKS file, each in a child process of this program.
int RunBatchCommand(const std::vector<std::string>& args);

// The value of --render-quality: low, medium, high or best; nothing for anything else.
std::optional<swf::RenderQuality> ParseRenderQuality(std::string_view text);

}  // namespace cli
