#include "decode/decoders.h"

// TODO: decoders of this family are not written yet.
void decode_ASUSbm(LogoFrame*, LogoDescriptor) {}
void decode_ASUSV2bm(LogoFrame*, LogoDescriptor) {}
void decode_ASUSOSB640(LogoFrame*, LogoDescriptor) {}
void decode_ASUSv3bm(LogoFrame*, LogoDescriptor) {}
void decode_ASUSLOGObm(LogoFrame*, LogoDescriptor) {}
void decode_ASUS2v2bm(LogoFrame*, LogoDescriptor) {}
