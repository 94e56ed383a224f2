// File descriptions: the "descript.ion" file of a directory gives files a
// one-line description each. Copying, moving and deleting a file carry its
// line along; none of these ever fails visibly.
//
// A line is the file name, blanks, then the description up to the line end
// ("\r\n" when written here). The name is in double quotes when it holds a
// blank or a double quote, each double quote inside written twice; a bare
// name and a quoted one without doubled quotes read as they always have. A
// name with a line feed or a carriage return cannot be stored. Lines of any
// length are handled. Only a regular file is taken for a description file:
// a FIFO or a device of that name is never opened for use, nor waited on.
#pragma once

#include <string>
#include <vector>

#include "lib/stdfile.h"
#include "lib/westring.h"

// The description file's own name.
extern const wchar_t* const kDescFileName;
// Whether name is the description file's name, ignoring case (listings skip it).
bool IsDescFileName(const wchar_t* name);

// Opens the description file that belongs to path: the directory part of
// path followed by "descript.ion" (the current directory's when path has no
// "/"). name receives the last component of path when given. Read only, or
// for reading and writing (creating the file when create is set); a writer
// holds an exclusive lock and waits up to about five seconds for another
// writer's. 0 or the open error.
[[nodiscard]] int open_desc(const wchar_t* path, Westring* name, StdFile& file, bool write, bool create);
// The description file inside dir itself, read only. 0 or the open error.
[[nodiscard]] int open_dir_desc(const Westring& dir, StdFile& file);

// Whether a file of this name can have a description line: not an empty
// name, nor one with a line feed or a carriage return, which would break
// its line in two.
bool DescStorableName(const Westring& name);

// Replaces the description of path by text (bytes written as they are, a
// line break turned into a blank). 0 or the error number; EINVAL without a
// line written for a name DescStorableName refuses, which is told through
// fileops_hooks.desc_not_stored.
[[nodiscard]] int write_desc(const wchar_t* path, const char* text);
// Removes the description lines of path. 1 when the description file became
// empty and was deleted (after closing alsoClose, another handle on it),
// else 0.
int delete_desc(const wchar_t* path, StdFile* alsoClose);
// Removes the description lines of the files names of dir in one pass over
// its description file, deleting the file when it becomes empty (1; else 0).
int delete_descs(const Westring& dir, const std::vector<Westring>& names);
// When sourceDescriptions (the description file of src's directory) is open
// and describes src, gives dst the same description.
void copy_desc(const wchar_t* src, const wchar_t* dst, StdFile& sourceDescriptions);
// copy_desc, then the line of src is removed.
void move_desc(const wchar_t* src, const wchar_t* dst, StdFile& sourceDescriptions);

// The name at the start of one line (after blanks; in double quotes, with
// "" for a quote inside, or up to the first blank); returns the position
// just after it.
const char* fname_from_desc(const char* line, Westring& name);

// Before a moved directory is removed: the lines still in its description
// file (for names that never arrived in dst_dir's description file) are
// appended there, and the source's description file is deleted. 0 when no
// description file is left in src_dir, else the error number.
[[nodiscard]] int carry_desc_leftovers(const Westring& src_dir, const Westring& dst_dir);
