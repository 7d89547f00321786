// The Detect Module: identifies the format of an opened logo and fills its descriptor.
#pragma once

#include "core/load_context.h"
#include "core/logo.h"

// Runs the probe chain over d.stream, the load's input. Fills formatId, width, height,
// dataSize, frameCount and colorCount; a probe that unpacks the logo puts the unpacked
// bytes in the place of the load's input, and d.stream then names that stream.
void detect_format(LogoDescriptor& d, LoadContext& load);
