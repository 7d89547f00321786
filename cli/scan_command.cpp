// zarpo2-cli scan [--json] [--extract DIR] [--png DIR] [--] FILE...
//
// Lists the logos found inside each FILE, one line (or JSON object) per logo on standard
// output; everything else goes to standard error, prefixed with the file's name.
// --extract writes each logo's unpacked bytes as a file that zarpo2 and "zarpo2-cli png"
// open as they are; --png writes its PNG files. Output names are
//   <ROM leaf>-<offset, 8 hex digits>-<member name>[-N].bin / .png / -(FrameNN).png
// with every character outside [A-Za-z0-9_-] of the ROM leaf and the member name made
// '_' (member names lose a DOS path and anything after a NUL first; found_logo_name), so
// they stay inside DIR; -N keeps two logos of one run, or a logo and an input, off one name.
// Exit status: 0 when at least one logo was found (and every file asked for was
// written), 1 when none was found or a write failed, 2 on usage errors.
#include "cli/scan_command.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "output/png_file.h"
#include "output/save_png.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/rom_scan.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr int EXIT_FOUND = 0;
constexpr int EXIT_NONE = 1;
constexpr int EXIT_USAGE = 2;
constexpr unsigned MAX_FRAME_NAMES = 256;  // frame PNG names checked against the inputs

constexpr const char* USAGE =
    "Usage: zarpo2-cli scan [--json] [--extract DIR] [--png DIR] [--] FILE...\n"
    "  list the logos inside each ROM image FILE, one line per logo\n"
    "  --json         one JSON object per line\n"
    "  --extract DIR  write each logo's unpacked bytes into DIR\n"
    "  --png DIR      write each logo's PNG files into DIR\n"
    "Exit status: 0 logos found, 1 none found or a write failed, 2 usage error.\n";

int usage_error(const std::string& what)
{
    std::fprintf(stderr, "zarpo2-cli: %s\n%s", what.c_str(), USAGE);
    return EXIT_USAGE;
}

// Length of the UTF-8 sequence at text[i], or 0 when the bytes there are not one.
std::size_t utf8_sequence(const std::string& text, std::size_t i)
{
    auto byte = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    unsigned c = byte(i);
    std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (n == 0 || c > 0xF4)
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    }
    // Overlong three- and four-byte forms, surrogates and code points past U+10FFFF.
    unsigned c1 = byte(i + 1);
    if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0) || (c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90))
        return 0;
    return n;
}

// A JSON string of any bytes: valid UTF-8 passes, every other byte is the code point of
// the same value (as Latin-1 reads it), so the output is always valid UTF-8.
std::string json_string(const std::string& text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            std::size_t n = utf8_sequence(text, i);
            if (n != 0) {
                out.append(text, i, n);
                i += n;
                continue;
            }
        }
        char esc[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    return out + "\"";
}

// Device and inode of an existing file; {0, 0} when there is none.
std::pair<dev_t, ino_t> file_id(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return {0, 0};
    return {st.st_dev, st.st_ino};
}

struct Options {
    bool json = false;
    std::string extractDir;
    std::string pngDir;
    std::vector<std::string> files;
};

// The names of one run: stems already given out, and the inputs no output may replace.
class OutputNames {
public:
    explicit OutputNames(const std::vector<std::string>& inputs)
    {
        for (const std::string& input : inputs) {
            std::pair<dev_t, ino_t> id = file_id(input);
            if (id.second != 0)
                inputs_.insert(id);
        }
    }

    // A stem unused in this run whose files in the output folders are no input.
    std::string claim(const std::string& wanted, const Options& options)
    {
        for (unsigned n = 1;; ++n) {
            std::string stem = n == 1 ? wanted : wanted + "-" + std::to_string(n);
            if (used_.count(stem) || hits_input(stem, options))
                continue;
            used_.insert(stem);
            return stem;
        }
    }

private:
    bool hits_input(const std::string& stem, const Options& options) const
    {
        std::vector<std::string> paths;
        if (!options.extractDir.empty())
            paths.push_back(options.extractDir + "/" + stem + ".bin");
        if (!options.pngDir.empty()) {
            paths.push_back(options.pngDir + "/" + stem + ".png");
            for (unsigned f = 0; f < MAX_FRAME_NAMES; ++f) {
                char suffix[32];
                std::snprintf(suffix, sizeof suffix, "-(Frame%2.2u).png", f);
                paths.push_back(options.pngDir + "/" + stem + suffix);
            }
        }
        for (const std::string& path : paths) {
            if (inputs_.count(file_id(path)))
                return true;
        }
        return false;
    }

    std::set<std::pair<dev_t, ino_t>> inputs_;
    std::set<std::string> used_;
};

bool write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes, const std::string& file)
{
    std::string error;
    if (write_file_atomically(path, bytes, error))
        return true;
    std::fprintf(stderr, "%s: cannot write %s: %s\n", file.c_str(), path.c_str(), error.c_str());
    return false;
}

