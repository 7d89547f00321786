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

std::string export_output(ExportTargetId target, LogoFormatId source, const std::string& file)
{
    LogoDescriptor d;
    d.formatId = source;
    d.formatName = format_name(source);
    testing::internal::CaptureStdout();
    EXPECT_EQ(export_logo(EXPORT_TARGETS[target], d, file), 0);
    return testing::internal::GetCapturedStdout();
}

bool accepted_by(ExportTargetId target, LogoFormatId source)
{
    if (source == AWBM16_EPA || source == PHOENIX_PG || source == INTEL_GRFX)
        return true;
    return source == AWBM256_EPA && target == EXPORT_AWBM256PLIN;
}

TEST(ExportMenu, EveryTargetAgainstEveryIdentifier)
{
    for (unsigned t = 0; t < EXPORT_TARGET_COUNT; ++t) {
        auto target = static_cast<ExportTargetId>(t);
        for (unsigned id = 0; id <= FORMAT_LAST + 1; ++id) {
            auto source = static_cast<LogoFormatId>(id);
            std::string expected = accepted_by(target, source)
                                       ? ""
                                       : std::string("===>>> WARNING: Encoding from \"") + format_name(source) +
                                             "\" Isn't Available\n";
            EXPECT_EQ(export_output(target, source, "logo.bin"), expected)
                << EXPORT_TARGETS[t].encoderName << " from " << id;
        }
    }
}

TEST(ExportMenu, AsusDynamicLogoWarningText)
{
    EXPECT_EQ(export_output(EXPORT_AWBM16, 15, "x.bin"),
              "===>>> WARNING: Encoding from \"ASUS Dynamic LOGO\" Isn't Available\n");
}

TEST(ExportMenu, WritesNothing)
{
    std::string path = write_temp_file(Bytes(64, 0x11), "export-source.bin");
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    auto count = [&] { return std::distance(std::filesystem::directory_iterator(folder), {}); };
    auto before = count();
    for (unsigned t = 0; t < EXPORT_TARGET_COUNT; ++t) {
        export_output(static_cast<ExportTargetId>(t), PHOENIX_PG, path);
        export_output(static_cast<ExportTargetId>(t), 15, path);
    }
    EXPECT_EQ(count(), before);
    EXPECT_EQ(std::filesystem::file_size(path), 64u);
}

}  // namespace
