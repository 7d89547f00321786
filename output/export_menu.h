// I/O > Export As: the firmware logo formats a loaded logo could be converted into. Each
// target accepts a few source formats and warns about any other; no file is written.
#pragma once

#include <string>

#include "core/logo.h"
#include "pipeline/format_registry.h"

// A menu entry's encoder; the formats it takes are a column of the format registry.
struct ExportTarget {
    ExportTargetId id;
    const char* encoderName;
};

extern const ExportTarget EXPORT_TARGETS[EXPORT_TARGET_COUNT];

bool export_accepts(const ExportTarget& target, LogoFormatId source);

// The target's encoder: returns 0 after accepting the source silently or printing the
// warning line for a source it cannot take. The source file is left alone.
int export_logo(const ExportTarget& target, LogoDescriptor d, const std::string& sourceFile);
