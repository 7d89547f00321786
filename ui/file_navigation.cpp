#include "ui/file_navigation.h"

#include <algorithm>
#include <filesystem>

#include <FL/Fl_File_Chooser.H>
#include <FL/fl_ask.H>

#include "pipeline/format_registry.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/past_end_check.h"
#include "pipeline/viewer_state.h"
#include "ui/load_warnings.h"
#include "ui/recent_files.h"
#include "ui/rom_list_window.h"
#include "ui/status_line.h"
#include "ui/ui_state.h"
#include "ui/view_geometry.h"
#include "ui/viewer_texts.h"
#include "ui/zoom_view.h"

namespace {

bool has_decoder(LogoFormatId id)
{
    const FormatDecoder& decoder = format_entry(id).decoder;
    return decoder.single || decoder.cell || decoder.frames;
}

// identify_logo opens only regular files, as every load does.
bool loads_as_logo(const std::string& path)
{
    LogoDescriptor d;
    SilentSink silent;
    return identify_logo(path, d, silent, false) && has_decoder(d.formatId);
}

// The Open LOGO chooser starts in the folder of the last file opened; the file heads the
// recent files.
void remember_opened(const std::string& path)
{
    add_recent_file(path);
    Fl_File_Chooser* chooser = ui_state().fileChooser;
    std::size_t slash = path.rfind('/');
    if (!chooser || chooser->shown() || slash == std::string::npos)
        return;
    chooser->directory(slash == 0 ? "/" : path.substr(0, slash).c_str());
}

// Before a load: the last load's notices and warning are forgotten.
void start_load()
{
    recording_sink().clear();
    ui_state().endsEarly = false;
    update_load_warning();
}

// After a load: the rows a cut file does not hold are marked on the picture, and the
// warnings shown.
void finish_load(const CutRows& cut)
{
    UiState& ui = ui_state();
    if (ui.mainImage && ui.endsEarly)
        ui.mainImage->mark_cut_rows(cut.first, cut.last);
    update_load_warning();
    update_status();
}

}  // namespace

void flush_loaded()
{
    ViewerState& state = viewer_state();
    UiState& ui = ui_state();
    if (!state.loaded)
        return;
    state.loaded = 0;
    if (state.descriptor.frameCount != 0)
        flush_frames(nullptr, ui.frameWindow);
    else
        flush_single(nullptr, ui.logoWindow);
}

bool open_logo_file(const std::string& path)
{
    ViewerState& state = viewer_state();
    UiState& ui = ui_state();
    ui.openingPath = path;
    ++ui.loadSerial;
    // The file is opened before the loaded logo is flushed: one that cannot be opened, or
    // is not a regular file, is refused by the pipeline (FltkFrontEnd::cannot_open) without
    // waiting on it, and the loaded logo stays.
    OwnedFile file = open_logo(path);
    if (!file) {
        ui.openingPath.clear();
        return false;
    }
    flush_loaded();
    ui.currentPath = path;
    ui.romOrigin = {};
    start_load();
    // A file that is no logo gets the unknown-format message from the pipeline, through
    // FltkFrontEnd::message, which shows the list of the logos inside a ROM image instead.
    state.loaded = load_opened_logo(std::move(file), path);
    ui.openingPath.clear();
    if (!state.loaded)
        return false;
    CutRows cut;
    ui.endsEarly = picture_needs_bytes_past_end(path, state.descriptor, state.buffers, &cut);
    remember_opened(path);
    finish_load(cut);
    return true;
}

bool open_rom_file(const std::string& path)
{
    RomScanReport report = scan_rom(path);
    if (!report.opened) {
        front_end().cannot_open(path, report.openProblem);
        return false;
    }
    if (!show_rom_list(path, std::move(report))) {
        fl_message("%s\n%s", texts().noLogoInRom, path.c_str());
        return false;
    }
    remember_opened(path);
    return true;
}

bool open_found_logo(const std::string& romPath, const FoundLogo& logo)
{
    ViewerState& state = viewer_state();
    UiState& ui = ui_state();
    // Copied first: the list that holds romPath and logo may be refilled while this loads.
    const std::string rom = romPath;
    const std::string name = found_logo_stem(rom, logo);
    std::vector<std::uint8_t> bytes = logo.bytes;
    RomOrigin origin{rom, logo.offset, found_logo_place(logo), logo.compression};
    flush_loaded();
    ui.currentPath = rom;
    ui.romOrigin = std::move(origin);
    start_load();  // the past-end check rereads a file; a found logo has none of its own
    ++ui.loadSerial;
    state.loaded = load_logo_bytes(std::move(bytes), name);
    if (!state.loaded) {
        ui.romOrigin = {};
        return false;
    }
    remember_opened(rom);
    finish_load({});
    return true;
}

void open_files(const std::vector<std::string>& paths)
{
    UiState& ui = ui_state();
    if (paths.empty())
        return;
    ui.fileList = paths.size() > 1 ? paths : std::vector<std::string>{};
    ui.fileIndex = 0;
    open_logo_file(paths.front());
}

std::string neighbour_in_folder(const std::string& path, int direction)
{
    namespace fs = std::filesystem;
    std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string prefix = slash == std::string::npos ? "" : folder;
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    // Only regular files are tried: a device or FIFO of the folder is not even opened.
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    if (direction > 0) {
        for (auto it = std::upper_bound(names.begin(), names.end(), leaf); it != names.end(); ++it)
            if (loads_as_logo(prefix + *it))
                return prefix + *it;
    } else {
        auto first = std::lower_bound(names.begin(), names.end(), leaf);
        for (auto it = std::make_reverse_iterator(first); it != names.rend(); ++it)
            if (loads_as_logo(prefix + *it))
                return prefix + *it;
    }
    return "";
}

void open_neighbour(int direction)
{
    UiState& ui = ui_state();
    std::string next;
    if (!ui.fileList.empty()) {
        const long index = static_cast<long>(ui.fileIndex) + direction;
        if (index >= 0 && index < static_cast<long>(ui.fileList.size())) {
            ui.fileIndex = static_cast<std::size_t>(index);
            next = ui.fileList[ui.fileIndex];
        }
    } else if (!ui.currentPath.empty()) {
        next = neighbour_in_folder(ui.currentPath, direction);
    }
    if (next.empty()) {
        show_status_message(direction > 0 ? texts().noNextFile : texts().noPreviousFile);
        return;
    }
    // The next logo opens in a window of the size, place and zoom the user gave this one.
    if (ui.logoWindow)
        keep_view(LOGO_VIEW, ui.logoWindow, ui.view);
    else if (ui.frameWindow)
        keep_view(FRAME_VIEW, ui.frameWindow, ui.view);
    open_logo_file(next);
    drop_kept_view();
}
