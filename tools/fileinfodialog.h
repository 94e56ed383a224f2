// The " File Information " dialog (Ctrl-I): the status of one file, read
// only, closed by its OK button.
#pragma once

#include "lib/westring.h"
#include "tools/fileinfo.h"

// Gathers the file's items and shows them; when its status cannot be read,
// the system's message with the path is shown instead.
void FileInfo(const Westring& path);

class CFileInfoDlg {
public:
    CFileInfoDlg(const Westring& path, const CFileInfoItems& items);

    // Label column, values and frame; at most the screen's width less 3.
    int CalcWidth() const;
    // One row per item, the path, the button and the frame.
    int CalcHeight() const;
    // Shows the dialog until it is closed.
    void Run();

private:
    int LabelWidth() const;

    const Westring& path_;
    const CFileInfoItems& items_;
};
