// Built against the detection layer only: the pipeline that runs it is out of reach.
#include "pipeline/load_pipeline.h"
