// File > Open Recent: the last ten logo files and ROM images opened, newest first, kept in
// the preferences. Files that have vanished (or are no regular files any more) are dropped
// when the menu is filled and when one is picked.
#pragma once

#include <string>

class Fl_Menu_Bar;

constexpr std::size_t MAX_RECENT_FILES = 10;

// The menu trees mark their empty Open Recent submenu with this user data.
void* recent_menu_marker();

// Puts path (made absolute) at the head of the list and fills the menu again.
void add_recent_file(const std::string& path);

// Fills the Open Recent submenu of the menu bar with the list; after every change of tree.
void fill_recent_menu(Fl_Menu_Bar* bar);
