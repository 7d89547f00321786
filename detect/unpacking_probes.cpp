#include "detect/probe_context.h"

// TODO: probes of this family are not written yet.
bool probe_intel_grfxlogo(DetectContext&, LogoDescriptor&) { return false; }
bool probe_intel_compressed_pg(DetectContext&, LogoDescriptor&) { return false; }
bool probe_intel_compressed_grfx(DetectContext&, LogoDescriptor&) { return false; }
bool probe_dell_nvram(DetectContext&, LogoDescriptor&) { return false; }
