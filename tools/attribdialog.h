// The " File  Attributes " dialog (Ctrl-A): the permission bits, owner and
// group of the cursor file or of every tagged file.
#pragma once

#include "lib/westring.h"
#include "tools/attribmode.h"

struct PANEL;
struct entry;

// Runs the dialog on the panel's tagged files, or on its cursor entry when
// none is tagged. Nothing happens inside an archive or on "..". True when
// the files were changed (the panel's entries then hold their new status).
bool file_attrib(PANEL* panel);

class CFileAttributeDialog {
public:
    explicit CFileAttributeDialog(PANEL* panel);

    // The dialog loop: the key that closed it (Enter only once applying
    // succeeded, else Esc).
    int Process();
    // Applies the settings to the file or to each tagged file in panel
    // order; false keeps the dialog open (a name the system does not know,
    // or Cancel at an error).
    bool UpdateAttributes();

private:
    // The new mode of an entry.
    int UpdateMode(int mode) const { return AttribNewMode(settings_, mode); }
    // Applies to one entry with Retry, Skip and Cancel at an error; false
    // for Cancel.
    bool UpdateOwner(entry* e, int64_t uid, int64_t gid);
    // Changes one path; 0 or the error number.
    [[nodiscard]] int UpdateAttributes(const Westring& path, int mode, int64_t uid, int64_t gid) {
        return AttribApply(path, mode, uid, gid);
    }
    Westring PathOf(const entry* e) const;

    PANEL* panel_;
    AttribSettings settings_;
};
