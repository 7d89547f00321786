#include "ui/save_dialog.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Input.H>
#include <FL/fl_ask.H>

#include "core/format_string.h"
#include "output/export_menu.h"
#include "output/save_as.h"
#include "output/save_png.h"
#include "pipeline/viewer_state.h"
#include "ui/preferences.h"
#include "ui/status_line.h"
#include "ui/ui_state.h"
#include "ui/viewer_texts.h"

namespace {

constexpr double MS_PER_SECOND = 1000.0;

bool exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// "Wrote N files to DIR", and the first file that was not written with its reason.
void report(const SaveResult& result)
{
    std::string text;
    if (result.written.size() == 1)
        text = wrote_file_text(leaf_name(result.written.front()), folder_of(result.written.front()));
    else if (!result.written.empty())
        text = wrote_files_text(static_cast<unsigned>(result.written.size()), folder_of(result.written.front()));
    if (!result.errors.empty()) {
        const SaveError& error = result.errors.front();
        if (!text.empty())
            text += "; ";
        text += format_string(texts().cannotWrite, leaf_name(error.path).c_str(), error.reason.c_str());
    }
    if (!text.empty())
        show_status_message(text);
}

// The Save As chooser: a new or existing PNG file, in the folder of the last save.
Fl_File_Chooser* save_chooser()
{
    UiState& ui = ui_state();
    if (!ui.saveChooser) {
        const std::string filter = std::string(texts().pngFiles) + " (*.png)";
        ui.saveChooser = new Fl_File_Chooser(".", filter.c_str(), Fl_File_Chooser::CREATE, texts().saveAsTitle);
        ui.saveChooser->preview(0);
        const std::string folder = remembered_folder(SAVE_AS_DIALOG);
        ui.saveChooser->directory(folder.empty() ? folder_of(viewer_state().fileName).c_str() : folder.c_str());
    }
    ui.saveChooser->label(texts().saveAsTitle);
    return ui.saveChooser;
}

// Asks before files already there are replaced; true to go on.
bool may_replace(const std::vector<std::string>& paths)
{
    std::vector<std::string> there;
    for (const std::string& path : paths)
        if (exists(path))
            there.push_back(path);
    if (there.empty())
        return true;
    const ViewerTexts& t = texts();
    const std::string question =
        there.size() == 1 ? format_string(t.replaceOne, there.front().c_str())
                          : format_string(t.replaceMany, static_cast<unsigned>(there.size()), there.front().c_str());
    return fl_choice("%s", t.cancel, t.replace, nullptr, question.c_str()) == 1;
}

}  // namespace

void on_save_png(Fl_Widget*, void*)
{
    if (!viewer_state().loaded)
        return;
    report(save_png_files(""));
}

void on_save_as(Fl_Widget*, void*)
{
    const ViewerState& state = viewer_state();
    if (!state.loaded)
        return;
    Fl_File_Chooser* chooser = save_chooser();
    // The suggested name in the chooser's folder, the name alone selected so that typing
    // replaces it: the chooser completes a relative name against the working folder.
    const std::string folder = chooser->directory() ? chooser->directory() : ".";
    const std::string suggested = folder + "/" + leaf_name(png_base_name(state.fileName)) + ".png";
    chooser->value(suggested.c_str());
    chooser->show();
    if (auto* field = dynamic_cast<Fl_Input*>(Fl::focus()))
        field->position(field->size(), static_cast<int>(folder.size()) + 1);
    while (chooser->shown())
        Fl::wait();
    const char* chosen = chooser->value();
    if (!chosen || !*chosen || chosen[std::char_traits<char>::length(chosen) - 1] == '/')
        return;
    const std::string path = chosen;
    remember_folder(SAVE_AS_DIALOG, folder_of(path));
    if (!may_replace(save_as_paths(path)))
        return;
    const auto delayMs = static_cast<std::uint16_t>(std::lround(ui_state().frameSeconds * MS_PER_SECOND));
    report(save_as_files(path, delayMs));
}

void export_as(const ExportTarget& target)
{
    const ViewerState& state = viewer_state();
    if (!state.loaded)
        return;
    const std::string warning = export_warning(target, state.descriptor);
    if (!warning.empty()) {
        show_status_message(warning);
        return;
    }
    const std::string title = std::string("Export As ") + target.encoderName;
    const char* chosen = fl_file_chooser(title.c_str(), "*", export_proposed_name(target).c_str());
    if (!chosen || !*chosen || chosen[std::char_traits<char>::length(chosen) - 1] == '/')
        return;
    const std::string path = chosen;
    if (!may_replace({path}))
        return;
    std::string why;
    if (export_to_file(target, path, why))
        show_status_message(wrote_files_text(1, folder_of(path)));
    else
        show_status_message(format_string(texts().cannotWrite, leaf_name(path).c_str(), why.c_str()));
}
