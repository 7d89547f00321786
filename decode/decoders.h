// Every decoder of the Decode Module, in its call shape. A decoder reads the stream of its
// descriptor copy, positions it itself, writes only inside the buffers it is handed or
// allocates, and returns nothing. Pixel rows are read until the stream ends: the row in
// which the data runs out is completed from zero bytes, and the rows after it stay black.
#pragma once

#include <cstdint>

#include "core/logo.h"

// Award EPA family.
void decode_EPA(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, LogoDescriptor d);
void AWBM16bm(std::uint8_t* image, LogoDescriptor d);
void AWBM256bm(std::uint8_t* image, LogoDescriptor d);
void AWBMV2bm(std::uint8_t* image, LogoDescriptor d);
void AWBM256V2bm(std::uint8_t* image, LogoDescriptor d);

// PCX, BMP and JPEG.
void PCX4RLEbm(std::uint8_t* image, LogoDescriptor d);
void AMIGFXbm(std::uint8_t* image, LogoDescriptor d);
void PCX8RLEbm(std::uint8_t* image, LogoDescriptor d);
void BIOGFXbm(std::uint8_t* image, LogoDescriptor d);
void SYSOFXbm(std::uint8_t* image, LogoDescriptor d);
void QDIBMPbm(std::uint8_t* image, LogoDescriptor d);
void BMP8i(std::uint8_t* image, LogoDescriptor d);
void decode_JPEG(std::uint8_t* image, LogoDescriptor d);

// Phoenix, Intel, AMI, SystemSoft, TriGem and Dell pictures.
void decode_PGBM(std::uint8_t* image, LogoDescriptor d);
void decode_GRFX(std::uint8_t* image, LogoDescriptor d);
void decode_GRFXLOGO(std::uint8_t* image, LogoDescriptor d);
void decode_GLE(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, LogoDescriptor d);
void decode_TEXTLOGO(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, LogoDescriptor d);
void decode_ICON(std::uint8_t* image, LogoDescriptor d);
void TMGFXbm(std::uint8_t* image, LogoDescriptor d);
void decode_DELL2(std::uint8_t* image, LogoDescriptor d);
void decode_SYSOEPA2(std::uint8_t* image, LogoDescriptor d);

// Composite containers.
void decode_SCRN(LogoFrame* frames, LogoDescriptor d);
void decode_SCN(LogoFrame* frames, LogoDescriptor d);
void decode_SCN2(std::uint8_t* image, LogoDescriptor d);
void OSB2bm(LogoFrame* frames, LogoDescriptor d);
void decode_OSB2(LogoFrame* frames, LogoDescriptor d);

// ASUS composite and dynamic logos.
void decode_ASUSbm(LogoFrame* frames, LogoDescriptor d);
void decode_ASUSV2bm(LogoFrame* frames, LogoDescriptor d);
void decode_ASUSOSB640(LogoFrame* frames, LogoDescriptor d);
void decode_ASUSv3bm(LogoFrame* frames, LogoDescriptor d);
void decode_ASUSLOGObm(LogoFrame* frames, LogoDescriptor d);
void decode_ASUS2v2bm(LogoFrame* frames, LogoDescriptor d);

// Multi-frame decoders allocate each frame's pixels through this: it sets the frame's
// size and a zero-filled buffer within the load's limits, or leaves pixels null.
bool alloc_frame_pixels(LogoFrame& frame, std::uint16_t width, std::uint16_t height);
