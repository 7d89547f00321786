// File > Save as PNG, File > Save As and I/O > Export As: each tells in the status line
// how many files went where, or why one was not written. Save As and Export As ask for the
// name and folder, and before they replace a file that is there already.
#pragma once

class Fl_Widget;
struct ExportTarget;

void on_save_png(Fl_Widget* widget, void* data);
void on_save_as(Fl_Widget* widget, void* data);
// Export As one target: the warning for a source it does not take (also in the status
// line), else a chooser proposing NAME.EXT beside the input, and the file written.
void export_as(const ExportTarget& target);
