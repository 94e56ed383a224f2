#include "tools/casedialog.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "console/console.h"
#include "console/dialog.h"
#include "fileops/copyseams.h"
#include "lib/collapsepath.h"
#include "panels/panel.h"
#include "tools/chosenentries.h"
#include "tools/namecase.h"

namespace {

constexpr wchar_t kModes[] = L"lumn";
constexpr int kProgressWidth = 60;
constexpr int kProgressText = 56;

int mode_index(char mode) {
    for (int i = 0; i < 4; i++)
        if (kModes[i] == static_cast<wchar_t>(mode)) return i;
    return 0;
}

Westring collapsed(const Westring& path, int columns) {
    Westring shown = path;
    collapse_path(shown, columns);
    return shown;
}

// The window that follows a recursive change through the directories.
class RecursionWindow {
public:
    void Show(const Westring& directory, int64_t entries) {
        if (!console) return;
        if (!window_) {
            window_ = std::make_unique<Dialog>(-1, -4, kProgressWidth, 5, colours[CLR_MESSAGES]);
            window_->PutCentre(-1, L" Changing file case ");
            window_->puts_at(1, 0, L"Processing files in");
        }
        window_->puts_at(1, 1, collapsed(directory, kProgressText).pad(kProgressText).c_str());
        wchar_t count[32];
        std::swprintf(count, 32, L"%lld", static_cast<long long>(entries));
        window_->puts_at(1, 2, Westring(count).pad(kProgressText).c_str());
    }

private:
    std::unique_ptr<Dialog> window_;
};

}  // namespace

bool AskCaseOptions(const Westring& subject, CaseChangeOptions& options) {
    if (!console) return false;
    const Estring& saved = config.CaseMod;
    int name_mode = mode_index(saved.strlen() > 0 ? saved[0] : 'l');
    int extension_mode = mode_index(saved.strlen() > 1 ? saved[1] : 'l');
    bool recurse = config.CaseModRecurse, directories = config.CaseModDirs, files = config.CaseModFiles;

    Dialog dialog(-1, -4, 36, 17, colours[CLR_MENU]);
    dialog.AddStaticText(-1, 0, Westring(L"Change case of"));
    dialog.AddStaticText(-1, 1, subject);
    dialog.AddStaticText(2, 3, Westring(L"Name"));
    dialog.AddStaticText(15, 3, Westring(L"Extension"));
    static const wchar_t* const name_labels[] = {L"_Lower", L"_Upper", L"_Mixed", L"_None"};
    static const wchar_t* const extension_labels[] = {L"Lo_wer", L"Up_per", L"M_ixed", L"Non_e"};
    for (int mode = 0; mode < 4; mode++)
        dialog.AddRadioButton(3, 5 + mode, mode == 0 ? 2 : 0, name_mode, mode, Westring(name_labels[mode]));
    for (int mode = 0; mode < 4; mode++)
        dialog.AddRadioButton(15, 5 + mode, mode == 0 ? 2 : 0, extension_mode, mode,
                              Westring(extension_labels[mode]));
    dialog.AddCheckBox(2, 10, 1, recurse, Westring(L"_Recurse into directories"));
    dialog.AddCheckBox(2, 11, 0, directories, Westring(L"Change _directories"));
    dialog.AddCheckBox(2, 12, 0, files, Westring(L"Change _files"));
    dialog.AddOkCancel(-1, 14, 1);
    const bool accepted = dialog.RunOkCancel() == 13;

    const char modes[3] = {static_cast<char>(kModes[name_mode]), static_cast<char>(kModes[extension_mode]), 0};
    config.CaseMod = modes;
    config.CaseModRecurse = recurse;
    config.CaseModDirs = directories;
    config.CaseModFiles = files;
    options.name_mode = kModes[name_mode];
    options.extension_mode = kModes[extension_mode];
    options.recurse = recurse;
    options.directories = directories;
    options.files = files;
    return accepted;
}

bool ChangeCase(PANEL* panel) {
    if (!panel || panel->type != PANEL_FILES || panel->archive) return false;
    const std::vector<Westring> names = ChosenNames(panel);
    if (names.empty()) return false;
    CaseChangeOptions options;
    if (!AskCaseOptions(ChosenSubject(panel), options)) return false;

    RecursionWindow recursion;
    options.progress = [&recursion](const Westring& directory, int64_t entries) { recursion.Show(directory, entries); };
    options.stop_requested = [] { return fileops_esc_pending(); };

    if (names.size() == 1 && panel->num_tagged == 0) {
        (void)ChangeEntryCase(panel->dir, names.front(), options);
        return true;
    }

    double fraction = 0;
    std::unique_ptr<Dialog> progress;
    int bar = -1;
    if (console) {
        progress = std::make_unique<Dialog>(-1, -4, kProgressWidth, 5, colours[CLR_MESSAGES]);
        progress->PutCentre(-1, L" Changing file case ");
        progress->puts_at(1, 0, collapsed(panel->dir, kProgressText).c_str());
        bar = progress->AddProgressIndicator(1, 1, kProgressText, fraction);
        progress->Draw(bar);
    }
    const int saved_cursor = console ? console->GetCursorType() : 0;
    if (console) console->SetCursorType(0);
    for (size_t i = 0; i < names.size(); i++) {
        if (ChangeEntryCase(panel->dir, names[i], options) < 0 || fileops_esc_pending()) break;
        fraction = static_cast<double>(i + 1) / static_cast<double>(names.size());
        if (progress) progress->Draw(bar);
    }
    if (console) console->SetCursorType(saved_cursor);
    return true;
}
