#include "pipeline/decoder_dispatch.h"

#include "pipeline/format_registry.h"
#include "pipeline/load_pipeline.h"

bool run_decoder(DecodedLogo& logo, LoadContext& load, FrontEnd& frontEnd)
{
    const LogoDescriptor& d = logo.descriptor;
    const FormatEntry& format = format_entry(d.formatId);
    const FormatDecoder& decoder = format.decoder;
    if (decoder.single) {
        if (format.traits & EXTERNAL_PALETTE)
            read_Palette(d, load, frontEnd);
        decoder.single(d.image, d, load);
    } else if (decoder.cell) {
        decoder.cell(d.image, logo.buffers.fontMap.get(), logo.buffers.colorMap.get(), d, load);
    } else if (decoder.frames) {
        // Without frames the table is null; the decoder still runs (and traces what it
        // reads ahead of its frames) but fills no frame.
        decoder.frames(logo.frames(), d, load);
    } else {
        return false;
    }
    return true;
}
