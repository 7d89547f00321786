#include "detect/probe_context.h"

// TODO: probes of this family are not written yet.
bool probe_phoenix_scn(DetectContext&, LogoDescriptor&) { return false; }
bool probe_osb_bmp(DetectContext&, LogoDescriptor&) { return false; }
bool probe_osb(DetectContext&, LogoDescriptor&) { return false; }
bool probe_phoenix_scrn(DetectContext&, LogoDescriptor&) { return false; }
