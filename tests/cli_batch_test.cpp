// zarpo2-cli as scripts use it over many files: output names that one run never reuses,
// special files refused without a hang, a write past the file-size limit, exit statuses
// and messages, standard output kept to data, and JSON records for any file name.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "output/save_png.h"
#include "support/fixtures.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out, err;
};

// Runs zarpo2-cli with the arguments (shell words) in dir; a hang ends after 20 s with
// status 124. shellBefore runs first in the same shell (ulimit, ...).
CliRun cli(const std::string& dir, const std::string& args, const std::string& shellBefore = "")
{
    static int runs = 0;
    const std::string errFile = test_temp_dir() + "/cli-err-" + std::to_string(++runs);
    CliRun r;
    r.status = run_command("cd '" + dir + "' && " + shellBefore + " timeout 20 " + cli_path() + " " + args + " 2>'" +
                               errFile + "'",
                           &r.out);
    Bytes err = read_file(errFile);
    r.err.assign(err.begin(), err.end());
    fs::remove(errFile);
    return r;
}

std::string fresh_dir()
{
    static int dirs = 0;
    std::string dir = test_temp_dir() + "/batch-" + std::to_string(++dirs);
    fs::create_directories(dir);
    return dir;
}

void put(const std::string& path, const Bytes& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::set<std::string> files_in(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (!entry.is_directory())
            names.insert(fs::relative(entry.path(), dir).string());
    return names;
}

// Width from a PNG's IHDR; 0 when the file is no PNG.
unsigned png_width(const std::string& path)
{
    Bytes b = read_file(path);
    return b.size() < 24 || b[1] != 'P' ? 0 : b[16] << 24 | b[17] << 16 | b[18] << 8 | b[19];
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

const Bytes PCX_37x23 = read_fixture("pcx/netpbm-8bit.pcx");
const Bytes BMP_40x23 = read_fixture("bmp/magick-8bit.bmp");
const Bytes OSB_2_FRAMES = read_fixture("containers/osb-pcx.bin");  // frames 24 x 16 and smaller

}  // namespace

// ---- Names ----

// Inputs whose PNG names collide within one run: the later one takes its leaf with only the
// last extension replaced; when that is taken too it is refused with both inputs named; no
// input and no PNG of another input is replaced; the same input twice is saved twice.
// Afterwards there are only the inputs and the PNGs, each PNG of its width; every other
// file keeps the bytes it had.
TEST(CliNames, OneRunNeverReplacesItsInputsOrItsOwnPngs)
{
    struct Case {
        std::vector<std::pair<std::string, Bytes>> inputs;
        std::string args;
        std::map<std::string, unsigned> pngs;  // name, width
        std::string refused = "";              // part of standard error; the run fails
    };
    const Case cases[] = {
        {{{"a/logo.v1.bin", PCX_37x23}, {"a/logo.v2.bin", BMP_40x23}},
         "png a/logo.v1.bin a/logo.v2.bin",
         {{"a/logo.png", 37}, {"a/logo.v2.png", 40}}},
        {{{"d/logo.bin", PCX_37x23}, {"d/logo.png", BMP_40x23}},
         "png d/logo.bin d/logo.png",
         {},
         "d/logo.bin: no PNG written: d/logo.png would replace the input d/logo.png"},
        {{{"x/a.bin", PCX_37x23}, {"y/a.bin", BMP_40x23}, {"o/.keep", {}}},
         "png --out-dir o x/a.bin y/a.bin",
         {{"o/a.png", 37}},
         "y/a.bin: no PNG written: o/a.png was written for x/a.bin"},
        {{{"x.bin", OSB_2_FRAMES}, {"x-(Frame00).bin", PCX_37x23}},
         "png x.bin 'x-(Frame00).bin'",
         {{"x-(Frame00).png", 24}, {"x-(Frame01).png", 22}},
         "x-(Frame00).bin: no PNG written: x-(Frame00).png was written for x.bin"},
        {{{"s.bin", PCX_37x23}}, "png s.bin s.bin", {{"s.png", 37}}},
        // A PNG from before the run is no input: it is replaced.
        {{{"p.bin", PCX_37x23}, {"p.png", {'o', 'l', 'd'}}}, "png p.bin", {{"p.png", 37}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string dir = fresh_dir();
        std::set<std::string> files;
        for (const auto& [name, bytes] : c.inputs) {
            put(dir + "/" + name, bytes);
            files.insert(name);
        }
        const CliRun r = cli(dir, c.args);
        EXPECT_EQ(r.status, c.refused.empty() ? 0 : 1) << r.err;
        EXPECT_TRUE(has(r.err, c.refused)) << r.err;
        for (const auto& [png, width] : c.pngs) {
            EXPECT_EQ(png_width(dir + "/" + png), width) << png;
            files.insert(png);
        }
        EXPECT_EQ(files_in(dir), files);
        for (const auto& [name, bytes] : c.inputs)
            EXPECT_TRUE(c.pngs.count(name) || read_file(dir + "/" + name) == bytes) << name << " was written over";
    }
}

// The second name a logo may get: its leaf with only the last extension replaced; dots of
// the folders and those opening the leaf are no extension.
TEST(CliNames, FallbackBaseDropsOnlyTheLastExtension)
{
    const struct {
        const char* input;
        const char* outDir;
        const char* firstDot;
        const char* lastDot;
    } cases[] = {
        {"a/logo.v2.bin", "", "a/logo", "a/logo.v2"}, {"a/logo.bin", "", "a/logo", "a/logo"},
        {"a.b/LOGO", "", "a.b/LOGO", "a.b/LOGO"},     {"a/.hidden", "", "a/.hidden", "a/.hidden"},
        {"a/.hid.v1.bin", "", "a/.hid", "a/.hid.v1"}, {"x/logo.v1.bin", "out/", "out/logo", "out/logo.v1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(png_output_base(c.input, c.outDir, PngNameRule::firstDot), c.firstDot);
        EXPECT_EQ(png_output_base(c.input, c.outDir, PngNameRule::lastDot), c.lastDot);
    }
    EXPECT_EQ(png_output_names("b", 2), (std::vector<std::string>{"b-(Frame00).png", "b-(Frame01).png"}));
}

// ---- Special files ----

// A folder, a FIFO without a writer and a missing file are refused at once with their
// names; the files after them are still done. --palette naming a FIFO does not hang either.
TEST(CliSpecialFiles, FoldersAndFifosAreRefusedAndTheBatchGoesOn)
{
    const std::string dir = fresh_dir();
    put(dir + "/good.pcx", PCX_37x23);
    put(dir + "/icon.icn", read_fixture("phoenix/icon4.icn"));
    fs::create_directory(dir + "/folder");
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);

    CliRun identify = cli(dir, "identify folder fifo missing.bin good.pcx");
    EXPECT_EQ(identify.status, 1);
    EXPECT_EQ(identify.out, "good.pcx: [27] PCX (8-bit, RLE), 37x23, 1743 bytes, 0 frame(s), 256 colours\n");
    EXPECT_TRUE(has(identify.err, "zarpo2-cli: folder: not a regular file")) << identify.err;
    EXPECT_TRUE(has(identify.err, "zarpo2-cli: fifo: not a regular file")) << identify.err;
    EXPECT_TRUE(has(identify.err, "zarpo2-cli: missing.bin: cannot open: ")) << identify.err;

    CliRun png = cli(dir, "png fifo folder good.pcx");
    EXPECT_EQ(png.status, 1);
    EXPECT_EQ(png.out, "good.png\n");

    CliRun palette = cli(dir, "png --palette fifo icon.icn");
    EXPECT_EQ(palette.status, 1);
    EXPECT_TRUE(has(palette.err, "zarpo2-cli: icon.icn: palette fifo: not a regular file")) << palette.err;
}

// ---- Signals ----

// Under a file-size limit a large PNG fails with "File too large" instead of the signal
// ending the run: its temporary file is gone and the next input is written.
TEST(CliSignals, FileSizeLimitFailsOneWriteNotTheRun)
{
    const std::string dir = fresh_dir();
    // 200 x 200 of noise in 8-bit BMP: a PNG far above 20 KiB.
    ByteBuilder bmp;
    bmp.text("BM").u32(54 + 1024 + 200 * 200).u32(0).u32(54 + 1024).u32(40).u32(200).u32(200).u16(1).u16(8).pad_to(54);
    for (unsigned i = 0; i < 256; ++i)
        bmp.u8(i).u8(255 - i).u8(i * 7).u8(0);
    std::uint32_t seed = 1;
    for (unsigned i = 0; i < 200 * 200; ++i) {
        seed = seed * 1103515245u + 12345u;
        bmp.u8(seed >> 24);
    }
    put(dir + "/big.bmp", bmp.data());
    put(dir + "/small.pcx", PCX_37x23);
    CliRun r = cli(dir, "png big.bmp small.pcx", "ulimit -f 20;");  // 20 KiB
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "small.png\n");
    EXPECT_TRUE(has(r.err, "zarpo2-cli: big.bmp: Cannot write big.png: File too large")) << r.err;
    EXPECT_EQ(files_in(dir), (std::set<std::string>{"big.bmp", "small.pcx", "small.png"}));
}

// ---- Exit status and messages ----

// Inputs that give no PNG fail the run: a logo whose every frame is empty, an unknown format.
TEST(CliExitStatus, InputsThatGiveNoPngFail)
{
    const std::string dir = fresh_dir();
    // An SCN envelope of 2 pictures whose heads (at 16 and 24) are all zero: 0 x 0 frames.
    put(dir + "/e.bin",
        ByteBuilder().text("SCN").put_u32(4, 42).put_u8(9, 2).pad_to(32).u8(0).u32(16).u8(0).u32(24).data());
    put(dir + "/u.bin", Bytes(64, 0x5A));
    const std::pair<const char*, const char*> cases[] = {
        {"e.bin", "zarpo2-cli: e.bin: Nothing to write for e-(Frame00).png: the picture is empty (0x0)"},
        {"u.bin", "zarpo2-cli: u.bin: LOGO type is unknown"},
    };
    for (const auto& [name, message] : cases) {
        CliRun r = cli(dir, std::string("png ") + name);
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_TRUE(has(r.err, message)) << r.err;
    }
}

// A --palette that cannot be used fails each ICON it is given to (its PNG is still written),
// named on standard error next to the palette line the viewer prints.
TEST(CliExitStatus, AnUnusablePaletteFailsTheIcon)
{
    const std::string dir = fresh_dir();
    put(dir + "/i.icn", read_fixture("phoenix/icon4.icn"));
    Bytes highValue = read_fixture("phoenix/icon4.icn.pal");
    put(dir + "/fit.pal", highValue);
    highValue[16 + 5] = 64;
    put(dir + "/high.pal", highValue);
    put(dir + "/empty.pal", {});
    put(dir + "/short.pal", Bytes(100, 1));
    const std::pair<const char*, const char*> cases[] = {
        {"fit.pal", nullptr},
        {"none.pal", "i.icn: palette none.pal: cannot open: No such file"},
        {"empty.pal", "i.icn: palette empty.pal: empty"},
        {"short.pal", "i.icn: palette short.pal: 100 bytes, shorter than"},
        {"high.pal", "i.icn: palette high.pal: entry 1 holds 64"},
    };
    for (const auto& [palette, message] : cases) {
        CliRun r = cli(dir, std::string("png --palette ") + palette + " i.icn");
        EXPECT_EQ(r.status, message ? 1 : 0) << palette;
        EXPECT_EQ(r.out, "i.png\n") << palette;
        EXPECT_TRUE(!message || has(r.err, message)) << r.err;
        // A palette file that cannot be opened also gives the viewer's failure line.
        EXPECT_EQ(has(r.err, "i.icn: ===>>> PALETTE: FATAL Error in read_Palette();"), palette[0] == 'n') << r.err;
    }
}

// Standard output carries only data: trace lines and decoder messages go to standard error,
// every message with the input's name. "--" ends the options. A failed write to standard
// output is an error.
TEST(CliExitStatus, StandardOutputCarriesOnlyDataAndItsFailureCounts)
{
    const std::string dir = fresh_dir();
    put(dir + "/a.pcx", PCX_37x23);
    put(dir + "/-x.pcx", PCX_37x23);
    // A PCX header of 9000 x 10: beyond the limits, so the picture gets no buffer.
    put(dir + "/wide.pcx", ByteBuilder().bytes(PCX_37x23).put_u16(8, 8999).put_u16(10, 9).put_u16(66, 9000).data());

    CliRun verbose = cli(dir, "png --verbose a.pcx");
    EXPECT_EQ(verbose.status, 0);
    EXPECT_EQ(verbose.out, "a.png\n");
    EXPECT_TRUE(has(verbose.err, "===>>> LOGO: FileIO for \"a.pcx\" Opened")) << verbose.err;

    CliRun wide = cli(dir, "png wide.pcx");
    EXPECT_EQ(wide.status, 1);
    EXPECT_EQ(wide.out, "");
    EXPECT_TRUE(has(wide.err, "zarpo2-cli: wide.pcx: No memory allocated for Image")) << wide.err;

    EXPECT_EQ(cli(dir, "png -x.pcx").status, 2);
    CliRun dashed = cli(dir, "png -- -x.pcx");
    EXPECT_EQ(dashed.status, 0) << dashed.err;
    EXPECT_EQ(dashed.out, "-x.png\n");

    for (const char* redirect : {"> /dev/full", ">&-"}) {
        SCOPED_TRACE(redirect);
        CliRun failed = cli(dir, std::string("identify a.pcx ") + redirect);
        EXPECT_EQ(failed.status, 1);
        EXPECT_TRUE(has(failed.err, "zarpo2-cli: write error on standard output")) << failed.err;
    }
    EXPECT_EQ(cli(dir, "list > /dev/full").status, 1);
}

// The one exit-status table of --help and the man page, row by row, for every command:
// 0 done; 1 a FILE failed (not opened, not a regular file, unknown, without all of its
// files, no logo, a folder that cannot be made, standard output); 2 usage. A command's
// --help is the program's.
TEST(CliExitStatus, OneTableForEveryCommand)
{
    const std::string dir = fresh_dir();
    put(dir + "/good.pcx", PCX_37x23);
    put(dir + "/frames.bin", OSB_2_FRAMES);
    put(dir + "/cut.bin", read_fixture("asus/dynamic-v3-cut.bin"));  // the second of two frames is empty
    put(dir + "/noise.bin", Bytes(4096, 0x5A));
    put(dir + "/plain", {1});
    fs::create_directory(dir + "/folder");
    fs::create_symlink("nowhere", dir + "/dangling");
    const std::string rom = "'" + test_data_dir() + "/roms/intel.bi1'";
    const std::pair<std::string, int> rows[] = {
        // 0: every FILE done.
        {"list", 0},
        {"--help", 0},
        {"--version", 0},
        {"identify good.pcx frames.bin", 0},
        {"png --out-dir o0 good.pcx frames.bin", 0},
        {"scan " + rom, 0},
        {"scan noise.bin " + rom, 0},
        {"thumbnail good.pcx t.png", 0},
        {"png --help", 0},
        {"scan --help", 0},
        {"identify good.pcx --help", 0},
        {"thumbnail -h", 0},
        // 1: a FILE failed.
        {"identify missing.bin good.pcx", 1},
        {"identify folder", 1},
        {"identify noise.bin", 1},
        {"png --out-dir folder noise.bin good.pcx", 1},
        {"png --out-dir folder cut.bin", 1},
        {"png --out-dir plain good.pcx", 1},
        {"png --out-dir dangling good.pcx", 1},
        {"scan " + rom + " missing.bin", 1},
        {"scan " + rom + " folder", 1},
        {"scan noise.bin", 1},
        {"scan --png plain " + rom, 1},
        {"scan --extract dangling " + rom, 1},
        {"thumbnail noise.bin t1.png", 1},
        {"thumbnail missing.bin t2.png", 1},
        {"identify good.pcx > /dev/full", 1},
        // 2: usage.
        {"", 2},
        {"bogus", 2},
        {"identify", 2},
        {"identify --bogus good.pcx", 2},
        {"png --out-dir '' good.pcx", 2},
        {"png --out-dir= good.pcx", 2},
        {"png --out-dir", 2},
        {"scan --png= " + rom, 2},
        {"thumbnail good.pcx", 2},
        {"thumbnail -s 0 good.pcx t3.png", 2},
        {"list extra", 2},
    };
    std::string help;
    ASSERT_EQ(run_command(cli_path() + " --help", &help), 0);
    for (const auto& [args, status] : rows) {
        CliRun r = cli(dir, args);
        EXPECT_EQ(r.status, status) << args << "\n" << r.err;
        if (has(args, "--help") || has(args, "-h")) {
            EXPECT_EQ(r.out, help) << args;
        }
    }
    EXPECT_TRUE(fs::exists(dir + "/o0/good.png"));
    CliRun dangling = cli(dir, "png --out-dir dangling good.pcx");
    EXPECT_TRUE(has(dangling.err, "zarpo2-cli: dangling: cannot make the folder: a symbolic link to nothing")) << dangling.err;
    EXPECT_TRUE(has(cli(dir, "png --out-dir plain good.pcx").err, "zarpo2-cli: plain: cannot make the folder: not a folder"));
}

// --help and the man page give the same exit-status table: the rows of one, markup and
// line breaks aside, are the rows of the other.
TEST(CliExitStatus, HelpAndManPageAgree)
{
    auto words = [](const std::string& text) {
        std::string out;
        for (char c : text) {
            if (c == '*' || c == '\\' || c == '_')
                continue;
            if (std::isspace(static_cast<unsigned char>(c))) {
                if (!out.empty() && out.back() != ' ')
                    out += ' ';
            } else {
                out += c;
            }
        }
        return out;
    };
    std::string help;
    ASSERT_EQ(run_command(cli_path() + " --help", &help), 0);
    const std::size_t start = help.find("Exit status");
    ASSERT_NE(start, std::string::npos);
    Bytes page = read_file(test_data_dir() + "/../../docs/man/zarpo2-cli.1.scd");
    const std::string man(page.begin(), page.end());
    const std::size_t from = man.find("# EXIT STATUS"), to = man.find("\n# ", from + 1);
    ASSERT_NE(from, std::string::npos);
    // The man page sets the statuses as *0* on lines of their own; --help as "  0  ".
    const std::size_t helpRows = help.find("\n  0  ", start), manRows = man.find("\n*0*", from);
    ASSERT_NE(manRows, std::string::npos);
    std::string helpTable = words(help.substr(helpRows));
    std::string manTable = words(man.substr(manRows, to - manRows));
    EXPECT_EQ(manTable, helpTable);
}

// Names and texts from files cannot drive the terminal nor forge a line: control bytes,
// DEL and bytes that are not UTF-8 are written as \xNN in every message, trace lines too.
TEST(CliMessages, NamesFromFilesAreEscaped)
{
    const std::string dir = fresh_dir();
    const std::string forged = "a\x1b[2J\nzarpo2-cli: all good\x7f.bin";
    put(dir + "/" + forged, Bytes(64, 0x5A));
    put(dir + "/caf\xE9.pcx", PCX_37x23);
    CliRun unknown = cli(dir, "png --out-dir o -- a*");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "zarpo2-cli: a\\x1b[2J\\x0azarpo2-cli: all good\\x7f.bin: LOGO type is unknown\n");
    CliRun missing = cli(dir, "png --out-dir o -- \"$(printf 'm\\033]0;t\\007.bin')\"");
    EXPECT_EQ(missing.err, "zarpo2-cli: m\\x1b]0;t\\x07.bin: cannot open: No such file or directory\n");
    CliRun latin1 = cli(dir, "png --verbose --out-dir o -- caf*");
    EXPECT_EQ(latin1.status, 0) << latin1.err;
    EXPECT_TRUE(has(latin1.err, "===>>> LOGO: FileIO for \"caf\\xe9.pcx\" Opened\n")) << latin1.err;
    CliRun option = cli(dir, "png \"$(printf -- '--\\033c')\"");
    EXPECT_EQ(option.status, 2);
    EXPECT_TRUE(has(option.err, "zarpo2-cli: unknown option --\\x1bc\n")) << option.err;
}

// A file of 4 GiB or more (sparse here) gets its whole size in identify's records.
TEST(CliJson, DataSizesPastFourGibibytes)
{
    const std::string dir = fresh_dir();
    put(dir + "/big.pcx", PCX_37x23);
    fs::resize_file(dir + "/big.pcx", (std::uintmax_t{5} << 30) + 3);
    CliRun r = cli(dir, "identify --json big.pcx");
    EXPECT_TRUE(has(r.out, "\"dataSize\": 5368709123,")) << r.out << r.err;
    EXPECT_TRUE(has(cli(dir, "identify big.pcx").out, ", 5368709123 bytes,"));
}

// ---- JSON ----

namespace {

// True when text is valid UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool valid_utf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = text[i];
        std::size_t n = c < 0x80                 ? 1
                        : c >= 0xC2 && c <= 0xDF ? 2
                        : c >= 0xE0 && c <= 0xEF ? 3
                        : c >= 0xF0 && c <= 0xF4 ? 4
                                                 : 0;
        if (n == 0 || i + n > text.size())
            return false;
        std::uint32_t v = n == 1 ? c : c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            unsigned char f = text[i + k];
            if ((f & 0xC0) != 0x80)
                return false;
            v = (v << 6) | (f & 0x3F);
        }
        if ((n == 3 && v < 0x800) || (n == 4 && (v < 0x10000 || v > 0x10FFFF)) || (v >= 0xD800 && v <= 0xDFFF))
            return false;
        i += n;
    }
    return true;
}

}  // namespace

