// LHA archives made by independent tools (jlha, lhasa) as oracles for the lh5 kernel.
#pragma once

#include <cstdint>
#include <string>

#include "support/fixtures.h"

// The first member of an LHA archive with a level-2 header.
struct LhaMember {
    std::string method;  // "-lh5-", "-lh0-" ...
    std::uint32_t packedSize = 0;
    std::uint32_t originalSize = 0;
    Bytes packed;  // the raw compressed stream
};

// Packs data with `jlha ao5` (lh5, level-2 header; method "6" for lh6) under name in a
// fresh temporary folder. False when jlha is missing or fails, or the archive cannot be read.
bool jlha_pack(const Bytes& data, const std::string& name, LhaMember& member, std::string* archivePath = nullptr,
               const std::string& method = "5");

// Extracts the one member of an archive with lhasa; false when lhasa is missing or fails.
bool lhasa_unpack(const std::string& archivePath, Bytes& data);
