// The two dialogs of the archive commands: where to extract to or add
// from, and the name and format of a new archive.
#pragma once

#include "console/dialog.h"
#include "lib/westring.h"

// "Extract 3 files to" and the like over a destination field, with OK,
// Cancel and F10-Tree (the directory tree picks the destination).
class CArchiveCopyDlg : public Dialog {
public:
    CArchiveCopyDlg(const Westring& title, Westring& destination);
    // Enter (13) or Esc (27).
    int Run();

private:
    Westring& destination_;
};

// " Compress Files ": the new archive's name and one of the formats.
class CMakeArchiveDlg : public Dialog {
public:
    // name: edited in place; format: the chosen format's index, kept
    // between dialogs by the caller.
    CMakeArchiveDlg(Westring& name, int& format);
    // Enter (13) or Esc (27).
    int Run();
};
