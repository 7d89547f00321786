// The English, German and Russian menu trees. English and German share structure,
// shortcuts and callbacks; the Russian tree is smaller (no Export, Documentation, Verbose).
// All three add File > Open ROM and Save As and the View menu (zoom, next and previous
// file, palette).
#include "ui/menus.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>

#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "output/export_menu.h"
#include "ui/clipboard.h"
#include "ui/dialogs.h"
#include "ui/file_navigation.h"
#include "ui/full_screen.h"
#include "ui/main_window.h"
#include "ui/menu_key_labels.h"
#include "ui/palette_view.h"
#include "ui/recent_files.h"
#include "ui/rom_list_window.h"
#include "ui/save_dialog.h"
#include "ui/ui_state.h"
#include "ui/views.h"
#include "ui/zoom_view.h"

// Menu tables name only the leading fields of each item; the rest are zero.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// User data of the two toggle items, read by the menu bar's default callback.
constexpr long TOGGLE_AUTO_INFO = 64;
constexpr long TOGGLE_VERBOSE = 65;
// The first face Fl::set_fonts adds: the first KOI8-R Times the X server has.
constexpr Fl_Font FIRST_REGISTERED_FACE = FL_FREE_FONT;

constexpr const char* LATIN1_TIMES = "-*-times-*-*-*--*-*-*-*-*-*-iso8859-1";
constexpr const char* KOI8R_TIMES = "-*-times-*-*-*--*-*-*-*-*-*-koi8-r";

// Faces the toolkit knows after the last registration.
int g_faceCount = FL_FREE_FONT;

void register_fonts(const char* pattern)
{
    g_faceCount = Fl::set_fonts(pattern);
}

// View > Zoom In / Out, a zoom of its own (user data 1 to 4), Fit to Window.
void on_zoom_step(Fl_Widget*, void* direction)
{
    if (ZoomView* view = ui_state().view)
        view->zoom_step(static_cast<int>(reinterpret_cast<long>(direction)));
}

void on_zoom(Fl_Widget*, void* zoom)
{
    if (ZoomView* view = ui_state().view)
        view->zoom_to(static_cast<double>(reinterpret_cast<long>(zoom)));
}

void on_fit(Fl_Widget*, void*)
{
    if (ZoomView* view = ui_state().view)
        view->zoom_fit();
}

void on_neighbour(Fl_Widget*, void* direction)
{
    open_neighbour(static_cast<int>(reinterpret_cast<long>(direction)));
}

void* arg(long value)
{
    return reinterpret_cast<void*>(value);
}

void on_export(Fl_Widget*, void* target)
{
    export_as(*static_cast<const ExportTarget*>(target));
}

void* export_target(ExportTargetId id)
{
    return const_cast<ExportTarget*>(&EXPORT_TARGETS[id]);
}

// The Export As submenu; its labels are the same in English and German.
#define EXPORT_SUBMENU                                                                                       \
    {"---AWARD---", 0, nullptr, nullptr, FL_SUBMENU},                                                     \
        {"&AWBM16", 0, on_export, export_target(EXPORT_AWBM16), 0},                                       \
        {"A&WBM256", 0, on_export, export_target(EXPORT_AWBM256), 0},                                     \
        {"AW&BM16PLIN (compressed 'Plugin AWBM')", 0, on_export, export_target(EXPORT_AWBM16PLIN), 0},    \
        {"AWB&M256PLIN (compressed 'Plugin AWBM')", 0, on_export, export_target(EXPORT_AWBM256PLIN), 0},  \
        {nullptr},                                                                                        \
    {"---AMI/INTEL---", 0, nullptr, nullptr, FL_SUBMENU},                                                 \
        {"&GRFX", 0, on_export, export_target(EXPORT_GRFX), 0},                                           \
        {"&Compressed GRFX", 0, on_export, export_target(EXPORT_COMPRESSED_GRFX), 0},                     \
        {nullptr},                                                                                        \
    {"---PHOENIX---", 0, nullptr, nullptr, FL_SUBMENU},                                                   \
        {"&PG", 0, on_export, export_target(EXPORT_PG), 0},                                               \
        {"&Compressed PG", 0, on_export, export_target(EXPORT_COMPRESSED_PG), 0},                         \
        {"&Envelope SCN (2)", 0, nullptr, nullptr, FL_MENU_INACTIVE},                                     \
        {nullptr},                                                                                        \
    {"---DELL---", 0, nullptr, nullptr, FL_SUBMENU | FL_MENU_INACTIVE},                                   \
        {"&DELL LOGO (NVRAM)", 0, nullptr, nullptr, 0},                                                   \
        {"&DELL LOGO (2)", 0, nullptr, nullptr, 0},                                                       \
        {nullptr},                                                                                        \
    {"---INSYDE/SYSO---", 0, nullptr, nullptr, FL_SUBMENU | FL_MENU_INACTIVE},                            \
        {"&SystemSoft EPA (2)", 0, nullptr, nullptr, 0},                                                  \
        {nullptr},                                                                                        \
    {nullptr}

