// The detection driver: reads the header block and runs the probe chain (detect/probe_order.h).
#include "detect/detect.h"

#include "core/stream_io.h"
#include "detect/probe_order.h"

void detect_format(LogoDescriptor& d, LoadContext& load)
{
    d.width = 0;
    d.height = 0;

    DetectContext ctx(load);
    read_at(d.stream, 0, ctx.header, HEADER_BLOCK_SIZE);
    ctx.fileSize = stream_size(d.stream);

    for (Probe probe : PROBE_ORDER) {
        if (probe(ctx, d))
            return;
    }
    d.formatId = FORMAT_UNKNOWN;
    d.width = d.height = 0;
    d.dataSize = 0;
    d.frameCount = 0;
    d.colorCount = 0;
}
