// The command lines that take one member out of an archive and put an
// edited copy back, shared by viewing and editing members and by opening
// an archive inside an archive.
#pragma once

#include "lib/westring.h"

class Archive;
struct ArchiveEntry;

// The shell command that extracts member from archive into the current
// directory. program is the format's extract command with its program
// found. A single-file format (gzip and the like) writes to the base name
// of the member only, whatever its stored name says.
Westring MemberExtractCommand(const Archive& archive, const ArchiveEntry* member, const Westring& program);

// Where the extracted member lands, relative to the folder it was
// extracted in; empty when no file of it is there.
Westring FindExtractedCopy(const Archive& archive, const ArchiveEntry* member, const Westring& folder);

// The shell command that puts the file stored (the member's stored name,
// relative to the current directory) back into the archive at
// archive_path of format type; program is the format's compress command
// with its program found.
Westring MemberWriteBackCommand(int type, const Westring& archive_path, const Westring& stored,
                                const Westring& program);

// Puts the copy at folder/relative back into the archive at archive_path
// of format type, running the archiver in folder. The archiver's exit
// status (0 succeeded), or -1 when it could not be run (reported).
int WriteBackMember(int type, const Westring& archive_path, const Westring& folder, const Westring& relative);
