#include "detect/probe_context.h"

// TODO: probes of this family are not written yet.
bool probe_jpeg(DetectContext&, LogoDescriptor&) { return false; }
