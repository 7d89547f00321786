// zarpo2-cli convert --to TARGET [--size WxH] [--stretch] [--dither 0..1] [--frame N] IN OUT:
// IN (any logo zarpo2 reads, or a PNG, JPEG or BMP picture) written as a firmware logo
// file OUT; `convert --list` prints the targets and their limits. OUT is written through a
// temporary file and never over IN. Standard output carries OUT's path once written.
#include <cstdlib>

#include "cli/cli_run.h"
#include "cli/commands.h"
#include "core/format_string.h"
#include "output/convert_logo.h"
#include "output/run_outputs.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr std::uint32_t MAX_SIZE_DIGITS = 5;  // sides up to 65,535 parse; the targets refuse what they cannot hold

// A whole number of 1 to MAX_SIZE_DIGITS digits; -1 for anything else.
long parse_number(const std::string& text)
{
    if (text.empty() || text.size() > MAX_SIZE_DIGITS)
        return -1;
    long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// "WxH" with both sides from 1.
bool parse_size(const std::string& text, std::uint32_t& width, std::uint32_t& height)
{
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    const long w = parse_number(text.substr(0, x));
    const long h = parse_number(text.substr(x + 1));
    if (w < 1 || h < 1)
        return false;
    width = static_cast<std::uint32_t>(w);
    height = static_cast<std::uint32_t>(h);
    return true;
}

// A decimal number from 0 to 1.
bool parse_dither(const std::string& text, float& level)
{
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789.") != std::string::npos)
        return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (!end || *end != '\0' || value < 0 || value > 1)
        return false;
    level = static_cast<float>(value);
    return true;
}

int list_targets()
{
    for (const TargetInfo& info : encode_targets())
        if (!put_record(format_string("%-19s %s", info.name, info.limits)))
            return EXIT_FILE_FAILED;
    return EXIT_OK;
}

// Reads IN as a PNG picture or loads it as a logo; false after the reason was reported.
bool read_source(const std::string& input, unsigned frame, SourcePicture& source, std::vector<std::uint8_t>& epaMark)
{
    std::string why;
    if (is_png_file(input)) {
        if (frame > 0)
            why = format_string("a PNG picture has no frame %u", frame);
        else if (read_png_picture(input, source, why))
            return true;
        report(input, why);
        return false;
    }
    ViewerState& state = viewer_state();
    state.loaded = load_logo(input);
    if (!state.loaded)
        return false;  // cannot_open or the unknown-format message said why
    const bool ok = loaded_picture(frame, source, why);
    epaMark = loaded_epa_mark();
    unload_logo();
    if (!ok)
        report(input, why);
    return ok;
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
