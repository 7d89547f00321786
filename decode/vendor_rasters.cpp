#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void TMGFXbm(std::uint8_t*, LogoDescriptor) {}
void decode_DELL2(std::uint8_t*, LogoDescriptor) {}
void decode_SYSOEPA2(std::uint8_t*, LogoDescriptor) {}
