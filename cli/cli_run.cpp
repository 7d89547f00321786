#include "cli/cli_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/text_escape.h"
#include "pipeline/input_file.h"
#include "pipeline/load_pipeline.h"

const char* const USAGE = "Usage: zarpo2-cli list\n"
                          "       zarpo2-cli identify [--json] [--verbose] [--] FILE...\n"
                          "       zarpo2-cli png [--palette PALFILE] [--out-dir DIR] [--verbose] [--] FILE...\n"
                          "       zarpo2-cli scan [--json] [--extract DIR] [--png DIR] [--] FILE...\n"
                          "       zarpo2-cli thumbnail [-s SIZE] [--] FILE OUT.png\n"
                          "       zarpo2-cli [COMMAND] --help | --version\n"
                          "\n"
                          "  list      print the supported LOGO formats, as zarpo2 -list does\n"
                          "  identify  print the format, size, frames and colours of each FILE, one a line\n"
                          "  png       decode each FILE and write its PNG files, as File > Save as PNG does;\n"
                          "            print the path of every PNG written, one a line\n"
                          "  scan      list the logos inside whole ROM images, one a line: offset, container\n"
                          "            and member name, compression, format, size and frames, then the files\n"
                          "            written for it\n"
                          "  thumbnail write FILE's picture (a multi-frame logo's first frame with pixels) as an\n"
                          "            8-bit RGBA PNG whose longer side is at most SIZE, for file managers;\n"
                          "            prints nothing on standard output\n"
                          "\n"
                          "  --json            identify, scan: one JSON object per line. Every string is valid\n"
                          "                    UTF-8: a byte of a name that is not part of valid UTF-8 is written\n"
                          "                    as U+FFFD, and the exact bytes follow in a member named after it\n"
                          "                    with \"Hex\" added (\"fileHex\", \"nameHex\"; two hex digits a byte)\n"
                          "  --verbose         identify, png: print the viewer's trace lines, on standard error\n"
                          "  --palette FILE    png: external palette for Phoenix FirstBIOS ICON logos: a 16-byte\n"
                          "                    header and 64 entries of three 6-bit values. One that is missing,\n"
                          "                    unreadable, empty, too short or holds a value above 63 is reported\n"
                          "                    with its name and fails every ICON logo it is given to\n"
                          "  --out-dir DIR     png: write the PNG files into DIR (made if missing) instead of\n"
                          "                    beside each FILE\n"
                          "  --extract DIR     scan: write each logo's unpacked bytes into DIR (made if missing)\n"
                          "                    as a file that png and zarpo2 open as it is\n"
                          "  --png DIR         scan: write each logo's PNG files into DIR (made if missing)\n"
                          "  -s, --size SIZE   thumbnail: the longer side at most, 1 to 2048 (default 256)\n"
                          "  --                end of the options: every later argument is a FILE\n"
                          "\n"
                          "Standard output carries only the records (identify, scan) or the PNG paths (png).\n"
                          "Messages go to standard error as \"zarpo2-cli: FILE: message\". A FILE that is not a\n"
                          "regular file (a folder, FIFO or device) is refused without being read.\n"
                          "\n"
                          "PNG names (png): the path of FILE up to the first dot of its last component, then .png\n"
                          "(a/logo.v1.bin gives a/logo.png; frames give a/logo-(Frame00).png, ...). One run\n"
                          "never replaces any of its FILEs, nor a PNG it wrote for another FILE: when a name is\n"
                          "taken, FILE's name with only its last extension replaced is used (a/logo.v2.bin gives\n"
                          "a/logo.v2.png); when that is taken too, FILE gets no PNG and a message names the input\n"
                          "that holds the name. The same FILE given twice writes its PNG files again.\n"
                          "\n"
                          "An output folder (--out-dir, --extract, --png) that is missing is made with its\n"
                          "parents; one that names something else, or a symbolic link to nothing, is refused.\n"
                          "\n"
                          "Scan names: DIR/ROM-OFFSET-MEMBER.bin, .png or -(FrameNN).png, from the leaf of the\n"
                          "ROM's name, the logo's offset in 8 hex digits and the member's name without its DOS\n"
                          "path (the container's when it has none); every character but A-Z a-z 0-9 - becomes _,\n"
                          "so a name never leaves DIR. Where one of the run's FILEs or a file it wrote for another\n"
                          "logo holds a name, -2, -3, ... is added to it. A thumbnail never replaces FILE.\n"
                          "\n"
                          "Exit status (every command):\n"
                          "  0  every FILE was done: identify: recognised; png: all of its PNG files written;\n"
                          "     scan: read, at least one logo found among all FILE arguments, every file\n"
                          "     --extract and --png asked for written, and every file looked at whole;\n"
                          "     thumbnail: OUT.png written; list, --help, --version: printed\n"
                          "  1  a FILE failed, every other FILE still done: it cannot be opened or is not a\n"
                          "     regular file; identify, png, thumbnail: its format is unknown; png: it is\n"
                          "     without all of its PNG files (an empty picture or frame, its names taken, a\n"
                          "     failed write) or its --palette could not be used; scan: no FILE holds a logo,\n"
                          "     a file asked for was not written, or part of a file was not looked at (the\n"
                          "     work budget spent, the candidate cap reached, a file over 64 MiB); thumbnail:\n"
                          "     FILE holds no picture or OUT.png was not written. Also: the --out-dir,\n"
                          "     --extract or --png folder cannot be made, or standard output could not be\n"
                          "     written\n"
                          "  2  usage error: an unknown command or option, an option without its value or with\n"
                          "     an empty folder, a missing or extra FILE\n";

