// The viewer's remembered state, kept with FLTK's Fl_Preferences in the user's configuration
// folder ($XDG_CONFIG_HOME/zarpo2/zarpo2.prefs, ~/.config when that is unset): the window
// size and zoom of each kind of picture window, the last folder of each file dialog, the
// recent files. Started clean (--no-prefs, or ZARPO2_NO_PREFS set to anything but empty)
// the viewer reads and writes no file: what it remembers lasts until it ends.
#pragma once

#include <string>
#include <vector>

constexpr const char* NO_PREFS_OPTION = "--no-prefs";
constexpr const char* NO_PREFS_VARIABLE = "ZARPO2_NO_PREFS";

// Reads the file, unless clean. Call once at start-up.
void load_preferences(bool clean);

// A picture window's size and zoom (0: fitting the window).
struct RememberedView {
    int w = 0;
    int h = 0;
    double zoom = 0;
};
bool remembered_view(const std::string& kind, RememberedView& view);
void remember_view(const std::string& kind, const RememberedView& view);

// The file dialogs, each with its own last folder.
constexpr const char* OPEN_LOGO_DIALOG = "open";
constexpr const char* OPEN_ROM_DIALOG = "rom";
constexpr const char* SAVE_AS_DIALOG = "save";

// The folder a file dialog was last left in; empty when none is remembered.
std::string remembered_folder(const std::string& dialog);
void remember_folder(const std::string& dialog, const std::string& folder);

std::vector<std::string> remembered_list(const std::string& name);
void remember_list(const std::string& name, const std::vector<std::string>& items);
