#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void decode_SCRN(LogoFrame*, LogoDescriptor) {}
void decode_SCN(LogoFrame*, LogoDescriptor) {}
void decode_SCN2(std::uint8_t*, LogoDescriptor) {}
