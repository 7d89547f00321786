#include "formats/textlogo_layout.h"

#include <cstring>

#include "core/stream_io.h"

namespace {
constexpr std::size_t HEADER_READ = 20;  // from the origin: "TEXT", "LOGO" and the fields up to the rows
constexpr std::size_t HEADER_LENGTH_AT = TEXTLOGO_HEADER_LENGTH_AT;
constexpr std::size_t MAP_AT = TEXTLOGO_MAP_AT;
constexpr std::size_t FONT_SIZE_AT = TEXTLOGO_FONT_SIZE_AT;
constexpr std::size_t COLUMNS_AT = TEXTLOGO_COLUMNS_AT;
constexpr std::size_t ROWS_AT = TEXTLOGO_ROWS_AT;
constexpr std::size_t TAG_SIZE = 8;  // "TEXTLOGO"
}  // namespace

TextlogoHeader read_textlogo_header(std::FILE* stream, std::int64_t origin)
{
    // A bare block's origin lies 4 bytes before the file: read from "LOGO" on, and leave
    // the 4 bytes of "TEXT" zero.
    std::uint8_t h[HEADER_READ] = {};
    std::size_t skip = origin < 0 ? static_cast<std::size_t>(-origin) : 0;
    read_at(stream, static_cast<std::uint64_t>(origin + static_cast<std::int64_t>(skip)), h + skip, HEADER_READ - skip);
    TextlogoHeader header;
    header.origin = origin;
    header.headerLength = rd_u16(h, HEADER_LENGTH_AT);
    header.mapOffset = rd_u16(h, MAP_AT);
    header.fontSize = rd_u16(h, FONT_SIZE_AT);
    header.columns = rd_u16(h, COLUMNS_AT);
    header.rows = rd_u16(h, ROWS_AT);
    return header;
}

bool has_textlogo_container_tag(std::FILE* stream)
{
    std::uint8_t tag[TAG_SIZE];
    read_at(stream, static_cast<std::uint64_t>(TEXTLOGO_CONTAINER_ORIGIN), tag, sizeof tag);
    return std::memcmp(tag, "TEXTLOGO", TAG_SIZE) == 0;
}
