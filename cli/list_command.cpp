// zarpo2-cli list: the catalogue, as zarpo2 -list prints it.
#include <cstdio>

#include "cli/cli_run.h"
#include "cli/commands.h"
#include "core/version.h"
#include "pipeline/format_registry.h"

int run_list(const std::vector<std::string>& args)
{
    if (!args.empty())
        return usage_error("list takes no arguments");
    std::printf("Release %s can identify and has support for LOGO formats:\n", PROGRAM_VERSION);
    print_format_list();
    return EXIT_OK;
}
