// Opening files in the viewer, whoever names them (Open LOGO, Open ROM, the command line, a
// drop, Page Down and Page Up, the list of a ROM image's logos), and walking to the next or
// previous logo file of the folder or of the files named together.
#pragma once

#include <string>
#include <vector>

#include "pipeline/rom_scan.h"

// Opens path as File > Open LOGO does once a file is chosen: what cannot be opened or is
// not a regular file (a folder, a FIFO, a device) is refused with a message and the loaded
// logo stays; otherwise the loaded logo is flushed and path loaded. A file that is no logo but holds
// logos (a ROM image) shows the list of them instead of the unknown-format message (see
// FltkFrontEnd::message). True when a logo was loaded.
bool open_logo_file(const std::string& path);

// File > Open ROM once a file is chosen: the list of the logos inside path, whatever
// detection makes of the file itself, or a message that it holds none. The loaded logo
// stays until one is chosen. True when the list was shown.
bool open_rom_file(const std::string& path);

// Flushes the loaded logo and loads one found inside the ROM image at romPath, named after
// the ROM, the offset and the member (found_logo_stem). True when it was loaded.
bool open_found_logo(const std::string& romPath, const FoundLogo& logo);

// Opens the first of paths; with more than one, Page Down and Page Up walk them, with one
// they walk its folder.
void open_files(const std::vector<std::string>& paths);

// Page Down (+1) and Page Up (-1): the next or previous file that loads as a logo.
void open_neighbour(int direction);

// The next (+1) or previous (-1) regular file of path's folder, in name order, that
// detection takes for a logo it can decode; empty when there is none.
std::string neighbour_in_folder(const std::string& path, int direction);

// Flushes the loaded logo and hides its window; nothing when none is loaded.
void flush_loaded();
