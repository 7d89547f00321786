// zarpo2-cli: the viewer's load pipeline without windows, for scripts, servers and tests.
// This file only dispatches; each command lives in its own file, what they share in
// cli_run.{h,cpp}, the usage text included.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/commands.h"
#include "core/version.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
};

constexpr Command COMMANDS[] = {
    {"list", run_list},
    {"identify", run_identify},
    {"png", run_png},
    {"scan", run_scan},
    {"thumbnail", run_thumbnail},
};

// "--help" or "-h" among a command's options (before "--"): the usage, as for the program.
bool asks_for_help(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    // A write past the file-size limit then fails with EFBIG, is reported and the run goes
    // on, instead of the signal ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    guard_standard_streams();

    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage_error("no command given");
    std::string name = args.front();
    args.erase(args.begin());
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(USAGE, stdout);
        return finish_output(EXIT_OK);
    }
    if (name == "--version") {
        std::printf("zarpo2-cli %s, version %s\n", PROGRAM_NAME, PROGRAM_VERSION);
        return finish_output(EXIT_OK);
    }
    for (const Command& command : COMMANDS) {
        if (name != command.name)
            continue;
        if (asks_for_help(args)) {
            std::fputs(USAGE, stdout);
            return finish_output(EXIT_OK);
        }
        return finish_output(command.run(args));
    }
    return usage_error("unknown command " + name);
}
