#include "detect/probe_context.h"

// TODO: probes of this family are not written yet.
bool probe_asus2(DetectContext&, LogoDescriptor&) { return false; }
bool probe_asus_4osb_v2(DetectContext&, LogoDescriptor&) { return false; }
bool probe_asus_dynamic_v3(DetectContext&, LogoDescriptor&) { return false; }
bool probe_asus_dynamic_logo(DetectContext&, LogoDescriptor&) { return false; }
bool probe_asus_osb640(DetectContext&, LogoDescriptor&) { return false; }
