#include "core/decoder_dispatch.h"

#include "core/load_pipeline.h"
#include "core/viewer_state.h"
#include "decode/decoders.h"

namespace {

using SingleDecoder = void (*)(std::uint8_t*, LogoDescriptor);
using CellDecoder = void (*)(std::uint8_t*, std::uint8_t*, std::uint8_t*, LogoDescriptor);
using FrameDecoder = void (*)(LogoFrame*, LogoDescriptor);

struct DecoderEntry {
    SingleDecoder single = nullptr;
    CellDecoder cell = nullptr;
    FrameDecoder frames = nullptr;
};

// Decoders indexed by LogoFormatId; identifiers 0 and 7 have none.
const DecoderEntry DECODERS[FORMAT_LAST + 1] = {
    /* 0 */ {},
    /* 1 */ {nullptr, decode_EPA, nullptr},
    /* 2 */ {nullptr, decode_EPA, nullptr},
    /* 3 */ {AWBM16bm},
    /* 4 */ {QDIBMPbm},
    /* 5 */ {BIOGFXbm},
    /* 6 */ {decode_PGBM},
    /* 7 */ {},
    /* 8 */ {decode_GRFX},
    /* 9 */ {AWBM256bm},
    /* 10 */ {nullptr, decode_GLE, nullptr},
    /* 11 */ {nullptr, decode_TEXTLOGO, nullptr},
    /* 12 */ {decode_ICON},
    /* 13 */ {nullptr, nullptr, decode_SCRN},
    /* 14 */ {nullptr, nullptr, decode_ASUSbm},
    /* 15 */ {nullptr, nullptr, decode_ASUSLOGObm},
    /* 16 */ {AMIGFXbm},
    /* 17 */ {nullptr, nullptr, decode_ASUSOSB640},
    /* 18 */ {nullptr, nullptr, decode_ASUS2v2bm},
    /* 19 */ {nullptr, nullptr, decode_ASUSv3bm},
    /* 20 */ {SYSOFXbm},
    /* 21 */ {TMGFXbm},
    /* 22 */ {AWBMV2bm},
    /* 23 */ {nullptr, nullptr, OSB2bm},
    /* 24 */ {decode_JPEG},
    /* 25 */ {PCX4RLEbm},
    /* 26 */ {nullptr, nullptr, decode_SCN},
    /* 27 */ {PCX8RLEbm},
    /* 28 */ {AWBM256V2bm},
    /* 29 */ {decode_SCN2},
    /* 30 */ {decode_GRFXLOGO},
    /* 31 */ {decode_PGBM},
    /* 32 */ {BMP8i},
    /* 33 */ {nullptr, nullptr, decode_ASUSV2bm},
    /* 34 */ {decode_GRFX},
    /* 35 */ {BMP8i},
    /* 36 */ {nullptr, nullptr, decode_OSB2},
    /* 37 */ {decode_DELL2},
    /* 38 */ {decode_SYSOEPA2},
};

}  // namespace

bool run_decoder(const LogoDescriptor& d)
{
    if (d.formatId > FORMAT_LAST)
        return false;
    const DecoderEntry& entry = DECODERS[d.formatId];
    ViewerState& state = viewer_state();
    if (entry.single) {
        if (d.formatId == FORMAT_PHOENIX_ICON)  // draws from an external palette
            read_Palette(d);
        entry.single(d.image, d);
    } else if (entry.cell) {
        entry.cell(d.image, state.fontMapPanel, state.colorMapPanel, d);
    } else if (entry.frames) {
        // Without frames the table is null; the decoder still runs (and traces what it
        // reads ahead of its frames) but fills no frame.
        entry.frames(state.frames, d);
    } else {
        return false;
    }
    return true;
}
