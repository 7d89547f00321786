#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void PCX4RLEbm(std::uint8_t*, LogoDescriptor) {}
void AMIGFXbm(std::uint8_t*, LogoDescriptor) {}
void PCX8RLEbm(std::uint8_t*, LogoDescriptor) {}
void BIOGFXbm(std::uint8_t*, LogoDescriptor) {}
void SYSOFXbm(std::uint8_t*, LogoDescriptor) {}
