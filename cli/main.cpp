// zarpo2-cli: the viewer's load pipeline without windows, for scripts, servers and tests.
//   zarpo2-cli list
//   zarpo2-cli identify [--json] FILE...
//   zarpo2-cli png [--palette PALFILE] [--out-dir DIR] [--verbose] FILE...
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/scan_command.h"
#include "cli/thumbnail_command.h"
#include "core/version.h"
#include "output/save_png.h"
#include "pipeline/format_registry.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FILE_FAILED = 1;
constexpr int EXIT_USAGE = 2;

constexpr const char* USAGE =
    "Usage: zarpo2-cli list\n"
    "       zarpo2-cli identify [--json] FILE...\n"
    "       zarpo2-cli png [--palette PALFILE] [--out-dir DIR] [--verbose] FILE...\n"
    "       zarpo2-cli scan [--json] [--extract DIR] [--png DIR] [--] FILE...\n"
    "       zarpo2-cli thumbnail [-s SIZE] FILE OUT.png\n"
    "\n"
    "  list      print the supported LOGO formats, as zarpo2 -list does\n"
    "  identify  print the format, size, frames and colours of each FILE\n"
    "  png       decode each FILE and write its PNG files, as File > Save as PNG does;\n"
    "            prints the path of every PNG written\n"
    "  scan      list the logos inside whole ROM images; --extract writes each one's\n"
    "            unpacked bytes into DIR, --png its PNG files\n"
    "  thumbnail write FILE's picture (a multi-frame logo's first frame) as an 8-bit RGBA\n"
    "            PNG whose longer side is at most SIZE (default 256), for file managers\n"
    "\n"
    "  --json           one JSON object per line\n"
    "  --palette FILE   external palette for Phoenix FirstBIOS ICON logos\n"
    "  --out-dir DIR    write the PNG files into DIR instead of beside each input\n"
    "  --verbose        print the viewer's trace lines\n"
    "\n"
    "Exit status: 0 all files done, 1 a file failed, 2 usage error.\n";

int usage_error(const char* what)
{
    std::fprintf(stderr, "zarpo2-cli: %s\n%s", what, USAGE);
    return EXIT_USAGE;
}

std::string json_string(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

int run_identify(const std::vector<std::string>& args)
{
    bool json = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg.size() > 1 && arg[0] == '-' && arg != "-")
            return usage_error(("unknown option " + arg).c_str());
        else
            files.push_back(arg);
    }
    if (files.empty())
        return usage_error("identify needs at least one FILE");
    int status = EXIT_OK;
    for (const std::string& file : files) {
        LogoDescriptor d;
        StdioSink messages;
        if (!identify_logo(file, d, messages, false)) {
            std::fprintf(stderr, "zarpo2-cli: cannot open \"%s\"\n", file.c_str());
            status = EXIT_FILE_FAILED;
            continue;
        }
        if (d.formatId == FORMAT_UNKNOWN)
            status = EXIT_FILE_FAILED;
        if (json) {
            std::printf("{\"file\": %s, \"formatId\": %u, \"formatName\": %s, \"width\": %u, \"height\": %u, "
                        "\"dataSize\": %u, \"frameCount\": %u, \"colorCount\": %u}\n",
                        json_string(file).c_str(), d.formatId, json_string(d.formatName).c_str(), d.width,
                        d.height, d.dataSize, d.frameCount, d.colorCount);
        } else {
            std::printf("%s: [%2.2u] %s, %ux%u, %u bytes, %u frame(s), %u colours\n", file.c_str(), d.formatId,
                        d.formatName, d.width, d.height, d.dataSize, d.frameCount, d.colorCount);
        }
        std::fflush(stdout);
    }
    return status;
}

int run_png(const std::vector<std::string>& args)
{
    HeadlessFrontEnd frontEnd;
    std::string outDir;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--verbose") {
            viewer_state().verbose = 1;
        } else if (arg == "--palette" || arg == "--out-dir") {
            if (i + 1 >= args.size())
                return usage_error((arg + " needs a value").c_str());
            (arg == "--palette" ? frontEnd.paletteFile : outDir) = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage_error(("unknown option " + arg).c_str());
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty())
        return usage_error("png needs at least one FILE");
    set_front_end(&frontEnd);

    int status = EXIT_OK;
    for (const std::string& file : files) {
        ViewerState& state = viewer_state();
        state.loaded = load_logo(file);
        if (!state.loaded) {
            std::fprintf(stderr, "zarpo2-cli: \"%s\" was not decoded\n", file.c_str());
            status = EXIT_FILE_FAILED;
            continue;
        }
        SaveResult saved = save_png_files(outDir);
        for (const std::string& path : saved.written)
            std::printf("%s\n", path.c_str());
        if (!saved.ok) {
            std::fprintf(stderr, "zarpo2-cli: not every PNG of \"%s\" was written\n", file.c_str());
            status = EXIT_FILE_FAILED;
        }
        unload_logo();
        std::fflush(stdout);
    }
    set_front_end(nullptr);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage_error("no command given");
    std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(USAGE, stdout);
        return EXIT_OK;
    }
    if (command == "--version") {
        std::printf("zarpo2-cli %s, version %s\n", PROGRAM_NAME, PROGRAM_VERSION);
        return EXIT_OK;
    }
    if (command == "list") {
        if (!args.empty())
            return usage_error("list takes no arguments");
        std::printf("Release %s can identify and has support for LOGO formats:\n", PROGRAM_VERSION);
        print_format_list();
        return EXIT_OK;
    }
    if (command == "identify")
        return run_identify(args);
    if (command == "png")
        return run_png(args);
    if (command == "scan")
        return run_scan(args);
    if (command == "thumbnail")
        return run_thumbnail(args);
    return usage_error(("unknown command " + command).c_str());
}