// Writes the logo's PNG files into dir; their paths go to written.
bool write_pngs(const FoundLogo& logo, const std::string& dir, const std::string& stem, const std::string& file,
                std::vector<std::string>& written)
{
    ViewerState& state = viewer_state();
    state.loaded = load_logo_bytes(logo.bytes, stem);
    if (!state.loaded) {
        std::fprintf(stderr, "%s: the logo at 0x%llx was not decoded\n", file.c_str(),
                     static_cast<unsigned long long>(logo.offset));
        return false;
    }
    SaveResult saved = save_png_files(dir);
    written = saved.written;
    unload_logo();
    return saved.ok;
}

void print_record(const std::string& file, const FoundLogo& logo, const std::string& extracted,
                  const std::vector<std::string>& pngs, bool json)
{
    char offset[24];
    std::snprintf(offset, sizeof offset, "0x%08llx", static_cast<unsigned long long>(logo.offset));
    if (json) {
        std::string notes, pngList;
        for (const std::string& note : logo.notes)
            notes += (notes.empty() ? "" : ", ") + json_string(note);
        for (const std::string& png : pngs)
            pngList += (pngList.empty() ? "" : ", ") + json_string(png);
        std::printf("{\"file\": %s, \"offset\": %llu, \"offsetHex\": \"%s\", \"container\": %s, \"name\": %s, "
                    "\"detail\": %s, \"compression\": %s, \"length\": %llu, \"bytes\": %zu, \"formatId\": %u, "
                    "\"formatName\": %s, \"width\": %u, \"height\": %u, \"frameCount\": %u, \"notes\": [%s]",
                    json_string(file).c_str(), static_cast<unsigned long long>(logo.offset), offset,
                    json_string(logo.container).c_str(), json_string(logo.name.substr(0, logo.name.find('\0'))).c_str(),
                    json_string(logo.detail).c_str(), json_string(logo.compression).c_str(),
                    static_cast<unsigned long long>(logo.length), logo.bytes.size(), logo.formatId,
                    json_string(logo.formatName).c_str(), logo.width, logo.height, logo.frameCount, notes.c_str());
        if (!extracted.empty())
            std::printf(", \"extracted\": %s", json_string(extracted).c_str());
        if (!pngs.empty())
            std::printf(", \"png\": [%s]", pngList.c_str());
        std::printf("}\n");
        return;
    }
    std::printf("%s: %s %s, %s: [%2.2u] %s, %ux%u, %u frame(s)", file.c_str(), offset, found_logo_place(logo).c_str(),
                logo.compression.c_str(), logo.formatId, logo.formatName.c_str(), logo.width, logo.height,
                logo.frameCount);
    if (!extracted.empty())
        std::printf(" -> %s", extracted.c_str());
    for (const std::string& png : pngs)
        std::printf(" -> %s", png.c_str());
    std::printf("\n");
}

}  // namespace

int run_scan(const std::vector<std::string>& args)
{
    Options options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--extract" || arg == "--png") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return usage_error(arg + " needs a folder");
            (arg == "--extract" ? options.extractDir : options.pngDir) = args[++i];
        } else {
            return usage_error("unknown option " + arg);
        }
    }
    if (options.files.empty())
        return usage_error("scan needs at least one FILE");
    for (const std::string* dir : {&options.extractDir, &options.pngDir}) {
        std::error_code error;
        if (!dir->empty() && !std::filesystem::is_directory(*dir) && !std::filesystem::create_directories(*dir, error)) {
            std::fprintf(stderr, "zarpo2-cli: cannot make the folder %s\n", dir->c_str());
            return EXIT_NONE;
        }
    }

    HeadlessFrontEnd frontEnd;
    SilentSink silent;
    frontEnd.sink = &silent;
    set_front_end(&frontEnd);
    OutputNames names(options.files);
    bool found = false, writesOk = true;
    for (const std::string& file : options.files) {
        RomScanReport report = scan_rom(file);
        for (const std::string& problem : report.problems)
            std::fprintf(stderr, "%s: %s\n", file.c_str(), problem.c_str());
        for (const FoundLogo& logo : report.logos) {
            found = true;
            std::string stem = names.claim(found_logo_name(file, logo), options);
            std::string extracted;
            std::vector<std::string> pngs;
            if (!options.extractDir.empty()) {
                extracted = options.extractDir + "/" + stem + ".bin";
                if (!write_bytes(extracted, logo.bytes, file)) {
                    extracted.clear();
                    writesOk = false;
                }
            }
            if (!options.pngDir.empty() && !write_pngs(logo, options.pngDir, stem, file, pngs))
                writesOk = false;
            print_record(file, logo, extracted, pngs, options.json);
        }
        if (report.logos.empty() && report.opened)
            std::fprintf(stderr, "%s: no logo found\n", file.c_str());
        std::fflush(stdout);
    }
    set_front_end(nullptr);
    return found && writesOk ? EXIT_FOUND : EXIT_NONE;
}
