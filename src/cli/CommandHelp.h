#pragma once
// One table of the command line's help: per command its operand, options with their values
// and defaults, and an example. `kinetrope COMMAND --help` prints it, usage errors point to
// it, the parsers use it to tell an option's value from a request for help, and the bash
// completion reads the printed form. A new command adds its entry in CommandHelp.cpp, calls
// PrintHelpIfAsked first and reports usage errors through UsageError.

#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct OptionHelp {
    std::string_view name;   // "--start"
    std::string_view value;  // "N"; empty for a switch
    std::string_view text;   // what it does
    // The value taken when the option is not given; empty for a required option.
    std::string_view byDefault;
    bool required = false;
    bool repeats = false;  // may be given more than once
};

struct CommandHelp {
    std::string_view name;     // "avi"
    std::string_view operand;  // "MOVIE.swf"
    std::string_view summary;  // one line in the program's help
    std::string_view details;  // a paragraph after the options; may be empty
    std::vector<OptionHelp> options;
    std::string_view example;  // a whole command line
};

// Every command, in the order the program's help lists them.
const std::vector<CommandHelp>& AllCommandHelp();
const CommandHelp* FindCommandHelp(std::string_view command);
// The command's option of that name, or null when the command has none.
const OptionHelp* FindOptionHelp(std::string_view command, std::string_view option);

// "usage: kinetrope avi MOVIE.swf -o OUT.avi [--start N] ...", wrapped, then the option
// list with defaults, the details and the example.
std::string FormatCommandHelp(const CommandHelp& help);
// The program's own help: how to call it and the commands.
std::string FormatProgramHelp();
// "kinetrope 1.0.0 (Kinetrope Pro)" and the engine's version and the SWF versions it plays.
std::string FormatVersion();

// When `args` hold --help or -h where an option may stand (not as an option's value), prints
// the command's help on standard output and returns true.
bool PrintHelpIfAsked(std::string_view command, const std::vector<std::string>& args);
// Prints "kinetrope COMMAND: ERROR (see 'kinetrope COMMAND --help')" on standard error and
// returns the exit status of a usage error, 2.
int UsageError(std::string_view command, std::string_view error);

inline constexpr int kExitUsage = 2;

}  // namespace cli
