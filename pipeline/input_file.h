// Opening the files a load reads: logos and palettes. Only regular files are read; a
// folder, a FIFO or a device is refused without waiting on it.
#pragma once

#include <string>

#include "core/owned.h"

// The reason given for a path that is not a regular file.
extern const char* const NOT_A_REGULAR_FILE;

// Opens path for reading if it is a regular file; otherwise null, with the reason in
// problem (NOT_A_REGULAR_FILE, or the system's text for the open error).
OwnedFile open_input_file(const std::string& path, std::string& problem);
