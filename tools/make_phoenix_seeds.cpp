// Writes the seed corpora of the Phoenix LZSS and LZARI fuzz targets: a 5-byte control
// block (expanded size or size cap, little-endian; fill byte), then a stream packed by
// the codec's encoders. Usage: make_phoenix_seeds [FUZZ_DIR] (default "fuzz"); files go
// to its corpus/phoenix_lzss/ and corpus/phoenix_lzari/ folders.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "codec/phoenix_lzari_encode.h"
#include "codec/phoenix_lzss_encode.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Words picked by a fixed pseudo-random sequence.
Bytes text_data(std::size_t size)
{
    static const char* const WORDS[] = {"Phoenix ", "BIOS ",   "4.0 ",  "Release ",   "6.0 ",
                                        "logo ",    "module ", "ring ", "of ",        "4096 ",
                                        "bytes",    ". ",      "\r\n",  "Copyright ", "(C) "};
    Bytes out;
    std::uint32_t state = 1;
    while (out.size() < size) {
        state = state * 1103515245u + 12345u;
        for (const char* c = WORDS[(state >> 16) % (sizeof WORDS / sizeof WORDS[0])]; *c; ++c)
            out.push_back(static_cast<std::uint8_t>(*c));
    }
    out.resize(size);
    return out;
}

// A "BM" header and rows of a 4-bpp picture: long runs, repeated rows.
Bytes picture_data(std::size_t size)
{
    Bytes out = {'B', 'M'};
    for (std::size_t i = 2; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(((i / 320) % 7) * 0x11 + ((i % 320) > 200 ? 0x80 : 0)));
    return out;
}

Bytes noise_data(std::size_t size)
{
    Bytes out(size);
    std::uint32_t state = 12345;
    for (auto& b : out) {
        state = state * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(state >> 16);
    }
    return out;
}

Bytes seed(std::uint32_t size, std::uint8_t fill, const Bytes& stream)
{
    Bytes out(5 + stream.size());
    for (unsigned i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(size >> (8 * i));
    out[4] = fill;
    std::copy(stream.begin(), stream.end(), out.begin() + 5);
    return out;
}

bool write_file(const std::string& path, const Bytes& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string fuzzDir = argc > 1 ? argv[1] : "fuzz";
    const std::string lzssDir = fuzzDir + "/corpus/phoenix_lzss/";
    const std::string lzariDir = fuzzDir + "/corpus/phoenix_lzari/";
    mkdir((fuzzDir + "/corpus").c_str(), 0755);
    mkdir(lzssDir.c_str(), 0755);
    mkdir(lzariDir.c_str(), 0755);

    const struct {
        const char* name;
        Bytes data;
        std::uint8_t fill;
    } inputs[] = {
        {"text", text_data(1500), 0x20},
        {"picture", picture_data(6000), 0x20},  // past 4 KiB: the ring wraps
        {"noise", noise_data(200), 0xFF},
        {"fill-00", picture_data(900), 0x00},
    };
    bool ok = true;
    for (const auto& in : inputs) {
        auto size = static_cast<std::uint32_t>(in.data.size());
        Bytes lzss = phoenix_lzss_encode(in.data, in.fill);
        Bytes lzari = phoenix_lzari_encode(in.data, in.fill);
        ok &= write_file(lzssDir + in.name, seed(size, in.fill, lzss));
        ok &= write_file(lzariDir + in.name, seed(size, in.fill, lzari));
        if (std::string(in.name) == "text") {
            // Cut in half; LZARI also capped below its own size.
            Bytes lzssHalf(lzss.begin(), lzss.begin() + static_cast<std::ptrdiff_t>(lzss.size() / 2));
            Bytes lzariHalf(lzari.begin(), lzari.begin() + static_cast<std::ptrdiff_t>(lzari.size() / 2));
            ok &= write_file(lzssDir + "text-cut", seed(size, in.fill, lzssHalf));
            ok &= write_file(lzariDir + "text-cut", seed(size, in.fill, lzariHalf));
            ok &= write_file(lzariDir + "text-capped", seed(size / 3, in.fill, lzari));
        }
    }
    if (!ok) {
        std::fprintf(stderr, "make_phoenix_seeds: could not write the seeds under %s\n", fuzzDir.c_str());
        return 1;
    }
    return 0;
}
