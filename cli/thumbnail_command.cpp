// zarpo2-cli thumbnail [-s SIZE] FILE OUT.png: what a file manager runs (through
// zarpo2.thumbnailer) to show a logo file as a picture. Loads the file like png does and
// writes the first picture fitted into SIZE x SIZE as an 8-bit RGBA PNG. Nothing is
// printed on standard output; every message goes to standard error.
#include "cli/cli_run.h"
#include "cli/commands.h"
#include "output/run_outputs.h"
#include "output/thumbnail.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr std::size_t MAX_SIDE_DIGITS = 4;  // MAX_THUMBNAIL_SIDE has four

// A side in decimal digits from 1 to MAX_THUMBNAIL_SIDE; 0 for anything else.
std::uint32_t parse_side(const std::string& text)
{
    if (text.empty() || text.size() > MAX_SIDE_DIGITS)
        return 0;
    std::uint32_t side = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        side = side * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return side <= MAX_THUMBNAIL_SIDE ? side : 0;
}

}  // namespace

int run_thumbnail(const std::vector<std::string>& args)
{
    Arguments parsed = parse_arguments(args, {{"--size", true, "-s"}});
    if (!parsed.error.empty())
        return usage_error(parsed.error);
    std::uint32_t side = parsed.has("--size") ? parse_side(parsed.value("--size")) : DEFAULT_THUMBNAIL_SIDE;
    if (side == 0)
        return usage_error("SIZE must be a whole number from 1 to " + std::to_string(MAX_THUMBNAIL_SIDE));
    if (parsed.files.size() != 2)
        return usage_error("thumbnail needs one FILE and one OUT.png");
    const std::string& input = parsed.files[0];
    const std::string& output = parsed.files[1];

    RunOutputs run;
    run.add_input(input);
    RunOutputs::Choice target = run.choose(input, {output}, {output});
    if (target.names.empty()) {
        report(input, "no thumbnail written: " + target.refusal);
        return EXIT_FILE_FAILED;
    }
    CliFrontEnd frontEnd;
    frontEnd.begin_input(input);
    set_front_end(&frontEnd);
    ViewerState& state = viewer_state();
    state.loaded = load_logo(input);
    int status = EXIT_OK;
    std::string error;
    if (!state.loaded) {
        status = EXIT_FILE_FAILED;  // cannot_open or the unknown-format message said why
    } else if (!write_thumbnail(output, side, error)) {
        report(input, "no thumbnail written to " + output + ": " + error);
        status = EXIT_FILE_FAILED;
    }
    if (state.loaded)
        unload_logo();
    set_front_end(nullptr);
    return status;
}
