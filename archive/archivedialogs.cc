#include "archive/archivedialogs.h"

#include "console/cells.h"
#include "console/keys.h"
#include "fileops/hooks.h"

namespace {

constexpr int kMaxNameLength = 512;
constexpr int kCopyHistory = 13;
constexpr int kMakeHistory = 9;

}  // namespace

CArchiveCopyDlg::CArchiveCopyDlg(const Westring& title, Westring& destination)
    : Dialog(-1, -4, 76, 7, colours[CLR_MESSAGES]), destination_(destination) {
    AddStaticText(1, 0, title);
    const int field = AddStringField(1, 2, 1, destination_, 72, kMaxNameLength, kCopyHistory);
    static const ButtonDef kButtons[] = {{13, "_OK"}, {27, "Cancel"}, {KEY_F10, "F10-_Tree"}, {0, nullptr}};
    AddPushButtonGroup(-1, -1, 1, kButtons);
    ChangeFocus(field);
}

int CArchiveCopyDlg::Run() {
    for (;;) {
        const int result = Process();
        if (result == 13 || result == 27) return result;
        if (result == KEY_F10 && fileops_hooks.tree_pick) {
            int columns = 80, rows = 25;
            console->GetSize(columns, rows);
            fileops_hooks.tree_pick(destination_, rows / 2 - 2);
        }
        Draw();
    }
}

CMakeArchiveDlg::CMakeArchiveDlg(Westring& name, int& format) : Dialog(-1, -4, 70, 8, colours[CLR_MESSAGES]) {
    const int field = AddStringField(1, 1, 1, name, 44, kMaxNameLength, kMakeHistory);
    AddFieldLabel(1, 0, field, L"Archive _Name:");
    // Accelerators: n for the name, then z r l a c h g t 7 b x.
    static const wchar_t* const kLabels[] = {L"_ZIP",  L"_RAR", L"_LHARC", L"_ARJ",  L"A_CE", L"_HA",
                                             L"_GZIP", L"_TAR", L"_7ZIP",  L"_BZIP2", L"_XZ"};
    for (int i = 0; i < 11; i++) {
        const int column = i < 5 ? 48 : 58;
        const int row = i < 5 ? i : i - 5;
        AddRadioButton(column, row, i == 0 ? 2 : 0, format, i, kLabels[i]);
    }
    AddOkCancel(1, 4, 3);
    ChangeFocus(field);
}

int CMakeArchiveDlg::Run() { return RunOkCancel(); }
