#include "formats/pg_layout.h"

#include "core/stream_io.h"

namespace {
constexpr std::size_t MARK_AT = 4;
constexpr std::uint8_t MARK[] = {0x00, 0x80};
constexpr std::size_t ROWS_AT = 17;   // R
constexpr std::size_t WORDS_AT = 19;  // N
constexpr std::uint16_t ROW_COUNT_MASK = 0x7FFF;
constexpr std::uint16_t EXTRA_BYTE_FLAG = 0x8000;
constexpr std::uint32_t BYTES_PER_WORD = 2;
constexpr std::uint32_t PIXELS_PER_BYTE = 8;
}  // namespace

bool pg_sub_header(const std::uint8_t* head, PgSubHeader& sub)
{
    if (head[3] == PG_OWN_PALETTE || rd_u16(head, PG_SIZE_AT) != 0 || rd_u16(head, PG_SIZE_AT + 2) != 0 ||
        head[MARK_AT] != MARK[0] || head[MARK_AT + 1] != MARK[1])
        return false;
    std::uint16_t r = rd_u16(head, ROWS_AT);
    std::uint16_t words = rd_u16(head, WORDS_AT);
    if ((r & ROW_COUNT_MASK) == 0 || words == 0)
        return false;
    sub.rows = r & ROW_COUNT_MASK;
    sub.planeRowBytes = BYTES_PER_WORD * words + ((r & EXTRA_BYTE_FLAG) ? 1 : 0);
    sub.width = PIXELS_PER_BYTE * sub.planeRowBytes;
    return sub.width <= UINT16_MAX;
}
