#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void decode_JPEG(std::uint8_t*, LogoDescriptor) {}
