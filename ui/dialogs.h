// Help > About and Help > Documentation.
#pragma once

class Fl_Widget;

void show_about(Fl_Widget* widget, void* data);
void show_documentation(Fl_Widget* widget, void* data);
