// The byte-oriented LZ77 coder of Dell's NVRAM logo container.
#pragma once

#include <cstdint>
#include <cstdio>

// Unpacks the payload that starts at offset 14 of input (size counts the 14-byte header)
// and writes the result to output.
void dell_decompress(std::FILE* input, std::FILE* output, std::int32_t size);
