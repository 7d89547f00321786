#include "codec/dell_lz77.h"

// TODO(dell): coder not written yet; produces nothing.
void dell_decompress(std::FILE*, std::FILE*, std::int32_t) {}
