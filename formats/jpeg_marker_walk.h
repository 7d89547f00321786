// The JPEG marker walk: from just after a start-of-image marker, segment by segment, to
// the first frame header, which holds the picture's size. Shared by the plain JPEG probe
// and the Phoenix SCN envelope probe.
#pragma once

#include <cstdint>
#include <cstdio>

// True with the frame header's width and height (big-endian fields). False, leaving width
// and height alone, when a byte other than FF stands where a marker should begin, a
// segment length is below 2, a run of FF fill bytes goes on too long, or the file ends
// before a whole frame header.
bool jpeg_frame_size(std::FILE* stream, std::uint64_t start, std::uint16_t& width, std::uint16_t& height);