int usage_error(const std::string& what)
{
    std::fprintf(stderr, "zarpo2-cli: %s\n%s", escaped_text(what).c_str(), USAGE);
    return EXIT_USAGE;
}

Arguments parse_arguments(const std::vector<std::string>& args, const std::vector<OptionSpec>& known)
{
    Arguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            parsed.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        const OptionSpec* matched = nullptr;
        for (const OptionSpec& option : known)
            if (name == option.name || (option.alias && name == option.alias))
                matched = &option;
        if (!matched) {
            parsed.error = "unknown option " + arg;
            return parsed;
        }
        const std::string key = matched->name;
        if (!matched->takesValue) {
            if (equals != std::string::npos) {
                parsed.error = name + " takes no value";
                return parsed;
            }
            parsed.options[key] = "";
        } else if (equals != std::string::npos) {
            parsed.options[key] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            parsed.options[key] = args[++i];
        } else {
            parsed.error = name + " needs a value";
            return parsed;
        }
    }
    return parsed;
}

std::string empty_folder_option(const Arguments& parsed, const std::vector<const char*>& folderOptions)
{
    for (const char* option : folderOptions) {
        if (parsed.has(option) && parsed.value(option).empty())
            return std::string(option) + " needs a folder";
    }
    return {};
}

bool make_output_folder(const std::string& dir)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(dir, error))
        return true;
    if (fs::exists(fs::status(dir, error))) {
        report(dir, "cannot make the folder: not a folder");
        return false;
    }
    if (fs::is_symlink(fs::symlink_status(dir, error))) {
        report(dir, "cannot make the folder: a symbolic link to nothing");
        return false;
    }
    if (fs::create_directories(dir, error) || fs::is_directory(dir))
        return true;
    report(dir, "cannot make the folder: " + error.message());
    return false;
}

void report(const std::string& input, const std::string& text)
{
    std::string line = text;
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    std::fprintf(stderr, "zarpo2-cli: %s: %s\n", escaped_text(input).c_str(), escaped_text(line).c_str());
    std::fflush(stderr);
}

void CliSink::trace_line(const std::string& text)
{
    std::fputs(escaped_line(text).c_str(), stderr);
}

void CliSink::notice_line(const std::string& text)
{
    report(input, text);
}

void CliSink::fatal_line(const std::string& text)
{
    report(input, text);
}

void CliSink::kernel_line(const std::string& text)
{
    report(input, text);
}

void CliFrontEnd::cannot_open(const std::string& path, const std::string& problem)
{
    report(path, problem == NOT_A_REGULAR_FILE ? problem : "cannot open: " + problem);
}

std::string CliFrontEnd::choose_palette_file()
{
    if (paletteFile.empty())
        return paletteFile;  // read_Palette says so with its own line
    if (!paletteChecked_) {
        paletteProblem_ = palette_file_problem(paletteFile);
        paletteChecked_ = true;
    }
    if (!paletteProblem_.empty()) {
        report(sink.input, "palette " + paletteFile + ": " + paletteProblem_);
        inputFailed = true;
    }
    return paletteFile;
}

void CliFrontEnd::begin_input(const std::string& path)
{
    sink.input = path;
    inputFailed = false;
}

SaveResult save_loaded_pngs(const std::vector<std::string>& names, const std::string& input, RunOutputs& run,
                            unsigned part)
{
    SaveResult saved = save_png_files_as(names);
    unload_logo();
    for (const SaveError& error : saved.errors)
        report(input, error.line);
    for (const std::string& path : saved.written)
        run.add_written(path, input, part);
    return saved;
}

namespace {

// Standard output failed once and was reported; later writes are not reported again.
bool& output_failed()
{
    static bool failed = false;
    return failed;
}

bool check_output()
{
    if (output_failed())
        return false;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    std::fprintf(stderr, "zarpo2-cli: write error on standard output: %s\n", std::strerror(errno));
    output_failed() = true;
    return false;
}

}  // namespace

bool put_record(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    return check_output();
}

void guard_standard_streams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // The lowest free descriptor is fd itself, as the ones below it are open.
            if (::open("/dev/null", O_RDONLY) != fd)
                return;
        }
    }
}

int finish_output(int status)
{
    return check_output() ? status : EXIT_FILE_FAILED;
}
