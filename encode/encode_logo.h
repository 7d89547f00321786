// The one door into the encoders: an RGB picture (with, when it has them, its own palette
// and indices) in, the bytes of a firmware logo file out, or a refusal that says what to
// change. Every file written here reads back through our own decoder as the picture in
// EncodedLogo::rgb.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue.h"

enum class EncodeTarget {
    awbm16,
    awbm256,
    awbm16Compressed,
    awbm256Compressed,
    grfx,
    grfxCompressed,
    pg,
    pgCompressed,
    epa,
    pcx4,
    pcx8,
    bmp4,
    bmp8,
    textlogo,
};

// A target and its limits, for `convert --list`, the Export menu and the ROM writer.
struct TargetInfo {
    EncodeTarget target;
    const char* name;       // on the command line: "awbm16"
    const char* title;      // in messages: "AWBM16"
    const char* extension;  // of the file a dialog proposes: ".awbm"
    LogoFormatId readsAs;   // what detection calls the file (an EPA other than 17 x 6 cells: NonStandard EPA)
    unsigned colors;        // 16 or 256 (the character-cell targets: 16 fixed text colours)
    std::uint32_t widthStep;  // the width must be a multiple of it (1: any)
    std::uint32_t heightStep;
    std::uint32_t maxWidth;
    std::uint32_t maxHeight;
    std::uint64_t maxPixels;  // width x height at most (the 16-bit plane size of PG)
    bool compressed;          // packed with lh5 or runs
    const char* limits;       // one line for --list
};

// Every target, in the order of the list.
std::span<const TargetInfo> encode_targets();
// The target of that command-line name, or nullptr.
const TargetInfo* find_target(std::string_view name);
const TargetInfo& target_info(EncodeTarget target);

struct Rgb8 {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb8&) const = default;
};

// The picture to encode. palette and indices are optional (both or neither): a logo keeps
// its own colours and their order when they fit the target and the size is kept.
struct SourcePicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgb;   // width x height x 3, rows top-down
    std::vector<Rgb8> palette;       // the source's own colours, at most 256
    std::vector<std::uint8_t> indices;  // width x height entries of palette
    // Character-cell sources (EPA, TEXTLOGO): the foreground colour 0..15 of each cell,
    // row-major, kept where it draws the cell as well as any other choice.
    std::vector<std::uint8_t> cellColors;
};

struct EncodeOptions {
    EncodeTarget target = EncodeTarget::awbm16;
    std::uint32_t width = 0;  // 0 and 0: the source's size
    std::uint32_t height = 0;
    bool stretch = false;     // fill the size; otherwise letterbox on black
    float dither = 0.0f;      // Floyd-Steinberg level, 0 (none) to 1
    // EPA: the 70-byte Award mark that ends the file being replaced; empty gives a blank mark.
    std::vector<std::uint8_t> epaMarkTail;
};

struct EncodedLogo {
    std::vector<std::uint8_t> bytes;  // the whole file; empty when refused
    std::string refusal;              // why nothing was written, saying what to change
    // The picture the file's decoder draws from the bytes (as wide as it draws it).
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgb;
    double rmse = 0.0;          // 0..1, the drawn picture against the resized source
    std::uint32_t sourceColors = 0;  // distinct colours of the resized source
    bool quantised = false;     // false when the source's own colours were kept
    // "AWBM16 holds 16 colours; quantising 4,211 colours to 16 (RMSE 0.043)", or empty.
    std::string quantisation;

    bool ok() const { return refusal.empty(); }
};

// Encodes the source for options.target. Never throws; a picture the target cannot hold
// comes back with a refusal.
EncodedLogo encode_logo(const SourcePicture& source, const EncodeOptions& options);
