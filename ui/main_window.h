// The main window: the program's picture and the menu bar through which every action runs.
#pragma once

#include <FL/Fl_Window.H>

// The extensions logo files come with (the BMP and JPEG pictures among them, and those
// firmware dumps are saved as), for the choosers' "All logo files" filter.
inline constexpr const char* LOGO_FILE_PATTERN =
    "*.{epa,bin,bmp,pli,rom,pcx,awbm,pgx,img,jpg,jpeg,gfx,scr,scn,osb,logo,fd,cap}";

class ZARPO_Main_Window : public Fl_Window {
public:
    ZARPO_Main_Window(int width, int height, const char* title);
    int handle(int event) override;
};

// Builds the main window (not shown yet) with its picture and the English menu bar, and
// registers the KOI8-R Times faces the Russian menu is drawn with.
ZARPO_Main_Window* build_main_window();

// Builds the Open LOGO chooser with the current language's title and filter.
void build_file_chooser();

// File > Exit and the main window's close: the process ends with status 0.
void on_exit(Fl_Widget* widget, void* data);

// File > Open LOGO: asks for one file, flushes the loaded logo and loads the new one.
void on_open_logo(Fl_Widget* widget, void* data);
