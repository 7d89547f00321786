// zarpo2-cli identify: detection alone, one record a file, as text or as JSON.
#include "cli/cli_run.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "core/format_string.h"
#include "pipeline/format_registry.h"
#include "pipeline/load_pipeline.h"

namespace {

std::string json_record(const std::string& file, const LogoDescriptor& d)
{
    return "{" + json_member("file", file) + format_string(", \"formatId\": %u, ", d.formatId) +
           json_member("formatName", d.formatName ? d.formatName : "") +
           format_string(", \"width\": %u, \"height\": %u, \"dataSize\": %llu, \"frameCount\": %u, \"colorCount\": %u}",
                         d.width, d.height, static_cast<unsigned long long>(d.dataSize), d.frameCount, d.colorCount);
}

std::string text_record(const std::string& file, const LogoDescriptor& d)
{
    return file + format_string(": [%2.2u] %s, %ux%u, %llu bytes, %u frame(s), %u colours", d.formatId,
                                d.formatName ? d.formatName : "", d.width, d.height,
                                static_cast<unsigned long long>(d.dataSize), d.frameCount, d.colorCount);
}

}  // namespace

int run_identify(const std::vector<std::string>& args)
{
    Arguments parsed = parse_arguments(args, {{"--json", false}, {"--verbose", false}});
    if (!parsed.error.empty())
        return usage_error(parsed.error);
    if (parsed.files.empty())
        return usage_error("identify needs at least one FILE");
    const bool json = parsed.has("--json"), verbose = parsed.has("--verbose");
    CliFrontEnd frontEnd;
    int status = EXIT_OK;
    for (const std::string& file : parsed.files) {
        frontEnd.begin_input(file);
        LogoDescriptor d;
        std::string problem;
        if (!identify_logo(file, d, frontEnd.sink, verbose, &problem)) {
            frontEnd.cannot_open(file, problem);
            status = EXIT_FILE_FAILED;
            continue;
        }
        if (d.formatId == FORMAT_UNKNOWN)
            status = EXIT_FILE_FAILED;
        if (!put_record(json ? json_record(file, d) : text_record(file, d)))
            return EXIT_FILE_FAILED;
    }
    return status;
}
