// zarpo2-cli convert --to TARGET [--size WxH] [--stretch] [--dither 0..1] [--frame N] IN OUT:
// IN (any logo zarpo2 reads, or a PNG, JPEG or BMP picture) written as a firmware logo
// file OUT; `convert --list` prints the targets and their limits. OUT is written through a
// temporary file and never over IN. Standard output carries OUT's path once written.
#include <cstdlib>

#include "cli/cli_run.h"
#include "cli/commands.h"
#include "cli/picture_options.h"
#include "core/format_string.h"
#include "output/convert_logo.h"
#include "output/run_outputs.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"

namespace {

int list_targets()
{
    for (const TargetInfo& info : encode_targets())
        if (!put_record(format_string("%-19s %s", info.name, info.limits)))
            return EXIT_FILE_FAILED;
    return EXIT_OK;
}

}  // namespace

int run_convert(const std::vector<std::string>& args)
{
    Arguments parsed = parse_arguments(args, {{"--to", true},
                                              {"--size", true},
                                              {"--stretch", false},
                                              {"--dither", true},
                                              {"--frame", true},
                                              {"--list", false},
                                              {"--verbose", false}});
    if (!parsed.error.empty())
        return usage_error(parsed.error);
    if (parsed.has("--list")) {
        if (!parsed.files.empty() || parsed.has("--to"))
            return usage_error("convert --list takes nothing else");
        return list_targets();
    }
    const TargetInfo* target = find_target(parsed.value("--to"));
    if (!parsed.has("--to"))
        return usage_error("convert needs --to TARGET (convert --list names them)");
    if (!target)
        return usage_error("unknown target " + parsed.value("--to") + " (convert --list names them)");
    EncodeOptions options;
    options.target = target->target;
    if (parsed.has("--size") && !parse_size(parsed.value("--size"), options.width, options.height))
        return usage_error("--size must be WIDTHxHEIGHT, each a whole number from 1 to 99999");
    options.stretch = parsed.has("--stretch");
    if (parsed.has("--dither") && !parse_dither(parsed.value("--dither"), options.dither))
        return usage_error("--dither must be a number from 0 to 1");
    long frame = 0;
    if (parsed.has("--frame") && (frame = parse_number(parsed.value("--frame"))) < 0)
        return usage_error("--frame must be a whole number from 0");
    if (parsed.files.size() != 2)
        return usage_error("convert needs one IN and one OUT");
    const std::string& input = parsed.files[0];
    const std::string& output = parsed.files[1];

    RunOutputs run;
    run.add_input(input);
    if (run.choose(input, {output}, {output}).names.empty()) {
        report(input, "not writing " + output + ": it is the input file");
        return EXIT_FILE_FAILED;
    }
    CliFrontEnd frontEnd;
    frontEnd.begin_input(input);
    const bool verbose = parsed.has("--verbose");
    viewer_state().verbose = verbose ? 1 : 0;
    set_front_end(&frontEnd);
    SourcePicture source;
    const bool read = read_source(input, static_cast<unsigned>(frame), source, options.epaMarkTail);
    set_front_end(nullptr);
    if (!read)
        return EXIT_FILE_FAILED;

    const EncodedLogo encoded = encode_checked(source, options);
    if (!encoded.ok()) {
        report(input, encoded.refusal);
        return EXIT_FILE_FAILED;
    }
    if (verbose) {
        if (!encoded.quantisation.empty())
            report(input, encoded.quantisation);
        report(input, format_string("%s, %u x %u, %zu bytes, %u colours in the picture, RMSE %.4f", target->title,
                                    encoded.width, encoded.height, encoded.bytes.size(), encoded.sourceColors,
                                    encoded.rmse));
    }
    std::string why;
    if (!write_logo_file(output, input, encoded.bytes, why)) {
        report(input, "cannot write " + output + ": " + why);
        return EXIT_FILE_FAILED;
    }
    return put_record(output) ? EXIT_OK : EXIT_FILE_FAILED;
}
