#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void AWBM16bm(std::uint8_t*, LogoDescriptor) {}
void AWBM256bm(std::uint8_t*, LogoDescriptor) {}
void AWBMV2bm(std::uint8_t*, LogoDescriptor) {}
void AWBM256V2bm(std::uint8_t*, LogoDescriptor) {}
