// Menu entries for keys the toolkit names by their X keysyms ("Next", "Prior" for Page Down
// and Page Up): the entry has no shortcut of its own (ui/keys.cpp takes the key) and its
// label carries the key's name after a tab, which this label type draws where the toolkit
// draws shortcuts.
#pragma once

#include <FL/Enumerations.H>

constexpr Fl_Labeltype KEY_LABEL = FL_FREE_LABELTYPE;

void register_key_label_type();