// clang-format off
// The View menu; its shortcuts work in every window (ui/keys.cpp), Page Down and Page Up
// there too: their entries name them (KEY_LABEL) where the toolkit would say Next and Prior.
#define VIEW_SUBMENU(ZOOM_IN, ZOOM_OUT, ORIGINAL, ZOOM, FIT, NEXT, PREVIOUS, PALETTE, COPY, FULL_SCREEN) \
        {ZOOM_IN, '+', on_zoom_step, arg(1), 0},                                                     \
        {ZOOM_OUT, '-', on_zoom_step, arg(-1), FL_MENU_DIVIDER},                                    \
        {ORIGINAL, '1', on_zoom, arg(1), 0},                                                         \
        {ZOOM "&2\u00d7", '2', on_zoom, arg(2), 0},                                                  \
        {ZOOM "&3\u00d7", '3', on_zoom, arg(3), 0},                                                  \
        {ZOOM "&4\u00d7", '4', on_zoom, arg(4), 0},                                                  \
        {FIT, 'f', on_fit, nullptr, FL_MENU_DIVIDER},                                               \
        {NEXT "\tPage Down", 0, on_neighbour, arg(1), 0, KEY_LABEL},                                 \
        {PREVIOUS "\tPage Up", 0, on_neighbour, arg(-1), FL_MENU_DIVIDER, KEY_LABEL},               \
        {PALETTE, 'p', on_palette, nullptr, 0},                                                      \
        {COPY, FL_CTRL + 'c', on_copy_picture, nullptr, 0},                                          \
        {FULL_SCREEN, FL_F + 11, on_full_screen, nullptr, 0},                                        \
        {nullptr}

// File > Open Recent, filled from the preferences (ui/recent_files.cpp).
#define RECENT_SUBMENU(LABEL) {LABEL, 0, nullptr, recent_menu_marker(), FL_SUBMENU}, {nullptr}

const Fl_Menu_Item ENGLISH_MENU[] = {
    {"&File", 0, nullptr, nullptr, FL_SUBMENU},
        {"&Open LOGO", FL_CTRL + 'o', on_open_logo, nullptr, 0},
        {"Open &ROM...", FL_CTRL + FL_SHIFT + 'o', on_open_rom, nullptr, 0},
        {"&Save as PNG", FL_CTRL + 's', on_save_png, nullptr, 0},
        {"Save &As...", FL_CTRL + FL_SHIFT + 's', on_save_as, nullptr, 0},
        RECENT_SUBMENU("Open Re&cent"),
        {"E&xit", FL_CTRL + 'q', on_exit, nullptr, 0},
        {nullptr},
    {"&I/O", 0, nullptr, nullptr, FL_SUBMENU},
        {"I&nfo", FL_CTRL + 'n', on_info, nullptr, 0},
        {"&Export As ...", FL_CTRL + 'e', nullptr, nullptr, FL_SUBMENU},
            EXPORT_SUBMENU,
        {nullptr},
    {"&Extras", 0, nullptr, nullptr, FL_SUBMENU},
        {"Language", 0, nullptr, nullptr, FL_SUBMENU},
            {"English", 0, on_menu_default, nullptr, FL_MENU_DIVIDER},
            {"Russian", 0, switch_russian, nullptr, FL_MENU_INACTIVE | FL_MENU_DIVIDER},
            {"Deutsch", 0, switch_german, nullptr, FL_MENU_DIVIDER},
            {nullptr},
        {"Verbose", 0, nullptr, reinterpret_cast<void*>(TOGGLE_VERBOSE), FL_MENU_TOGGLE},
        {nullptr},
    {"&View", 0, nullptr, nullptr, FL_SUBMENU},
        VIEW_SUBMENU("Zoom &In", "Zoom &Out", "Original &Size", "Zoom ", "&Fit to Window", "&Next File",
                     "&Previous File", "Pa&lette", "&Copy Picture", "F&ull Screen"),
    {"&Help", 0, nullptr, nullptr, FL_SUBMENU},
        {"&About", FL_CTRL + 'a', show_about, nullptr, 0},
        {"&Documentation", FL_CTRL + 'd', show_documentation, nullptr, 0},
        {"User &Guide", FL_F + 1, show_documentation, nullptr, 0},
        {nullptr},
    {nullptr},
};

