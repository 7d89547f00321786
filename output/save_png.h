// File > Save as PNG: the picture, or every frame, as 16-bit RGB PNG files, and the names
// they are written under.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/png_file.h"

// Toolkit callback; writes beside the input and always returns 0.
int save_png(void* widget, void* data);

// A picture that was not written.
struct SaveError {
    std::string path;
    std::string reason;  // "the picture is empty", "it is the input file", the system's text
    std::string line;    // the whole message: "Cannot write PATH: REASON" and its kin
};

struct SaveResult {
    std::vector<std::string> written;  // paths of the PNG files written, in order
    std::vector<SaveError> errors;     // the pictures not written, in order (empty ones too)
    bool ok = true;                    // false when a picture could not be written (an empty one can't)
};

// Writes the PNG files of the loaded logo into outDir, or beside the input when outDir
// is empty. The errors are also printed on standard error, one line each.
SaveResult save_png_files(const std::string& outDir);

// Writes the PNG files of the loaded logo under the given names, one per frame or one
// for a single picture (png_output_names); prints nothing.
SaveResult save_png_files_as(const std::vector<std::string>& names);

// The text chunks of a PNG written to path from the loaded logo.
PngTexts png_texts(const std::string& path);

// Writes an 8-bit RGB picture as a PNG file at path; false, with the error in result, when
// it was not written. Prints nothing.
bool write_picture_png(const std::string& path, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height,
                       SaveResult& result);

// Writes encoded PNG bytes to path, never over the loaded logo's own file; false, with the
// error in result, when it was not written. Prints nothing.
bool write_png_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes, SaveResult& result);

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
