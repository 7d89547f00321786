// ASUS composite logos: chains of records that each carry their own palette and a
// nibble picture stored bottom row first.
//   decode_ASUSbm      14 "ASUS Composite 4OSB"       "4OSB" records (4-byte BGR palettes)
//   decode_ASUSV2bm    33 "ASUS Composite 4OSB (V2)"  "4OSB" records, picture at a data offset
//   decode_ASUSOSB640  17 "ASUS Composite OSB640"     sized records (3-byte RGB palettes)
// The records are those the detection walk counted (formats/asus_walk.h): frame k is record k.
#include <cstdio>

#include "decode/asus_pictures.h"
#include "decode/decoders.h"
#include "formats/asus_walk.h"
#include "formats/geometry.h"

namespace {

constexpr Rgb BLACK = {0, 0, 0};
constexpr std::uint64_t OSB4_PALETTE_SIZE = 64;
constexpr std::uint64_t OSB4_SIZE_FIELDS = 4;  // width and height after a width-0 head
constexpr std::uint64_t OSB640_PALETTE_SIZE = 48;

// Where the decoder's step for a record begins: at a "STDA" record standing before it.
unsigned long step_start(const AsusRecord& rec)
{
    return rec.afterStda ? rec.offset - OSB4_HEAD_SIZE : rec.offset;
}

}  // namespace

void decode_ASUSbm(LogoFrame* frames, LogoDescriptor d, LoadContext& load)
{
    AsusChain chain = walk_4osb_chain(d.stream, OsbChainKind::composite, d.frameCount, nullptr);
    ByteReader in(d.stream, 0);
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const AsusRecord& rec = chain.records[i];
        load.trace("====>>> FRAME: Seek = %5.5lXh\n", step_start(rec));
        std::uint64_t palette = rec.offset + OSB4_HEAD_SIZE + (rec.sizeAfterHead ? OSB4_SIZE_FIELDS : 0);
        Palette16 colors = read_palette16(in, palette, PALETTE_BGRX_8BIT);
        // Without a width in the head the picture stands at the head's data offset,
        // otherwise right after the palette.
        std::uint64_t data = rec.sizeAfterHead ? rec.offset + rec.dataOffset : palette + OSB4_PALETTE_SIZE;
        load.trace("=====>>> FRAME: DATA = %5.5lXh\n", static_cast<unsigned long>(data));
        RgbCanvas canvas =
            open_frame(frames[i], rec.width, rec.height, "decode_ASUSbm() : No memory allocated for Image\n", load);
        in.seek(data);
        decode_nibble_picture(in, canvas, colors, rec.width, &BLACK);
    }
    if (chain.records.size() < d.frameCount)
        load.notice("decode_ASUSbm() break;\n");
}

void decode_ASUSV2bm(LogoFrame* frames, LogoDescriptor d, LoadContext& load)
{
    AsusChain chain = walk_4osb_chain(d.stream, OsbChainKind::compositeV2, d.frameCount, nullptr);
    ByteReader in(d.stream, 0);
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const AsusRecord& rec = chain.records[i];
        load.trace("====>>> FRAME: Seek = %5.5lXh\n", step_start(rec));
        if (rec.afterStda)
            load.trace("Read it again @ %lX\n", static_cast<unsigned long>(rec.offset));
        Palette16 colors = read_palette16(in, rec.offset + OSB4_HEAD_SIZE, PALETTE_BGRX_8BIT);
        load.trace("=====>>> FRAME: W (W+) = %3.3lXh (%3.3lXh)\n", static_cast<unsigned long>(rec.width),
              static_cast<unsigned long>(round_up_8(rec.width)));
        // The data offset counts from the end of the head.
        std::uint64_t data = rec.offset + rec.dataOffset + OSB4_HEAD_SIZE;
        load.trace("====>>> FRAME: CuteSeek = %5.5lXh\n", static_cast<unsigned long>(data));
        RgbCanvas canvas =
            open_frame(frames[i], rec.width, rec.height, "decode_ASUSV2bm() : No memory allocated for Image\n", load);
        in.seek(data);
        decode_nibble_picture(in, canvas, colors, rec.width, &BLACK);
    }
}

void decode_ASUSOSB640(LogoFrame* frames, LogoDescriptor d, LoadContext& load)
{
    AsusChain chain = walk_osb640_chain(d.stream, d.frameCount);
    ByteReader in(d.stream, 0);
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const AsusRecord& rec = chain.records[i];
        std::uint64_t palette = rec.offset + OSB640_HEAD_SIZE;
        Palette16 colors = read_palette16(in, palette, PALETTE_RGB_8BIT);
        RgbCanvas canvas =
            open_frame(frames[i], rec.width, rec.height, "decode_ASUSOSB640() : No memory allocated for Image\n", load);
        in.seek(palette + OSB640_PALETTE_SIZE);
        decode_nibble_picture(in, canvas, colors, rec.width, &colors[0]);
    }
}
