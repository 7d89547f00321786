// The Detect Module: identifies the format of an opened logo and fills its descriptor.
#pragma once

#include "core/logo.h"

// Runs the probe chain over d.stream. Fills formatId, width, height, dataSize,
// frameCount and colorCount; may replace d.stream by a temporary stream of unpacked data.
void detect_format(LogoDescriptor& d);