// Every record is valid UTF-8 whatever the name: valid UTF-8 kept, other bytes as U+FFFD
// with the exact name in "fileHex"; quotes and control characters escaped.
TEST(CliJson, RecordsAreValidUtf8ForAnyName)
{
    const struct {
        std::string name, file, fileHex;
    } cases[] = {
        {"caf\xC3\xA9.pcx", "caf\xC3\xA9.pcx", ""},
        {"\xFF\xFE-latin1-\xE9.pcx", "\xEF\xBF\xBD\xEF\xBF\xBD-latin1-\xEF\xBF\xBD.pcx",
         "fffe2d6c6174696e312de92e706378"},
        {"cut-\xE2\x82.pcx", "cut-\xEF\xBF\xBD\xEF\xBF\xBD.pcx", "6375742de2822e706378"},
        {"surrogate-\xED\xA0\x80.pcx", "surrogate-\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.pcx",
         "737572726f676174652deda0802e706378"},
        {"quote\"tab\t.pcx", "quote\\\"tab\\u0009.pcx", ""},
    };
    const std::string dir = fresh_dir();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        put(dir + "/" + c.name, PCX_37x23);
        CliRun r = cli(dir, "identify --json -- '" + c.name + "'");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(valid_utf8(r.out));
        // The record opens with the name, its exact bytes when they are not UTF-8, the format.
        const std::string hex = c.fileHex.empty() ? "" : "\"fileHex\": \"" + c.fileHex + "\", ";
        EXPECT_TRUE(has(r.out, "{\"file\": \"" + c.file + "\", " + hex +
                                   "\"formatId\": 27, \"formatName\": \"PCX (8-bit, RLE)\", \"width\": 37"))
            << r.out;
    }
}
