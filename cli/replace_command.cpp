// zarpo2-cli replace [--logo N | --offset 0xOFF] [--size WxH] [--dither 0..1] [--format F]
// [--dry-run] ROM PICTURE OUT.rom: PICTURE encoded in the format and size of a logo that scan
// finds in ROM, written into the slot (pipeline/rom_replace.h), the result verified by
// scanning it again, then written to OUT through a temporary file. Standard output carries
// the report; a refusal or a failed verification writes nothing and exits 1.
#include <cstdlib>

#include "cli/cli_run.h"
#include "cli/commands.h"
#include "cli/picture_options.h"
#include "core/format_string.h"
#include "output/convert_logo.h"
#include "output/png_file.h"
#include "output/run_outputs.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/rom_replace.h"

namespace {

constexpr std::size_t MAX_OFFSET_DIGITS = 18;  // "0x" and 16 hex digits

// An offset as scan prints it (0x1a2b) or in decimal; false for anything else.
bool parse_offset(const std::string& text, std::uint64_t& offset)
{
    if (text.empty() || text.size() > MAX_OFFSET_DIGITS || text[0] == '-' || text[0] == '+')
        return false;
    char* end = nullptr;
    offset = std::strtoull(text.c_str(), &end, text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? 16 : 10);
    return end && *end == '\0';
}

struct ReplaceOptions {
    long logo = 0;            // 1-based index among scan's logos; 0 when not given
    bool byOffset = false;
    std::uint64_t offset = 0;
    EncodeOptions encode;
    const TargetInfo* format = nullptr;  // --format
    bool dryRun = false;
    bool verbose = false;
};

// The logo the options name, or null after a message.
const FoundLogo* choose_logo(const std::string& rom, const RomScanReport& scanned, const ReplaceOptions& options)
{
    const std::vector<FoundLogo>& logos = scanned.logos;
    if (logos.empty()) {
        report(rom, "no logo found");
        return nullptr;
    }
    if (options.byOffset) {
        for (const FoundLogo& logo : logos)
            if (logo.offset == options.offset)
                return &logo;
        report(rom, format_string("no logo at offset 0x%08llx (scan lists them)",
                                  static_cast<unsigned long long>(options.offset)));
        return nullptr;
    }
    if (options.logo == 0 && logos.size() > 1) {
        report(rom, format_string("holds %zu logos: choose one with --logo N or --offset (scan lists them)",
                                  logos.size()));
        return nullptr;
    }
    std::size_t index = options.logo == 0 ? 1 : static_cast<std::size_t>(options.logo);
    if (index > logos.size()) {
        report(rom, format_string("has no logo %zu: it holds %zu", index, logos.size()));
        return nullptr;
    }
    return &logos[index - 1];
}

// Parses the options; an empty string when they are good, else the usage error.
std::string parse_options(const Arguments& parsed, ReplaceOptions& options)
{
    if (parsed.has("--logo") && parsed.has("--offset"))
        return "give --logo or --offset, not both";
    if (parsed.has("--logo") && (options.logo = parse_number(parsed.value("--logo"))) < 1)
        return "--logo must be a whole number from 1 (the place scan lists the logo in)";
    options.byOffset = parsed.has("--offset");
    if (options.byOffset && !parse_offset(parsed.value("--offset"), options.offset))
        return "--offset must be an offset as scan prints it (0x1a2b)";
    if (parsed.has("--size") && !parse_size(parsed.value("--size"), options.encode.width, options.encode.height))
        return "--size must be WIDTHxHEIGHT, each a whole number from 1 to 99999";
    if (parsed.has("--dither") && !parse_dither(parsed.value("--dither"), options.encode.dither))
        return "--dither must be a number from 0 to 1";
    if (parsed.has("--format") && !(options.format = find_target(parsed.value("--format"))))
        return "unknown format " + parsed.value("--format") + " (convert --list names them)";
    options.dryRun = parsed.has("--dry-run");
    options.verbose = parsed.has("--verbose");
    std::size_t files = parsed.files.size();
    if (files != 3 && !(options.dryRun && files == 2))
        return "replace needs ROM, PICTURE and OUT.rom";
    return {};
}

// Encodes the picture for the slot; empty after a message.
std::vector<std::uint8_t> encode_for_slot(const std::string& rom, const std::string& picture,
                                          const std::vector<std::uint8_t>& image, const FoundLogo& slot,
                                          ReplaceOptions& options)
{
    SlotTarget chosen = choose_slot_target(image, slot, options.format);
    if (!chosen.target) {
        report(rom, chosen.refusal);
        return {};
    }
    if (!chosen.warning.empty())
        report(rom, "warning: " + chosen.warning);
    EncodeOptions& encode = options.encode;
    encode.target = chosen.target->target;
    if (encode.width == 0) {
        encode.width = slot.width;
        encode.height = slot.height;
    }
    std::vector<std::uint8_t> pictureMark;
    SourcePicture source;
    CliFrontEnd frontEnd;
    frontEnd.begin_input(picture);
    set_front_end(&frontEnd);
    bool read = read_source(picture, 0, source, pictureMark);
    set_front_end(nullptr);
    if (!read)
        return {};
    encode.epaMarkTail = slot_epa_mark(slot);
    EncodedLogo encoded = encode_checked(source, encode);
    if (!encoded.ok()) {
        report(picture, encoded.refusal);
        return {};
    }
    if (options.verbose && !encoded.quantisation.empty())
        report(picture, encoded.quantisation);
    if (options.verbose)
        report(picture, format_string("%s, %u x %u, %zu bytes, RMSE %.4f", chosen.target->title, encoded.width,
                                      encoded.height, encoded.bytes.size(), encoded.rmse));
    return encoded.bytes;
}

}  // namespace

