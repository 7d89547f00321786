// Phoenix BIOS 4.0 images, as the ROM scanner reads them and the ROM writer rebuilds them.
//   BCP records after "BCPSEGMENT": a 10-byte header (name, revision, length) each; BCPSYS
//   holds the address of the first module, BCPCMP the image's compression and the byte its
//   LZSS and LZARI rings start filled with.
//   Module header, 27 bytes: Previous (the next module down, 0 ends the chain), the
//   signature 00 31 31, instance, type letter, header length, compression code, load
//   offset and segment / 0x1000, expanded length, the length of the first fragment (the
//   packed bytes after the header), and NextFrag, the address of the next fragment when
//   its top nibble is F.
//   Fragment header, 9 bytes: next fragment (0 for the last), bank, length; then the data.
//   BCD6F1 blocks (1995-era images): the tag, the load segment, expanded and packed size.
#pragma once

#include <cstddef>
#include <cstdint>

// BCP records.
constexpr std::size_t PHOENIX_BCP_RECORD_HEADER = 10;  // name (6), revision (2), length (2)
constexpr std::uint64_t PHOENIX_BCP_LENGTH_AT = 8;
constexpr std::uint64_t PHOENIX_BCPSYS_FIRST_MODULE_AT = 0x77;
constexpr std::uint64_t PHOENIX_BCPSYS_WITH_POINTER = 0x7B;  // records this long hold the pointer
constexpr std::uint64_t PHOENIX_BCPCMP_ALGORITHM_AT = 0x0B;
constexpr std::uint64_t PHOENIX_BCPCMP_FILL_AT = 0x1A;
constexpr std::uint64_t PHOENIX_BCPCMP_OLD_FILL_AT = 0x14;  // revision 0.0 records
constexpr std::uint8_t PHOENIX_DEFAULT_FILL = 0x20;         // the fill when BCPCMP is missing

// Module header.
constexpr std::uint64_t PHOENIX_MODULE_HEADER_SIZE = 27;
constexpr std::uint64_t PHOENIX_SIGNATURE_AT = 0x04;  // 00 31 31
constexpr std::uint64_t PHOENIX_INSTANCE_AT = 0x07;
constexpr std::uint64_t PHOENIX_TYPE_AT = 0x08;
constexpr std::uint64_t PHOENIX_HEADER_LENGTH_AT = 0x09;
constexpr std::uint64_t PHOENIX_COMPRESSION_AT = 0x0A;
constexpr std::uint64_t PHOENIX_LOAD_OFFSET_AT = 0x0B;
constexpr std::uint64_t PHOENIX_LOAD_SEGMENT_AT = 0x0D;  // segment / 0x1000
constexpr std::uint64_t PHOENIX_EXPANDED_AT = 0x0F;
constexpr std::uint64_t PHOENIX_FRAGMENT_LENGTH_AT = 0x13;
constexpr std::uint64_t PHOENIX_NEXT_FRAGMENT_AT = 0x17;
constexpr std::uint32_t PHOENIX_FRAGMENT_POINTER_MARK = 0xF0000000;  // top nibble F: a next fragment exists

// Fragment header.
constexpr std::uint64_t PHOENIX_FRAGMENT_HEADER_SIZE = 9;  // next (4), bank (1), length (4)
constexpr std::uint64_t PHOENIX_FRAGMENT_LENGTH_IN_HEADER = 5;

// Module compression codes.
constexpr std::uint8_t PHOENIX_CODE_STORED = 0;
constexpr std::uint8_t PHOENIX_CODE_LZARI = 2;
constexpr std::uint8_t PHOENIX_CODE_LZSS = 3;
constexpr std::uint8_t PHOENIX_CODE_LZHUF = 4;
constexpr std::uint8_t PHOENIX_CODE_LZINT = 5;

// BCD6F1 blocks.
constexpr char PHOENIX_BCD6F1_TAG[] = "BC\xD6\xF1\x00\x00\x12";
constexpr std::size_t PHOENIX_BCD6F1_TAG_LENGTH = 7;
constexpr std::uint64_t PHOENIX_BCD6F1_SEGMENT_AT = 0x08;
constexpr std::uint64_t PHOENIX_BCD6F1_EXPANDED_AT = 0x0A;
constexpr std::uint64_t PHOENIX_BCD6F1_PACKED_AT = 0x0E;
constexpr std::uint64_t PHOENIX_BCD6F1_HEADER_SIZE = 0x12;
