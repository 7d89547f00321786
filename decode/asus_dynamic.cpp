// ASUS dynamic logos: chains of "IMG" records that share one palette.
//   decode_ASUSv3bm    19 "ASUS Dynamic LOGO (3)"  palette at 0, nibble pictures bottom-up
//   decode_ASUSLOGObm  15 "ASUS Dynamic LOGO"      a "SUSA" picture with the palette in its
//                                                   trailer, then "IMG" records; planar pictures
//   decode_ASUS2v2bm   18 "ASUS Dynamic LOGO (2)"  AMI module: palette, then "IMG" records;
//                                                   planar pictures
// The records are those the detection walk counted (formats/asus_walk.h): frame k is record k.
#include <cstdio>

#include "decode/asus_pictures.h"
#include "decode/decoders.h"
#include "formats/asus_walk.h"

namespace {

constexpr std::uint64_t SUSA_PALETTE_IN_TRAILER = 4;

}  // namespace

void decode_ASUSv3bm(LogoFrame* frames, LogoDescriptor d, LoadContext& load)
{
    AsusChain chain = walk_dynamic_v3_chain(d.stream, d.frameCount);
    ByteReader in(d.stream, 0);
    Palette16 colors = read_palette16(in, 0, PALETTE_RGBX_8BIT);
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const AsusRecord& rec = chain.records[i];
        RgbCanvas canvas =
            open_frame(frames[i], rec.width, rec.height, "decode_ASUSv3bm() : No memory allocated for Image\n", load);
        in.seek(rec.offset + IMG_HEAD_SIZE);
        decode_nibble_picture(in, canvas, colors, rec.width, nullptr);
    }
}

void decode_ASUSLOGObm(LogoFrame* frames, LogoDescriptor d, LoadContext& load)
{
    if (d.frameCount == 0)  // no "SUSA" picture was counted: there is no frame 0 to fill
        return;
    AsusChain chain = walk_dynamic_logo_chain(d.stream, d.frameCount - 1u);
    if (!chain.found) {
        load.notice("decode_ASUSLOGObm() break;\n");
        return;
    }
    const AsusRecord& susa = chain.susa;
    ByteReader in(d.stream, 0);
    std::uint64_t trailer = susa.offset + IMG_HEAD_SIZE + std::uint64_t{packed_4bit_size(susa.width, susa.height)};
    Palette16 colors = read_palette16(in, trailer + SUSA_PALETTE_IN_TRAILER, PALETTE_BGR_6BIT);
    RgbCanvas canvas =
        open_frame(frames[0], susa.width, susa.height, "decode_ASUSLOGObm() : No memory allocated for Image 0\n", load);
    in.seek(susa.offset + IMG_HEAD_SIZE);
    decode_planar_picture(in, canvas, colors);

    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const AsusRecord& rec = chain.records[i];
        canvas = open_frame(frames[i + 1], rec.width, rec.height,
                            "decode_ASUSLOGObm() : No memory allocated for Image\n", load);
        in.seek(rec.offset + IMG_HEAD_SIZE);
        decode_planar_picture(in, canvas, colors);
    }
    if (chain.records.size() + 1 < d.frameCount)
        load.notice("decode_ASUSLOGObm() break;\n");
}

void decode_ASUS2v2bm(LogoFrame* frames, LogoDescriptor d, LoadContext& load)
{
    AsusChain chain = walk_dynamic_ami_chain(d.stream, d.frameCount);
    ByteReader in(d.stream, 0);
    Palette16 colors = read_palette16(in, chain.anchor, PALETTE_BGR_6BIT);
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const AsusRecord& rec = chain.records[i];
        RgbCanvas canvas =
            open_frame(frames[i], rec.width, rec.height, "decode_ASUS2v2bm() : No memory allocated for Image\n", load);
        in.seek(rec.offset + IMG_HEAD_SIZE);
        decode_planar_picture(in, canvas, colors);
    }
    if (chain.records.size() < d.frameCount)
        load.notice("decode_ASUS2v2bm() break;\n");
}
