#include "archive/workingdir.h"

#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

#include "lib/fsname.h"

WorkingDirectoryChange::WorkingDirectoryChange(const Westring& dir) {
    if (char* current = getcwd(nullptr, 0)) {
        previous_ = current;
        free(current);
    }
    if (chdir(EncodeFileName(dir).c_str()) != 0) error_ = errno;
}

WorkingDirectoryChange::~WorkingDirectoryChange() {
    // The folder left may be gone (a removed temporary folder): nothing to
    // go back to then, and nothing to report.
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) previous_.clear();
}
