// zarpo2: the viewer. Prints the banner and usage, lists the formats with -list, loads the
// logo named on the command line, then runs the main window until File > Exit.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <FL/Fl.H>
#include <FL/x.H>

#include "pipeline/format_registry.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "core/text_escape.h"
#include "core/version.h"
#include "pipeline/viewer_state.h"
#include "ui/file_navigation.h"
#include "ui/fltk_front_end.h"
#include "ui/keys.h"
#include "ui/main_window.h"
#include "ui/ui_state.h"
#include "ui/zoom_view.h"

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

constexpr const char* HELP_OPTION = "--help";
constexpr const char* VERSION_OPTION = "--version";
constexpr const char* ZOOM_VARIABLE = "ZARPO2_ZOOM";

constexpr const char* HELP =
    "Usage: zarpo2 [FILE...]\n"
    "       zarpo2 -verbose FILE\n"
    "       zarpo2 -list\n"
    "       zarpo2 --help | --version\n"
    "\n"
    "Shows BIOS boot-logo files. With several files the first is shown and Page Down\n"
    "and Page Up go through them; with one, through the logo files of its folder.\n"
    "A ROM image (a file that is no logo but holds logos) opens as the list of the\n"
    "logos found in it; choosing one shows it.\n"
    "\n"
    "  -list      print the supported LOGO formats and end\n"
    "  -verbose   print trace lines on standard output while loading FILE\n"
    "  --help     print this text and end\n"
    "  --version  print the version and end\n"
    "\n"
    "Keys, in every window:\n"
    "  Ctrl+O open   Shift+Ctrl+O open ROM   Ctrl+S save as PNG   Shift+Ctrl+S save as...\n"
    "  Ctrl+Q quit   F1 guide\n"
    "  + - 1 2 3 4   zoom (also Ctrl and the mouse wheel)   f  fit to the window\n"
    "  Page Down / Page Up   next / previous logo file   p  palette\n"
    "  Left Right Home End   step the frames   Space  play and stop\n"
    "Files dropped on a window are opened.\n"
    "\n"
    "Environment:\n"
    "  ZARPO2HOME   the folder that holds Documentation/index.html\n"
    "  ZARPO2_ZOOM  the zoom (1 to 16) every logo opens at; unset, pictures under\n"
    "               160 pixels a side open enlarged\n";

// ZARPO2_ZOOM as a zoom from 1 to 16; 0 when it is unset or not such a number.
int preset_zoom()
{
    const char* text = std::getenv(ZOOM_VARIABLE);
    if (!text)
        return 0;
    char* end = nullptr;
    long zoom = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && zoom >= 1 && zoom <= MAX_ZOOM ? static_cast<int>(zoom) : 0;
}

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

    if (argc >= 2 && std::strcmp(argv[1], HELP_OPTION) == 0) {
        std::printf("%s", HELP);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], VERSION_OPTION) == 0) {
        std::printf("zarpo2 %s\n", PROGRAM_VERSION);
        return 0;
    }
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
            std::fprintf(stderr, "zarpo2: cannot open the X display \"%s\"\n", escaped_text(name).c_str());
        else
            std::fprintf(stderr, "zarpo2: cannot open an X display: DISPLAY is not set\n");
        return 1;
    }
    ZARPO_Main_Window* window = build_main_window();
    build_file_chooser();
    static FltkFrontEnd frontEnd;
    set_front_end(&frontEnd);
    install_key_handler();
    ui_state().presetZoom = preset_zoom();

    // Options count only as the first of one or two arguments; any other first argument
    // starts a list of files.
    const bool verboseOption = argc >= 2 && std::strncmp(argv[1], VERBOSE_OPTION, VERBOSE_PREFIX) == 0;
    if (interpreted && verboseOption) {
        state.verbose = 1;
        if (argc == 3)
            open_files({argv[2]});
    } else if (argc >= 2 && !verboseOption && std::strncmp(argv[1], LIST_OPTION, LIST_PREFIX) != 0) {
        open_files(std::vector<std::string>(argv + 1, argv + argc));
    }

    window->show();
    window->callback(on_exit, window);
    std::fflush(stdout);
    return Fl::run();
}
