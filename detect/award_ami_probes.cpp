#include "detect/probe_context.h"

// TODO: probes of this family are not written yet.
bool probe_awbm_with_trailer(DetectContext&, LogoDescriptor&) { return false; }
bool probe_awbm_compressed(DetectContext&, LogoDescriptor&) { return false; }
bool probe_ami_gle(DetectContext&, LogoDescriptor&) { return false; }
bool probe_epa(DetectContext&, LogoDescriptor&) { return false; }
bool probe_systemsoft_raw(DetectContext&, LogoDescriptor&) { return false; }
bool probe_trigem(DetectContext&, LogoDescriptor&) { return false; }
