// The JPEG marker walk: from just after a start-of-image marker, segment by segment, to
// the first frame header, which holds the picture's size.
#pragma once

#include <cstdint>
#include <cstdio>

// True with the frame header's width and height (big-endian fields); false when a byte
// other than FF stands where a marker should begin, or the file ends before a frame header.
bool jpeg_frame_size(std::FILE* stream, std::uint64_t start, std::uint16_t& width, std::uint16_t& height);
