// Built against the core layer only: the viewer's state belongs to the pipeline.
#include "pipeline/viewer_state.h"
