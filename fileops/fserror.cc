#include "fileops/fserror.h"

#include <errno.h>

#include "fileops/fileprompt.h"
#include "lib/oserror.h"

namespace {

struct ErrorText {
    int code;
    const wchar_t* message;
    int style;
    bool second_path;  // the name shown is path2 when there is one
};

const ErrorText kErrors[] = {
    {ENOENT, L"File not found", MB_OKCANCEL, false},
    {EIO, L"Error reading disk", MB_RETRY, false},
    {EACCES, L"Access Denied", MB_RETRY, false},
    {ENOTDIR, L"Path not found", MB_OKCANCEL, true},
    {ENOSPC, L"No room for", MB_RETRY, false},
    {EROFS, L"Disk write protected, cannot write", MB_RETRY, false},
    {ENAMETOOLONG, L"Name too long", MB_OKCANCEL, true},
    {RESULT_DRIVE_NOT_READY, L"Drive not ready", MB_RETRY, false},
};

}  // namespace

int fs_error(int& code, int& done, const wchar_t* path, const wchar_t* path2) {
    Westring message;
    int style = MB_RETRY;
    const wchar_t* shown = path;
    bool known = false;
    for (const ErrorText& e : kErrors) {
        if (e.code != code) continue;
        message = e.message;
        style = e.style;
        if (e.second_path && path2) shown = path2;
        known = true;
        break;
    }
    if (!known) {
        message = GetOSErrorMessage(code);
        message += Westring(esprintf(" (%d)", code));
    }
    int answer = file_error(message, Westring(shown), style);
    done = answer != 'r';
    if (answer == 27) code = -1;
    return answer;
}
