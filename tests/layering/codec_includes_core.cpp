// Built against the codec layer only: the core's records are a layer up, out of reach.
#include "core/logo.h"
