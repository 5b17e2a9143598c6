#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CommandHelp.h"
#include "cli/RunKinetrope.h"

namespace {

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// What the program answers to help, version and wrong words, before any movie is read.
TEST(CommandHelp, HelpVersionAndWrongWords) {
    const std::string version = KINETROPE_VERSION_STRING;
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;  // lines or parts the standard output holds ("" for none at all)
        std::string err;  // the whole standard error
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, "usage: kinetrope COMMAND MOVIE.swf [options]\n", ""},
        {{"-h"}, 0, "\n  snapshot  play frames headless, write the trace and captures\n", ""},
        {{"help"}, 0, "\n  avi       convert to an AVI file\n", ""},
        {{"--version"},
         0,
         "kinetrope " + version + " (Kinetrope Pro)\nengine " + version +
             ".0, plays SWF versions 1 to 10 (ActionScript 1 and 2)\n",
         ""},
        {{"snapshot", "--help"},
         0,
         "usage: kinetrope snapshot MOVIE.swf --frames N [--trace FILE]\n"
         "                          [--capture K=FILE.png ...] [--input FILE.json]\n"
         "                          [--autoplay] [--render-quality low|medium|high|best]\n",
         ""},
        {{"snapshot", "-h"},
         0,
         "\n  --render-quality low|medium|high|best\n"
         "                          low draws without anti-aliasing or bitmap smoothing;\n",
         ""},
        {{"avi", "movie.swf", "-o", "out.avi", "--help"},
         0,
         "\n  --split-mb N            start a new part past N megabytes, 1 to 2000\n"
         "                          (default: 2000)\n",
         ""},
        {{"help", "wav"}, 0, "\nexample:\n  kinetrope wav cartoon.swf -o cartoon.wav", ""},
        {{"tga", "-h"}, 0, "  -o OUT.tga              the name the images are numbered after", ""},
        {{"info", "--help"}, 0, "usage: kinetrope info MOVIE.swf\n\nShow what the", ""},
        // A --help that is an option's value is that value.
        {{"snapshot", "--trace", "--help"},
         2,
         "",
         "kinetrope snapshot: no movie given (see 'kinetrope snapshot --help')\n"},
        {{"avi", "--foo"}, 2, "", "kinetrope avi: unknown option '--foo' (see 'kinetrope avi --help')\n"},
        {{"avi", "movie.swf", "-o", "out.avi", "--foo"},
         2,
         "",
         "kinetrope avi: unknown option '--foo' (see 'kinetrope avi --help')\n"},
        {{"png", "movie.swf", "--play"},
         2,
         "",
         "kinetrope png: unknown option '--play' (see 'kinetrope png --help')\n"},
        {{"wav", "movie.swf", "-o", "out.wav", "--size", "8x8"},
         2,
         "",
         "kinetrope wav: unknown option '--size' (see 'kinetrope wav --help')\n"},
        {{"snapshot", "movie.swf", "--frames", "2", "--fps", "3"},
         2,
         "",
         "kinetrope snapshot: unknown option '--fps' (see 'kinetrope snapshot --help')\n"},
        {{"info", "-x", "movie.swf"},
         2,
         "",
         "kinetrope info: unknown option '-x' (see 'kinetrope info --help')\n"},
        {{"info"}, 2, "", "kinetrope info: no movie given (see 'kinetrope info --help')\n"},
        {{"avi", "movie.swf", "-o"},
         2,
         "",
         "kinetrope avi: -o needs a value (see 'kinetrope avi --help')\n"},
        {{"frobnicate"}, 2, "", "kinetrope: unknown command 'frobnicate' (see 'kinetrope --help')\n"},
        {{"--frobnicate"},
         2,
         "",
         "kinetrope: unknown option '--frobnicate' (see 'kinetrope --help')\n"},
        {{"help", "frobnicate"},
         2,
         "",
         "kinetrope: unknown command 'frobnicate' (see 'kinetrope --help')\n"},
    };
    for (const Case& test : cases) {
        const CommandRun run = RunKinetrope(test.args);
        SCOPED_TRACE(test.args.front() + (test.args.size() > 1 ? " " + test.args[1] : ""));
        EXPECT_EQ(run.status, test.status);
        if (test.out.empty())
            EXPECT_EQ(run.out, "");
        else
            EXPECT_NE(run.out.find(test.out), std::string::npos) << run.out;
        EXPECT_EQ(run.err, test.err);
    }
    // Called without a command it shows its help as an error.
    const CommandRun bare = RunKinetrope({});
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(bare.out, "");
    EXPECT_EQ(bare.err, RunKinetrope({"--help"}).out);
}

// Every command of the table has its help, listed in the program's, naming every option with
// its value and its default (or that it is required) and an example of the command; and every
// option it names is one its parser takes.
TEST(CommandHelp, EveryCommandsHelpNamesWhatItsParserTakes) {
    const std::string program = RunKinetrope({"--help"}).out;
    ASSERT_GE(cli::AllCommandHelp().size(), 6u);
    for (const cli::CommandHelp& help : cli::AllCommandHelp()) {
        const std::string name(help.name);
        SCOPED_TRACE(name);
        EXPECT_NE(program.find("\n  " + name + " "), std::string::npos);
        const CommandRun run = RunKinetrope({name, "--help"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out.rfind("usage: kinetrope " + name + " " + std::string(help.operand), 0),
                  0u);
        EXPECT_NE(run.out.find("\nexample:\n  kinetrope " + name + " "), std::string::npos);
        size_t required = 0;
        for (const cli::OptionHelp& option : help.options) {
            std::string usage(option.name);
            if (!option.value.empty()) usage.append(" ").append(option.value);
            EXPECT_NE(run.out.find("\n  " + usage), std::string::npos) << usage;
            required += option.required;

            // Without a movie nothing runs; the option is taken, its value checked or not.
            std::vector<std::string> args = {name, std::string(option.name)};
            if (!option.value.empty()) args.push_back(std::string(option.value));
            const CommandRun parsed = RunKinetrope(args);
            EXPECT_EQ(parsed.status, 2) << usage;
            EXPECT_EQ(parsed.err.find("unknown option"), std::string::npos) << parsed.err;
        }
        EXPECT_EQ(Count(run.out, "(required)"), required);
        EXPECT_EQ(Count(run.out, "(default:"), help.options.size() - required);
    }
}

}  // namespace
