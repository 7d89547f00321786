// Chain and directory walks of the composite containers ("$OSB", SCN, SCRN).
#include "formats/container_walk.h"

#include <algorithm>

#include "core/logo.h"
#include "core/stream_io.h"

std::vector<OsbLink> walk_osb_chain(std::FILE* stream, std::uint32_t fileSize, std::size_t headSize)
{
    headSize = std::min(headSize, OSB_PCX_HEAD_SIZE);
    std::vector<OsbLink> links;
    std::uint64_t offset = 0;
    bool ranPastEnd = false;
    while (!ranPastEnd && offset < fileSize && links.size() < MAX_FRAMES) {
        std::uint8_t record[OSB_RECORD_SIZE];
        read_at(stream, offset, record, sizeof record);
        OsbLink link;
        link.offset = offset;
        link.length = rd_u32(record, OSB_LENGTH_AT);
        read_at(stream, offset + OSB_RECORD_SIZE, link.head, headSize);
        ranPastEnd = offset + OSB_RECORD_SIZE + headSize > fileSize;
        if (record[OSB_END_MARK_AT] == OSB_END_MARK)
            break;
        links.push_back(link);
        offset += OSB_RECORD_SIZE + static_cast<std::uint64_t>(link.length);
    }
    return links;
}

std::uint32_t scn_jpeg_start(std::FILE* stream, std::uint64_t fileSize)
{
    constexpr std::size_t POINTER_SIZE = 4;
    std::uint8_t pointer[POINTER_SIZE] = {};
    if (fileSize >= POINTER_SIZE)
        read_at(stream, fileSize - POINTER_SIZE, pointer, sizeof pointer);
    return rd_u32(pointer, 0);
}

std::uint32_t scn_picture_offset(std::FILE* stream, std::uint32_t dirEnd, unsigned count, unsigned k)
{
    if (k >= count)
        return 0;
    std::uint64_t back = static_cast<std::uint64_t>(SCN_ENTRY_SIZE) * (count - k);
    // An entry that would start before the file reads as a zero offset, like any read
    // outside the file; one starting a byte before it still has its offset field at 0.
    if (back > dirEnd + std::uint64_t{SCN_ENTRY_OFFSET_AT})
        return 0;
    std::uint8_t offset[4];
    read_at(stream, dirEnd + std::uint64_t{SCN_ENTRY_OFFSET_AT} - back, offset, sizeof offset);
    return rd_u32(offset, 0);
}

unsigned scrn_picture_count(std::FILE* stream, std::uint16_t dirOffset)
{
    std::uint8_t count[1];
    read_at(stream, dirOffset, count, sizeof count);
    return count[0];
}

std::uint16_t scrn_picture_offset(std::FILE* stream, std::uint16_t dirOffset, unsigned k)
{
    std::uint8_t offset[2];
    std::uint64_t entry = static_cast<std::uint64_t>(dirOffset) + SCRN_COUNT_SIZE + SCRN_ENTRY_SIZE * k;
    read_at(stream, entry + SCRN_ENTRY_OFFSET_AT, offset, sizeof offset);
    return rd_u16(offset, 0);
}

PhoenixPictureHead read_phoenix_head(std::FILE* stream, std::uint64_t offset)
{
    std::uint8_t head[PHOENIX_HEAD_SIZE];
    read_at(stream, offset, head, sizeof head);
    PhoenixPictureHead picture;
    picture.bitsPerPixel = head[4];  // 4 or 8
    picture.width = rd_u16(head, 5);
    picture.height = rd_u16(head, 7);
    return picture;
}
