#include "tools/fileinfodialog.h"

#include "console/cells.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "lib/collapsepath.h"
#include "lib/oserror.h"

namespace {

int screen_width() { return console ? console->columns() : 80; }
int screen_height() { return console ? console->rows() : 25; }

}  // namespace

CFileInfoDlg::CFileInfoDlg(const Westring& path, const CFileInfoItems& items) : path_(path), items_(items) {}

int CFileInfoDlg::LabelWidth() const {
    int width = 0;
    for (const CFileInfoItem& item : items_)
        if (item.label.strlen() > width) width = item.label.strlen();
    return width;
}

int CFileInfoDlg::CalcWidth() const {
    int values = 0;
    for (const CFileInfoItem& item : items_)
        if (item.value.strlen() > values) values = item.value.strlen();
    int inner = LabelWidth() + values + 2;
    if (path_.strlen() > inner) inner = path_.strlen();
    const int width = inner + 4;
    const int most = screen_width() - 3;
    return width < most ? width : most;
}

int CFileInfoDlg::CalcHeight() const { return static_cast<int>(items_.size()) + 6; }

void CFileInfoDlg::Run() {
    const int width = CalcWidth(), height = CalcHeight();
    int top = (screen_height() - height) / 2 - 4;
    if (top < 0) top = 0;
    // With a top row given, the bottom is a row too, not a height.
    Dialog dialog(-1, top, width, top + height - 1, colours[CLR_MESSAGES]);
    dialog.PutCentre(-1, L" File Information ");
    const int inner = dialog.inner_width();
    Westring shown = path_;
    collapse_path(shown, inner);
    dialog.AddStaticText(-1, 0, shown);

    const int label_width = LabelWidth();
    const int value_column = label_width + 3;
    for (size_t i = 0; i < items_.size(); i++) {
        const int row = 2 + static_cast<int>(i);
        const Westring label(items_[i].label);
        dialog.AddStaticText(1 + label_width - label.strlen(), row, label + L":");
        if (inner > value_column) dialog.AddStaticText(value_column, row, items_[i].value.left(inner - value_column));
    }
    static const Dialog::ButtonDef ok[] = {{KEY_ENTER, "O_K"}, {0, nullptr}};
    dialog.SetDefault(dialog.AddPushButtonGroup(-1, height - 3, 1, ok));
    (void)dialog.Process();
}

void FileInfo(const Westring& path) {
    if (!console) return;
    CFileInfoItems items;
    int code = 0;
    if (!GetFileInfo(path, items, code)) {
        (void)error(GetOSErrorMessage(code), path, MB_OK);
        return;
    }
    CFileInfoDlg(path, items).Run();
}
