#include "ui/main_window.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Pixmap.H>

#include "core/version.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "ui/drag_drop.h"
#include "ui/file_navigation.h"
#include "ui/logo_pixmap.h"
#include "ui/menus.h"
#include "ui/preferences.h"
#include "ui/recent_files.h"
#include "ui/ui_state.h"
#include "ui/viewer_texts.h"

namespace {

constexpr int MAIN_W = 300;
constexpr int MAIN_H = 180;
constexpr int PICTURE_Y = 10;
constexpr int MENU_BAR_W = 640;
constexpr int MENU_BAR_H = 25;
constexpr Fl_Color MAIN_BACKGROUND = 255;  // white
constexpr Fl_Color MENU_TEXT_COLOR = 216;  // blue
constexpr const char* ICON_LABEL = "ZARPO G2";
// The toolkit's file choosers label their file-name field with this text.
constexpr const char* FILENAME_LABEL = "Hello";

// Remembers the file the user picked, or nothing when the chooser holds no file.
void chooser_picked(Fl_File_Chooser* chooser, void*)
{
    const char* picked = chooser->value();
    viewer_state().chosenFile = picked ? picked : "";
}

}  // namespace

ZARPO_Main_Window::ZARPO_Main_Window(int width, int height, const char* title) : Fl_Window(width, height, title) {}

int ZARPO_Main_Window::handle(int event)
{
    return Fl_Window::handle(event) || handle_drop(event) ? 1 : 0;
}

ZARPO_Main_Window* build_main_window()
{
    UiState& ui = ui_state();
    auto* window = new ZARPO_Main_Window(MAIN_W, MAIN_H, PROGRAM_NAME);
    window->color(MAIN_BACKGROUND);
    window->iconlabel(ICON_LABEL);

    auto* picture = new Fl_Group(0, PICTURE_Y, MAIN_W, MAIN_H);
    picture->image(new Fl_Pixmap(LOGO_PIXMAP));
    picture->align(FL_ALIGN_INSIDE);
    picture->end();

    ui.menuBar = new Fl_Menu_Bar(0, 0, MENU_BAR_W, MENU_BAR_H);
    ui.menuBar->copy(english_menu());
    ui.menuBar->box(FL_UP_BOX);
    ui.menuBar->textcolor(MENU_TEXT_COLOR);
    register_koi8r_fonts();
    ui.menuBar->textfont(FL_TIMES);
    ui.menuBar->textsize(MENU_TEXT_SIZE);
    ui.menuBar->callback(on_menu_default);
    fill_recent_menu(ui.menuBar);
    window->end();

    ViewerState& state = viewer_state();
    state.language = LANGUAGE_ENGLISH;
    state.strings = &ENGLISH_STRINGS;
    ui.mainWindow = window;
    return window;
}

void build_file_chooser()
{
    const UiStrings& strings = *viewer_state().strings;
    // The language's own filter first, then all logo files and all files.
    const std::string filters = std::string(strings.chooserPattern) + "\t" + texts().allLogoFiles + " (" +
                                LOGO_FILE_PATTERN + ")\t" + texts().allFiles + " (*)";
    const std::string folder = remembered_folder(OPEN_LOGO_DIALOG);
    auto* chooser = new Fl_File_Chooser(folder.empty() ? "." : folder.c_str(), filters.c_str(),
                                        Fl_File_Chooser::SINGLE, strings.chooserTitle);
    chooser->preview(1);  // logo files are drawn there (ui/logo_preview.h)
    ui_state().fileChooser = chooser;
    Fl_File_Chooser::filename_label = FILENAME_LABEL;
}

void on_exit(Fl_Widget*, void*)
{
    std::fflush(stdout);
    std::exit(0);
}

void on_open_logo(Fl_Widget*, void*)
{
    ViewerState& state = viewer_state();
    Fl_File_Chooser* chooser = ui_state().fileChooser;
    chooser->callback(chooser_picked);
    chooser->show();
    while (chooser->shown())
        Fl::wait();
    if (chooser->count() != 1 || !chooser->value()) {
        state.chosenFile.clear();
        return;
    }
    state.chosenFile = chooser->value();
    remember_folder(OPEN_LOGO_DIALOG, chooser->directory() ? chooser->directory() : "");
    open_files({state.chosenFile});
    chooser->hide();
}