int run_replace(const std::vector<std::string>& args)
{
    Arguments parsed = parse_arguments(args, {{"--logo", true},
                                              {"--offset", true},
                                              {"--size", true},
                                              {"--dither", true},
                                              {"--format", true},
                                              {"--dry-run", false},
                                              {"--verbose", false}});
    if (!parsed.error.empty())
        return usage_error(parsed.error);
    ReplaceOptions options;
    std::string usage = parse_options(parsed, options);
    if (!usage.empty())
        return usage_error(usage);
    const std::string& rom = parsed.files[0];
    const std::string& picture = parsed.files[1];
    const std::string out = parsed.files.size() == 3 ? parsed.files[2] : std::string();

    RunOutputs run;
    run.add_input(rom);
    run.add_input(picture);
    if (!out.empty() && run.choose(rom, {out}, {out}).names.empty()) {
        report(rom, "not writing " + out + ": it is one of the input files");
        return EXIT_FILE_FAILED;
    }
    std::vector<std::uint8_t> image;
    RomScanReport scanned;
    if (!read_rom_file(rom, image, scanned)) {
        CliFrontEnd frontEnd;
        if (!scanned.opened)
            frontEnd.cannot_open(rom, scanned.openProblem);
        for (const std::string& problem : scanned.problems)
            report(rom, problem);
        return EXIT_FILE_FAILED;
    }
    scanned = scan_rom_bytes(image);
    const FoundLogo* slot = choose_logo(rom, scanned, options);
    if (!slot)
        return EXIT_FILE_FAILED;
    std::vector<std::uint8_t> logo = encode_for_slot(rom, picture, image, *slot, options);
    if (logo.empty())
        return EXIT_FILE_FAILED;

    RomReplacement replaced = replace_rom_logo(image, *slot, logo, default_rom_packers());
    for (const std::string& notice : replaced.write.report.notices)
        report(rom, notice);
    for (const std::string& line : replacement_report(replaced))
        if (!put_record(line))
            return EXIT_FILE_FAILED;
    if (!replaced.write.ok) {
        report(rom, "refused: " + replaced.write.refusal);
        return EXIT_FILE_FAILED;
    }
    if (!replaced.verification.ok) {
        for (const std::string& failure : replaced.verification.failures)
            report(rom, "verification failed: " + failure);
        return EXIT_FILE_FAILED;
    }
    if (options.verbose)
        for (const std::string& check : replaced.verification.passed)
            report(rom, "held: " + check);
    if (options.dryRun)
        return put_record("dry run: nothing written") ? EXIT_OK : EXIT_FILE_FAILED;
    std::string why;
    if (!write_file_atomically(out, replaced.write.image, why)) {
        report(rom, "cannot write " + out + ": " + why);
        return EXIT_FILE_FAILED;
    }
    return put_record("written: " + out) ? EXIT_OK : EXIT_FILE_FAILED;
}
