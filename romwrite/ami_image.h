// The AMIBIOSC image as a writer sees it: the dword checksum of the header (the u32 words of
// the L x 8 bytes ending at the header's end, C among them, sum to 0 mod 2^32) and the
// module chain, checked against the size rules of its core (formats/ami_layout.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/ami_layout.h"
#include "rom/rom_parts.h"

// The sum of the u32 words of the range the header's L names; false when the range lies
// outside the image.
bool ami_dword_sum(RomBytes image, std::uint64_t header, std::uint32_t& sum);
bool ami_dword_sum_holds(RomBytes image, std::uint64_t header);

// One module of the chain where it lies.
struct AmiChainModule {
    std::uint64_t at = 0;
    std::uint64_t bytes = 0;  // its header and data (the stream, or the stored bytes)
    std::uint64_t span = 0;   // what it occupies: its bytes and the 0800 core's padding after them
};

// The chain from the Begin pointer down, when every module lies where its core puts it: the
// highest ends (after its padding) at most the core's top gap below the header, each other
// one where the module above it begins. Images up to 1 MiB only.
struct AmiChain {
    std::uint64_t header = 0;
    const AmiCoreRules* core = nullptr;
    std::vector<AmiChainModule> modules;  // chain order: highest first
    std::string problem;                  // why the chain is not written; empty when it holds together
};

AmiChain walk_ami_chain(RomBytes image);

// The bytes a module at at with the given header fields takes up to the end of its data by
// the core's rules; 0 when its sizes say nothing usable (a stored CSize of 0 or 0xFFFF, a
// PackedSize smaller than what it counts).
std::uint64_t ami_module_bytes(RomBytes image, std::uint64_t at, const AmiCoreRules& core);
