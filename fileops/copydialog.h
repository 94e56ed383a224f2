// The destination dialog of the copy and move commands.
#pragma once

#include "console/dialog.h"
#include "lib/westring.h"

class CCopyDlg : public Dialog {
public:
    // title: the first row. destination: the field's text, edited in place.
    // with_overwrite: the row of overwrite choices. rename_keys: Alt-D, F5
    // and F6 switch the field between the bare name and other_dir + "/" +
    // that name.
    CCopyDlg(const Westring& title, Westring& destination, bool with_overwrite, bool rename_keys,
             const Westring& other_dir);

    // Runs until Enter (13) or Esc (27); the history and tree buttons and
    // the rename keys act in between.
    int Run();

    // The chosen overwrite mode (OVERWRITE_*).
    int overwrite = 0;

private:
    void toggle_name();

    Westring& destination_;
    Westring other_dir_;
    int field_ = -1;
};
