// The menu trees of the three languages and the language switches.
#pragma once

#include <FL/Fl_Menu_Item.H>

class Fl_Widget;

constexpr int MENU_TEXT_SIZE = 14;

const Fl_Menu_Item* english_menu();
const Fl_Menu_Item* russian_menu();
const Fl_Menu_Item* german_menu();

// Registers the KOI8-R Times faces; the toolkit numbers them from its first free index.
void register_koi8r_fonts();

// The menu bar's own callback: the AutoType and Verbose toggles, and the switch to English.
void on_menu_default(Fl_Widget* widget, void* data);
void switch_russian(Fl_Widget* widget, void* data);
void switch_german(Fl_Widget* widget, void* data);
