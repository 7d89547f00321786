// The record chains of the ASUS logos, walked in one place for detection and decoding:
// a probe counts and measures the records of its walk, the decoder draws record k of the
// same walk as frame k, so the two can never disagree about where a frame stands.
//   "4OSB" chains (Composite 4OSB and 4OSB V2), with "STDA" records stepped over
//   OSB640 chains of sized records, found through an "add esi, imm32" (66 81 C6) pointer
//   "IMG" chains of Dynamic LOGO (3), Dynamic LOGO (after its "SUSA" record) and
//   Dynamic LOGO (2) (after its palette, found through a "mov si, imm16" (BE) pointer)
//
// Every walk stops at the end of the file, at a record that does not carry its tag, at
// a record whose length does not carry the walk past its own head (length 0, or a
// 32-bit sum that wraps round to an earlier offset; such a record is the last one), and
// after `limit` records.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/load_context.h"

constexpr std::size_t OSB4_HEAD_SIZE = 16;     // "4OSB" and "STDA" records
constexpr std::size_t OSB640_HEAD_SIZE = 10;
constexpr std::size_t IMG_HEAD_SIZE = 8;       // "IMG" and "SUSA" records
constexpr std::size_t SUSA_TRAILER_SIZE = 52;  // after the "SUSA" picture: 4 bytes, then the palette

// One picture record of a chain, as the walk read it.
struct AsusRecord {
    std::uint32_t offset = 0;      // the record head
    bool afterStda = false;        // a "STDA" record stands right before the head
    std::uint32_t length = 0;      // head to next record ("IMG": the rounded length)
    std::uint16_t dataOffset = 0;  // "4OSB": picture offset counted from the head
    std::uint16_t width = 0;       // as stored, not rounded
    std::uint16_t height = 0;
    bool sizeAfterHead = false;    // "4OSB" of width 0: the size stands in the 4 bytes after the head
};

struct AsusChain {
    bool found = false;           // the chain's start was found (pattern searches)
    std::uint32_t anchor = 0;     // "SUSA" record, or the Dynamic LOGO (2) palette, or the OSB640 start
    AsusRecord susa;              // Dynamic LOGO: the "SUSA" record
    std::vector<AsusRecord> records;
};

enum class OsbChainKind {
    composite,    // "ASUS2": first record at the 32-bit value at 12, width-0 layout
    compositeV2,  // "ASUS": first record at the 16-bit value at 12, no chain when byte 16 is not 0
};

// Length of an "IMG" record of stored size w x h: 8 + packed 4-bit picture, rounded to 16.
std::uint32_t img_record_length(std::uint16_t width, std::uint16_t height);
// Length of a "SUSA" record: packed 4-bit picture + 60, rounded to 16.
std::uint32_t susa_record_length(std::uint16_t width, std::uint16_t height);
// Packed 4-bit picture of stored size w x h: (w rounded to 8) x h / 2 bytes.
std::uint32_t packed_4bit_size(std::uint16_t width, std::uint16_t height);

// The walks. traceTo, when given, receives detection's per-record trace lines.
AsusChain walk_4osb_chain(std::FILE* stream, OsbChainKind kind, unsigned limit, LoadContext* traceTo);
AsusChain walk_osb640_chain(std::FILE* stream, unsigned limit);
AsusChain walk_dynamic_v3_chain(std::FILE* stream, unsigned limit);
// limit counts the "IMG" records; the "SUSA" record comes on top.
AsusChain walk_dynamic_logo_chain(std::FILE* stream, unsigned limit);
AsusChain walk_dynamic_ami_chain(std::FILE* stream, unsigned limit);
