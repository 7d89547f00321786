// The format registry (names at the catalogue's edges, the "list" printer, what the Export As
// targets take) and the limits of one load (largest side 8192, 256 MiB of RGB in all, header
// sizes past the limits or the 32-bit range).
#include <gtest/gtest.h>

#include <filesystem>

#include "core/limits.h"
#include "output/export_menu.h"
#include "pipeline/front_end.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

TEST(Registry, NamesAndTheList)
{
    EXPECT_STREQ(format_name(FORMAT_UNKNOWN), "Error! Unknown format.");
    EXPECT_STREQ(format_name(FORMAT_LAST + 1), "Unknown!");
    EXPECT_STREQ(format_name(255), "Unknown!");
    std::string out;
    ASSERT_EQ(run_command(cli_path() + " list", &out), 0);
    EXPECT_EQ(out.rfind("Release 0.16 (Pelbrook) can identify and has support for LOGO formats:\n"
                        "\t\t[01]: Standard EPA\n", 0), 0u);
    EXPECT_NE(out.find("\t\t[07]: SystemSoft EPA\n"), std::string::npos);  // listed, though never detected
    EXPECT_NE(out.find("\t\t[38]: SystemSoft EPA (2)\n"), std::string::npos);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 39) << out;
}

// AWBM16 goes to every target, AWBM256 to AWBM256PLIN alone, others get the warning; no disk use.
TEST(Registry, ExportTargetsTakeTheirSources)
{
    const std::string path = write_temp_file(Bytes(64, 0x11), "export-source.bin");
    HeadlessFrontEnd frontEnd;
    CaptureSink capture;
    frontEnd.sink = &capture;
    set_front_end(&frontEnd);
    for (const ExportTarget& target : EXPORT_TARGETS) {
        for (LogoFormatId source : {FORMAT_AWBM16, FORMAT_AWBM256, FORMAT_PCX8}) {
            LogoDescriptor d;
            d.formatId = source;
            d.formatName = format_name(source);
            capture.out.clear();
            EXPECT_EQ(export_logo(target, d, path), 0);
            bool accepted = source == FORMAT_AWBM16 || (source == FORMAT_AWBM256 && target.id == EXPORT_AWBM256PLIN);
            EXPECT_EQ(capture.out.empty(), accepted) << target.encoderName << " from " << d.formatName;
        }
    }
    set_front_end(nullptr);
    EXPECT_EQ(capture.out, "===>>> WARNING: Encoding from \"PCX (8-bit, RLE)\" Isn't Available\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()), {}), 1);
    EXPECT_EQ(read_file(path), Bytes(64, 0x11));
}

TEST(Limits, RgbBuffersAndTheLoadBudget)
{
    const std::uint32_t M = MAX_PICTURE_SIDE;
    EXPECT_EQ(rgb_buffer_size(M, M), std::size_t{M} * M * 3);
    for (auto [w, h] : {std::pair{0u, 480u}, {M + 1, 1u}, {1u, M + 1}, {0xFFFFFFFFu, 0xFFFFFFFFu}})
        EXPECT_EQ(rgb_buffer_size(w, h), 0u) << w << "x" << h;
    EXPECT_EQ(alloc_zeroed(SIZE_MAX / 2, 3), nullptr);
    SilentSink silent;
    {
        LoadContext load(silent, false);
        // 8192 x 8192 x 3 is 192 MiB: one fits, a second passes the budget, 48 MiB more is within.
        OwnedBytes first = load.alloc_rgb(M, M);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(load.alloc_rgb(M, M), nullptr);
        EXPECT_NE(load.alloc_rgb(4096, 4096), nullptr);
    }
    LoadContext next(silent, false);
    EXPECT_NE(next.alloc_rgb(M, M), nullptr) << "the next load starts afresh";
}

// Each load ends with a picture within the limits, an empty one or a message.
TEST(Limits, HugeHeaderSizesLoadWithinTheLimitsOrAreRefused)
{
    auto patched = [](const char* fixture, std::size_t at, std::uint32_t width, std::uint32_t height, bool wide) {
        ByteBuilder b = ByteBuilder().bytes(read_fixture(fixture));
        return (wide ? b.put_u32(at, width).put_u32(at + 4, height) : b.put_u16(at, width).put_u16(at + 2, height))
            .data();
    };
    const std::pair<Bytes, const char*> cases[] = {  // the file, what the load prints
        {patched("pcx/netpbm-8bit.pcx", 8, 0xFFFF, 0xFFFF, false), ""},  // xmax, ymax
        {patched("bmp/magick-8bit.bmp", 18, 0x10001, 0x10001, true), ""},  // width x height x 3 past 32 bits
        {patched("phoenix/pg-standard.pg", 10, 0xFFFF, 0xFFFF, false), ""},
        // Own-table PG with 3 entries: detection takes the size at 24 (8 x 1), the decoder the one at 76.
        {ByteBuilder().text("PG").u8(0).u8(1).pad_to(10).u16(3).put_u16(24, 8).put_u16(26, 1).put_u32(76, 0xFFFFFFFF)
             .data(),
         "decode_PGBM() img buffer allocation error\n"},
        {ByteBuilder().text("AWBM").u16(0xFFF1).u16(0xFFFF).text("RGB").u8(1).fill(772, 7).u8(0).u8(33).data(), ""},
        {ByteBuilder().text("TM").pad_to(18).u16(0xFFFF).pad_to(22).u16(0xFFFF).pad_to(120, 0x11).data(), ""},
        {ByteBuilder().fill(64).text("IMG").u8(0).u16(0xFFF8).u16(0xFFFF).fill(64).data(),
         "decode_ASUSv3bm() : No memory allocated for Image\n"},
        // SCRN: the frame past the limits stays empty, the next one is decoded.
        {ByteBuilder().text("SCRN").u16(40).u16(0x20).pad_to(0x20).u8(2).u8(0).u16(0x30).u8(0).u16(0x40).pad_to(0x34)
             .u8(8).u16(60000).u16(60000).pad_to(0x44).u8(8).u16(1).u16(1).pad_to(0x54).data(),
         "No memory allocated for Image\n"},
    };
    for (const auto& [file, printed] : cases) {
        SCOPED_TRACE(testing::Message() << "a file of " << file.size() << " bytes");
        LoadResult r = load_bytes(file);
        EXPECT_EQ(r.loaded, 1);
        EXPECT_EQ(r.stdoutText, printed);
        EXPECT_EQ(r.image.size(), r.image.empty() ? 0 : rgb_buffer_size(r.descriptor.width, r.descriptor.height));
        for (const LoadResult::Frame& frame : r.frames)
            EXPECT_EQ(frame.pixels.size(), rgb_buffer_size(frame.width, frame.height));
    }
}

// The viewer's lines reach the terminal escaped, like the command's: a name from a file
// cannot drive the terminal nor start a line; valid UTF-8 stays as it is, and so does the
// line end that closes a message.
TEST(Messages, ViewerLinesAreEscaped)
{
    StdioSink sink;
    const std::pair<std::string, std::string> rows[] = {
        {"===>>> LOGO: FileIO for \"a\x1b[2J\nb\xff\x7f.bin\" Opened\n",
         "===>>> LOGO: FileIO for \"a\\x1b[2J\\x0ab\\xff\\x7f.bin\" Opened\n"},
        {"caf\xC3\xA9 \xE2\x82\n", "caf\xC3\xA9 \\xe2\\x82\n"},
        {"no line end\r", "no line end\\x0d"},
    };
    for (const auto& [text, shown] : rows) {
        testing::internal::CaptureStdout();
        sink.notice_line(text);
        sink.trace_line(text);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), shown + shown);
        testing::internal::CaptureStderr();
        sink.kernel_line(text);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), shown);
    }
}
