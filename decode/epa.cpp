#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void decode_EPA(std::uint8_t*, std::uint8_t*, std::uint8_t*, LogoDescriptor) {}