const Fl_Menu_Item GERMAN_MENU[] = {
    {"&Datei", 0, nullptr, nullptr, FL_SUBMENU},
        {"L&OGO \u00f6ffnen", FL_CTRL + 'o', on_open_logo, nullptr, 0},
        {"&ROM \u00f6ffnen ...", FL_CTRL + FL_SHIFT + 'o', on_open_rom, nullptr, 0},
        {"Als PNG &Speichern", FL_CTRL + 's', on_save_png, nullptr, 0},
        {"Speichern &unter ...", FL_CTRL + FL_SHIFT + 's', on_save_as, nullptr, 0},
        RECENT_SUBMENU("&Zuletzt ge\u00f6ffnet"),
        {"&Beenden", FL_CTRL + 'q', on_exit, nullptr, 0},
        {nullptr},
    {"&I/O", 0, nullptr, nullptr, FL_SUBMENU},
        {"I&nfo", FL_CTRL + 'n', on_info, nullptr, 0},
        {"&Exportieren Als ...", FL_CTRL + 'e', nullptr, nullptr, FL_SUBMENU},
            EXPORT_SUBMENU,
        {nullptr},
    {"&Extras", 0, nullptr, nullptr, FL_SUBMENU},
        {"Sprache", 0, nullptr, nullptr, FL_SUBMENU},
            {"Englisch", 0, on_menu_default, nullptr, FL_MENU_DIVIDER},
            {"Russisch", 0, switch_russian, nullptr, FL_MENU_INACTIVE | FL_MENU_DIVIDER},
            {"Deutsch", 0, switch_german, nullptr, FL_MENU_DIVIDER},
            {nullptr},
        {"Verbose", 0, nullptr, reinterpret_cast<void*>(TOGGLE_VERBOSE), FL_MENU_TOGGLE},
        {nullptr},
    {"&Ansicht", 0, nullptr, nullptr, FL_SUBMENU},
        VIEW_SUBMENU("Ver&gr\u00f6\u00dfern", "Ver&kleinern", "&Originalgr\u00f6\u00dfe", "Zoom ",
                     "An &Fenster anpassen", "&N\u00e4chste Datei", "&Vorherige Datei", "&Palette",
                     "Bild &kopieren", "&Vollbild"),
    {"&Hilfe", 0, nullptr, nullptr, FL_SUBMENU},
        {"&Ueber", FL_CTRL + 'a', show_about, nullptr, 0},
        {"&Dokumentation", FL_CTRL + 'd', show_documentation, nullptr, 0},
        {"&Benutzerhandbuch", FL_F + 1, show_documentation, nullptr, 0},
        {nullptr},
    {nullptr},
};

