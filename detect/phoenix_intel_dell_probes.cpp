#include "detect/probe_context.h"

// TODO: probes of this family are not written yet.
bool probe_phoenix_pg(DetectContext&, LogoDescriptor&) { return false; }
bool probe_intel_grfx(DetectContext&, LogoDescriptor&) { return false; }
bool probe_intel_textlogo(DetectContext&, LogoDescriptor&) { return false; }
bool probe_dell_v2(DetectContext&, LogoDescriptor&) { return false; }
bool probe_phoenix_icon(DetectContext&, LogoDescriptor&) { return false; }
