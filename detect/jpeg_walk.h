// The JPEG marker walk that sizes a JPEG picture: plain JPEG files and the JPEG inside a
// Phoenix SCN envelope.
#pragma once

#include <cstdint>
#include <cstdio>

// Walks the segments from start (just after a start-of-image marker) to the first frame
// header and takes its height and width (big-endian). Returns false, leaving width and
// height alone, when a byte other than FF stands where a marker should begin, a segment
// length is below 2, or the walk runs past fileSize before it finds a frame header.
bool jpeg_marker_walk(std::FILE* stream, std::uint64_t start, std::uint64_t fileSize, std::uint16_t& width,
                      std::uint16_t& height);
