// Built against the pipeline only: the PNG output is a layer up.
#include "output/save_png.h"
