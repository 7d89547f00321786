// File > Save as PNG: the picture, or every frame, as 16-bit RGB PNG files.
#pragma once

#include <string>
#include <vector>

// Toolkit callback; writes beside the input and always returns 0.
int save_png(void* widget, void* data);

struct SaveResult {
    std::vector<std::string> written;   // paths of the PNG files written, in order
    std::vector<std::string> problems;  // one line (no line end) per picture not written
    bool ok = true;                     // false when a picture could not be written
};

// Writes the PNG files of the loaded logo into outDir, or beside the input when outDir
// is empty. The problems are also printed on standard error, one line each.
SaveResult save_png_files(const std::string& outDir);

// Writes the PNG files of the loaded logo under the given names, one per frame or one
// for a single picture (png_output_names); prints nothing.
SaveResult save_png_files_as(const std::vector<std::string>& names);

// The input's path up to the first dot of its last component: the base of the PNG names.
std::string png_base_name(const std::string& fileName);

// How the base of the PNG names is taken from the input's name.
enum class PngNameRule {
    firstDot,  // png_base_name: logo.v2.bin gives logo
    lastDot,   // only the last extension goes: logo.v2.bin gives logo.v2
};

// The base of the PNG names of fileName: in outDir, or beside the input when outDir is empty.
std::string png_output_base(const std::string& fileName, const std::string& outDir, PngNameRule rule);

// The PNG names from base for a logo of frameCount frames: base.png for a single picture,
// base-(Frame00).png and on for frames.
std::vector<std::string> png_output_names(const std::string& base, unsigned frameCount);
