// Built against the encoders only: the decoders are a sibling layer, not a lower one.
#include "decode/decoders.h"
