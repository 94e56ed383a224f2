#include "fileops/fileprompt.h"

#include "fileops/copystatus.h"

int file_error(const Westring& message, const Westring& title, int flags) {
    CProgressPause pause;
    return error(message, title, flags);
}
