// I/O > Export As: the firmware logo formats a loaded logo can be written in. Each target
// accepts a few source formats: for those it writes the file (as `zarpo2-cli convert`
// does), any other gets the warning line.
#pragma once

#include <string>

#include "core/logo.h"
#include "encode/encode_logo.h"
#include "pipeline/format_registry.h"

// A menu entry's encoder; the formats it takes are a column of the format registry.
struct ExportTarget {
    ExportTargetId id;
    const char* encoderName;
    EncodeTarget encodeTarget;
};

extern const ExportTarget EXPORT_TARGETS[EXPORT_TARGET_COUNT];

bool export_accepts(const ExportTarget& target, LogoFormatId source);

// The target's check of the source: empty when it accepts the source; otherwise the
// warning line, which it has printed ("===>>> WARNING: Encoding from "NAME" Isn't
// Available", without the line end).
std::string export_warning(const ExportTarget& target, LogoDescriptor d);

// The file name an accepting target proposes: beside the loaded file, with the target's
// extension.
std::string export_proposed_name(const ExportTarget& target);

// Writes the loaded logo to path in the target's format; false, with why (a refusal that
// says what to change, or the system's reason), when nothing was written. Never writes
// over the loaded file.
bool export_to_file(const ExportTarget& target, const std::string& path, std::string& why);
