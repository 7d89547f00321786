// Built against the shared layouts only: the probes are a layer up.
#include "detect/probe_context.h"
