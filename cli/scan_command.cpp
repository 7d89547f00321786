// zarpo2-cli scan: the logos inside whole ROM images, one record each on standard output.
// --extract writes each logo's unpacked bytes as a file that zarpo2 and png open as they
// are, --png its PNG files. A logo's files are named after found_logo_name
// (pipeline/rom_scan.h), with -2, -3, ... added where the run's inputs or the files it
// wrote for other logos hold that name (output/run_outputs.h). What the scan dropped or
// did not look at is a line on standard error each, and with --json a "skipped" record
// too; a scan that could not look at the whole image (work budget, caps, a file too
// large) makes the run fail.
#include "cli/cli_run.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "core/format_string.h"
#include "output/png_file.h"
#include "output/run_outputs.h"
#include "output/save_png.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/rom_scan.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr unsigned MAX_NAME_TRIES = 1000;  // stems tried for one logo: NAME, NAME-2, ..., NAME-1000

struct ScanOptions {
    bool json = false;
    std::string extractDir;  // empty: nothing extracted
    std::string pngDir;      // empty: no PNG files
};

// The files written for one logo, and what became of them.
struct LogoFiles {
    std::string stem;
    std::string extracted;          // the --extract file's path, once written
    std::vector<std::string> pngs;  // the --png files written
    bool ok = true;                 // false when a file asked for was not written
};

std::string offset_hex(const FoundLogo& logo)
{
    return format_string("0x%08llx", static_cast<unsigned long long>(logo.offset));
}

std::string in_folder(const std::string& dir, const std::string& leaf)
{
    return dir.back() == '/' ? dir + leaf : dir + "/" + leaf;
}

// The names of one logo's files under stem: the --extract file, then the --png files.
std::vector<std::string> output_names(const ScanOptions& options, const std::string& stem, unsigned frameCount)
{
    std::vector<std::string> names;
    if (!options.extractDir.empty())
        names.push_back(in_folder(options.extractDir, stem + ".bin"));
    if (!options.pngDir.empty()) {
        for (std::string& name : png_output_names(in_folder(options.pngDir, stem), frameCount))
            names.push_back(std::move(name));
    }
    return names;
}

// The stem of the logo's files: found_logo_name, or it with -2, -3, ... where one of its
// names is taken in this run; empty when none of the tries is free.
std::string choose_stem(const RunOutputs& run, const std::string& rom, const FoundLogo& logo, unsigned logoNumber,
                        const ScanOptions& options)
{
    const std::string wanted = found_logo_name(rom, logo);
    for (unsigned n = 1; n <= MAX_NAME_TRIES; ++n) {
        std::string stem = n == 1 ? wanted : wanted + "-" + std::to_string(n);
        std::vector<std::string> names = output_names(options, stem, logo.frameCount);
        if (!run.choose(rom, names, names, logoNumber).names.empty())
            return stem;
    }
    return {};
}

// Writes the files asked for of one logo under files.stem; failures are reported.
void write_logo_files(const FoundLogo& logo, const std::string& rom, unsigned logoNumber, const ScanOptions& options,
                      RunOutputs& run, LogoFiles& files)
{
    std::vector<std::string> names = output_names(options, files.stem, logo.frameCount);
    if (!options.extractDir.empty()) {
        const std::string path = names.front();
        names.erase(names.begin());
        std::string error;
        if (write_file_atomically(path, logo.bytes, error)) {
            files.extracted = path;
            run.add_written(path, rom, logoNumber);
        } else {
            report(rom, "Cannot write " + path + ": " + error);
            files.ok = false;
        }
    }
    if (options.pngDir.empty())
        return;
    ViewerState& state = viewer_state();
    state.loaded = load_logo_bytes(logo.bytes, files.stem);
    if (!state.loaded) {
        report(rom, "the logo at " + offset_hex(logo) + " was not decoded");
        files.ok = false;
        return;
    }
    SaveResult saved = save_loaded_pngs(names, rom, run, logoNumber);
    files.pngs = saved.written;
    files.ok = files.ok && saved.errors.empty();  // every picture and frame has its file
}

std::string text_record(const std::string& rom, const FoundLogo& logo, const LogoFiles& files)
{
    // A UEFI PNG or GIF picture has no identifier of the catalogue: "[--] PNG picture".
    std::string id = logo.formatId ? format_string("[%2.2u]", logo.formatId) : "[--]";
    std::string record = rom + ": " + offset_hex(logo) + " " + found_logo_place(logo) + ", " + logo.compression +
                         ": " + id + " " + logo.formatName +
                         format_string(", %ux%u, %u frame(s)", logo.width, logo.height, logo.frameCount);
    if (!files.extracted.empty())
        record += " -> " + files.extracted;
    for (const std::string& png : files.pngs)
        record += " -> " + png;
    return record;
}

