// romwrite/ sits below pipeline/: the scan's confirmation by decoding is not its to call.
#include "pipeline/rom_scan.h"
