#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void QDIBMPbm(std::uint8_t*, LogoDescriptor) {}
void BMP8i(std::uint8_t*, LogoDescriptor) {}
