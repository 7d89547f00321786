#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void OSB2bm(LogoFrame*, LogoDescriptor) {}
void decode_OSB2(LogoFrame*, LogoDescriptor) {}
