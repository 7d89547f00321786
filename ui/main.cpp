// zarpo2: the viewer. Prints the banner and usage, lists the formats with -list, loads the
// logo named on the command line, then runs the main window until File > Exit.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <FL/Fl.H>
#include <FL/x.H>

#include "pipeline/format_registry.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "core/version.h"
#include "pipeline/viewer_state.h"
#include "ui/fltk_front_end.h"
#include "ui/main_window.h"

namespace {

// Options are matched by prefix on the first argument only.
constexpr const char* LIST_OPTION = "-list";
constexpr std::size_t LIST_PREFIX = 5;
constexpr const char* VERBOSE_OPTION = "-verbose";
constexpr std::size_t VERBOSE_PREFIX = 8;

constexpr const char* NOTICES =
    "\nA viewer for BIOS boot-logo files, after the DOS program ZARPO by Tallisk."
    "\nWritten by Dravenko; German texts and format hunting by the zarpo2 contributors."
    "\nFree software, given as it is: keep copies of the firmware you work on.";

void print_banner_and_usage()
{
    std::printf("\n%s", PROGRAM_BANNER);
    std::printf("%s", NOTICES);
    std::printf("\n\nUsage: ZARPO [flags] <MyEpaPic.Epa>\n");
    std::printf("\tOptions:\n");
    std::printf("\t\t-list (show supported LOGO formats)\n");
    std::printf("\t\t-verbose (turn on verbose output)\n");
}

// Opens the X display for the toolkit; false where none can be opened (the toolkit
// itself would end the process from inside its first window).
bool open_display()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    fl_open_display(display);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::signal(SIGXFSZ, SIG_IGN);  // a PNG past the file-size limit fails with EFBIG instead
    ViewerState& state = viewer_state();
    LogoDescriptor& d = state.descriptor;
    d.formatName = nullptr;
    d.reservedWord = 0;
    d.image = nullptr;
    d.palette = nullptr;
    d.stream = nullptr;

    if (argc <= 1)
        print_banner_and_usage();
    if (const char* home = std::getenv("ZARPO2HOME"))
        state.homeDir = home;

    const bool interpreted = argc == 2 || argc == 3;
    if (interpreted && std::strncmp(argv[1], LIST_OPTION, LIST_PREFIX) == 0) {
        std::printf("Release %s can identify and has support for LOGO formats:\n", PROGRAM_VERSION);
        print_format_list();
        return 0;
    }

    std::fflush(stdout);
    if (!open_display()) {
        const char* name = XDisplayName(nullptr);
        if (name && *name)
            std::fprintf(stderr, "zarpo2: cannot open the X display \"%s\"\n", name);
        else
            std::fprintf(stderr, "zarpo2: cannot open an X display: DISPLAY is not set\n");
        return 1;
    }
    ZARPO_Main_Window* window = build_main_window();
    build_file_chooser();
    static FltkFrontEnd frontEnd;
    set_front_end(&frontEnd);

    if (interpreted) {
        if (std::strncmp(argv[1], VERBOSE_OPTION, VERBOSE_PREFIX) == 0) {
            state.verbose = 1;
            if (argc == 3)
                state.loaded = load_logo(argv[2]);
        } else if (argc == 2) {
            state.loaded = load_logo(argv[1]);
        }
    }

    window->show();
    window->callback(on_exit, window);
    std::fflush(stdout);
    return Fl::run();
}
