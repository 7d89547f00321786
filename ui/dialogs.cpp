// The About dialog (release history, credits, known formats; English or German) and the
// documentation in the toolkit's help viewer.
#include "ui/dialogs.h"

#include <climits>
#include <string>

#include <unistd.h>

#include <FL/Fl_Browser.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Help_Dialog.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Tabs.H>

#include "pipeline/viewer_state.h"

namespace {

constexpr int ABOUT_W = 520;
constexpr int ABOUT_H = 420;
constexpr Fl_Color TAB_SELECTION_COLOR = 7;

struct AboutTexts {
    const char* historyTab;
    const char* creditsTab;
    const char* formatsTab;
    const char* const* history;
    const char* const* credits;
    const char* const* formats;
};

// Browser lines; "@C1@c@l@b" opens a heading, "@C2" a vendor, "@C1" a new format,
// "@C4" the closing regards, "@b" the compilation line. nullptr ends a list.
const char* const ENGLISH_HISTORY[] = {
    " ",
    "@C1@c@l@bReleased versions",
    " ",
    "This is a final software release originally DOS-based program ZARPO",
    "(Tallisk). Here are some summary about when",
    "particular version was released and it's features",
    "",
    "ZARPO2 v0.16 (May, 2005)",
    "",
    "ZARPO2 v0.15 (November, 2004 - April, 2005)",
    "new LOGO formats were added and featured Export function",
    "",
    "ZARPO2 v0.1 (June - October, 2004)",
    "has been ported major LOGO formats from ZARPO",
    "",
    "In order to see list of LOGOs run: \"zarpo2 -list\"",
    "",
    "Latest release is available at:",
    "    the zarpo2 source tree (README.md)",
    "    share/zarpo2/Documentation/index.html",
    "    zarpo2-cli --help",
    "",
    "@bCompilation: ",
    "Subversion: 0.16 (Pelbrook)",
    "Date: " __DATE__,
    "Time: " __TIME__,
    nullptr,
};

const char* const GERMAN_HISTORY[] = {
    " ",
    "@C1@c@l@bVer\u00f6ffentlichte Versionen",
    " ",
    "Dies ist die endg\u00fcltige Fassung des urspr\u00fcnglich unter DOS",
    "laufenden Programms ZARPO (Tallisk). Hier eine kurze \u00dcbersicht,",
    "wann welche Version erschien und was sie konnte",
    "",
    "ZARPO2 v0.16 (Mai 2005)",
    "",
    "ZARPO2 v0.15 (November 2004 - April 2005)",
    "neue LOGO-Formate und die Export-Funktion kamen hinzu",
    "",
    "ZARPO2 v0.1 (Juni - Oktober 2004)",
    "die wichtigsten LOGO-Formate wurden von ZARPO \u00fcbernommen",
    "",
    "Die Liste der LOGO-Formate zeigt: \"zarpo2 -list\"",
    "",
    "Die neueste Fassung gibt es hier:",
    "    der zarpo2-Quellbaum (README.md)",
    "    share/zarpo2/Documentation/index.html",
    "    zarpo2-cli --help",
    "",
    "@bKompilierung: ",
    "Subversion: 0.16 (Pelbrook)",
    "Datum: " __DATE__,
    "Zeit: " __TIME__,
    nullptr,
};

const char* const ENGLISH_CREDITS[] = {
    " ",
    "@C1@c@l@bInspiration",
    " ",
    "Many thanks to the project's supporter, the Tallisk workshop,",
    "and to its patient tester, who fed it every firmware dump in reach.",
    "German translation, testing and the hunt for new LOGO formats:",
    "the zarpo2 contributors.",
    "",
    "Designed to the sound of:",
    "    Jean-Michel Jarre - Oxygene",
    "    Vangelis - Blade Runner",
    "    Kraftwerk - Computerwelt",
    "",
    "@C4Best regards from the author, Dravenko",
    nullptr,
};

const char* const GERMAN_CREDITS[] = {
    " ",
    "@C1@c@l@bInspirierung",
    " ",
    "Vielen Dank an den F\u00f6rderer des Projekts, die Tallisk-Werkstatt,",
    "und an den geduldigen Tester, der ihm jedes BIOS-Abbild gab.",
    "Deutsche \u00dcbersetzung, Tests und die Suche nach neuen LOGO-Formaten:",
    "die zarpo2-Mitwirkenden.",
    "",
    "Entworfen zu den Kl\u00e4ngen von:",
    "    Jean-Michel Jarre - Oxygene",
    "    Vangelis - Blade Runner",
    "    Kraftwerk - Computerwelt",
    "",
    "@C4Herzliche Gr\u00fc\u00dfe vom Autor, Dravenko",
    nullptr,
};

// The vendor groups of the Formats tab; NEW marks the formats added in the last release.
#define FORMAT_GROUPS(NEW)                                                                     \
    "@C2Award Software:", "Standard EPA", "NonStandard EPA", "AWBM16 EPA", "AWBM256 EPA", "", \
    "@C2Phoenix Technologies:", "Phoenix EPA (PG)", "Phoenix FirstBIOS ICON",                  \
    "Phoenix FirstBIOS Composite SCRN", "Phoenix Composite Envelope SCN (1)",                  \
    "Phoenix Composite Envelope SCN (2)", "",                                                  \
    "@C2Intel:", "Intel EPA (GRFX)", "Intel EPA (TEXTLOGO)", "Intel Graphics (GRFXLOGO)",      \
    "Intel Graphics (Compressed PG)", "Intel Graphics (Compressed GRFX)", "",                  \
    "@C2American Megatrends Inc.:", "AMI EPA (GLE)", "AMI GFX (PCX)", "",                      \
    "@C2ASUS:", "ASUS Dynamic LOGO", "ASUS Dynamic LOGO (2)", "ASUS Dynamic LOGO (3)",         \
    "ASUS Composite 4OSB", "ASUS Composite OSB640", "Composite $OSB", "",                      \
    "@C2MSI:", "@C1" NEW "Composite $OSB (2)", "",                                             \
    "@C2SystemSoft/Insyde:", "SystemSoft EPA", "SystemSoft EPA (PCX)",                         \
    "@C1" NEW "SystemSoft EPA (2)", "",                                                        \
    "@C2Trigem Computers:", "TriGem EPA (TM)", "",                                             \
    "@C2Lippert GMBH:", "AWBM16 EPA (Compressed)", "AWBM256 EPA (Compressed)", "",             \
    "@C2DELL Computer:", "@C1" NEW "DELL NVRAM LOGO (Inspiron 8100)",                          \
    "@C1" NEW "DELL LOGO (2) (Dimension 4600)", "",                                            \
    "@C2Miscellaneous:", "QDI EPA (BMP)", "BioStar EPA (PCX)", "JPEG (plain JFIF)",            \
    "PCX (4-, 8-bit RLE)", "BMP (4-, 8-bit)", "", nullptr

const char* const ENGLISH_FORMATS[] = {
    " ",
    "@C1@c@l@bKnown formats",
    " ",
    "This program identifies and decodes some dozens of BIOS LOGO formats",
    "used by major BIOS, computer and mainboard makers: American Megatrends Inc.,",
    "Phoenix Technologies Ltd., Insyde Software, ASUSTeK, Fujitsu Siemens Computers,",
    "Gigabyte, Lippert GmbH, TriGem and DELL Computer Inc.",
    "",
    "",
    FORMAT_GROUPS("(NEW!) "),
};

const char* const GERMAN_FORMATS[] = {
    " ",
    "@C1@c@l@bBekannte Formate",
    " ",
    "Dieses Programm erkennt und entschl\u00fcsselt einige Dutzend BIOS-LOGO-Formate",
    "gro\u00dfer BIOS-, Computer- und Mainboard-Hersteller: American Megatrends Inc.,",
    "Phoenix Technologies Ltd., Insyde Software, ASUS, Lippert, TriGem",
    "und DELL.",
    "",
    "",
    FORMAT_GROUPS("(NEUE!) "),
};

#undef FORMAT_GROUPS

constexpr AboutTexts ENGLISH_ABOUT = {
    "       History     ", "      Credits    ", "      Formats     ",
    ENGLISH_HISTORY,       ENGLISH_CREDITS,      ENGLISH_FORMATS,
};

constexpr AboutTexts GERMAN_ABOUT = {
    "   Geschichte   ", "  Mitwirkende  ", "    Formate    ", GERMAN_HISTORY, GERMAN_CREDITS, GERMAN_FORMATS,
};

Fl_Group* about_tab(const char* label, const char* const* lines)
{
    auto* group = new Fl_Group(10, 30, 500, 345, label);
    group->labeltype(FL_ENGRAVED_LABEL);
    auto* browser = new Fl_Browser(10, 30, 500, 330);
    browser->type(FL_NORMAL_BROWSER);
    browser->box(FL_PLASTIC_UP_BOX);
    for (const char* const* line = lines; *line; ++line)
        browser->add(*line);
    group->end();
    return group;
}

void on_about_ok(Fl_Widget*, void* dialog)
{
    static_cast<Fl_Double_Window*>(dialog)->hide();
}

}  // namespace

