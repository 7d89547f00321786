#include "formats/pcx_layout.h"

#include <vector>

#include "core/stream_io.h"

PcxGeometry pcx_geometry(const std::uint8_t* header)
{
    PcxGeometry g;
    g.width = static_cast<std::uint16_t>(rd_u16(header, 8) - rd_u16(header, 4) + 1);    // xmax - xmin + 1
    g.height = static_cast<std::uint16_t>(rd_u16(header, 10) - rd_u16(header, 6) + 1);  // ymax - ymin + 1
    return g;
}

std::optional<std::uint64_t> find_pcx_header(std::FILE* stream, std::size_t window)
{
    std::vector<std::uint8_t> bytes(window + 1);  // one more, for the pair at the last offset
    read_at(stream, 0, bytes.data(), bytes.size());
    for (std::size_t k = 0; k < window; ++k) {
        if (bytes[k] == PCX_MAKER && bytes[k + 1] == PCX_VERSION_5)
            return k;
    }
    return std::nullopt;
}
