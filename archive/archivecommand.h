// Assembling and running archiver command lines: the configured template
// with the archive and the names filled in, the names given directly or in
// a list file, and long lists split over several runs so that no command
// line exceeds what the system takes.
#pragma once

#include "archive/archivernaming.h"
#include "lib/estring.h"
#include "lib/westring.h"

class Archive;
struct PANEL;
struct entry;

// One panel entry named for the archiver: prefix + its name, or for an
// entry of an archive panel the member's name exactly as stored. A
// directory is written through dirspec ('!' stands for it; its wildcards
// stay wildcards), or, where the archiver needs it, as all the members
// below it. Outside list mode every name is quoted for the shell and the
// names are separated by blanks; in list mode they are bare, one per line.
// archive is the archive the panel lists, null for files on disk.
Westring pentry2cmd(const Archive* archive, const entry* e, const Westring& prefix, const Estring& dirspec,
                    bool listmode, const ArchiverNaming& rules);

// The template command with "%a" replaced by the quoted archive and "%f" by
// names (already quoted), or either appended after a blank when the
// template does not name it; with end_options, "--" goes before appended
// names.
Westring FillArchiverTemplate(const Westring& command, const Westring& archive, const Westring& names,
                              bool end_options);
// Runs that command line on the terminal, from the current directory.
int RunArchiveCommand(const Westring& command, const Westring& archive, const Westring& names, bool end_options,
                      int side);

// Runs command (a template of the archiver of format type) on the tagged
// entries of panel, or on its cursor entry when none is tagged: once with
// a list file when the archiver takes one, else with the names on the
// command line, split over as few runs as the system's argument limit
// allows. Each entry named is untagged and marked done. The first failing
// status, or 0; after a failure nothing more runs. A program that is not
// installed is reported by name and nothing runs.
int ExecMultiFile(const Westring& command, const Westring& archive, const Westring& prefix, PANEL* panel, int type,
                  ArchiveOperation op);
