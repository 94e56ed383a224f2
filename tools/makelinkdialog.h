// The dialog of the make-links command: where the links go (a field with
// its history, the tree picker and the directory history) and whether
// their targets are relative.
#pragma once

#include "console/dialog.h"
#include "lib/westring.h"

class LinkDialog : public Dialog {
public:
    // title: the first row. destination: the field's text, edited in place.
    // default_dir: the directory F5, F6 and Alt-D put in front of a bare
    // name. relative: the check box. With needs_directory the field must
    // name an existing directory before Enter is taken; a relative field
    // is looked up in working_dir.
    LinkDialog(const Westring& title, Westring& destination, const Westring& default_dir, bool& relative,
               bool needs_directory, const Westring& working_dir);

    // Runs until Enter (13) on an acceptable field or Esc (27).
    int Run();

private:
    // A field without "/" gets default_dir in front; otherwise it keeps only
    // its last component.
    void toggle_name();
    // The field, without a final "/", names an existing directory.
    bool field_is_directory() const;

    Westring& destination_;
    Westring default_dir_;
    Westring working_dir_;
    bool needs_directory_;
    int field_ = -1;
};
