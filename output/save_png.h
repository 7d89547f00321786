// File > Save as PNG: the picture, or every frame, as 16-bit RGB PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/png_file.h"

// Toolkit callback; writes beside the input and always returns 0.
int save_png(void* widget, void* data);

struct SaveError {
    std::string path;
    std::string reason;  // why the file was not written ("the picture is empty", strerror text)
};

struct SaveResult {
    std::vector<std::string> written;  // paths of the PNG files written, in order
    std::vector<SaveError> errors;     // the files not written, in order (empty pictures too)
    bool ok = true;                    // false when any file could not be written
};

// Writes the PNG files of the loaded logo into outDir, or beside the input when outDir
// is empty. Failures are reported on standard error, one line each; the rest go on.
SaveResult save_png_files(const std::string& outDir);

// The text chunks of a PNG written to path from the loaded logo.
PngTexts png_texts(const std::string& path);

// Writes an 8-bit RGB picture as a PNG file at path; false, with the reason reported, when
// it was not written (an empty picture is reported but does not clear result.ok).
bool write_picture_png(const std::string& path, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height,
                       SaveResult& result);

// Writes encoded PNG bytes to path (never over the loaded logo's own file); a failure is
// reported on standard error and in result.errors.
bool write_png_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes, SaveResult& result);

// The input's path up to the first dot of its last component: the base of the PNG names.
std::string png_base_name(const std::string& fileName);