void show_about(Fl_Widget*, void*)
{
    const AboutTexts& texts = viewer_state().language == LANGUAGE_GERMAN ? GERMAN_ABOUT : ENGLISH_ABOUT;
    auto* dialog = new Fl_Double_Window(ABOUT_W, ABOUT_H, "About");
    auto* tabs = new Fl_Tabs(10, 10, 500, 345);
    tabs->selection_color(TAB_SELECTION_COLOR);
    Fl_Group* history = about_tab(texts.historyTab, texts.history);
    about_tab(texts.creditsTab, texts.credits)->hide();
    about_tab(texts.formatsTab, texts.formats)->hide();
    tabs->value(history);
    tabs->end();
    auto* ok = new Fl_Return_Button(448, 382, 60, 25, "OK");
    ok->box(FL_PLASTIC_UP_BOX);
    ok->callback(on_about_ok, dialog);
    dialog->end();
    dialog->show();
}

namespace {

constexpr const char* GUIDE = "/Documentation/index.html";
// Where an installed program finds its guide: bin/../share/zarpo2.
constexpr const char* SHARE_FROM_PROGRAM = "/../share/zarpo2";

bool readable(const std::string& path)
{
    return access(path.c_str(), R_OK) == 0;
}

// ZARPO2HOME's guide when it is set (a missing file is then the help viewer's to report);
// otherwise the one installed with the program, or that of the source tree it was built
// from (a program run from its build folder).
std::string guide_path()
{
    const std::string& home = viewer_state().homeDir;
    if (!home.empty())
        return home + GUIDE;
    char program[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    if (length > 0) {
        std::string folder(program, static_cast<std::size_t>(length));
        folder.erase(folder.rfind('/'));
        if (readable(folder + SHARE_FROM_PROGRAM + GUIDE))
            return folder + SHARE_FROM_PROGRAM + GUIDE;
    }
#ifdef ZARPO2_SOURCE_DOCS
    if (readable(std::string(ZARPO2_SOURCE_DOCS) + GUIDE))
        return std::string(ZARPO2_SOURCE_DOCS) + GUIDE;
#endif
    return GUIDE;
}

}  // namespace

void show_documentation(Fl_Widget*, void*)
{
    auto* help = new Fl_Help_Dialog();
    help->load(guide_path().c_str());
    help->show();
}
