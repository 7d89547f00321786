// Export As: which source formats each target takes, the warning for the others, and that
// no entry touches the disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/catalogue.h"
#include "output/export_menu.h"

#include "support/fixtures.h"

namespace {

constexpr LogoFormatId AWBM16_EPA = 3;
constexpr LogoFormatId PHOENIX_PG = 6;
constexpr LogoFormatId INTEL_GRFX = 8;
constexpr LogoFormatId AWBM256_EPA = 9;

bool accepted_by(ExportTargetId target, LogoFormatId source)
{
    if (source == AWBM16_EPA || source == PHOENIX_PG || source == INTEL_GRFX)
        return true;
    return source == AWBM256_EPA && target == EXPORT_AWBM256PLIN;
}

TEST(ExportMenu, EveryTargetAgainstEveryIdentifier)
{
    const std::string path = write_temp_file(Bytes(64, 0x11), "export-source.bin");
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    for (unsigned t = 0; t < EXPORT_TARGET_COUNT; ++t) {
        auto target = static_cast<ExportTargetId>(t);
        for (unsigned id = 0; id <= FORMAT_LAST + 1; ++id) {
            LogoDescriptor d;
            d.formatId = static_cast<LogoFormatId>(id);
            d.formatName = format_name(d.formatId);
            testing::internal::CaptureStdout();
            EXPECT_EQ(export_logo(EXPORT_TARGETS[target], d, path), 0);
            std::string expected = accepted_by(target, d.formatId) ? ""
                                   : std::string("===>>> WARNING: Encoding from \"") + d.formatName +
                                         "\" Isn't Available\n";
            EXPECT_EQ(testing::internal::GetCapturedStdout(), expected)
                << EXPORT_TARGETS[t].encoderName << " from " << id;
        }
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    EXPECT_EQ(std::filesystem::file_size(path), 64u);
}

}  // namespace
