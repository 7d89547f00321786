// What convert and replace share: the picture options (--size WxH, --dither 0..1, --frame N)
// and reading the picture (a PNG file, or any logo zarpo2 loads).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/encode_logo.h"

// A whole number of 1 to 5 digits; -1 for anything else.
long parse_number(const std::string& text);
// "WxH" with both sides from 1.
bool parse_size(const std::string& text, std::uint32_t& width, std::uint32_t& height);
// A decimal number from 0 to 1.
bool parse_dither(const std::string& text, float& level);
// Reads IN as a PNG picture or loads it as a logo (frame picks a frame of a multi-frame
// logo); epaMark gets the 70-byte mark of an EPA logo. false after the reason was reported.
bool read_source(const std::string& input, unsigned frame, SourcePicture& source, std::vector<std::uint8_t>& epaMark);
