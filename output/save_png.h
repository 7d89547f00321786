// File > Save as PNG: the picture, or every frame, as 16-bit RGB PNG files.
#pragma once

#include <string>
#include <vector>

// Toolkit callback; writes beside the input and always returns 0.
int save_png(void* widget, void* data);

struct SaveResult {
    std::vector<std::string> written;  // paths of the PNG files written, in order
    bool ok = true;                     // false when any file could not be written
};

// Writes the PNG files of the loaded logo into outDir, or beside the input when outDir
// is empty. Failures are reported on standard error, one line each; the rest go on.
SaveResult save_png_files(const std::string& outDir);

// The input's path up to the first dot of its last component: the base of the PNG names.
std::string png_base_name(const std::string& fileName);
