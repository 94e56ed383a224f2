// How each archiver program wants member and file names written on its
// command line and in its list files. The programs differ: unzip and zip -d
// read names as patterns in which a backslash makes a character literal,
// 7z and tar take names literally (7z once told so), arj matches patterns
// it cannot be told to take literally, lha names a directory's members only
// one by one, and a name starting with '-' must be kept from being read as
// an option in a way each program understands.
#pragma once

#include "lib/westring.h"

// What an archiver command does with the names it is given.
enum class ArchiveOperation {
    kAdd,      // names of files on disk to put in
    kExtract,  // names of members to take out
    kDelete,   // names of members to remove
};

struct ArchiverNaming {
    // Names are patterns; a backslash before * ? [ ] \ makes it literal.
    bool backslash_escapes = false;
    // Names are patterns with no way to make * or ? literal: a member whose
    // name holds them cannot be named alone.
    bool unescapable_patterns = false;
    // "--" on the command line ends the options.
    bool double_dash = false;
    // A leading '-' is written "[-]" (a pattern matching only '-'), for a
    // program that takes options anywhere and knows no "--".
    bool bracket_dash = false;
    // A leading '-' is written "./-": the name is a file on disk.
    bool dot_slash_dash = false;
    // A directory's own name does not select the members below it: each
    // is named.
    bool name_each_member = false;
    // The archive holds one file, named by its base name only.
    bool single_file = false;
};

// Whether format type (ArchiveType) holds one file that its program writes
// whole (gzip, bzip2, xz).
bool IsSingleFileFormat(int type);

// The rules for the archiver of format type (ArchiveType) doing op.
ArchiverNaming NamingFor(int type, ArchiveOperation op);

// name made literal for an archiver that reads it as a pattern: every
// '*', '?', '[', ']' and '\' gets a backslash in front.
Westring EscapeArchiverPattern(const Westring& name);

// Whether name holds a character an archiver with unescapable patterns
// would take as a wildcard.
bool HoldsPatternCharacters(const Westring& name);

// One name as the archiver must read it: the pattern escape and the guard
// against a leading '-' where the rules ask for them. The pattern text
// around a directory name (its "/*") is not passed through here, so its
// wildcards stay wildcards.
Westring ArchiverLiteral(const Westring& name, const ArchiverNaming& rules);

// '\' becomes '/'.
void ForwardSlash(Westring& text);