// "name" is the member's stored name up to its first NUL: what follows is padding or junk.
std::string json_record(const std::string& rom, const FoundLogo& logo, const LogoFiles& files)
{
    std::string record = "{" + json_member("file", rom) +
                         format_string(", \"offset\": %llu, \"hexOffset\": \"%s\", ",
                                       static_cast<unsigned long long>(logo.offset), offset_hex(logo).c_str()) +
                         json_member("container", logo.container) + ", " +
                         json_member("name", logo.name.substr(0, logo.name.find('\0'))) + ", " +
                         json_member("detail", logo.detail) + ", " + json_member("compression", logo.compression) +
                         format_string(", \"length\": %llu, \"bytes\": %zu, \"formatId\": %u, ",
                                       static_cast<unsigned long long>(logo.length), logo.bytes.size(), logo.formatId) +
                         json_member("formatName", logo.formatName) +
                         format_string(", \"width\": %u, \"height\": %u, \"frameCount\": %u, ", logo.width, logo.height,
                                       logo.frameCount) +
                         json_member("notes", logo.notes);
    if (!logo.picture.empty())
        record += ", " + json_member("picture", logo.picture);
    if (!files.extracted.empty())
        record += ", " + json_member("extracted", files.extracted);
    if (!files.pngs.empty())
        record += ", " + json_member("png", files.pngs);
    if (logo.path.size() > 1)
        record += ", " + json_member("path", found_logo_place(logo));
    return record + "}";
}

// {"file": ..., "skipped": reason, "offset": ..., "hexOffset": ..., "path": ...}
std::string json_skipped(const std::string& rom, const RomSkipped& skipped)
{
    return "{" + json_member("file", rom) + ", " + json_member("skipped", skipped.reason) +
           format_string(", \"offset\": %llu, \"hexOffset\": \"0x%08llx\", ",
                         static_cast<unsigned long long>(skipped.offset), static_cast<unsigned long long>(skipped.offset)) +
           json_member("path", rom_path_text(skipped.path)) + "}";
}

}  // namespace

int run_scan(const std::vector<std::string>& args)
{
    Arguments parsed = parse_arguments(args, {{"--json", false}, {"--extract", true}, {"--png", true}});
    if (!parsed.error.empty())
        return usage_error(parsed.error);
    if (std::string empty = empty_folder_option(parsed, {"--extract", "--png"}); !empty.empty())
        return usage_error(empty);
    if (parsed.files.empty())
        return usage_error("scan needs at least one FILE");
    const ScanOptions options{parsed.has("--json"), parsed.value("--extract"), parsed.value("--png")};
    for (const std::string* dir : {&options.extractDir, &options.pngDir}) {
        if (!dir->empty() && !make_output_folder(*dir))
            return EXIT_FILE_FAILED;
    }

    CliFrontEnd frontEnd;
    set_front_end(&frontEnd);
    // Every input is known before the first file is written, so none is written over.
    RunOutputs run;
    for (const std::string& file : parsed.files)
        run.add_input(file);
    bool found = false, writesOk = true, inputsOk = true, complete = true;
    unsigned logoNumber = 0;  // across the run: no two logos share a name, even of one ROM given twice
    for (const std::string& rom : parsed.files) {
        frontEnd.begin_input(rom);
        RomScanReport scanned = scan_rom(rom);
        if (!scanned.opened) {
            frontEnd.cannot_open(rom, scanned.openProblem);
            inputsOk = false;
            continue;
        }
        for (const std::string& problem : scanned.problems)
            report(rom, problem);
        if (options.json) {
            for (const RomSkipped& skipped : scanned.skipped) {
                if (!put_record(json_skipped(rom, skipped))) {
                    set_front_end(nullptr);
                    return EXIT_FILE_FAILED;
                }
            }
        }
        complete = complete && !scanned.incomplete;
        if (scanned.logos.empty() && !scanned.notScanned)
            report(rom, "no logo found");
        for (const FoundLogo& logo : scanned.logos) {
            found = true;
            LogoFiles files;
            ++logoNumber;
            if (!options.extractDir.empty() || !options.pngDir.empty()) {
                files.stem = choose_stem(run, rom, logo, logoNumber, options);
                if (files.stem.empty())
                    report(rom, "no free name for the logo at " + offset_hex(logo));
                else
                    write_logo_files(logo, rom, logoNumber, options, run, files);
                writesOk = writesOk && !files.stem.empty() && files.ok;
            }
            if (!put_record(options.json ? json_record(rom, logo, files) : text_record(rom, logo, files))) {
                set_front_end(nullptr);
                return EXIT_FILE_FAILED;
            }
        }
    }
    set_front_end(nullptr);
    return found && writesOk && inputsOk && complete ? EXIT_OK : EXIT_FILE_FAILED;
}
