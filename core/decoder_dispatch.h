// The decoder of each format identifier, in its call shape.
#pragma once

#include "core/logo.h"

// Runs the decoder of d.formatId on the buffers of viewer_state(); false when the
// identifier has no decoder.
bool run_decoder(const LogoDescriptor& d);
