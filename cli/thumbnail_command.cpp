// zarpo2-cli thumbnail [-s SIZE] FILE OUT.png: what a file manager runs (through
// zarpo2.thumbnailer) to show a logo file as a picture. Loads the file like png does and
// writes the first picture fitted into SIZE x SIZE as an 8-bit RGBA PNG. Nothing is
// printed on standard output; every message goes to standard error.
#include "cli/thumbnail_command.h"

#include <cstdio>

#include "output/thumbnail.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FILE_FAILED = 1;
constexpr int EXIT_USAGE = 2;

constexpr const char* THUMBNAIL_USAGE = "Usage: zarpo2-cli thumbnail [-s SIZE] FILE OUT.png\n";

// A file manager reads only the PNG: the load's lines all go to standard error.
class StderrSink : public MessageSink {
public:
    void trace_line(const std::string& text) override { put(text); }
    void notice_line(const std::string& text) override { put(text); }
    void fatal_line(const std::string& text) override { put(text); }
    void kernel_line(const std::string& text) override { put(text); }

private:
    static void put(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }
};

int usage_error(const std::string& what)
{
    std::fprintf(stderr, "zarpo2-cli: thumbnail: %s\n%s", what.c_str(), THUMBNAIL_USAGE);
    return EXIT_USAGE;
}

// A side in decimal digits from 1 to MAX_THUMBNAIL_SIDE; 0 for anything else.
std::uint32_t parse_side(const std::string& text)
{
    if (text.empty() || text.size() > 4)
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
    std::uint32_t side = DEFAULT_THUMBNAIL_SIDE;
    std::vector<std::string> operands;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "-s" || arg == "--size")) {
            if (i + 1 >= args.size())
                return usage_error(arg + " needs a value");
            side = parse_side(args[++i]);
            if (side == 0)
                return usage_error("SIZE must be a whole number from 1 to " + std::to_string(MAX_THUMBNAIL_SIDE));
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return usage_error("unknown option " + arg);
        } else {
            operands.push_back(arg);
        }
    }
    if (operands.size() != 2)
        return usage_error("needs one FILE and one OUT.png");
    const std::string& input = operands[0];
    const std::string& output = operands[1];

    StderrSink messages;
    HeadlessFrontEnd frontEnd;
    frontEnd.sink = &messages;
    set_front_end(&frontEnd);
    ViewerState& state = viewer_state();
    state.loaded = load_logo(input);
    int status = EXIT_OK;
    std::string error;
    if (!state.loaded) {
        std::fprintf(stderr, "zarpo2-cli: \"%s\" was not decoded\n", input.c_str());
        status = EXIT_FILE_FAILED;
    } else if (!write_thumbnail(output, side, error)) {
        std::fprintf(stderr, "zarpo2-cli: no thumbnail of \"%s\" in \"%s\": %s\n", input.c_str(), output.c_str(),
                     error.c_str());
        status = EXIT_FILE_FAILED;
    }
    if (state.loaded)
        unload_logo();
    set_front_end(nullptr);
    return status;
}
