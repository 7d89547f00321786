// The zlib stream of a 16-bit RGB PNG made from an 8-bit picture: every row is filter
// byte 0 (none) and then each picture byte as the high half of a sample whose low half
// is 0. The encoder looks for repeats among the picture's bytes, not among the doubled
// stream, so it does half the work of a general deflate encoder and none of it on the
// zero bytes.
#pragma once

#include <cstdint>
#include <vector>

// Appends the zlib stream (header, deflate blocks, Adler-32) of the PNG rows of an
// 8-bit RGB picture, rows top-down, to out. false, with out unchanged, for an empty
// picture or one of 2^32 bytes or more. A small picture (a stream of 256 KiB or less)
// goes through zlib at its default level instead, unless zlibForSmall is false (tests of
// this encoder on small pictures).
bool deflate_rgb16_rows(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height,
                        std::vector<std::uint8_t>& out, bool zlibForSmall = true);

// Code lengths of a prefix code for the counts, none longer than maxBits (2^maxBits must
// exceed the number of symbols used): Huffman's, then, if some are too long, lengths
// moved down until the code is complete again, the most frequent symbols keeping the
// shortest. Unused symbols get 0; a single used symbol gets 1.
void code_lengths(const std::uint32_t* counts, unsigned count, unsigned maxBits, std::uint8_t* lengths);
