#include "tools/syncdialog.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "config/config.h"
#include "console/cells.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/helptopics.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "fileops/copyseams.h"
#include "lib/collapsepath.h"
#include "tools/syncrun.h"

namespace {

constexpr int kFilterHistory = 2;  // the masks the file search remembers too
constexpr int kLabelColumns = 8;

Westring Collapsed(const Westring& path, int columns) {
    Westring shown = path;
    collapse_path(shown, columns);
    return shown;
}

Westring Padded(const Westring& text, int columns) {
    return text + String(L' ', std::max(0, columns - text.strlen()));
}

const wchar_t* OpName(SyncOpType type) {
    switch (type) {
    case SyncOpType::MkDir: return L"MkDir:";
    case SyncOpType::Copy: return L"Copy:";
    case SyncOpType::Update: return L"Update:";
    case SyncOpType::Delete: return L"Delete:";
    case SyncOpType::DelDir: return L"DelDir:";
    case SyncOpType::Conflict: return L"Clash:";
    }
    return L"";
}

// The options; false when the user ends the command.
bool AskOptions(const Westring& source, const Westring& target, SyncChoices& choices) {
    const int longer = std::max(source.strlen(), target.strlen());
    const int width = std::max(std::min(longer, console->columns() - 7), 56) + 4;
    const int height = 13;
    const int inner = width - 2;
    for (;;) {
        Dialog dialog(-1, -2, width, height, colours[CLR_MENU]);
        const wchar_t* title = L" Synchronize Directories ";
        dialog.puts_at(std::max(0, (inner - static_cast<int>(std::wcslen(title))) / 2), -1, title);
        dialog.AddStaticText(-1, 1, Collapsed(source, inner - 2));
        dialog.AddStaticText(-1, 2, Westring(L"to"));
        dialog.AddStaticText(-1, 3, Collapsed(target, inner - 2));
        dialog.AddCheckBox(1, 6, 1, choices.copy_missing, Westring(L"_Copy missing files"));
        dialog.AddCheckBox(1, 7, 0, choices.update_older, Westring(L"_Update old files"));
        dialog.AddCheckBox(1, 8, 0, choices.delete_extra, Westring(L"_Delete files not in source"));
        const int file_filter = dialog.AddStringField(36, 6, 1, choices.file_filter, 20, -1, kFilterHistory);
        dialog.AddFieldLabel(36, 5, file_filter, Westring(L"_File Filter"));
        const int dir_filter = dialog.AddStringField(36, 8, 1, choices.directory_filter, 20, -1, kFilterHistory);
        dialog.AddFieldLabel(36, 7, dir_filter, Westring(L"D_irectory Filter"));
        static const Dialog::ButtonDef buttons[] = {{13, "_OK"}, {27, "Cancel"}, {KEY_F1, "_Help"}, {0, nullptr}};
        dialog.AddPushButtonGroup(-1, 10, 1, buttons);
        dialog.AddExitKey(KEY_F1);
        const int key = dialog.Process();
        if (key == KEY_F1) {
            ShowHelp(HELP_SYNCHRONISE);
            continue;
        }
        if (key != 13) return false;
        dialog.SaveToHistory();
        return true;
    }
}

// One line per operation, updates in light green and deletions in light
// red on the line's own background.
class SyncOpListBox : public ListBoxBase {
public:
    SyncOpListBox(Dialog* dialog, int x, int y, int width, int height, const SyncPlan& plan, int columns,
                  int& selected)
        : ListBoxBase(dialog, x, y, width, height, static_cast<int>(plan.ops.size()), selected, 13),
          plan_(plan),
          columns_(columns) {}

