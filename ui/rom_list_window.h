// The list of the logos found inside a ROM image: a row each with the offset, where it was
// found (container, name), the compression, the format, the size and the frame count.
// Choosing one (double click, Enter, Open) loads it as any logo; the list stays open for
// the next choice. Replace... (Alt+R) opens the chosen logo's slot for a new picture
// (rom_replace_window.h). The rows are also set on the window as the property _ZARPO2_ROWS (UTF-8,
// a line a row, the columns separated by tabs), for scripts and tests.
#pragma once

#include <string>
#include <vector>

#include <FL/Fl_Hold_Browser.H>

#include "pipeline/rom_scan.h"
#include "ui/picture_window.h"

class Fl_Box;
class Fl_Button;
class Fl_Widget;

// The rows: Enter on a row, or a double click, chooses it.
class RomList : public Fl_Hold_Browser {
public:
    RomList(int x, int y, int w, int h) : Fl_Hold_Browser(x, y, w, h) {}
    int handle(int event) override;
};

class RomListWindow : public PictureWindow {
public:
    RomListWindow();
    // Shows the logos found in the ROM image at romPath, in place of those shown before.
    void fill(const std::string& romPath, RomScanReport report);
    // Loads the chosen row's logo.
    void open_chosen();
    // Replace...: opens the window that puts a new picture into the chosen row's slot.
    void replace_chosen();

private:
    RomList* list_;
    Fl_Box* footer_;
    Fl_Button* open_;
    Fl_Button* replace_;
    std::string romPath_;
    std::vector<FoundLogo> logos_;
};

// Shows the logos report found in the file at path in the list window; false, and
// nothing shown, when it holds none.
bool show_rom_list(const std::string& path, RomScanReport report);

// File > Open ROM: asks for a file and shows the list of the logos inside it (even for a
// file that is a logo itself), or says it holds none.
void on_open_rom(Fl_Widget* widget, void* data);

// Lines for the Info of a logo loaded from a ROM image (the ROM, the offset, where it was
// found, the compression); empty for a logo loaded from its own file.
std::string rom_origin_info();
