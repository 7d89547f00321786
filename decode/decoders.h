// Every decoder of the Decode Module, in its call shape. A decoder reads the stream of its
// descriptor copy, positions it itself, writes only inside the buffers it is handed or
// allocates through the load (frame pixels: LoadContext::alloc_frame_pixels), reaches
// the load's messages through the load, and returns nothing. Pixel rows are read until the stream ends: the row in
// which the data runs out is completed from zero bytes, and the rows after it stay black.
// Decoders that draw from a whole zero-filled buffer (the unpacked runs of compressed
// AWBM and TriGem, the planes of PG and GRFXLOGO) show the rows the data did not reach in
// the colour of index 0, as drawing that buffer would, without decoding them.
#pragma once

#include <cstdint>

#include "core/load_context.h"
#include "core/logo.h"

// Award EPA family.
void decode_EPA(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, LogoDescriptor d, LoadContext& load);
void AWBM16bm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void AWBM256bm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void AWBMV2bm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void AWBM256V2bm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);

// PCX, BMP and JPEG.
void PCX4RLEbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void AMIGFXbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void PCX8RLEbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void BIOGFXbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void SYSOFXbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void QDIBMPbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void BMP8i(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void decode_JPEG(std::uint8_t* image, LogoDescriptor d, LoadContext& load);

// Phoenix, Intel, AMI, SystemSoft, TriGem and Dell pictures.
void decode_PGBM(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void decode_GRFX(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void decode_GRFXLOGO(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void decode_GLE(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, LogoDescriptor d, LoadContext& load);
void decode_TEXTLOGO(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, LogoDescriptor d, LoadContext& load);
void decode_ICON(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void TMGFXbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void decode_DELL2(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void decode_SYSOEPA2(std::uint8_t* image, LogoDescriptor d, LoadContext& load);

// Composite containers.
void decode_SCRN(LogoFrame* frames, LogoDescriptor d, LoadContext& load);
void decode_SCN(LogoFrame* frames, LogoDescriptor d, LoadContext& load);
void decode_SCN2(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
void OSB2bm(LogoFrame* frames, LogoDescriptor d, LoadContext& load);
void decode_OSB2(LogoFrame* frames, LogoDescriptor d, LoadContext& load);

// ASUS composite and dynamic logos.
void decode_ASUSbm(LogoFrame* frames, LogoDescriptor d, LoadContext& load);
void decode_ASUSV2bm(LogoFrame* frames, LogoDescriptor d, LoadContext& load);
void decode_ASUSOSB640(LogoFrame* frames, LogoDescriptor d, LoadContext& load);
void decode_ASUSv3bm(LogoFrame* frames, LogoDescriptor d, LoadContext& load);
void decode_ASUSLOGObm(LogoFrame* frames, LogoDescriptor d, LoadContext& load);
void decode_ASUS2v2bm(LogoFrame* frames, LogoDescriptor d, LoadContext& load);
