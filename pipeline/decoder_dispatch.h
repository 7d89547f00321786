// Runs the decoder of a format identifier in its call shape.
#pragma once

#include "core/load_context.h"
#include "pipeline/decode_logo.h"
#include "pipeline/front_end.h"

// Runs the decoder of the logo's formatId on its buffers; false when the identifier has
// no decoder. An ICON's palette file is asked of frontEnd first.
bool run_decoder(DecodedLogo& logo, LoadContext& load, FrontEnd& frontEnd);
