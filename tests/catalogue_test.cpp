// The format catalogue and the -list printer.
#include <gtest/gtest.h>

#include "pipeline/format_registry.h"
#include "support/fixtures.h"

TEST(Catalogue, NamesAtTheEdges)
{
    EXPECT_STREQ(format_name(0), "Error! Unknown format.");
    EXPECT_STREQ(format_name(1), "Standard EPA");
    EXPECT_STREQ(format_name(7), "SystemSoft EPA");
    EXPECT_STREQ(format_name(38), "SystemSoft EPA (2)");
    EXPECT_STREQ(format_name(39), "Unknown!");
    EXPECT_STREQ(format_name(255), "Unknown!");
}

TEST(Catalogue, CliListPrintsReleaseLineAnd38Entries)
{
    std::string out;
    ASSERT_EQ(run_command(cli_path() + " list", &out), 0);
    std::string expected = "Release 0.16 (Pelbrook) can identify and has support for LOGO formats:\n";
    ASSERT_EQ(out.compare(0, expected.size(), expected), 0);
    EXPECT_NE(out.find("\t\t[01]: Standard EPA\n"), std::string::npos);
    EXPECT_NE(out.find("\t\t[07]: SystemSoft EPA\n"), std::string::npos);
    EXPECT_NE(out.find("\t\t[38]: SystemSoft EPA (2)\n"), std::string::npos);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 39);
}
