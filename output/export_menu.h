// I/O > Export As: the firmware logo formats a loaded logo could be converted into. Each
// target accepts a few source formats and warns about any other; no file is written.
#pragma once

#include <string>

#include "core/logo.h"

enum ExportTargetId {
    EXPORT_AWBM16,
    EXPORT_AWBM256,
    EXPORT_AWBM16PLIN,
    EXPORT_AWBM256PLIN,
    EXPORT_GRFX,
    EXPORT_COMPRESSED_GRFX,
    EXPORT_PG,
    EXPORT_COMPRESSED_PG,
    EXPORT_TARGET_COUNT
};

constexpr unsigned MAX_ACCEPTED_SOURCES = 4;

struct ExportTarget {
    const char* encoderName;
    LogoFormatId accepted[MAX_ACCEPTED_SOURCES];  // source identifiers, 0 ends the list
};

extern const ExportTarget EXPORT_TARGETS[EXPORT_TARGET_COUNT];

bool export_accepts(const ExportTarget& target, LogoFormatId source);

// The target's encoder: returns 0 after accepting the source silently or printing the
// warning line for a source it cannot take. The source file is left alone.
int export_logo(const ExportTarget& target, LogoDescriptor d, const std::string& sourceFile);