// The Russian labels were KOI8-R; here they are UTF-8 with the same wording.
const Fl_Menu_Item RUSSIAN_MENU[] = {
    {"&Файл", 0, nullptr, nullptr, FL_SUBMENU},
        {"&Открыть...", FL_CTRL + 'o', on_open_logo, nullptr, 0},
        {"Открыть &ПЗУ...", FL_CTRL + FL_SHIFT + 'o', on_open_rom, nullptr, 0},
        {"&Сохранить...", FL_CTRL + 's', on_save_png, nullptr, 0},
        {"Сохранить &как...", FL_CTRL + FL_SHIFT + 's', on_save_as, nullptr, 0},
        RECENT_SUBMENU("&Недавние файлы"),
        {"Выход", FL_CTRL + 'q', on_exit, nullptr, 0},
        {nullptr},
    {"&Обмен", 0, nullptr, nullptr, FL_SUBMENU},
        {"Информация", FL_CTRL + 'n', on_info, nullptr, 0},
        {nullptr},
    {"&Интерфейс", 0, nullptr, nullptr, FL_SUBMENU},
        {"Язык", 0, nullptr, nullptr, FL_SUBMENU},
            {"Аглийский", 0, on_menu_default, nullptr, FL_MENU_DIVIDER},
            {"Русский", 0, switch_russian, nullptr, FL_MENU_DIVIDER},
            {"Немецкий", 0, switch_german, nullptr, FL_MENU_DIVIDER},
            {nullptr},
        {"АвтоТип", 0, nullptr, reinterpret_cast<void*>(TOGGLE_AUTO_INFO), FL_MENU_TOGGLE | FL_MENU_VALUE},
        {nullptr},
    {"&Вид", 0, nullptr, nullptr, FL_SUBMENU},
        VIEW_SUBMENU("&Увеличить", "У&меньшить", "&Исходный размер", "Масштаб ", "По размеру &окна",
                     "&Следующий файл", "&Предыдущий файл", "Па&литра", "&Копировать картинку",
                     "Во весь &экран"),
    {"&Помощь", 0, nullptr, nullptr, FL_SUBMENU},
        {"О программе", FL_CTRL + 'a', show_about, nullptr, 0},
        {nullptr},
    {nullptr},
};
// clang-format on

#undef EXPORT_SUBMENU
#undef VIEW_SUBMENU
#undef RECENT_SUBMENU

void install_menu(const Fl_Menu_Item* tree, int language, const UiStrings* strings)
{
    Fl_Menu_Bar* bar = ui_state().menuBar;
    bar->copy(tree);
    bar->box(FL_UP_BOX);
    bar->textsize(MENU_TEXT_SIZE);
    ViewerState& state = viewer_state();
    state.language = language;
    state.strings = strings;
    fill_recent_menu(bar);
}

void switch_english()
{
    install_menu(ENGLISH_MENU, LANGUAGE_ENGLISH, &ENGLISH_STRINGS);
    register_fonts(LATIN1_TIMES);
    ui_state().menuBar->redraw();
}

}  // namespace

const Fl_Menu_Item* english_menu()
{
    return ENGLISH_MENU;
}

const Fl_Menu_Item* russian_menu()
{
    return RUSSIAN_MENU;
}

const Fl_Menu_Item* german_menu()
{
    return GERMAN_MENU;
}

void register_koi8r_fonts()
{
    register_fonts(KOI8R_TIMES);
}

void on_menu_default(Fl_Widget* widget, void*)
{
    auto* bar = static_cast<Fl_Menu_*>(widget);
    const Fl_Menu_Item* picked = bar->mvalue();
    if (picked && picked->submenu()) {
        // A submenu reached through its own shortcut (Ctrl+E, Export As): open it.
        const Fl_Menu_Item* chosen = (picked + 1)->pulldown(bar->x(), bar->y() + bar->h(), 0, 0, nullptr, bar);
        if (chosen)
            bar->picked(chosen);
        return;
    }
    long action = picked ? picked->argument() : 0;
    ViewerState& state = viewer_state();
    if (action == TOGGLE_AUTO_INFO)
        state.autoInfo = !state.autoInfo;
    else if (action == TOGGLE_VERBOSE)
        state.verbose = !state.verbose;
    else
        switch_english();
}

void switch_russian(Fl_Widget*, void*)
{
    install_menu(RUSSIAN_MENU, LANGUAGE_RUSSIAN, &RUSSIAN_STRINGS);
    register_koi8r_fonts();
    // An X server without KOI8-R faces registers none; the menu then keeps its face.
    if (g_faceCount > FIRST_REGISTERED_FACE)
        ui_state().menuBar->textfont(FIRST_REGISTERED_FACE);
    ui_state().menuBar->redraw();
}

void switch_german(Fl_Widget*, void*)
{
    install_menu(GERMAN_MENU, LANGUAGE_GERMAN, &GERMAN_STRINGS);
    ui_state().menuBar->redraw();
}
