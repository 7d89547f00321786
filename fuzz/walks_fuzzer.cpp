// Chain and directory walks of the composite containers and the ASUS logos, for any
// bytes: every walk must end, move forward on every step and stop at MAX_FRAMES.
#include <cstdio>
#include <string>

#include "core/logo.h"
#include "core/stream_io.h"
#include "formats/asus_walk.h"
#include "formats/container_walk.h"
#include "fuzz/fuzz_target.h"

namespace {

void check_links(const std::vector<OsbLink>& links, std::size_t size)
{
    FUZZ_CHECK(links.size() <= MAX_FRAMES);
    for (std::size_t k = 0; k < links.size(); ++k) {
        FUZZ_CHECK(links[k].offset < size);
        FUZZ_CHECK(k == 0 || links[k].offset > links[k - 1].offset);
    }
}

std::size_t check_chain(const AsusChain& chain, unsigned limit)
{
    FUZZ_CHECK(chain.records.size() <= limit);
    for (std::size_t k = 1; k < chain.records.size(); ++k)
        FUZZ_CHECK(chain.records[k].offset > chain.records[k - 1].offset);
    return chain.records.size();
}

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    // fmemopen wants a writable-looking buffer even for reading; nothing is written.
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!stream)
        return "no stream";
    const auto fileSize = static_cast<std::uint32_t>(size);
    std::string summary;

    std::vector<OsbLink> pcxLinks = walk_osb_chain(stream, fileSize, OSB_PCX_HEAD_SIZE);
    check_links(pcxLinks, size);
    std::vector<OsbLink> bmpLinks = walk_osb_chain(stream, fileSize, OSB_BMP_HEAD_SIZE);
    check_links(bmpLinks, size);
    summary += "osb=" + std::to_string(pcxLinks.size()) + "," + std::to_string(bmpLinks.size());

    // An SCN directory ends the file; its count is the file's last byte here, as any
    // count up to MAX_FRAMES must be safe.
    unsigned scnCount = size > 0 ? data[size - 1] : 0;
    unsigned scnHeads = 0;
    for (unsigned k = 0; k < scnCount; ++k) {
        PhoenixPictureHead head = read_phoenix_head(stream, scn_picture_offset(stream, fileSize, scnCount, k));
        scnHeads += head.width != 0 && head.height != 0;
    }
    summary += " scn=" + std::to_string(scnHeads);

    // An SCRN directory at the offset held in the first two bytes.
    std::uint8_t first[2];
    read_at(stream, 0, first, sizeof first);
    std::uint16_t directory = rd_u16(first, 0);
    unsigned scrnCount = scrn_picture_count(stream, directory);
    FUZZ_CHECK(scrnCount <= MAX_FRAMES);
    unsigned scrnHeads = 0;
    for (unsigned k = 0; k < scrnCount; ++k) {
        PhoenixPictureHead head = read_phoenix_head(stream, scrn_picture_offset(stream, directory, k));
        scrnHeads += head.width != 0 && head.height != 0;
    }
    summary += " scrn=" + std::to_string(scrnHeads);

    summary += " asus=" + std::to_string(check_chain(walk_4osb_chain(stream, OsbChainKind::composite, MAX_FRAMES, nullptr), MAX_FRAMES));
    summary += "," + std::to_string(check_chain(walk_4osb_chain(stream, OsbChainKind::compositeV2, MAX_FRAMES, nullptr), MAX_FRAMES));
    summary += "," + std::to_string(check_chain(walk_osb640_chain(stream, MAX_FRAMES), MAX_FRAMES));
    summary += "," + std::to_string(check_chain(walk_dynamic_v3_chain(stream, MAX_FRAMES), MAX_FRAMES));
    summary += "," + std::to_string(check_chain(walk_dynamic_logo_chain(stream, MAX_FRAMES), MAX_FRAMES));
    summary += "," + std::to_string(check_chain(walk_dynamic_ami_chain(stream, MAX_FRAMES), MAX_FRAMES));
    std::fclose(stream);
    return summary;
}
