// Commands that write a whole archive (gzip, bzip2 and xz "> %a") write
// it to a new file beside the old one, which takes the old one's place
// only when the command succeeded: a failure leaves the old archive as it
// was, byte for byte.
#pragma once

#include <functional>

#include "lib/westring.h"

// Calls write with the name of a new empty file in archive's folder; when
// it returns 0 that file replaces archive (keeping an existing archive's
// permissions), otherwise it is removed. write's result, or the error
// number of making or renaming the file.
int WriteBesideArchive(const Westring& archive, const std::function<int(const Westring& target)>& write);
