// Taking one member out of an archive into a folder, with the archiver
// program the format's settings name, so that an archive inside an archive
// can be opened from the copy.
#pragma once

#include "lib/westring.h"

class Archive;
struct ArchiveEntry;

// Runs the extract command of the archive's format in dir and waits for
// it; copy becomes the path of the file it left. The command line is the
// configured one with the archive and the member appended, or with %a and
// %f replaced by them where it names them. 0, or the error number: ENOENT
// when the program left no file, EPERM for a member whose stored name leaves
// the folder it is extracted to, ENOEXEC when the archiver program is not
// installed.
[[nodiscard]] int ExtractMemberTo(const Archive& archive, const ArchiveEntry* member, const Westring& dir,
                                  Westring& copy);