    void DrawLine(int line, int item, unsigned char attr) override {
        if (item < 0 || item >= static_cast<int>(plan_.ops.size())) {
            PutLine(line, Westring(), attr);
            return;
        }
        const SyncOp& op = plan_.ops[static_cast<size_t>(item)];
        unsigned char shown = attr;
        if (op.type == SyncOpType::Update) shown = static_cast<unsigned char>((attr & 0xF0) | 10);
        if (op.type == SyncOpType::Delete || op.type == SyncOpType::DelDir || op.type == SyncOpType::Conflict)
            shown = static_cast<unsigned char>((attr & 0xF0) | 12);
        PutLine(line, SyncOpLine(op, columns_), shown);
    }
    Westring SeekString(int item) override {
        return item >= 0 && item < static_cast<int>(plan_.ops.size()) ? plan_.ops[static_cast<size_t>(item)].path
                                                                       : Westring();
    }

private:
    const SyncPlan& plan_;
    int columns_;
};

// Shows a scan's failure; true when the command must end.
bool ReportPlanFailure(const SyncPlanResult& result, const Westring& source) {
    switch (result.status) {
    case SyncPlanStatus::kReady:
    case SyncPlanStatus::kCancelled:
        return false;
    case SyncPlanStatus::kIntoItself:
        (void)error(Westring(L"Directory cannot be synchronized into itself"), source, MB_OK);
        return true;
    case SyncPlanStatus::kBadFilter:
        (void)error(Westring(L"The filter has a syntax error"), Westring(L"Synchronize Directories"), MB_OK);
        return false;
    case SyncPlanStatus::kUnreadable:
        (void)error(Westring(L"Cannot read directory ") + result.directory + L": " +
                        Westring(std::strerror(result.error)) + L". Nothing was changed.",
                    Westring(L"Synchronize Directories"), MB_OK);
        return false;
    }
    return false;
}

SyncPlanResult Scan(const Westring& source, const Westring& target, const SyncChoices& choices, SyncPlan& plan) {
    Dialog progress(-1, -2, 44, 5, colours[CLR_MESSAGES]);
    progress.puts_at(1, -1, L" Synchronize Directories ");
    progress.puts_at(1, 0, L"Reading the directories");
    SyncScanOptions hooks;
    hooks.cancel = [] { return fileops_esc_pending(); };
    hooks.progress = [&progress](int64_t entries) {
        wchar_t text[48];
        std::swprintf(text, 48, L"%lld entries", static_cast<long long>(entries));
        progress.puts_at(1, 1, Padded(Westring(text), 40).c_str());
    };
    return CalcSyncPlan(source, target, choices, hooks, plan);
}

}  // namespace

Westring SyncOpLine(const SyncOp& op, int columns) {
    Westring line = Padded(Westring(OpName(op.type)), kLabelColumns);
    const Westring path = Collapsed(op.path, columns);
    const bool target_only = op.type == SyncOpType::Delete || op.type == SyncOpType::DelDir;
    line += target_only ? String(L' ', columns) : Padded(path, columns);
    line += target_only ? L"    " : L" -> ";
    line += path;
    return line;
}

bool ConfirmSyncPlan(const Westring& source, const Westring& target, const SyncPlan& plan) {
    const int count = static_cast<int>(plan.ops.size());
    const int width = console->columns() - 3;
    const int list_rows = std::max(1, std::min(count, console->rows() - 10));
    const int height = std::min(count, console->rows() - 10) + 7;
    const int inner = width - 2;
    const int columns = std::max(1, (inner - 11) / 2);
    Dialog dialog(-1, -2, width, std::max(height, 8), colours[CLR_MENU]);
    const wchar_t* title = L" Confirm Synchronize Operations ";
    dialog.puts_at(std::max(0, (inner - static_cast<int>(std::wcslen(title))) / 2), -1, title);
    dialog.AddStaticText(kLabelColumns, 0, Collapsed(source, columns));
    dialog.AddStaticText(kLabelColumns + columns + 4, 0, Collapsed(target, columns));
    int selected = 0;
    dialog.AddElement(new SyncOpListBox(&dialog, 0, 1, inner, list_rows, plan, columns, selected), 1);
    dialog.AddOkCancel(-1, list_rows + 2, 1);
    return dialog.Process() == 13;
}

bool SynchronizeDirectories(const Westring& source, const Westring& target) {
    const int overlap = SyncTreesOverlap(source, target);
    if (overlap != 0) {
        (void)ReportPlanFailure(overlap == 1 ? SyncPlanResult{SyncPlanStatus::kIntoItself, source, 0}
                                             : SyncPlanResult{SyncPlanStatus::kUnreadable, target, overlap},
                                source);
        return false;
    }
    bool performed = false;
    for (;;) {
        SyncChoices choices;
        choices.copy_missing = config.SyncCopyMissing;
        choices.update_older = config.SyncUpdateOlder;
        choices.delete_extra = config.SyncDeleteExtra;
        choices.file_filter = config.SyncFilter;
        choices.directory_filter = config.SyncDirFilter;
        if (!AskOptions(source, target, choices)) break;
        config.SyncCopyMissing = choices.copy_missing;
        config.SyncUpdateOlder = choices.update_older;
        config.SyncDeleteExtra = choices.delete_extra;
        config.SyncFilter = choices.file_filter;
        config.SyncDirFilter = choices.directory_filter;

        SyncPlan plan;
        const SyncPlanResult scanned = Scan(source, target, choices, plan);
        if (scanned.status != SyncPlanStatus::kReady) {
            if (ReportPlanFailure(scanned, source)) break;
            continue;
        }
        if (!ConfirmSyncPlan(source, target, plan)) continue;
        performed = true;
        const SyncRunResult run = PerformSyncPlan(source, target, plan);
        if (run.last == 0) break;
    }
    return performed;
}
