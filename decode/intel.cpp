#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void decode_GRFX(std::uint8_t*, LogoDescriptor) {}
void decode_GRFXLOGO(std::uint8_t*, LogoDescriptor) {}
void decode_TEXTLOGO(std::uint8_t*, std::uint8_t*, std::uint8_t*, LogoDescriptor) {}
