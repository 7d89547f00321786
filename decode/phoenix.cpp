#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void decode_PGBM(std::uint8_t*, LogoDescriptor) {}
void decode_ICON(std::uint8_t*, LogoDescriptor) {}
