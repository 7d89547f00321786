// Runs the decoder of a format identifier in its call shape.
#pragma once

#include "core/load_context.h"
#include "core/logo.h"
#include "pipeline/viewer_state.h"

// Runs the decoder of d.formatId on the buffers of state; false when the identifier has
// no decoder.
bool run_decoder(const LogoDescriptor& d, ViewerState& state, LoadContext& load);
