// The one ordered probe chain of detection. The format registry checks against it that
// every format's probe is in the chain.
#pragma once

#include "detect/probe_context.h"

// The probe chain. The order is the tie-break between formats whose tests overlap:
// - the AWBM probe with its palette trailer declines for compressed AWBM files, which
//   the next probe always claims;
// - the Intel probes (TEXTLOGO .. compressed GRFX) look at 0x80 and 0xA0 before the
//   short signatures of the ASUS and ROM probes can claim such files;
// - files starting 00 00 go to Dell (2) for byte 2 of 03/04, to ASUS (3) for 00, and
//   only otherwise to the QDI bitmap test;
// - "ASUS2" is tested before "ASUS", which it contains;
// - 0A 05 01 08 is 8-bit PCX before the 4-bit test; BioStar sees only byte 2 != 01;
// - FF D8 is claimed by JPEG (or left unknown) before any later probe sees it;
// - the two size rules run after every signature probe but ICON, SCRN and TM;
// - an AWBM file that is exactly its header and a 16-colour picture, with no "RGB " tag
//   at 8 where every compressed one keeps its palette, is an AWBM16 without a palette:
//   tested after the trailer test and before the compressed probe, which takes every
//   other AWBM file;
// - two tests run inside a probe, only where it found nothing: the PG probe reads a size
//   sub-header when the size at 10 and 12 is 0 (after its own-palette branch), and the
//   ASUS Dynamic LOGO probe hands a "LOGO" file without a "SUSA" record to the bare
//   TEXTLOGO block test;
// - the last two tests have no signature: they see only files no signature or size
//   rule took. A BMP whose "BM" was overwritten goes first: its header is checked field
//   by field, where the 70-byte Award mini logo is only a size and five zero bytes, so
//   a 70-byte file that passes the BMP test is a BMP.
inline constexpr Probe PROBE_ORDER[] = {
    probe_awbm_with_trailer,      // 1: 3 or 9
    probe_awbm_without_palette,   // 1b: 3, no palette
    probe_awbm_compressed,        // 2: 28 or 22
    probe_phoenix_pg,             // 3: 6
    probe_intel_grfx,             // 4: 8
    probe_ami_gle,                // 5: 10
    probe_intel_textlogo,         // 6: 11
    probe_intel_grfxlogo,         // 7: 30
    probe_intel_compressed_pg,    // 8: 31
    probe_intel_compressed_grfx,  // 9: 34
    probe_dell_nvram,             // 10: 35
    probe_dell_v2,                // 11: 37
    probe_asus2,                  // 12: 14 or 18
    probe_asus_4osb_v2,           // 13: 33
    probe_asus_dynamic_v3,        // 14: 19
    probe_asus_dynamic_logo,      // 15: 15
    probe_asus_osb640,            // 16: 17
    probe_ami_option_rom_pcx,     // 17: 16
    probe_systemsoft_rom_pcx,     // 18: 20
    probe_pcx8,                   // 19: 27
    probe_pcx4,                   // 20: 25
    probe_biostar_pcx,            // 21: 5
    probe_qdi_bmp,                // 22: 4
    probe_plain_bmp,              // 23: 32
    probe_jpeg,                   // 24: 24
    probe_phoenix_scn,            // 25: 29 or 26
    probe_osb_bmp,                // 26: 36
    probe_osb,                    // 27: 23
    probe_systemsoft_raw,         // 28: 38
    probe_epa,                    // 29: 1 or 2
    probe_phoenix_icon,           // 30: 12
    probe_phoenix_scrn,           // 31: 13
    probe_trigem,                 // 32: 21
    probe_headerless_bmp,         // 33: 32, signature overwritten
    probe_award_mini_logo,        // 34: 2, the 70-byte mini logo
};
