// zarpo2-cli png: each file loaded as the viewer loads it and saved as File > Save as PNG
// saves it, under names that no other input of the run holds (output/run_outputs.h).
#include "cli/cli_run.h"
#include "cli/commands.h"
#include "output/run_outputs.h"
#include "output/save_png.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"

namespace {

// Loads and saves one input; false when it failed (it is reported).
bool convert(const std::string& file, const std::string& outDir, CliFrontEnd& frontEnd, RunOutputs& run,
             bool& outputFailed)
{
    frontEnd.begin_input(file);
    ViewerState& state = viewer_state();
    state.loaded = load_logo(file);
    if (!state.loaded)
        return false;  // cannot_open or the unknown-format message said why
    const unsigned frames = state.descriptor.frameCount;
    RunOutputs::Choice names =
        run.choose(file, png_output_names(png_output_base(file, outDir, PngNameRule::firstDot), frames),
                   png_output_names(png_output_base(file, outDir, PngNameRule::lastDot), frames));
    if (names.names.empty()) {
        report(file, "no PNG written: " + names.refusal);
        unload_logo();
        return false;
    }
    SaveResult saved = save_loaded_pngs(names.names, file, run);
    for (const std::string& path : saved.written) {
        if (!put_record(path)) {
            outputFailed = true;
            return false;
        }
    }
    // Every picture of the logo, each frame of a multi-frame one, must have its file.
    return saved.errors.empty() && !saved.written.empty() && !frontEnd.inputFailed;
}

}  // namespace

int run_png(const std::vector<std::string>& args)
{
    Arguments parsed = parse_arguments(args, {{"--palette", true}, {"--out-dir", true}, {"--verbose", false}});
    if (!parsed.error.empty())
        return usage_error(parsed.error);
    if (std::string empty = empty_folder_option(parsed, {"--out-dir"}); !empty.empty())
        return usage_error(empty);
    if (parsed.files.empty())
        return usage_error("png needs at least one FILE");
    const std::string outDir = parsed.value("--out-dir");
    if (!outDir.empty() && !make_output_folder(outDir))
        return EXIT_FILE_FAILED;
    CliFrontEnd frontEnd;
    frontEnd.paletteFile = parsed.value("--palette");
    viewer_state().verbose = parsed.has("--verbose") ? 1 : 0;
    set_front_end(&frontEnd);

    // Every input is known before the first PNG is written, so none is written over.
    RunOutputs run;
    for (const std::string& file : parsed.files)
        run.add_input(file);
    int status = EXIT_OK;
    bool outputFailed = false;
    for (const std::string& file : parsed.files) {
        if (!convert(file, outDir, frontEnd, run, outputFailed))
            status = EXIT_FILE_FAILED;
        if (outputFailed)
            break;
    }
    set_front_end(nullptr);
    return status;
}
