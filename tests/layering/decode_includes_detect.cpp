// Built against the decoders only: detection is a sibling layer, not a lower one.
#include "detect/probe_context.h"
