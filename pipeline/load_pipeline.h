// The load pipeline: open, detect, allocate, decode, show; and the flushes that undo a load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/load_context.h"
#include "core/logo.h"
#include "core/owned.h"
#include "pipeline/front_end.h"

// Loads the logo at path into viewer_state(); 1 when a decoder ran and the views were
// opened, 0 when the file cannot be opened (FrontEnd::cannot_open; a folder, FIFO or
// device is not read at all) or its format has no decoder. open_logo and
// load_opened_logo are its two steps, for a caller that keeps what it shows until the new
// file is open.
int load_logo(const std::string& path);

// Opens the logo file at path (open_input_file); null, after FrontEnd::cannot_open, when
// it cannot be opened or is not a regular file.
OwnedFile open_logo(const std::string& path);

// Loads the file open_logo opened for path, as load_logo does.
int load_opened_logo(OwnedFile file, const std::string& path);

// Loads a logo held in memory (one found inside a ROM image) like load_logo, through
// decode_found_logo (so a UEFI image's PNG and GIF pictures load too); name stands for the
// file name in the views, the trace lines and the PNG names.
int load_logo_bytes(std::vector<std::uint8_t> bytes, const std::string& name);

// Runs detection alone on the file at path and fills d (its buffers and stream stay null);
// false when the file cannot be opened or is not a regular file, with the reason in
// problem when given.
bool identify_logo(const std::string& path, LogoDescriptor& d, MessageSink& messages, bool verbose,
                   std::string* problem = nullptr);

// Undo a multi-frame load / a single-picture load. Toolkit-callback shape: the widget is
// not used, the window is the one to hide.
void flush_frames(void* widget, void* window);
void flush_single(void* widget, void* window);

// Flushes whatever is loaded, with no window to hide (headless use).
void unload_logo();

// Reads the external palette of a Phoenix FirstBIOS ICON into d.palette entries 0 to 63.
int read_Palette(LogoDescriptor d, LoadContext& load, FrontEnd& frontEnd);

// What makes path unfit as an ICON palette file (not readable, not a regular file, empty,
// shorter than its 208 bytes, a value above 63); empty when it is fit.
std::string palette_file_problem(const std::string& path);

// Window area of a loaded logo: at least 200 x 125; three pictures wide for the
// character-cell identifiers 1, 10 and 11.
void logo_window_size(const LogoDescriptor& d, std::uint16_t& winW, std::uint16_t& winH);

// True for the identifiers whose views show the FontMap and ColorMap panels.
bool shows_side_panels(LogoFormatId id);
