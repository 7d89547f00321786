#include "detect/probe_context.h"

// TODO: probes of this family are not written yet.
bool probe_ami_option_rom_pcx(DetectContext&, LogoDescriptor&) { return false; }
bool probe_systemsoft_rom_pcx(DetectContext&, LogoDescriptor&) { return false; }
bool probe_pcx8(DetectContext&, LogoDescriptor&) { return false; }
bool probe_pcx4(DetectContext&, LogoDescriptor&) { return false; }
bool probe_biostar_pcx(DetectContext&, LogoDescriptor&) { return false; }
bool probe_qdi_bmp(DetectContext&, LogoDescriptor&) { return false; }
bool probe_plain_bmp(DetectContext&, LogoDescriptor&) { return false; }
