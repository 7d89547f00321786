// Hostile and ordinary ROM shapes of any size, for the ROM scan's tests and benchmark: what
// a crafted file can do to a scanner's time and memory, next to what a ROM mostly is.
//   code            real-mode-code-like bytes (common opcodes and operands)
//   random          bytes with no structure, as compressed modules look
//   lhaChains       level-2 LHA headers nested in one chain of extended headers: each
//                   extended header holds a base header whose own chain is the rest
//   pcxFlood        128-byte PCX headers back to back, each declaring 8192 x 8192 rows
//   phoenixClaims   Phoenix module headers claiming 16 MiB first fragments, stored, LZARI
//                   and LZINT, every 4 KiB
//   osbFlood        "$OSB" records whose chains run over each other
// Header-only and standalone (standard library only).
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace hostile_roms {

using Bytes = std::vector<std::uint8_t>;

inline void put_u16(Bytes& b, std::size_t at, unsigned v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put_u32(Bytes& b, std::size_t at, std::uint32_t v)
{
    put_u16(b, at, v & 0xFFFF);
    put_u16(b, at + 2, v >> 16);
}

inline Bytes code(std::size_t n, unsigned seed = 1)
{
    static const std::vector<Bytes> OPS = {{0x55}, {0x8B, 0xEC}, {0x50}, {0x1E}, {0x5D}, {0xC3}, {0xB8}, {0xE8},
                                           {0xE9}, {0x74}, {0xEB}, {0xCD, 0x10}, {0x8E, 0xD8}, {0x66, 0x60}, {0xEE}};
    std::mt19937 rng(seed);
    Bytes out;
    out.reserve(n + 4);
    while (out.size() < n) {
        const Bytes& op = OPS[rng() % OPS.size()];
        out.insert(out.end(), op.begin(), op.end());
        for (unsigned k = rng() % 3; k > 0; --k)
            out.push_back(static_cast<std::uint8_t>(rng()));
    }
    out.resize(n);
    return out;
}

inline Bytes random(std::size_t n, unsigned seed = 3)
{
    std::mt19937 rng(seed);
    Bytes out(n);
    for (std::size_t i = 0; i + 4 <= n; i += 4) {
        std::uint32_t v = rng();
        out[i] = static_cast<std::uint8_t>(v);
        out[i + 1] = static_cast<std::uint8_t>(v >> 8);
        out[i + 2] = static_cast<std::uint8_t>(v >> 16);
        out[i + 3] = static_cast<std::uint8_t>(v >> 24);
    }
    return out;
}

// Chains of `links` 32-byte extended headers (type 0x3F: not one LHA defines), each holding
// a level-2 base header at +6 whose first extended header is the next link: every base
// header's chain is the rest of its chain, which a scanner that walks each header's chain
// anew reads links^2 / 2 times. Each chain ends with a header-CRC extension.
inline Bytes lha_chains(std::size_t n, std::size_t links = 2000)
{
    constexpr std::size_t LINK = 32, BASE_AT = 6, BASE = 26;
    Bytes out(n, 0xFF);
    std::size_t chain = (links + 1) * LINK;
    for (std::size_t start = 0; start + chain + LINK <= n; start += chain + LINK) {
        for (std::size_t k = 0; k < links; ++k) {
            std::size_t link = start + k * LINK;
            out[link] = 0x3F;
            std::size_t base = link + BASE_AT;  // a base header inside the link
            std::size_t rest = (links - k - 1) * LINK + 5;  // the links after this one and the CRC one
            put_u16(out, base, static_cast<unsigned>(BASE + rest));
            for (std::size_t i = 0; i < 5; ++i)
                out[base + 2 + i] = static_cast<std::uint8_t>("-lh5-"[i]);
            put_u32(out, base + 7, 16);
            put_u32(out, base + 11, 64);
            out[base + 20] = 2;  // level
            put_u16(out, base + 24, k + 1 < links ? LINK : 5);  // the next link's size
            put_u16(out, link + LINK - 2, k + 1 < links ? LINK : 5);
        }
        std::size_t crc = start + links * LINK;  // the header-CRC extension that ends every chain
        out[crc] = 0x00;
        put_u16(out, crc + 3, 0);
    }
    return out;
}

// PCX headers every 128 bytes, each an 8-bit picture of 8192 x 8192 whose rows run over the
// headers after it to the end of the file.
inline Bytes pcx_flood(std::size_t n)
{
    Bytes out(n, 0);
    for (std::size_t at = 0; at + 128 <= n; at += 128) {
        out[at] = 0x0A;
        out[at + 1] = 5;
        out[at + 2] = 1;
        out[at + 3] = 8;
        put_u16(out, at + 8, 8191);
        put_u16(out, at + 10, 8191);
        out[at + 65] = 1;
        put_u16(out, at + 66, 8192);
    }
    return out;
}

// A Phoenix module header every 4 KiB, each claiming a first fragment of 16 MiB (or what
// is left of the file) and as many bytes unpacked, in turn stored, LZARI and LZINT.
inline Bytes phoenix_claims(std::size_t n)
{
    Bytes out = random(n, 5);
    constexpr std::uint32_t CLAIM = 16u << 20;
    const std::uint8_t codes[] = {0, 2, 5};
    unsigned k = 0;
    for (std::size_t at = 0; at + 27 <= n; at += 4096, ++k) {
        std::uint32_t fragment = static_cast<std::uint32_t>(std::min<std::size_t>(CLAIM, n - at - 27));
        put_u32(out, at, 0);
        out[at + 4] = 0;
        out[at + 5] = 0x31;
        out[at + 6] = 0x31;
        out[at + 7] = 0;
        out[at + 8] = 'B';
        out[at + 9] = 27;
        out[at + 10] = codes[k % 3];
        put_u32(out, at + 15, CLAIM);
        put_u32(out, at + 19, fragment);
        put_u32(out, at + 23, 0);
    }
    return out;
}

// "$OSB" records every 16 bytes whose lengths send each chain over the records after it.
inline Bytes osb_flood(std::size_t n)
{
    Bytes out(n, 0);
    for (std::size_t at = 0; at + 16 <= n; at += 16) {
        out[at] = '$';
        out[at + 1] = 'O';
        out[at + 2] = 'S';
        out[at + 3] = 'B';
        put_u32(out, at + 5, 0);  // an empty picture: the next record follows at once
    }
    return out;
}

}  // namespace hostile_roms
